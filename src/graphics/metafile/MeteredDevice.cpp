#include "MeteredDevice.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace tavik::metafile {

namespace {

// Painting a pixel of a line or of a glyph takes longer than filling one:
// these many times as long (measured on the raster engine).
constexpr double kLinePixelCost = 16;
constexpr double kGlyphPixelCost = 8;

// Length of the path's outline, curves taken by their control polygon
// (never shorter than the curve).
double OutlineLength(const QPainterPath& path) {
    double length = 0;
    for (int i = 1; i < path.elementCount(); ++i) {
        const QPainterPath::Element& e = path.elementAt(i);
        if (!e.isMoveTo())
            length += QLineF(path.elementAt(i - 1), e).length();
    }
    return std::isfinite(length) ? length : 0;
}

} // namespace

MeteredDevice::MeteredDevice(Device& inner, WorkBudget& budget, const QRectF& outputBounds)
    : FInner(inner), FBudget(budget), FBounds(outputBounds.normalized().adjusted(-1, -1, 1, 1)) {}

double MeteredDevice::Painted(const QRectF& box) const {
    const QRectF inside = box.normalized().intersected(FBounds);
    const double area = inside.width() * inside.height();
    return std::isfinite(area) ? area : FBounds.width() * FBounds.height();
}

bool MeteredDevice::ChargeArea(double pixels) {
    return FBudget.Charge(Cost::Area, static_cast<std::int64_t>(std::ceil(std::min(pixels, 1e15))));
}

void MeteredDevice::SetClip(const QPainterPath* clip) {
    FInner.SetClip(clip);
}

void MeteredDevice::FillPath(const QPainterPath& path, const BrushSpec& brush,
                             const DrawMode& mode) {
    if (ChargeArea(Painted(path.controlPointRect())))
        FInner.FillPath(path, brush, mode);
}

void MeteredDevice::StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) {
    // A line paints about its length times its width, never more than the
    // box it lies in.
    const double width = std::max<qreal>(pen.width, 1);
    const QRectF box =
        path.controlPointRect().adjusted(-width / 2, -width / 2, width / 2, width / 2);
    if (ChargeArea(kLinePixelCost * std::min(Painted(box), OutlineLength(path) * width)))
        FInner.StrokePath(path, pen, mode);
}

void MeteredDevice::DrawText(const TextRun& run, const DrawMode& mode) {
    const double em = run.font.pixelSize() * run.scale;
    const double glyphs = static_cast<double>(run.text.size()) * em * em;
    if (ChargeArea(kGlyphPixelCost * std::min(glyphs, Painted(FBounds))))
        FInner.DrawText(run, mode);
}

void MeteredDevice::DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                              std::uint32_t rop) {
    if (ChargeArea(Painted(toOutput.mapRect(QRectF(0, 0, 1, 1)))))
        FInner.DrawImage(image, src, toOutput, rop);
}

} // namespace tavik::metafile
