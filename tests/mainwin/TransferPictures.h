#pragma once

// Small pictures of every kind, built in memory, for the clipboard, paste,
// save and import tests.

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "support/LittleEndian.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tavik::testing {

inline QByteArray ByteArrayOf(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The bytes of a file that must exist.
inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
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
    test::Put16(out, 0);
    test::Put16(out, 1);
    test::Put16(out, 1);
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(static_cast<std::uint8_t>(size));
    out.push_back(0);
    out.push_back(0);
    test::Put16(out, 1);
    test::Put16(out, 32);
    test::Put32(out, imageBytes);
    test::Put32(out, 22);
    // BITMAPINFOHEADER, height doubled for the mask.
    test::Put32(out, 40);
    test::Put32(out, size);
    test::Put32(out, size * 2);
    test::Put16(out, 1);
    test::Put16(out, 32);
    test::Put32(out, 0);
    test::Put32(out, size * size * 4);
    test::Put32(out, 0);
    test::Put32(out, 0);
    test::Put32(out, 0);
    test::Put32(out, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            test::Put32(out, x == 0 ? 0x00000000u : 0xffff0000u);
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
    test::Put32(out, 1);
    test::Put32(out, 88);
    for (int v : {0, 0, widthPx - 1, heightPx - 1}) {
        test::Put32(out, static_cast<std::uint32_t>(v));
    }
    // The frame in hundredths of a millimetre at 96 dots per inch.
    for (int v : {0, 0, (widthPx * 2540) / 96, (heightPx * 2540) / 96}) {
        test::Put32(out, static_cast<std::uint32_t>(v));
    }
    test::Put32(out, 0x464D4520);
    test::Put32(out, 0x10000);
    test::Put32(out, 108);
    test::Put32(out, 2);
    test::Put16(out, 1);
    test::Put16(out, 0);
    test::Put32(out, 0);
    test::Put32(out, 0);
    test::Put32(out, 0);
    for (int v : {1024, 768, 320, 240}) {
        test::Put32(out, static_cast<std::uint32_t>(v));
    }
    test::Put32(out, 14);
    test::Put32(out, 20);
    test::Put32(out, 0);
    test::Put32(out, 16);
    test::Put32(out, 20);
    return out;
}

// A Windows metafile with only its header and end record, behind a placeable
// header with a 0..width x 0..height box at 96 units per inch.
inline std::vector<std::uint8_t> PlaceableWmfBytes(int width = 30, int height = 10) {
    std::vector<std::uint8_t> out;
    test::Put32(out, 0x9AC6CDD7);
    test::Put16(out, 0);
    for (int v : {0, 0, width, height}) {
        test::Put16(out, static_cast<std::uint32_t>(v));
    }
    test::Put16(out, 96);
    test::Put32(out, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) {
        checksum ^= static_cast<std::uint16_t>(out[i] | (out[i + 1] << 8));
    }
    test::Put16(out, checksum);
    test::Put16(out, 1); // memory metafile
    test::Put16(out, 9); // header words
    test::Put16(out, 0x300);
    test::Put32(out, 9 + 3); // size in words
    test::Put16(out, 0);
    test::Put32(out, 3); // largest record
    test::Put16(out, 0);
    test::Put32(out, 3); // end record
    test::Put16(out, 0);
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
