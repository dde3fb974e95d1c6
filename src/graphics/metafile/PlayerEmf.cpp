#include "Gdi.h"
#include "Layouts.h"
#include "Player.h"
#include "PlayerEmfImpl.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tavik::metafile {

namespace {

QTransform XForm(const Bytes& r, std::uint64_t at) {
    return QTransform(r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16),
                      r.F32(at + 20));
}

std::optional<GdiObject> MakeStockObject(std::uint32_t index) {
    LogBrush brush;
    LogPen pen;
    LogFont font;
    switch (static_cast<StockObject>(index)) {
    case StockObject::WhiteBrush:
        brush.color = qRgb(255, 255, 255);
        return brush;
    case StockObject::LightGrayBrush:
        brush.color = qRgb(0xC0, 0xC0, 0xC0);
        return brush;
    case StockObject::GrayBrush:
        brush.color = qRgb(0x80, 0x80, 0x80);
        return brush;
    case StockObject::DarkGrayBrush:
        brush.color = qRgb(0x40, 0x40, 0x40);
        return brush;
    case StockObject::BlackBrush:
        brush.color = qRgb(0, 0, 0);
        return brush;
    case StockObject::NullBrush:
        brush.style = BsNull;
        return brush;
    case StockObject::WhitePen:
        pen.color = qRgb(255, 255, 255);
        return pen;
    case StockObject::BlackPen:
    case StockObject::DcPen:
        return pen;
    case StockObject::NullPen:
        pen.style = PsNull;
        return pen;
    case StockObject::OemFixedFont:
    case StockObject::AnsiFixedFont:
    case StockObject::SystemFixedFont:
        font.pitchAndFamily = 0x31;
        font.face = QStringLiteral("Courier New");
        font.height = 16;
        return font;
    case StockObject::AnsiVarFont:
    case StockObject::SystemFont:
    case StockObject::DeviceDefaultFont:
        font.height = 16;
        font.weight = 700;
        return font;
    case StockObject::DefaultGuiFont:
        font.height = -11;
        return font;
    case StockObject::DcBrush:
        brush.color = qRgb(255, 255, 255);
        return brush;
    default:
        return std::nullopt;
    }
}

} // namespace

void EmfPlayer::Create(std::uint32_t index, GdiObject object) {
    // Index 0 is the metafile itself; anything past the table is refused.
    if (index == 0 || index >= FObjects.size())
        return;
    FObjects[index] = std::move(object);
}

void EmfPlayer::Select(std::uint32_t index) {
    std::optional<GdiObject> object;
    if (index & kStockObjectBit) {
        object = MakeStockObject(index);
    } else if (index < FObjects.size() && index != 0) {
        object = FObjects[index];
    }
    if (!object)
        return;
    DcState& s = FGdi.State();
    if (auto* pen = std::get_if<LogPen>(&*object))
        FGdi.SelectPen(*pen);
    else if (auto* brush = std::get_if<LogBrush>(&*object))
        FGdi.SelectBrush(*brush);
    else if (auto* font = std::get_if<LogFont>(&*object))
        FGdi.SelectFont(*font);
    else if (auto* palette = std::get_if<Palette>(&*object))
        s.palette = palette->entries;
}

void EmfPlayer::Delete(std::uint32_t index) {
    if (index != 0 && index < FObjects.size())
        FObjects[index].reset();
}

std::optional<LogBrush> EmfPlayer::BrushAt(std::uint32_t index) const {
    // A copy, stock brush or not: nothing outlives the call, so players on
    // several threads share no state.
    if (index & kStockObjectBit) {
        auto object = MakeStockObject(index);
        if (!object || !std::holds_alternative<LogBrush>(*object))
            return std::nullopt;
        return std::get<LogBrush>(*object);
    }
    if (index == 0 || index >= FObjects.size() || !FObjects[index])
        return std::nullopt;
    if (const auto* brush = std::get_if<LogBrush>(&*FObjects[index]))
        return *brush;
    return std::nullopt;
}

