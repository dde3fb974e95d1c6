#pragma once

#include "graphics/metafile/Metafile.h"

#include <QImage>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace tavik::metafile::testing {

// Plays stream into a white image of size (natural size when empty), no
// antialiasing, so pixels are exact.
QImage Render(std::span<const std::uint8_t> stream, QSize size = QSize());

// Count of pixels whose channels differ from expected by more than
// tolerance.
int DifferingPixels(const QImage& actual, const QImage& expected, int tolerance);

bool Near(QRgb a, QRgb b, int tolerance = 8);

// Folder of the committed sample files and expected images.
QString DataDir();

} // namespace tavik::metafile::testing
