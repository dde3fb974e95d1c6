#include "WriterCommon.h"

#include "Convert.h"
#include "Writer.h"

#include <QFontMetricsF>
#include <QRegion>
#include <algorithm>
#include <cmath>

namespace tavik::metafile {

namespace {

constexpr int kMaxRegionRects = 2000;

} // namespace

std::uint32_t ColorRef(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (c.green() << 8) | (c.blue() << 16);
}

std::vector<std::uint8_t> BrushKey(const BrushSpec& brush) {
    ByteWriter k;
    k.U32(brush.kind);
    k.U32(ColorRef(brush.color));
    k.U32(brush.hatch);
    k.U32(ColorRef(brush.color2));
    k.U32(static_cast<std::uint32_t>(brush.pattern.cacheKey()));
    return std::move(k.Data());
}

PlainBrush PlainBrushOf(const BrushSpec& brush) {
    PlainBrush plain;
    plain.color = brush.color;
    if (brush.kind == BrushSpec::Gradient)
        plain.color = QColor((brush.color.red() + brush.color2.red()) / 2,
                             (brush.color.green() + brush.color2.green()) / 2,
                             (brush.color.blue() + brush.color2.blue()) / 2);
    plain.style = brush.kind == BrushSpec::Hatch ? 2 : brush.kind == BrushSpec::Null ? 1 : 0;
    return plain;
}

qreal StretchedFontWidth(const QFont& font, qreal scale) {
    if (font.stretch() == 0 || font.stretch() == 100)
        return 0;
    QFont plain = font;
    plain.setStretch(100);
    return QFontMetricsF(plain).averageCharWidth() * scale * font.stretch() / 100;
}

ImagePlacement PlaceImage(const QImage& image, const QRectF& src, const QTransform& toOutput) {
    ImagePlacement place;
    place.part = image.copy(src.toAlignedRect());
    const bool axisAligned = toOutput.m12() == 0 && toOutput.m21() == 0;
    place.box = toOutput.mapRect(QRectF(0, 0, 1, 1));
    place.at = axisAligned ? toOutput.map(QPointF(0, 0)) : place.box.topLeft();
    place.width = axisAligned ? toOutput.m11() : place.box.width();
    place.height = axisAligned ? toOutput.m22() : place.box.height();
    return place;
}

std::vector<Figure> Flatten(const QPainterPath& path) {
    std::vector<Figure> out;
    for (const QPolygonF& poly : path.toSubpathPolygons()) {
        if (poly.size() < 2)
            continue;
        Figure f;
        f.points = poly;
        f.closed = poly.size() > 2 && poly.first() == poly.last();
        if (f.closed)
            f.points.removeLast();
        out.push_back(std::move(f));
    }
    return out;
}

std::vector<QRect> ClipRegion(const QPainterPath& clip, QSize canvas) {
    const QRectF area(-1, -1, canvas.width() + 2, canvas.height() + 2);
    QPainterPath inside;
    inside.addRect(area);
    const QPainterPath path = clip.intersected(inside);
    if (path.isEmpty())
        return {};
    const QRectF box = path.boundingRect();
    QPainterPath boxPath;
    boxPath.addRect(box);
    // Rectangles (the common clip) need no scan conversion.
    if (path.elementCount() <= 5 && boxPath.subtracted(path).isEmpty())
        return {box.toAlignedRect()};
    const qreal s = std::min<qreal>(1, 1024.0 / std::max({canvas.width(), canvas.height(), 1}));
    const QRegion coarse(QTransform::fromScale(s, s).map(path).toFillPolygon().toPolygon(),
                         path.fillRule());
    if (coarse.rectCount() > kMaxRegionRects)
        return {box.toAlignedRect()};
    // Scaled by whole-unit edges so neighbours still meet and never overlap.
    std::vector<QRect> rects;
    rects.reserve(static_cast<std::size_t>(coarse.rectCount()));
    auto up = [s](int v) { return static_cast<int>(std::lround(v / s)); };
    for (const QRect& r : coarse)
        rects.push_back(QRect(QPoint(up(r.left()), up(r.top())),
                              QPoint(up(r.right() + 1) - 1, up(r.bottom() + 1) - 1)));
    return rects;
}

int CanvasScale(QSize natural, int limit) {
    const int side = std::max({natural.width(), natural.height(), 1});
    return std::clamp(limit / side, 1, 16);
}

} // namespace tavik::metafile
