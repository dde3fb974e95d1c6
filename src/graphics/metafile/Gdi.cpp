#include "Gdi.h"

#include <QPainterPathStroker>
#include <cmath>
#include <numbers>

namespace tavik::metafile {

namespace {

constexpr int kMaxSaveDepth = 1024;
// Output extents past this are damage, never a picture: drawing them would
// only cost time.
constexpr qreal kMaxExtent = 1e7;
// Clip paths are combined by Qt's polygon clipper; keep them small enough
// that each combination stays cheap.
constexpr int kMaxClipElements = 4000;

bool Finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

bool Invertible(const QTransform& t) {
    const qreal det = t.determinant();
    return Finite(t) && std::isfinite(det) && std::abs(det) > 1e-12;
}

QPainterPath RectPath(const QRectF& r) {
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

} // namespace

QPainterPath Region::ToPath() const {
    QPainterPath path;
    for (const QRectF& r : rects)
        path.addRect(r);
    // Region rectangles never overlap; winding keeps touching ones solid.
    path.setFillRule(Qt::WindingFill);
    return path;
}

Gdi::Gdi(Device& device, const QTransform& init, qreal pixelsPerMm, const QRectF& outputBounds,
         std::uint64_t fileBytes)
    : FBudget(fileBytes), FDevice(device, FBudget, outputBounds), FInit(init),
      FPixelsPerMm(pixelsPerMm > 0 ? pixelsPerMm : 96 / 25.4), FOutputBounds(outputBounds) {}

// ---- mapping -------------------------------------------------------------

void Gdi::SetMapMode(int mode) {
    if (mode < Number(MapMode::Text) || mode > Number(MapMode::Anisotropic))
        return;
    if (mode == FState.mapMode && mode >= Number(MapMode::Isotropic))
        return;
    const int old = FState.mapMode;
    FState.mapMode = mode;
    // Units of the fixed modes in millimetres.
    static const qreal kUnitMm[] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
    if (mode == Number(MapMode::Text)) {
        FState.windowExt = {1, 1};
        FState.viewportExt = {1, 1};
    } else if (mode <= Number(MapMode::Twips)) {
        const qreal s = kUnitMm[mode] * FPixelsPerMm;
        FState.windowExt = {1, 1};
        FState.viewportExt = {s, -s};
    } else if (mode == Number(MapMode::Isotropic) && old != Number(MapMode::Anisotropic)) {
        const qreal s = 0.1 * FPixelsPerMm;
        FState.windowExt = {1000, 1000};
        FState.viewportExt = {1000 * s, -1000 * s};
    }
}

void Gdi::SetWindowOrg(QPointF p) {
    FState.windowOrg = p;
}
void Gdi::SetViewportOrg(QPointF p) {
    FState.viewportOrg = p;
}

void Gdi::SetWindowExt(QSizeF s) {
    if (FState.mapMode < Number(MapMode::Isotropic) || s.width() == 0 || s.height() == 0)
        return;
    FState.windowExt = s;
    UpdateIsotropic();
}

void Gdi::SetViewportExt(QSizeF s) {
    if (FState.mapMode < Number(MapMode::Isotropic) || s.width() == 0 || s.height() == 0)
        return;
    FState.viewportExt = s;
    UpdateIsotropic();
}

void Gdi::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    const QSizeF& e = FState.windowExt;
    SetWindowExt({e.width() * xNum / xDenom, e.height() * yNum / yDenom});
}

void Gdi::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0)
        return;
    const QSizeF& e = FState.viewportExt;
    SetViewportExt({e.width() * xNum / xDenom, e.height() * yNum / yDenom});
}

