// A bitmap header means the same in a BMP file and inside a metafile: both
// go through one parser with one set of limits.
#include "graphics/Dib.h"
#include "graphics/metafile/Dib.h"
#include "support/LittleEndian.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Put16;
using test::Put32;

struct HeaderRow {
    const char* name;
    std::uint32_t headerSize;
    int bitCount;
    std::uint32_t colorsUsed;
    bool accepted;
};

// A packed 2 x 2 DIB: the header, a full colour table up to 8 bits, blank pixels.
std::vector<std::uint8_t> PackedDib(const HeaderRow& row) {
    std::vector<std::uint8_t> out;
    Put32(out, row.headerSize);
    if (row.headerSize == 12) {
        Put16(out, 2);
        Put16(out, 2);
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(row.bitCount));
    } else {
        Put32(out, 2);
        Put32(out, 2);
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(row.bitCount));
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, row.colorsUsed);
        out.resize(row.headerSize, 0);
    }
    if (row.bitCount <= 8)
        out.resize(out.size() + (std::size_t{4} << row.bitCount), 0);
    const std::size_t stride = (2 * static_cast<std::size_t>(row.bitCount) + 31) / 32 * 4;
    out.resize(out.size() + 2 * stride, 0);
    return out;
}

class DibHeaderTest : public ::testing::TestWithParam<HeaderRow> {};

TEST_P(DibHeaderTest, BitmapFilesAndMetafilesAgree) {
    const HeaderRow& row = GetParam();
    const std::vector<std::uint8_t> dib = PackedDib(row);
    EXPECT_EQ(dib::ParseHeader(dib).has_value(), row.accepted);
    EXPECT_EQ(
        metafile::DecodePackedDib(metafile::Bytes(dib), metafile::DibRgbColors, {}).has_value(),
        row.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DibHeaderTest,
    ::testing::Values(HeaderRow{"Plain24Bit", 40, 24, 0, true},
                      HeaderRow{"SixtyFourByteHeader", 64, 24, 0, true},
                      HeaderRow{"OldestHeaderWith32Bits", 12, 32, 0, false},
                      HeaderRow{"MoreColoursThanIndices", 40, 8, 300, false},
                      HeaderRow{"HugeTableBesideTrueColour", 40, 24, 70000, false}),
    [](const ::testing::TestParamInfo<HeaderRow>& info) { return std::string(info.param.name); });

} // namespace
} // namespace tavik
