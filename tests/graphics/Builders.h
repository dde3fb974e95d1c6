#pragma once

#include "support/IcoBuilder.h"
#include "support/LittleEndian.h"

// Hand-built BMP file images for the tests: every variant the decoders must
// handle is made here byte by byte from a small pattern, so the expected
// pixels are known exactly. Also the smallest metafiles of a given size, made
// with the tests' metafile builders.
#include <QImage>
#include <cstdint>
#include <vector>

namespace tavik::test {

using Bytes = std::vector<std::uint8_t>;

// How a test BMP is laid out.
struct BmpLayout {
    std::uint32_t headerSize = 40; // 12, 40, 52, 56, 64, 108, 124
    int bitCount = 24;
    std::uint32_t compression = 0; // 0 RGB, 1 RLE8, 2 RLE4, 3 bit fields
    bool topDown = false;
    bool rgb565 = false; // 16-bit bit fields 5-6-5 instead of 5-5-5
    bool alpha = false;  // 32-bit bit fields with an alpha mask
    std::uint32_t colorsUsed = 0;
};

// The 5 x 3 test pattern as palette indices (0..3; 0..1 for 1-bit images).
int PatternIndex(int x, int y, int bitCount);
// The colour of each index; with alpha, index 3 is half transparent.
QRgb PatternColor(int index, bool alpha);
inline constexpr int kPatternWidth = 5;
inline constexpr int kPatternHeight = 3;

// The BMP file image of the pattern in the given layout.
Bytes MakeBmp(const BmpLayout& layout);
// An 8-bit BMP of any size whose pixels are all index 0 of a 2-entry palette.
Bytes MakeSolidBmp8(int width, int height);

// A Windows metafile without placeable header: header, the given window
// origin and extent records (when hasWindow), one rectangle, end of file.
Bytes MakeWmf(bool hasWindow, int orgX, int orgY, int extX, int extY);
// A minimal enhanced metafile with the given frame (hundredths of a mm).
Bytes MakeEmf(int left, int top, int right, int bottom);

} // namespace tavik::test