void Gdi::UpdateIsotropic() {
    if (FState.mapMode != Number(MapMode::Isotropic))
        return;
    QSizeF& v = FState.viewportExt;
    const QSizeF& w = FState.windowExt;
    const qreal sx = std::abs(v.width() / w.width()), sy = std::abs(v.height() / w.height());
    // Shrink the axis with the larger unit so both units are equal.
    if (sx > sy)
        v.setWidth(std::copysign(std::abs(w.width()) * sy, v.width()));
    else if (sy > sx)
        v.setHeight(std::copysign(std::abs(w.height()) * sx, v.height()));
}

void Gdi::SetWorldTransform(const QTransform& t) {
    if (Invertible(t))
        FState.world = t;
}

void Gdi::ModifyWorldTransform(const QTransform& t, int mode) {
    switch (mode) {
    case Number(WorldTransformMode::Identity):
        FState.world = QTransform();
        break;
    case Number(WorldTransformMode::LeftMultiply):
        if (Invertible(t) && Invertible(t * FState.world))
            FState.world = t * FState.world;
        break;
    case Number(WorldTransformMode::RightMultiply):
        if (Invertible(t) && Invertible(FState.world * t))
            FState.world = FState.world * t;
        break;
    case Number(WorldTransformMode::Set):
        SetWorldTransform(t);
        break;
    default:
        break;
    }
}

QTransform Gdi::ToOutput() const {
    const DcState& s = FState;
    const qreal sx = s.viewportExt.width() / s.windowExt.width();
    const qreal sy = s.viewportExt.height() / s.windowExt.height();
    const QTransform page = QTransform::fromTranslate(-s.windowOrg.x(), -s.windowOrg.y()) *
                            QTransform::fromScale(sx, sy) *
                            QTransform::fromTranslate(s.viewportOrg.x(), s.viewportOrg.y());
    return s.world * page * FInit;
}

// ---- save / restore ------------------------------------------------------

void Gdi::SaveDc() {
    if (FSaved.size() < kMaxSaveDepth)
        FSaved.push_back(FState);
}

void Gdi::RestoreDc(int n, bool absoluteAllowed) {
    std::int64_t index;
    if (n < 0)
        index = static_cast<std::int64_t>(FSaved.size()) + n;
    else if (n > 0 && absoluteAllowed)
        index = n - 1;
    else
        return;
    if (index < 0 || index >= static_cast<std::int64_t>(FSaved.size()))
        return;
    FState = FSaved[static_cast<std::size_t>(index)];
    FSaved.resize(static_cast<std::size_t>(index));
    ApplyClip();
}

// ---- resolved pens, brushes, modes ---------------------------------------

PenSpec Gdi::MakePen() const {
    PenSpec resolved;
    const LogPen& pen = FState.pen;
    const int style = static_cast<int>(pen.style & PsStyleMask);
    resolved.style = style;
    resolved.visible = style != PsNull;
    resolved.color = QColor::fromRgb(pen.color | 0xFF000000);
    const QTransform t = ToOutput();
    const qreal scale = std::hypot(t.m11(), t.m12());
    const bool geometric = pen.extended && (pen.style & PsGeometric);
    qreal width = (!pen.extended || geometric) ? pen.width * scale : 0;
    if (!std::isfinite(width) || width <= 1)
        width = 0;
    resolved.width = std::min<qreal>(width, 1e5);
    const qreal unit = std::max<qreal>(resolved.width, 1);
    auto pattern = [&](std::initializer_list<qreal> cosmetic, std::initializer_list<qreal> wide) {
        if (geometric) {
            for (qreal v : wide)
                resolved.dashes.push_back(v * unit);
        } else if (resolved.width <= 1) {
            resolved.dashes.assign(cosmetic);
        }
    };
    switch (style) {
    case PsDash:
        pattern({18, 6}, {3, 1});
        break;
    case PsDot:
        pattern({3, 3}, {1, 1});
        break;
    case PsDashDot:
        pattern({9, 6, 3, 6}, {3, 1, 1, 1});
        break;
    case PsDashDotDot:
        pattern({9, 3, 3, 3, 3, 3}, {3, 1, 1, 1, 1, 1});
        break;
    case PsAlternate:
        resolved.dashes = {1, 1};
        break;
    case PsUserStyle:
        for (qreal v : pen.user)
            resolved.dashes.push_back(std::max<qreal>(geometric ? v * scale : v, 0.5));
        if (resolved.dashes.size() % 2)
            resolved.dashes.push_back(resolved.dashes.back());
        break;
    default:
        break;
    }
    if (geometric) {
        const std::uint32_t cap = pen.style & PsEndcapMask, join = pen.style & PsJoinMask;
        resolved.cap = cap == PsEndcapSquare ? Qt::SquareCap
                       : cap == PsEndcapFlat ? Qt::FlatCap
                                             : Qt::RoundCap;
        resolved.join = join == PsJoinBevel   ? Qt::BevelJoin
                        : join == PsJoinMiter ? Qt::MiterJoin
                                              : Qt::RoundJoin;
    }
    resolved.miterLimit = FState.miterLimit;
    return resolved;
}

