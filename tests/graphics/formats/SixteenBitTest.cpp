// 16-bit bitmaps: 5- and 6-bit channels widened to full scale, so white is
// white; the stored bytes stay as they were.
#include "graphics/Bitmap.h"
#include "support/LittleEndian.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::Put16;
using test::Put32;

// A 2 x 1 bitmap of two 16-bit pixels; masks given means bit fields 5-6-5.
Bytes SixteenBit(std::uint16_t first, std::uint16_t second, bool rgb565) {
    Bytes out = {'B', 'M'};
    const std::uint32_t offset = 14 + 40 + (rgb565 ? 12 : 0);
    Put32(out, offset + 4);
    Put32(out, 0);
    Put32(out, offset);
    for (std::uint32_t v : {40u, 2u, 1u})
        Put32(out, v);
    Put16(out, 1);
    Put16(out, 16);
    Put32(out, rgb565 ? 3 : 0);
    for (int i = 0; i < 5; ++i)
        Put32(out, 0);
    if (rgb565)
        for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
            Put32(out, mask);
    Put16(out, first);
    Put16(out, second);
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
