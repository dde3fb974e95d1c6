#pragma once

#include <QByteArray>
#include <QSize>
#include <cstdint>
#include <vector>

namespace tavik {

// The size an SVG picture is stored at: its view box in pixels at 96 dots
// per inch (one user unit a pixel), rounded up.
// Throws EPictureImport Damaged when data is not an SVG picture (plain or
// gzip-compressed) or its view box is empty, TooLarge when a side is past
// kMaxImportSide.
QSize SvgNaturalSize(const QByteArray& data);

// The SVG picture as an enhanced metafile file image: Qt's SVG renderer
// drawn into EmfPaintDevice at SvgNaturalSize, the view box filling the
// frame. Throws as SvgNaturalSize.
std::vector<std::uint8_t> SvgToEmf(const QByteArray& data);

} // namespace tavik