BrushSpec Gdi::MakeBrush(const LogBrush& brush) const {
    BrushSpec resolved;
    resolved.color = QColor::fromRgb(brush.color | 0xFF000000);
    switch (brush.style) {
    case BsNull:
        resolved.kind = BrushSpec::Null;
        break;
    case BsHatched:
        resolved.kind = brush.hatch >= static_cast<int>(HatchStyle::Horizontal) &&
                                brush.hatch <= static_cast<int>(HatchStyle::DiagonalCross)
                            ? BrushSpec::Hatch
                            : BrushSpec::Solid;
        resolved.hatch = brush.hatch;
        break;
    case BsPattern:
    case BsDibPattern:
        if (brush.pattern.isNull()) {
            resolved.kind = BrushSpec::Solid;
            break;
        }
        resolved.kind = BrushSpec::Pattern;
        resolved.pattern = brush.pattern;
        if (brush.mono) {
            // Monochrome patterns take the DC's colours: clear bits the text
            // colour, set bits the background colour.
            const QRgb first = brush.pattern.pixel(0, 0);
            const QRgb zero = brush.pattern.pixelColor(0, 0).lightness() < 128 ? first : 0;
            QImage img = brush.pattern.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < img.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    line[x] = (qGray(line[x]) < 128 || line[x] == zero) ? FState.textColor
                                                                        : FState.bkColor;
            }
            resolved.pattern = img;
        }
        break;
    default:
        resolved.kind = BrushSpec::Solid;
        break;
    }
    return resolved;
}

DrawMode Gdi::Mode() const {
    DrawMode m;
    m.rop2 = FState.rop2;
    m.opaque = FState.bkMode == Number(BkMode::Opaque);
    m.bkColor = QColor::fromRgb(FState.bkColor | 0xFF000000);
    return m;
}

// ---- primitives ----------------------------------------------------------

bool Gdi::Usable(const QPainterPath& output) const {
    const QRectF r = output.controlPointRect();
    return std::isfinite(r.left()) && std::isfinite(r.top()) && std::isfinite(r.right()) &&
           std::isfinite(r.bottom()) && std::abs(r.left()) < kMaxExtent &&
           std::abs(r.right()) < kMaxExtent && std::abs(r.top()) < kMaxExtent &&
           std::abs(r.bottom()) < kMaxExtent;
}

void Gdi::AddToPath(const QPainterPath& output, bool connect) {
    if (connect && FPath.elementCount() > 0)
        FPath.connectPath(output);
    else
        FPath.addPath(output);
}

