#pragma once

// Small pictures of every kind, built in memory, for the clipboard, paste,
// save and import tests.

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "support/EmfBuilder.h"
#include "support/IcoBuilder.h"
#include "support/WmfBuilder.h"

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
    return test::MakeIco({{.size = size,
                           .bitCount = 32,
                           .color = 0xffff0000,
                           .hole = test::IconHole::LeftColumn,
                           .statesImageSize = true}});
}

// An EMF file image of a header (frame 0..widthPx x 0..heightPx at 96 dots per
// inch) and an end record.
inline std::vector<std::uint8_t> EmfBytes(int widthPx = 40, int heightPx = 20) {
    const QRect frame(QPoint(0, 0), QPoint(widthPx * 2540 / 96, heightPx * 2540 / 96));
    return metafile::testing::EmfBuilder(frame, {.handles = 1,
                                                 .bounds = QRect(0, 0, widthPx, heightPx),
                                                 .devicePixels = {1024, 768},
                                                 .deviceMillimetres = {320, 240},
                                                 .extended = false})
        .Finish();
}

// A Windows metafile with only its header and end record, behind a placeable
// header with a 0..width x 0..height box at 96 units per inch.
inline std::vector<std::uint8_t> PlaceableWmfBytes(int width = 30, int height = 10) {
    return metafile::testing::WmfBuilder(QRect(0, 0, width, height), 96, 0).Finish();
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
