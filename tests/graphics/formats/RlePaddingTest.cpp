// RLE bitmaps whose rows end with a run over the row's padding, as ImageMagick
// writes them when the width is not a multiple of 4: taken, and drawn with
// the run clipped to the row.
#include "graphics/Bitmap.h"
#include "storage/Exceptions.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 5 x 2 bitmap (RLE8, or RLE4) of two colours: red then blue in each row.
Bytes RleBitmap(bool four, const Bytes& rle) {
    Bytes out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + 2 * 4;
    Put32(out, offset + static_cast<std::uint32_t>(rle.size()));
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, 5);
    Put32(out, 2);
    Put32(out, 1 | ((four ? 4u : 8u) << 16));
    Put32(out, four ? 2 : 1);
    Put32(out, static_cast<std::uint32_t>(rle.size()));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 2);
    Put32(out, 0);
    Put32(out, 0x00FF0000); // index 0: red
    Put32(out, 0x000000FF); // index 1: blue
    out.insert(out.end(), rle.begin(), rle.end());
    return out;
}

TEST(RlePadding, ARunOverTheRowsPaddingIsClippedToTheRow) {
    // Each row: three red, then blue over the last two pixels and the
    // padding (8 pixels a row for RLE8 at width 5).
    const Bytes rle8 = RleBitmap(false, {3, 0, 5, 1, 0, 0, 3, 0, 5, 1, 0, 1});
    TBitmap bitmap;
    bitmap.LoadFromStream(rle8);
    ASSERT_EQ(bitmap.Width(), 5);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bitmap.Image().pixel(x, y), x < 3 ? qRgb(255, 0, 0) : qRgb(0, 0, 255))
                << x << "," << y;

    // RLE4 rows of width 5 are padded to 8 pixels too.
    const Bytes rle4 = RleBitmap(true, {3, 0x00, 5, 0x11, 0, 0, 3, 0x00, 5, 0x11, 0, 1});
    bitmap.LoadFromStream(rle4);
    EXPECT_EQ(bitmap.Image().pixel(4, 1), qRgb(0, 0, 255));
}

TEST(RlePadding, ARunPastThePaddingIsStillRefused) {
    TBitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromStream(RleBitmap(false, {3, 0, 6, 1, 0, 0, 0, 1})),
                 EInvalidGraphic);
    EXPECT_THROW(bitmap.LoadFromStream(RleBitmap(false, {3, 0, 0, 6, 1, 1, 1, 1, 1, 1, 0, 1})),
                 EInvalidGraphic);
}

} // namespace
} // namespace tavik
