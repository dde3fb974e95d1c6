// Malformed BMP file images: each must be refused with the bitmap's own
// message, leave the bitmap as it was, and never reach a crash.
#include "Builders.h"
#include "graphics/Bitmap.h"
#include "storage/Exceptions.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;
using test::Set32;

// An 8-bit file with four palette entries: palette at 54, pixels at 70 in
// rows of 8 bytes.
Bytes Palette8() {
    return test::MakeBmp({40, 8, 0, false, false, false, 4});
}
// The same as RLE8: row 0 literal at 70..79, row 1 runs from 80.
Bytes Rle8() {
    return test::MakeBmp({40, 8, 1, false, false, false, 4});
}

struct BadRow {
    const char* name;
    std::function<Bytes()> make;
};

class BadBitmaps : public ::testing::TestWithParam<BadRow> {};

TEST_P(BadBitmaps, AreRefusedAndLeaveTheBitmapAlone) {
    const Bytes good = test::MakeSolidBmp8(3, 3);
    TBitmap bitmap;
    bitmap.LoadFromStream(good);
    const Bytes bad = GetParam().make();
    try {
        bitmap.LoadFromStream(bad);
        FAIL() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
    EXPECT_EQ(bitmap.Stream(), good);
    EXPECT_EQ(bitmap.Width(), 3);
}

Bytes With(Bytes b, const std::function<void(Bytes&)>& change) {
    change(b);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Bitmap, BadBitmaps,
    ::testing::Values(
        BadRow{"NotBM", [] { return With(Palette8(), [](Bytes& b) { b[0] = 'X'; }); }},
        BadRow{"ShorterThanHeaders",
               [] { return With(Palette8(), [](Bytes& b) { b.resize(20); }); }},
        BadRow{"UnknownHeaderSize",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 14, 41); }); }},
        BadRow{"HeaderPastEnd",
               [] {
                   return With(Palette8(), [](Bytes& b) {
                       Set32(b, 14, 124);
                       b.resize(100);
                   });
               }},
        BadRow{"TwoPlanes", [] { return With(Palette8(), [](Bytes& b) { b[26] = 2; }); }},
        BadRow{"SevenBits", [] { return With(Palette8(), [](Bytes& b) { b[28] = 7; }); }},
        BadRow{"PngCompression",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 30, 5); }); }},
        BadRow{"Rle4On8Bit", [] { return With(Palette8(), [](Bytes& b) { Set32(b, 30, 2); }); }},
        BadRow{"BitFieldsOn8Bit",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 30, 3); }); }},
        BadRow{"MoreColoursThanBits",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 46, 300); }); }},
        BadRow{"PaletteOverPixels",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 10, 60); }); }},
        BadRow{"PixelOffsetPastEnd",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 10, 1000); }); }},
        BadRow{"TruncatedPixels", [] { return With(Palette8(), [](Bytes& b) { b.pop_back(); }); }},
        BadRow{"LyingHeight",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 22, 1000); }); }},
        BadRow{"HugeWidth",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 18, 100000); }); }},
        BadRow{"HugeArea",
               [] {
                   return With(Palette8(), [](Bytes& b) {
                       Set32(b, 18, 20000);
                       Set32(b, 22, 20000);
                   });
               }},
        BadRow{"ZeroWidth", [] { return With(Palette8(), [](Bytes& b) { Set32(b, 18, 0); }); }},
        BadRow{"ZeroHeight", [] { return With(Palette8(), [](Bytes& b) { Set32(b, 22, 0); }); }},
        BadRow{"NegativeWidth",
               [] {
                   return With(Palette8(),
                               [](Bytes& b) { Set32(b, 18, static_cast<std::uint32_t>(-5)); });
               }},
        BadRow{"MinimumHeight",
               [] { return With(Palette8(), [](Bytes& b) { Set32(b, 22, 0x80000000u); }); }},
        BadRow{"IndexOutOfPalette", [] { return With(Palette8(), [](Bytes& b) { b[70] = 9; }); }},
        BadRow{"Os2SixteenBit",
               [] {
                   return With(test::MakeBmp({12, 24}), [](Bytes& b) { b[24] = 16; });
               }},
        BadRow{"RleRunPastRow", [] { return With(Rle8(), [](Bytes& b) { b[80] = 50; }); }},
        BadRow{"RleLiteralPastData", [] { return With(Rle8(), [](Bytes& b) { b.resize(73); }); }},
        BadRow{"RleDeltaOutside",
               [] {
                   return With(Rle8(), [](Bytes& b) {
                       b[80] = 0;
                       b[81] = 2;
                       b[82] = 100;
                       b[83] = 0;
                   });
               }},
        BadRow{"RleTooManyRows",
               [] {
                   return With(Rle8(), [](Bytes& b) {
                       b.back() = 0;
                       b.insert(b.end(), {0, 0, 1, 0});
                   });
               }},
        BadRow{"RleIndexOutOfPalette", [] { return With(Rle8(), [](Bytes& b) { b[72] = 200; }); }},
        BadRow{"RleCutInACode", [] { return With(Rle8(), [](Bytes& b) { b.pop_back(); }); }},
        BadRow{"TopDownRle",
               [] {
                   return With(Rle8(),
                               [](Bytes& b) { Set32(b, 22, static_cast<std::uint32_t>(-3)); });
               }}),
    [](const auto& info) { return std::string(info.param.name); });

// Every cut of an uncompressed file loses pixel rows or headers, so every one
// must be refused.
TEST(BadBitmapTruncation, EveryCutOfAnUncompressedFileIsRefused) {
    for (const test::BmpLayout& layout :
         {test::BmpLayout{40, 1}, test::BmpLayout{40, 8}, test::BmpLayout{12, 24},
          test::BmpLayout{40, 16, 3, false, true},
          test::BmpLayout{124, 32, 3, false, false, true}}) {
        const Bytes file = test::MakeBmp(layout);
        for (std::size_t n = 1; n < file.size(); ++n) {
            TBitmap bitmap;
            EXPECT_THROW(bitmap.LoadFromStream(std::span(file).first(n)), EInvalidGraphic)
                << layout.bitCount << "-bit cut at " << n;
        }
    }
}

// RLE data may end between codes (the rest stays blank); a cut anywhere must
// either be refused or decode at the full size.
TEST(BadBitmapTruncation, EveryCutOfAnRleFileIsRefusedOrDecodes) {
    for (const test::BmpLayout& layout : {test::BmpLayout{40, 8, 1}, test::BmpLayout{40, 4, 2}}) {
        const Bytes file = test::MakeBmp(layout);
        for (std::size_t n = 1; n < file.size(); ++n) {
            TBitmap bitmap;
            try {
                bitmap.LoadFromStream(std::span(file).first(n));
                EXPECT_EQ(bitmap.Width(), test::kPatternWidth) << "cut at " << n;
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

} // namespace
} // namespace tavik
