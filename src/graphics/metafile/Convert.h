#pragma once

#include "Player.h"

#include <QPainterPath>
#include <QRect>
#include <cstdint>
#include <vector>

namespace tavik::metafile {

class MetafileDocument;

// The document redrawn as an enhanced metafile of the same natural size:
// shapes become polygons in device units, text keeps its font and advances,
// bitmaps stay bitmaps.
std::vector<std::uint8_t> ConvertToEmf(const MetafileDocument& doc);

// The document redrawn as a placeable Windows metafile of the same natural
// size: curves flattened, transforms applied to the coordinates, which fit
// 16 bits; clips become regions.
std::vector<std::uint8_t> ConvertToWmf(const MetafileDocument& doc);

// A Windows metafile without placeable header, given one (inch 2540, box of
// the picture in 0.01 mm). When the records set no window of their own, one
// is inserted so that the picture still fills the box.
std::vector<std::uint8_t> AddPlaceableHeader(const std::vector<std::uint8_t>& wmf,
                                             const WmfFrame& frame);

// Device-unit geometry shared by both writers.
struct Figure {
    QPolygonF points;
    bool closed = false;
};
std::vector<Figure> Flatten(const QPainterPath& path);

// The clip as rectangles for a writer: limited to the canvas, computed at a
// resolution of at most 1024 units per side (a clip needs no more) and
// reduced to its bounding box past a few thousand rectangles.
// Rectangles never overlap; they come top to bottom, left to right.
std::vector<QRect> ClipRegion(const QPainterPath& clip, QSize canvas);

// Canvas scale for a picture of the given natural size: an integral number
// of device units per pixel that keeps the canvas within limit.
int CanvasScale(QSize natural, int limit);

} // namespace tavik::metafile