void Gdi::Draw(const QPainterPath& output, bool fill, bool stroke) {
    if (!Charge(Cost::Point, output.elementCount() + 1))
        return;
    if (FPathOpen) {
        AddToPath(output, false);
        return;
    }
    if (FState.rop2 == Number(Rop2::Nop) || !Usable(output))
        return;
    const DrawMode mode = Mode();
    if (fill && FState.brush.style != BsNull) {
        QPainterPath p = output;
        p.setFillRule(FState.polyFillMode == Number(PolyFillMode::Winding) ? Qt::WindingFill
                                                                           : Qt::OddEvenFill);
        FDevice.FillPath(p, MakeBrush(FState.brush), mode);
    }
    if (stroke && (FState.pen.style & PsStyleMask) != PsNull)
        FDevice.StrokePath(output, MakePen(), mode);
}

QRectF Gdi::InsideFrame(const QRectF& box) const {
    QRectF r = box.normalized();
    const LogPen& pen = FState.pen;
    if ((pen.style & PsStyleMask) == PsInsideFrame && pen.width > 1) {
        const qreal h = pen.width / 2;
        if (r.width() > 2 * h && r.height() > 2 * h)
            r.adjust(h, h, -h, -h);
    }
    return r;
}

void Gdi::MoveTo(QPointF p) {
    FState.currentPos = p;
    if (FPathOpen)
        FPath.moveTo(ToOutput().map(p));
}

void Gdi::LineTo(QPointF p) {
    const QTransform t = ToOutput();
    if (FPathOpen) {
        if (FPath.elementCount() == 0)
            FPath.moveTo(t.map(FState.currentPos));
        FPath.lineTo(t.map(p));
    } else {
        QPainterPath path(t.map(FState.currentPos));
        path.lineTo(t.map(p));
        Draw(path, false, true);
    }
    FState.currentPos = p;
}

void Gdi::Polyline(const QPolygonF& points) {
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(ToOutput().map(points));
    Draw(path, false, true);
}

void Gdi::PolylineTo(const QPolygonF& points) {
    if (points.isEmpty())
        return;
    QPolygonF all;
    all.reserve(points.size() + 1);
    all << FState.currentPos << points;
    QPainterPath path;
    path.addPolygon(ToOutput().map(all));
    if (FPathOpen)
        AddToPath(path, true);
    else
        Draw(path, false, true);
    FState.currentPos = points.back();
}

void Gdi::Polygon(const QPolygonF& points) {
    if (points.size() < 2)
        return;
    QPainterPath path;
    path.addPolygon(ToOutput().map(points));
    path.closeSubpath();
    Draw(path, points.size() >= 3, true);
}

void Gdi::PolyPolygon(const std::vector<QPolygonF>& polygons) {
    const QTransform t = ToOutput();
    QPainterPath path;
    for (const QPolygonF& poly : polygons) {
        if (poly.size() < 2)
            continue;
        path.addPolygon(t.map(poly));
        path.closeSubpath();
    }
    if (!path.isEmpty())
        Draw(path, true, true);
}

void Gdi::PolyPolyline(const std::vector<QPolygonF>& polylines) {
    const QTransform t = ToOutput();
    QPainterPath path;
    for (const QPolygonF& line : polylines)
        if (line.size() >= 2)
            path.addPolygon(t.map(line));
    if (!path.isEmpty())
        Draw(path, false, true);
}

void Gdi::PolyBezier(const QPolygonF& points, bool fromCurrent) {
    QPolygonF pts;
    if (fromCurrent)
        pts << FState.currentPos;
    pts << points;
    if (pts.size() < 4 || (pts.size() - 1) % 3 != 0)
        return;
    const QTransform t = ToOutput();
    QPainterPath path(t.map(pts[0]));
    for (qsizetype i = 1; i + 2 < pts.size(); i += 3)
        path.cubicTo(t.map(pts[i]), t.map(pts[i + 1]), t.map(pts[i + 2]));
    if (fromCurrent) {
        FState.currentPos = pts.back();
        if (FPathOpen) {
            AddToPath(path, true);
            return;
        }
    }
    Draw(path, false, true);
}

