#pragma once

// ICO file images for the tests, made byte by byte so that the expected
// pixels are known exactly.

#include <QRgb>
#include <cstdint>
#include <vector>

namespace tavik::test {

// Which pixels of an entry its AND mask (and alpha) leave transparent.
enum class IconHole {
    None,
    Corner,     // pixel (0, 0)
    LeftColumn, // every pixel with x = 0
};

// One entry of a test icon: every pixel has its colour but the hole, which is
// black (index 0) and transparent.
struct IconEntry {
    int size = 32;                    // width and height
    int bitCount = 32;                // 1, 4, 8, 24, 32; or 0 for a PNG entry
    QRgb color = 0;                   // colour of the opaque pixels
    IconHole hole = IconHole::Corner; //
    bool statesImageSize = false;     // the bitmap header gives its pixel bytes' size, not 0
};

// The ICO file image: header, directory, then the entries' images in order.
std::vector<std::uint8_t> MakeIco(const std::vector<IconEntry>& entries);

} // namespace tavik::test
