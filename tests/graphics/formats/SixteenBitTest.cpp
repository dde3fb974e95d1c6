// 16-bit bitmaps: 5- and 6-bit channels widened to full scale, so white is
// white; the stored bytes stay as they were.
#include "graphics/Bitmap.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::uint32_t v, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 2 x 1 bitmap of two 16-bit pixels; masks given means bit fields 5-6-5.
Bytes SixteenBit(std::uint16_t first, std::uint16_t second, bool rgb565) {
    Bytes out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + (rgb565 ? 12 : 0);
    Put(out, offset + 4, 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    for (std::uint32_t v : {40u, 2u, 1u})
        Put(out, v, 4);
    Put(out, 1, 2);
    Put(out, 16, 2);
    Put(out, rgb565 ? 3 : 0, 4);
    for (int i = 0; i < 5; ++i)
        Put(out, 0, 4);
    if (rgb565)
        for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
            Put(out, mask, 4);
    Put(out, first, 2);
    Put(out, second, 2);
    return out;
}

TEST(SixteenBit, ChannelsAreWidenedByRepeatingTheirHighBits) {
    TBitmap bitmap;
    const Bytes rgb555 = SixteenBit(0x7FFF, 0x4000 | (1 << 5), false);
    bitmap.LoadFromStream(rgb555);
    EXPECT_EQ(bitmap.Image().pixel(0, 0), qRgb(255, 255, 255));
    // Red 16 of 31 is 132 (10000 100), green 1 is 8 (00001 000).
    EXPECT_EQ(bitmap.Image().pixel(1, 0), qRgb(132, 8, 0));
    EXPECT_EQ(bitmap.Stream(), rgb555);

    const Bytes rgb565 = SixteenBit(0xFFFF, 0x0020 | 0x0010, true);
    bitmap.LoadFromStream(rgb565);
    EXPECT_EQ(bitmap.Image().pixel(0, 0), qRgb(255, 255, 255));
    // Green 1 of 63 is 4 (000001 00), blue 16 of 31 is 132.
    EXPECT_EQ(bitmap.Image().pixel(1, 0), qRgb(0, 4, 132));
}

} // namespace
} // namespace tavik