void Gdi::PolyDraw(const QPolygonF& points, const std::vector<std::uint8_t>& types) {
    const QTransform t = ToOutput();
    QPainterPath path(t.map(FState.currentPos));
    QPointF start = FState.currentPos;
    for (qsizetype i = 0; i < points.size() && i < static_cast<qsizetype>(types.size()); ++i) {
        const int type = types[i] & ~PtCloseFigure;
        if (type == PtMoveTo) {
            path.moveTo(t.map(points[i]));
            start = points[i];
        } else if (type == PtLineTo) {
            path.lineTo(t.map(points[i]));
        } else if (type == PtBezierTo && i + 2 < points.size()) {
            path.cubicTo(t.map(points[i]), t.map(points[i + 1]), t.map(points[i + 2]));
            i += 2;
        } else {
            return; // a malformed type sequence draws nothing, as in GDI
        }
        FState.currentPos = points[i];
        if (types[i] & PtCloseFigure) {
            path.closeSubpath();
            FState.currentPos = start;
        }
    }
    if (FPathOpen)
        AddToPath(path, true);
    else
        Draw(path, false, true);
}

void Gdi::Rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(InsideFrame(box));
    Draw(ToOutput().map(path), true, true);
}

void Gdi::RoundRect(const QRectF& box, QSizeF corner) {
    const QRectF r = InsideFrame(box);
    QPainterPath path;
    path.addRoundedRect(r, std::min(std::abs(corner.width()) / 2, r.width() / 2),
                        std::min(std::abs(corner.height()) / 2, r.height() / 2));
    Draw(ToOutput().map(path), true, true);
}

void Gdi::Ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(InsideFrame(box));
    Draw(ToOutput().map(path), true, true);
}

void Gdi::ArcShape(const QRectF& box, QPointF start, QPointF end, ArcKind kind) {
    const QRectF r =
        kind == ArcKind::Arc || kind == ArcKind::ArcTo ? box.normalized() : InsideFrame(box);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const QPointF c = r.center();
    const qreal a = r.width() / 2, b = r.height() / 2;
    // Only the direction of the rays from the centre counts; the angle is the
    // ellipse's parameter where the ray meets it.
    auto angleOf = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()) / b, (p.x() - c.x()) / a) * 180 / std::numbers::pi;
    };
    const qreal startDeg = angleOf(start), endDeg = angleOf(end);
    qreal sweep = std::fmod(endDeg - startDeg + 720, 360);
    if (sweep <= 1e-9)
        sweep = 360;
    // Direction is judged on the output: a page mapping that flips y turns a
    // counter-clockwise arc there into a clockwise one in logical space.
    const QTransform page = ToOutput();
    const bool flipped = (FState.world.inverted() * page).determinant() < 0;
    const bool ccw = (FState.arcDirection != Number(ArcDirection::Clockwise)) != flipped;
    if (!ccw)
        sweep -= 360;
    const qreal startRad = startDeg * std::numbers::pi / 180;
    const QPointF from(c.x() + a * std::cos(startRad), c.y() - b * std::sin(startRad));
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.lineTo(from);
    } else if (kind == ArcKind::ArcTo) {
        path.moveTo(FState.currentPos);
        path.lineTo(from);
    } else {
        path.moveTo(from);
    }
    path.arcTo(r, startDeg, sweep);
    if (kind == ArcKind::Pie || kind == ArcKind::Chord)
        path.closeSubpath();
    if (kind == ArcKind::ArcTo)
        FState.currentPos = path.currentPosition();
    const QPainterPath output = page.map(path);
    if (kind == ArcKind::ArcTo && FPathOpen)
        AddToPath(output, true);
    else
        Draw(output, kind == ArcKind::Chord || kind == ArcKind::Pie, true);
}

