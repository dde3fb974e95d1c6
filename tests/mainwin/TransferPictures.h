#pragma once

// Small pictures of every kind, built in memory, for the clipboard, paste,
// save and import tests.

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavik::testing {

inline void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// A width x height image with a different colour in each quarter.
inline QImage QuarterImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            image.setPixel(x, y,
                           right ? (bottom ? 0xff0000ff : 0xff00ff00)
                                 : (bottom ? 0xffffff00 : 0xffff0000));
        }
    }
    return image;
}

// An ICO file image with one 32-bit entry: opaque red, except a transparent
// left column.
inline std::vector<std::uint8_t> IconBytes(int size = 16) {
    std::vector<std::uint8_t> out;
    const int maskRow = ((size + 31) / 32) * 4;
    const std::uint32_t imageBytes = 40 + size * size * 4 + maskRow * size;
    PutLe(out, 0, 2);
    PutLe(out, 1, 2);
    PutLe(out, 1, 2);
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(0);
    out.push_back(0);
    PutLe(out, 1, 2);
    PutLe(out, 32, 2);
    PutLe(out, imageBytes, 4);
    PutLe(out, 22, 4);
    // BITMAPINFOHEADER, height doubled for the mask.
    PutLe(out, 40, 4);
    PutLe(out, size, 4);
    PutLe(out, size * 2, 4);
    PutLe(out, 1, 2);
    PutLe(out, 32, 2);
    PutLe(out, 0, 4);
    PutLe(out, size * size * 4, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            PutLe(out, x == 0 ? 0x00000000u : 0xffff0000u, 4);
        }
    }
    for (int y = 0; y < size; ++y) {
        for (int i = 0; i < maskRow; ++i) {
            out.push_back(i == 0 ? 0x80 : 0x00);
        }
    }
    return out;
}

// An EMF file image of a header (frame 0..frameHundredthsMm) and an end record.
inline std::vector<std::uint8_t> EmfBytes(int widthPx = 40, int heightPx = 20) {
    std::vector<std::uint8_t> out;
    PutLe(out, 1, 4);
    PutLe(out, 88, 4);
    for (int v : {0, 0, widthPx - 1, heightPx - 1}) {
        PutLe(out, static_cast<std::uint32_t>(v), 4);
    }
    // The frame in hundredths of a millimetre at 96 dots per inch.
    for (int v : {0, 0, (widthPx * 2540) / 96, (heightPx * 2540) / 96}) {
        PutLe(out, static_cast<std::uint32_t>(v), 4);
    }
    PutLe(out, 0x464D4520, 4);
    PutLe(out, 0x10000, 4);
    PutLe(out, 108, 4);
    PutLe(out, 2, 4);
    PutLe(out, 1, 2);
    PutLe(out, 0, 2);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int v : {1024, 768, 320, 240}) {
        PutLe(out, static_cast<std::uint32_t>(v), 4);
    }
    PutLe(out, 14, 4);
    PutLe(out, 20, 4);
    PutLe(out, 0, 4);
    PutLe(out, 16, 4);
    PutLe(out, 20, 4);
    return out;
}

// A Windows metafile with only its header and end record, behind a placeable
// header with a 0..width x 0..height box at 96 units per inch.
inline std::vector<std::uint8_t> PlaceableWmfBytes(int width = 30, int height = 10) {
    std::vector<std::uint8_t> out;
    PutLe(out, 0x9AC6CDD7, 4);
    PutLe(out, 0, 2);
    for (int v : {0, 0, width, height}) {
        PutLe(out, static_cast<std::uint32_t>(v), 2);
    }
    PutLe(out, 96, 2);
    PutLe(out, 0, 4);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) {
        checksum ^= static_cast<std::uint16_t>(out[i] | (out[i + 1] << 8));
    }
    PutLe(out, checksum, 2);
    PutLe(out, 1, 2); // memory metafile
    PutLe(out, 9, 2); // header words
    PutLe(out, 0x300, 2);
    PutLe(out, 9 + 3, 4); // size in words
    PutLe(out, 0, 2);
    PutLe(out, 3, 4); // largest record
    PutLe(out, 0, 2);
    PutLe(out, 3, 4); // end record
    PutLe(out, 0, 2);
    return out;
}

inline TPicture BitmapPicture(int width = 6, int height = 4) {
    TPicture picture;
    picture.SetGraphic(TBitmap::FromImage(QuarterImage(width, height)));
    return picture;
}

inline TPicture IconPicture(int size = 16) {
    TPicture picture;
    picture.Icon().LoadFromStream(IconBytes(size));
    return picture;
}

inline TPicture EmfPicture(int width = 40, int height = 20) {
    TPicture picture;
    picture.Metafile().LoadFromStream(EmfBytes(width, height));
    return picture;
}

inline TPicture WmfPicture(int width = 30, int height = 10) {
    TPicture picture;
    picture.Metafile().LoadFromStream(PlaceableWmfBytes(width, height));
    return picture;
}

} // namespace tavik::testing
