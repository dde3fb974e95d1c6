#pragma once

// The offscreen application the picture fuzzers draw with. It is never
// destroyed: libFuzzer leaves through exit(), after which Qt must not tear down.
#include "graphics/Graphic.h"
#include "graphics/Thumbnail.h"

#include <QGuiApplication>
#include <QPainter>
#include <cstdlib>

namespace tavik::fuzz {

inline void StartApplication() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}

// Every way the program draws a picture: natural size, stretched, thumbnail.
inline void DrawEverywhere(const TGraphic& graphic, const QImage& pixels) {
    QImage target(24, 24, QImage::Format_ARGB32_Premultiplied);
    target.fill(Qt::white);
    QPainter painter(&target);
    graphic.Draw(painter, QPoint(-2, -2));
    graphic.StretchDraw(painter, QRect(1, 1, 20, 10));
    painter.end();
    const QImage large = MakeThumbnail(pixels, 32, Qt::white);
    const QImage small = MakeThumbnail(pixels, 16, Qt::white);
    if (large.size() != QSize(32, 32) || small.size() != QSize(16, 16)) {
        std::abort();
    }
}

} // namespace tavik::fuzz