void Gdi::AngleArc(QPointF centre, qreal radius, qreal startDeg, qreal sweepDeg) {
    if (!std::isfinite(startDeg) || !std::isfinite(sweepDeg) || !std::isfinite(radius) ||
        radius < 0)
        return;
    sweepDeg = std::clamp<qreal>(sweepDeg, -3600, 3600);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    const qreal rad = startDeg * std::numbers::pi / 180;
    QPainterPath path(FState.currentPos);
    path.lineTo(centre.x() + radius * std::cos(rad), centre.y() - radius * std::sin(rad));
    path.arcTo(box, startDeg, sweepDeg);
    FState.currentPos = path.currentPosition();
    const QPainterPath output = ToOutput().map(path);
    if (FPathOpen)
        AddToPath(output, true);
    else
        Draw(output, false, true);
}

void Gdi::SetPixel(QPointF p, QRgb color) {
    if (FPathOpen)
        return;
    const QPointF o = ToOutput().map(p);
    QPainterPath path;
    path.addRect(QRectF(std::floor(o.x()), std::floor(o.y()), 1, 1));
    if (!Usable(path))
        return;
    BrushSpec brush;
    brush.color = QColor::fromRgb(color | 0xFF000000);
    FDevice.FillPath(path, brush, Mode());
}

// ---- paths ---------------------------------------------------------------

void Gdi::BeginPath() {
    FPath = QPainterPath();
    FPathOpen = true;
}

void Gdi::AbortPath() {
    FPath = QPainterPath();
    FPathOpen = false;
}

void Gdi::CloseFigure() {
    if (FPathOpen)
        FPath.closeSubpath();
}

void Gdi::FillPath() {
    FPathOpen = false;
    const QPainterPath p = FPath;
    FPath = QPainterPath();
    Draw(p, true, false);
}

void Gdi::StrokePath() {
    FPathOpen = false;
    const QPainterPath p = FPath;
    FPath = QPainterPath();
    Draw(p, false, true);
}

void Gdi::StrokeAndFillPath() {
    FPathOpen = false;
    const QPainterPath p = FPath;
    FPath = QPainterPath();
    Draw(p, true, true);
}

void Gdi::WidenPath() {
    if (FPath.elementCount() > kMaxClipElements * 10 || !Charge(Cost::Point, FPath.elementCount()))
        return;
    QPainterPathStroker stroker;
    const PenSpec pen = MakePen();
    stroker.setWidth(std::max<qreal>(pen.width, 1));
    stroker.setCapStyle(pen.cap);
    stroker.setJoinStyle(pen.join);
    FPath = stroker.createStroke(FPath);
}

void Gdi::SelectClipPath(int mode) {
    FPathOpen = false;
    QPainterPath p = FPath;
    FPath = QPainterPath();
    p.setFillRule(FState.polyFillMode == Number(PolyFillMode::Winding) ? Qt::WindingFill
                                                                       : Qt::OddEvenFill);
    if (Usable(p))
        CombineClip(p, mode);
}

// ---- clipping ------------------------------------------------------------

QPainterPath Gdi::Limit(const QPainterPath& path) const {
    if (path.elementCount() <= kMaxClipElements)
        return path;
    return RectPath(path.boundingRect());
}

void Gdi::CombineClip(const QPainterPath& input, int mode) {
    // Every clip change costs path clipping here and scan conversion in the
    // writers: it is paid for like a few hundred points.
    const int current = FState.clip ? FState.clip->elementCount() : 0;
    if (!Charge(Cost::Point, input.elementCount() + current + 256))
        return;
    const QPainterPath p = Limit(input);
    const QRectF all =
        FOutputBounds.adjusted(-FOutputBounds.width() - 1e4, -FOutputBounds.height() - 1e4,
                               FOutputBounds.width() + 1e4, FOutputBounds.height() + 1e4);
    const QPainterPath everything = RectPath(all);
    std::optional<QPainterPath>& clip = FState.clip;
    switch (mode) {
    case Number(RegionMode::And):
        clip = clip ? Limit(clip->intersected(p)) : p;
        break;
    case Number(RegionMode::Or):
        if (clip)
            clip = Limit(clip->united(p));
        break;
    case Number(RegionMode::Xor): {
        const QPainterPath current = clip ? *clip : everything;
        clip = Limit(current.united(p).subtracted(current.intersected(p)));
        break;
    }
    case Number(RegionMode::Diff):
        clip = Limit((clip ? *clip : everything).subtracted(p));
        break;
    case Number(RegionMode::Copy):
        clip = p;
        break;
    default:
        return;
    }
    ApplyClip();
}