std::optional<QPainterPath> EmfPlayer::RegionPath(const Bytes& r, std::uint64_t at,
                                                  std::uint64_t cb) {
    using L = emr::RegionData;
    const Bytes data = r.Sub(at, cb);
    if (data.Size() < L::kHeaderSize || data.U32(L::headerSize) != L::kHeaderSize ||
        data.U32(L::type) != 1)
        return std::nullopt;
    const std::uint64_t count = data.U32(L::count);
    if (!data.Has(L::rects, count * L::kRectSize))
        return std::nullopt;
    if (!FGdi.Charge(Cost::Point, static_cast<std::int64_t>(count)))
        return std::nullopt;
    Region region;
    region.rects.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        region.rects.push_back(BoxL(data, L::rects + L::kRectSize * i));
    // Region rectangles are reference-device pixels: only the frame
    // mapping applies to them.
    return FGdi.Init().map(region.ToPath());
}

void EmfPlayer::Poly(EmfRecord type, const Bytes& r, bool shortPoints) {
    using L = emr::Poly;
    if (!r.Has(0, L::kSize))
        return;
    const std::uint64_t count = r.U32(L::count), size = shortPoints ? 4 : 8;
    if (!r.Has(L::points, count * size) ||
        !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(count)))
        return;
    QPolygonF pts;
    pts.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        pts << (shortPoints ? PointS(r, L::points + 4 * i) : PointL(r, L::points + 8 * i));
    switch (type) {
    case EmfRecord::PolyBezier:
    case EmfRecord::PolyBezier16:
        FGdi.PolyBezier(pts, false);
        break;
    case EmfRecord::Polygon:
    case EmfRecord::Polygon16:
        FGdi.Polygon(pts);
        break;
    case EmfRecord::Polyline:
    case EmfRecord::Polyline16:
        FGdi.Polyline(pts);
        break;
    case EmfRecord::PolyBezierTo:
    case EmfRecord::PolyBezierTo16:
        FGdi.PolyBezier(pts, true);
        break;
    case EmfRecord::PolylineTo:
    case EmfRecord::PolylineTo16:
        FGdi.PolylineTo(pts);
        break;
    default:
        break;
    }
}

void EmfPlayer::PolyPoly(EmfRecord type, const Bytes& r, bool shortPoints) {
    using L = emr::PolyPoly;
    if (!r.Has(0, L::kSize))
        return;
    const std::uint64_t polys = r.U32(L::polygons), total = r.U32(L::total);
    const std::uint64_t size = shortPoints ? 4 : 8;
    if (!r.Has(L::counts, polys * 4) || !r.Has(L::counts + polys * 4, total * size) ||
        !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(polys + total)))
        return;
    std::vector<QPolygonF> list;
    std::uint64_t at = L::counts + polys * 4, used = 0;
    for (std::uint64_t i = 0; i < polys; ++i) {
        const std::uint64_t n = r.U32(L::counts + 4 * i);
        if (n > total - used)
            return; // counts that add up past the points: the record is damaged
        QPolygonF poly;
        poly.reserve(static_cast<qsizetype>(n));
        for (std::uint64_t k = 0; k < n; ++k, at += size)
            poly << (shortPoints ? PointS(r, at) : PointL(r, at));
        used += n;
        list.push_back(std::move(poly));
    }
    if (type == EmfRecord::PolyPolyline || type == EmfRecord::PolyPolyline16)
        FGdi.PolyPolyline(list);
    else
        FGdi.PolyPolygon(list);
}

