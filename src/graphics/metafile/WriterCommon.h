#pragma once

// Internal to the EMF and WMF writers: what both record the same way.

#include "Device.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace tavik::metafile {

// A COLORREF: red in the low byte.
std::uint32_t ColorRef(const QColor& c);

// What tells one brush from another, so an unchanged brush is not written
// again.
std::vector<std::uint8_t> BrushKey(const BrushSpec& brush);

// A brush that is not a pattern as a metafile logical brush: its style
// (solid 0, null 1, hatched 2) and colour; a gradient takes the mean of its
// two colours.
struct PlainBrush {
    std::uint32_t style = 0;
    QColor color;
};
PlainBrush PlainBrushOf(const BrushSpec& brush);

// Width of a stretched font as its average character width, in output
// units; 0 for a font at normal width.
qreal StretchedFontWidth(const QFont& font, qreal scale);

// Where an image drawn onto the unit square mapped by toOutput lands:
// origin and signed size when the mapping keeps the axes, else the bounding
// box, so rotated placements keep their box. part is the source part of the
// image; it is null when there is nothing to draw.
struct ImagePlacement {
    QImage part;
    QRectF box;
    QPointF at;
    qreal width = 0;
    qreal height = 0;
};
ImagePlacement PlaceImage(const QImage& image, const QRectF& src, const QTransform& toOutput);

} // namespace tavik::metafile