void Gdi::ApplyClip() {
    const DcState& s = FState;
    if (!s.clip && !s.metaClip) {
        FDevice.SetClip(nullptr);
        return;
    }
    if (s.clip && s.metaClip &&
        !Charge(Cost::Point, s.clip->elementCount() + s.metaClip->elementCount()))
        return;
    QPainterPath effective = s.clip && s.metaClip ? Limit(s.clip->intersected(*s.metaClip))
                             : s.clip             ? *s.clip
                                                  : *s.metaClip;
    FDevice.SetClip(&effective);
}

void Gdi::IntersectClipRect(const QRectF& logical) {
    CombineClip(ToOutput().map(RectPath(logical)), 1);
}

void Gdi::ExcludeClipRect(const QRectF& logical) {
    CombineClip(ToOutput().map(RectPath(logical)), 4);
}

void Gdi::OffsetClip(QPointF logical) {
    if (!FState.clip)
        return;
    const QTransform t = ToOutput();
    const QPointF v = t.map(logical) - t.map(QPointF(0, 0));
    if (!std::isfinite(v.x()) || !std::isfinite(v.y()))
        return;
    FState.clip->translate(v);
    ApplyClip();
}

void Gdi::SelectClipRegion(const QPainterPath* output, int mode) {
    if (!output) {
        if (mode == Number(RegionMode::Copy)) {
            FState.clip.reset();
            ApplyClip();
        }
        return;
    }
    if (Usable(*output))
        CombineClip(*output, mode);
}

void Gdi::SetMetaRegion() {
    const DcState& s = FState;
    if (s.clip)
        FState.metaClip = s.metaClip ? Limit(s.metaClip->intersected(*s.clip)) : *s.clip;
    FState.clip.reset();
    ApplyClip();
}

void Gdi::FillRegion(const QPainterPath& output, const LogBrush& brush) {
    if (FPathOpen || !Usable(output) || brush.style == BsNull ||
        !Charge(Cost::Point, output.elementCount()))
        return;
    FDevice.FillPath(output, MakeBrush(brush), Mode());
}

void Gdi::FrameRegion(const QPainterPath& output, const LogBrush& brush, QSizeF logicalSize) {
    if (FPathOpen || !Usable(output) || output.elementCount() > kMaxClipElements ||
        !Charge(Cost::Point, output.elementCount()))
        return;
    const QTransform t = ToOutput();
    const qreal w = std::abs(logicalSize.width() * std::hypot(t.m11(), t.m12()));
    const qreal h = std::abs(logicalSize.height() * std::hypot(t.m21(), t.m22()));
    QPainterPathStroker stroker;
    stroker.setWidth(std::clamp<qreal>(2 * std::max(w, h), 1, 1e4));
    stroker.setJoinStyle(Qt::MiterJoin);
    // The frame lies inside the region, as GDI paints it.
    const QPainterPath border = stroker.createStroke(output.simplified()).intersected(output);
    FDevice.FillPath(border, MakeBrush(brush), Mode());
}

void Gdi::InvertRegion(const QPainterPath& output) {
    if (FPathOpen || !Usable(output) || !Charge(Cost::Point, output.elementCount()))
        return;
    DrawMode mode = Mode();
    mode.rop2 = Number(Rop2::Not);
    FDevice.FillPath(output, BrushSpec{}, mode);
}

} // namespace tavik::metafile