// Lines, curves, shapes and fills.
bool EmfPlayer::PlayDrawing(EmfRecord type, const Bytes& r) {
    auto need = [&](std::uint64_t n) { return r.Size() >= n; };
    switch (type) {
    case EmfRecord::PolyBezier:
    case EmfRecord::Polygon:
    case EmfRecord::Polyline:
    case EmfRecord::PolyBezierTo:
    case EmfRecord::PolylineTo:
        Poly(type, r, false);
        break;
    case EmfRecord::PolyBezier16:
    case EmfRecord::Polygon16:
    case EmfRecord::Polyline16:
    case EmfRecord::PolyBezierTo16:
    case EmfRecord::PolylineTo16:
        Poly(type, r, true);
        break;
    case EmfRecord::PolyPolyline:
    case EmfRecord::PolyPolygon:
        PolyPoly(type, r, false);
        break;
    case EmfRecord::PolyPolyline16:
    case EmfRecord::PolyPolygon16:
        PolyPoly(type, r, true);
        break;
    case EmfRecord::SetPixelV:
        if (need(emr::SetPixelV::kSize))
            FGdi.SetPixel(PointL(r, emr::SetPixelV::point), Color(r, emr::SetPixelV::color));
        break;
    case EmfRecord::AngleArc:
        if (need(emr::AngleArc::kSize))
            FGdi.AngleArc(PointL(r, emr::AngleArc::centre), r.U32(emr::AngleArc::radius),
                          r.F32(emr::AngleArc::startAngle), r.F32(emr::AngleArc::sweepAngle));
        break;
    case EmfRecord::Ellipse:
        if (need(emr::OneBox::kSize))
            FGdi.Ellipse(BoxL(r, emr::OneBox::box));
        break;
    case EmfRecord::Rectangle:
        if (need(emr::OneBox::kSize))
            FGdi.Rectangle(BoxL(r, emr::OneBox::box));
        break;
    case EmfRecord::RoundRect:
        if (need(emr::RoundRect::kSize))
            FGdi.RoundRect(
                BoxL(r, emr::RoundRect::box),
                QSizeF(r.I32(emr::RoundRect::cornerWidth), r.I32(emr::RoundRect::cornerHeight)));
        break;
    case EmfRecord::Arc:
    case EmfRecord::Chord:
    case EmfRecord::Pie:
    case EmfRecord::ArcTo:
        if (need(emr::ArcShape::kSize)) {
            const ArcKind kind = type == EmfRecord::Arc     ? ArcKind::Arc
                                 : type == EmfRecord::Chord ? ArcKind::Chord
                                 : type == EmfRecord::Pie   ? ArcKind::Pie
                                                            : ArcKind::ArcTo;
            using L = emr::ArcShape;
            FGdi.ArcShape(BoxL(r, L::box), PointL(r, L::start), PointL(r, L::end), kind);
        }
        break;
    case EmfRecord::LineTo:
        if (need(emr::OnePoint::kSize))
            FGdi.LineTo(PointL(r, emr::OnePoint::x));
        break;
    case EmfRecord::PolyDraw:
    case EmfRecord::PolyDraw16:
        if (need(emr::Poly::kSize)) {
            const bool small = type == EmfRecord::PolyDraw16;
            using L = emr::Poly;
            const std::uint64_t n = r.U32(L::count), ps = small ? 4 : 8;
            if (!r.Has(L::points, n * ps + n) ||
                !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(n)))
                break;
            QPolygonF pts;
            std::vector<std::uint8_t> types;
            for (std::uint64_t i = 0; i < n; ++i) {
                pts << (small ? PointS(r, L::points + 4 * i) : PointL(r, L::points + 8 * i));
                types.push_back(r.U8(L::points + n * ps + i));
            }
            FGdi.PolyDraw(pts, types);
        }
        break;
    case EmfRecord::GradientFill:
        if (need(emr::GradientFill::kSize)) {
            using L = emr::GradientFill;
            const std::uint64_t nVer = r.U32(L::vertices), nTri = r.U32(L::meshes);
            const std::uint32_t mode = r.U32(L::mode);
            const bool triangles = mode == Number(GradientMode::Triangle);
            const std::uint64_t per = triangles ? 12 : 8;
            if (mode > Number(GradientMode::Triangle) || !r.Has(L::data, nVer * L::kVertexSize) ||
                !r.Has(L::data + nVer * L::kVertexSize, nTri * per) ||
                !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(nVer + nTri)))
                break;
            auto vertex = [&](std::uint64_t i) { return PointL(r, L::data + L::kVertexSize * i); };
            auto colour = [&](std::uint64_t i) {
                const std::uint64_t at = L::data + L::kVertexSize * i + L::kVertexColor;
                return QColor(r.U16(at) >> 8, r.U16(at + 2) >> 8, r.U16(at + 4) >> 8);
            };
            for (std::uint64_t k = 0; k < nTri; ++k) {
                const std::uint64_t at = L::data + nVer * L::kVertexSize + k * per;
                const std::uint32_t a = r.U32(at), b = r.U32(at + 4);
                if (a >= nVer || b >= nVer)
                    continue;
                if (triangles) {
                    const std::uint32_t c = r.U32(at + 8);
                    if (c >= nVer)
                        continue;
                    QColor mean((colour(a).red() + colour(b).red() + colour(c).red()) / 3,
                                (colour(a).green() + colour(b).green() + colour(c).green()) / 3,
                                (colour(a).blue() + colour(b).blue() + colour(c).blue()) / 3);
                    FGdi.GradientFill(QPolygonF({vertex(a), vertex(b), vertex(c)}), mean, mean,
                                      false);
                } else {
                    const QRectF box = QRectF(vertex(a), vertex(b)).normalized();
                    FGdi.GradientFill(QPolygonF(box), colour(a), colour(b),
                                      mode == Number(GradientMode::RectVertical));
                }
            }
        }
        break;
    default:
        return false;
    }
    return true;
}

// Mapping, modes, colours, clip rectangles and saved states.
bool EmfPlayer::PlayState(EmfRecord type, const Bytes& r) {
    DcState& s = FGdi.State();
    auto need = [&](std::uint64_t n) { return r.Size() >= n; };
    switch (type) {
    case EmfRecord::SetWindowExtEx:
        if (need(emr::OnePoint::kSize))
            FGdi.SetWindowExt(QSizeF(r.I32(emr::OnePoint::x), r.I32(emr::OnePoint::y)));
        break;
    case EmfRecord::SetWindowOrgEx:
        if (need(emr::OnePoint::kSize))
            FGdi.SetWindowOrg(PointL(r, emr::OnePoint::x));
        break;
    case EmfRecord::SetViewportExtEx:
        if (need(emr::OnePoint::kSize))
            FGdi.SetViewportExt(QSizeF(r.I32(emr::OnePoint::x), r.I32(emr::OnePoint::y)));
        break;
    case EmfRecord::SetViewportOrgEx:
        if (need(emr::OnePoint::kSize))
            FGdi.SetViewportOrg(PointL(r, emr::OnePoint::x));
        break;
    case EmfRecord::SetMapMode:
        if (need(emr::OneValue::kSize))
            FGdi.SetMapMode(r.I32(emr::OneValue::value));
        break;
    case EmfRecord::SetBkMode:
        if (need(emr::OneValue::kSize) &&
            InRange(r.U32(emr::OneValue::value), BkMode::Transparent, BkMode::Opaque))
            s.bkMode = static_cast<int>(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::SetPolyFillMode:
        if (need(emr::OneValue::kSize) &&
            InRange(r.U32(emr::OneValue::value), PolyFillMode::Alternate, PolyFillMode::Winding))
            s.polyFillMode = static_cast<int>(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::SetRop2:
        if (need(emr::OneValue::kSize) &&
            InRange(r.U32(emr::OneValue::value), Rop2::Black, Rop2::White))
            s.rop2 = static_cast<int>(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::SetStretchBltMode:
        if (need(emr::OneValue::kSize))
            s.stretchMode = static_cast<int>(r.U32(emr::OneValue::value) & 0xFF);
        break;
    case EmfRecord::SetTextAlign:
        if (need(emr::OneValue::kSize))
            s.textAlign = r.U32(emr::OneValue::value);
        break;
    case EmfRecord::SetTextColor:
        if (need(emr::OneValue::kSize))
            s.textColor = Color(r, emr::OneValue::value);
        break;
    case EmfRecord::SetBkColor:
        if (need(emr::OneValue::kSize))
            s.bkColor = Color(r, emr::OneValue::value);
        break;
    case EmfRecord::OffsetClipRgn:
        if (need(emr::OnePoint::kSize))
            FGdi.OffsetClip(PointL(r, emr::OnePoint::x));
        break;
    case EmfRecord::MoveToEx:
        if (need(emr::OnePoint::kSize))
            FGdi.MoveTo(PointL(r, emr::OnePoint::x));
        break;
    case EmfRecord::SetMetaRgn:
        FGdi.SetMetaRegion();
        break;
    case EmfRecord::ExcludeClipRect:
        if (need(emr::OneBox::kSize))
            FGdi.ExcludeClipRect(BoxL(r, emr::OneBox::box));
        break;
    case EmfRecord::IntersectClipRect:
        if (need(emr::OneBox::kSize))
            FGdi.IntersectClipRect(BoxL(r, emr::OneBox::box));
        break;
    case EmfRecord::ScaleViewportExtEx:
        if (need(emr::ScaleExtent::kSize))
            FGdi.ScaleViewportExt(r.I32(emr::ScaleExtent::xNum), r.I32(emr::ScaleExtent::xDenom),
                                  r.I32(emr::ScaleExtent::yNum), r.I32(emr::ScaleExtent::yDenom));
        break;
    case EmfRecord::ScaleWindowExtEx:
        if (need(emr::ScaleExtent::kSize))
            FGdi.ScaleWindowExt(r.I32(emr::ScaleExtent::xNum), r.I32(emr::ScaleExtent::xDenom),
                                r.I32(emr::ScaleExtent::yNum), r.I32(emr::ScaleExtent::yDenom));
        break;
    case EmfRecord::SaveDc:
        FGdi.SaveDc();
        break;
    case EmfRecord::RestoreDc:
        if (need(emr::OneValue::kSize))
            FGdi.RestoreDc(r.I32(emr::OneValue::value), false);
        break;
    case EmfRecord::SetWorldTransform:
        if (need(emr::SetWorldTransform::kSize))
            FGdi.SetWorldTransform(XForm(r, emr::SetWorldTransform::xform));
        break;
    case EmfRecord::ModifyWorldTransform:
        if (need(emr::ModifyWorldTransform::kSize))
            FGdi.ModifyWorldTransform(XForm(r, emr::ModifyWorldTransform::xform),
                                      static_cast<int>(r.U32(emr::ModifyWorldTransform::mode)));
        break;
    case EmfRecord::SetArcDirection:
        if (need(emr::OneValue::kSize) &&
            InRange(r.U32(emr::OneValue::value), ArcDirection::CounterClockwise,
                    ArcDirection::Clockwise))
            s.arcDirection = static_cast<int>(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::SetMiterLimit:
        if (need(emr::OneValue::kSize)) {
            const std::uint32_t v = r.U32(emr::OneValue::value);
            const qreal limit = v < 0x10000 ? v : r.F32(emr::OneValue::value);
            if (std::isfinite(limit) && limit >= 1)
                s.miterLimit = limit;
        }
        break;
    default:
        return false;
    }
    return true;
}

// The object table: making, selecting and deleting pens, brushes, fonts and palettes.
bool EmfPlayer::PlayObject(EmfRecord type, const Bytes& r) {
    auto need = [&](std::uint64_t n) { return r.Size() >= n; };
    switch (type) {
    case EmfRecord::SelectObject:
        if (need(emr::OneValue::kSize))
            Select(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::CreatePen:
        if (need(emr::CreatePen::kSize)) {
            using L = emr::CreatePen;
            LogPen pen;
            pen.style = r.U32(L::style) & (PsStyleMask | PsEndcapMask | PsJoinMask);
            pen.width = r.I32(L::width);
            pen.color = Color(r, L::color);
            Create(r.U32(L::index), pen);
        }
        break;
    case EmfRecord::ExtCreatePen:
        if (need(emr::ExtCreatePen::kSize)) {
            using L = emr::ExtCreatePen;
            LogPen pen;
            pen.extended = true;
            pen.style = r.U32(L::style);
            pen.width = r.U32(L::width);
            pen.color = Color(r, L::color);
            if (r.U32(L::brushStyle) == BsNull)
                pen.style = (pen.style & ~PsStyleMask) | PsNull;
            const std::uint64_t n = r.U32(L::dashCount);
            if ((pen.style & PsStyleMask) == PsUserStyle && n <= 16 && r.Has(L::dashes, 4 * n))
                for (std::uint64_t i = 0; i < n; ++i)
                    pen.user.push_back(r.U32(L::dashes + 4 * i));
            Create(r.U32(L::index), pen);
        }
        break;
    case EmfRecord::CreateBrushIndirect:
        if (need(emr::CreateBrushIndirect::kSize)) {
            using L = emr::CreateBrushIndirect;
            LogBrush brush;
            brush.style = static_cast<int>(r.U32(L::style));
            brush.color = Color(r, L::color);
            brush.hatch = static_cast<int>(r.U32(L::hatch));
            if (brush.style != BsSolid && brush.style != BsNull && brush.style != BsHatched)
                brush.style = BsSolid;
            Create(r.U32(L::index), brush);
        }
        break;
    case EmfRecord::CreateMonoBrush:
    case EmfRecord::CreateDibPatternBrushPt:
        if (need(emr::PatternBrush::kSize)) {
            using L = emr::PatternBrush;
            LogBrush brush;
            brush.style = BsDibPattern;
            bool mono = false;
            if (auto img = Bitmap(r, L::kSize, r.U32(L::offBmi), r.U32(L::cbBmi), r.U32(L::offBits),
                                  r.U32(L::cbBits), r.U32(L::usage), &mono))
                brush.pattern = *img;
            brush.mono = type == EmfRecord::CreateMonoBrush && mono;
            Create(r.U32(L::index), brush);
        }
        break;
    case EmfRecord::ExtCreateFontIndirectW:
        if (need(emr::CreateFont::kSize)) {
            using L = emr::CreateFont;
            LogFont font;
            font.height = r.I32(L::height);
            font.width = r.I32(L::width);
            font.escapement = r.I32(L::escapement);
            font.weight = r.I32(L::weight);
            font.italic = r.U8(L::italic);
            font.underline = r.U8(L::underline);
            font.strikeOut = r.U8(L::strikeOut);
            font.charset = r.U8(L::charset);
            font.pitchAndFamily = r.U8(L::pitchAndFamily);
            for (std::uint64_t i = 0; i < L::kFaceChars && r.Has(L::face + 2 * i, 2); ++i) {
                const std::uint16_t c = r.U16(L::face + 2 * i);
                if (c == 0)
                    break;
                font.face += QChar(c);
            }
            Create(r.U32(L::index), font);
        }
        break;
    case EmfRecord::DeleteObject:
        if (need(emr::OneValue::kSize))
            Delete(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::SelectPalette:
        if (need(emr::OneValue::kSize))
            Select(r.U32(emr::OneValue::value));
        break;
    case EmfRecord::CreatePalette:
        if (need(emr::CreatePalette::kSize)) {
            using L = emr::CreatePalette;
            Palette palette;
            const std::uint64_t n = r.U16(L::count);
            if (!r.Has(L::entries, 4 * n))
                break;
            for (std::uint64_t i = 0; i < n; ++i)
                palette.entries.push_back(qRgb(r.U8(L::entries + 4 * i),
                                               r.U8(L::entries + 1 + 4 * i),
                                               r.U8(L::entries + 2 + 4 * i)));
            Create(r.U32(L::index), palette);
        }
        break;
    default:
        return false;
    }
    return true;
}

// Path brackets, regions and region clips.
bool EmfPlayer::PlayPathOrRegion(EmfRecord type, const Bytes& r) {
    DcState& s = FGdi.State();
    auto need = [&](std::uint64_t n) { return r.Size() >= n; };
    switch (type) {
    case EmfRecord::BeginPath:
        FGdi.BeginPath();
        break;
    case EmfRecord::EndPath:
        FGdi.EndPath();
        break;
    case EmfRecord::CloseFigure:
        FGdi.CloseFigure();
        break;
    case EmfRecord::FillPath:
        FGdi.FillPath();
        break;
    case EmfRecord::StrokeAndFillPath:
        FGdi.StrokeAndFillPath();
        break;
    case EmfRecord::StrokePath:
        FGdi.StrokePath();
        break;
    case EmfRecord::WidenPath:
        FGdi.WidenPath();
        break;
    case EmfRecord::SelectClipPath:
        if (need(emr::OneValue::kSize))
            FGdi.SelectClipPath(static_cast<int>(r.U32(emr::OneValue::value)));
        break;
    case EmfRecord::AbortPath:
        FGdi.AbortPath();
        break;
    case EmfRecord::FillRgn:
        if (need(emr::FillRgn::kSize)) {
            using L = emr::FillRgn;
            const std::optional<LogBrush> brush = BrushAt(r.U32(L::brush));
            auto path = RegionPath(r, L::data, r.U32(L::cbRgn));
            if (brush && path)
                FGdi.FillRegion(*path, *brush);
        }
        break;
    case EmfRecord::FrameRgn:
        if (need(emr::FrameRgn::kSize)) {
            using L = emr::FrameRgn;
            const std::optional<LogBrush> brush = BrushAt(r.U32(L::brush));
            auto path = RegionPath(r, L::data, r.U32(L::cbRgn));
            if (brush && path)
                FGdi.FrameRegion(*path, *brush, QSizeF(r.I32(L::width), r.I32(L::height)));
        }
        break;
    case EmfRecord::InvertRgn:
    case EmfRecord::PaintRgn:
        if (need(emr::PaintRgn::kSize)) {
            auto path = RegionPath(r, emr::PaintRgn::data, r.U32(emr::PaintRgn::cbRgn));
            if (path && type == EmfRecord::InvertRgn)
                FGdi.InvertRegion(*path);
            else if (path)
                FGdi.FillRegion(*path, s.brush);
        }
        break;
    case EmfRecord::ExtSelectClipRgn:
        if (need(emr::ExtSelectClipRgn::kSize)) {
            using L = emr::ExtSelectClipRgn;
            const std::uint32_t cb = r.U32(L::cbRgn);
            const int mode = static_cast<int>(r.U32(L::mode));
            if (cb == 0) {
                FGdi.SelectClipRegion(nullptr, mode);
            } else if (auto path = RegionPath(r, L::data, cb)) {
                FGdi.SelectClipRegion(&*path, mode);
            }
        }
        break;
    default:
        return false;
    }
    return true;
}

// Bitmaps and text.
bool EmfPlayer::PlayBitmapOrText(EmfRecord type, const Bytes& r) {
    auto need = [&](std::uint64_t n) { return r.Size() >= n; };
    switch (type) {
    case EmfRecord::BitBlt:
    case EmfRecord::StretchBlt:
    case EmfRecord::MaskBlt:
        if (need(emr::BitBlt::kSize))
            BitBlt(type, r);
        break;
    case EmfRecord::PlgBlt:
        if (need(emr::PlgBlt::kSize))
            PlgBlt(r);
        break;
    case EmfRecord::SetDiBitsToDevice:
        if (need(emr::SetDiBitsToDevice::kSize))
            SetDiBitsToDevice(r);
        break;
    case EmfRecord::StretchDiBits:
        if (need(emr::StretchDiBits::kSize))
            StretchDiBits(r);
        break;
    case EmfRecord::AlphaBlend:
    case EmfRecord::TransparentBlt:
        if (need(emr::AlphaBlend::kSize))
            AlphaOrTransparentBlt(type, r);
        break;
    case EmfRecord::ExtTextOutA:
    case EmfRecord::ExtTextOutW:
        if (need(emr::ExtTextOut::kSize))
            Text(r, emr::ExtTextOut::text, type == EmfRecord::ExtTextOutW, emr::ExtTextOut::kSize);
        break;
    case EmfRecord::PolyTextOutA:
    case EmfRecord::PolyTextOutW:
        if (need(emr::PolyTextOut::kSize))
            PolyText(type, r);
        break;
    case EmfRecord::SmallTextOut:
        if (need(emr::SmallTextOut::kSize))
            SmallText(r);
        break;
    default:
        return false;
    }
    return true;
}

void EmfPlayer::Play(EmfRecord type, const Bytes& r) {
    if (PlayDrawing(type, r) || PlayState(type, r) || PlayObject(type, r) ||
        PlayPathOrRegion(type, r) || PlayBitmapOrText(type, r))
        return;
    // Escapes, comments (EMF+ included), colour management, palettes being
    // realised and the rest change nothing on the picture.
}

QSize EmfNaturalSize(const EmfHeader& h) {
    // Fields are any 32-bit values: subtract in double, never in int.
    double w = static_cast<double>(h.frame.right()) - h.frame.left();
    double hgt = static_cast<double>(h.frame.bottom()) - h.frame.top();
    if (w > 0 && hgt > 0) {
        w = w * 96 / 2540;
        hgt = hgt * 96 / 2540;
    } else {
        w = (static_cast<double>(h.bounds.right()) - h.bounds.left() + 1) / h.PixelsPerMmX() * 96 /
            25.4;
        hgt = (static_cast<double>(h.bounds.bottom()) - h.bounds.top() + 1) / h.PixelsPerMmY() *
              96 / 25.4;
    }
    auto clamp = [](double v) {
        return std::isfinite(v) ? static_cast<int>(std::clamp(std::lround(v), 1L, 16384L)) : 1;
    };
    return QSize(clamp(w), clamp(hgt));
}

PlayReport PlayEmf(const EmfFile& file, Bytes data, Device& device, const QRectF& target) {
    const EmfHeader& h = file.header;
    const double px = h.PixelsPerMmX() / 100, py = h.PixelsPerMmY() / 100;
    QRectF frame(QPointF(h.frame.left() * px, h.frame.top() * py),
                 QPointF(h.frame.right() * px, h.frame.bottom() * py));
    if (!(frame.width() > 0 && frame.height() > 0))
        frame = QRectF(QPointF(h.bounds.left(), h.bounds.top()),
                       QPointF(h.bounds.right() + 1.0, h.bounds.bottom() + 1.0));
    if (!(frame.width() > 0 && frame.height() > 0) || !std::isfinite(frame.width()) ||
        !std::isfinite(frame.height()))
        frame = QRectF(0, 0, 1, 1);
    const QTransform init =
        QTransform::fromTranslate(-frame.left(), -frame.top()) *
        QTransform::fromScale(target.width() / frame.width(), target.height() / frame.height()) *
        QTransform::fromTranslate(target.left(), target.top());
    Gdi gdi(device, init, (h.PixelsPerMmX() + h.PixelsPerMmY()) / 2, target, data.Size());
    EmfPlayer(file, data, gdi).Run();
    return gdi.Budget().Report();
}

} // namespace tavik::metafile
