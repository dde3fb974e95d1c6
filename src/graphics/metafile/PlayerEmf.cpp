#include "Gdi.h"
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

const LogBrush* EmfPlayer::BrushAt(std::uint32_t index) {
    // One per thread: thumbnails of metafiles are drawn on several at once.
    static thread_local LogBrush stock;
    if (index & kStockObjectBit) {
        auto object = MakeStockObject(index);
        if (!object || !std::holds_alternative<LogBrush>(*object))
            return nullptr;
        stock = std::get<LogBrush>(*object);
        return &stock;
    }
    if (index == 0 || index >= FObjects.size() || !FObjects[index])
        return nullptr;
    return std::get_if<LogBrush>(&*FObjects[index]);
}

std::optional<QPainterPath> EmfPlayer::RegionPath(const Bytes& r, std::uint64_t at,
                                                  std::uint64_t cb) {
    const Bytes data = r.Sub(at, cb);
    if (data.Size() < 32 || data.U32(0) != 32 || data.U32(4) != 1)
        return std::nullopt;
    const std::uint64_t count = data.U32(8);
    if (!data.Has(32, count * 16))
        return std::nullopt;
    if (!FGdi.Charge(Cost::Point, static_cast<std::int64_t>(count)))
        return std::nullopt;
    Region region;
    region.rects.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i)
        region.rects.push_back(BoxL(data, 32 + 16 * i));
    // Region rectangles are reference-device pixels: only the frame
    // mapping applies to them.
    return FGdi.Init().map(region.ToPath());
}

void EmfPlayer::Poly(EmfRecord type, const Bytes& r, bool shortPoints) {
    if (!r.Has(0, 28))
        return;
    const std::uint64_t count = r.U32(24), size = shortPoints ? 4 : 8;
    if (!r.Has(28, count * size) || !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(count)))
        return;
    QPolygonF pts;
    pts.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        pts << (shortPoints ? PointS(r, 28 + 4 * i) : PointL(r, 28 + 8 * i));
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
    if (!r.Has(0, 32))
        return;
    const std::uint64_t polys = r.U32(24), total = r.U32(28), size = shortPoints ? 4 : 8;
    if (!r.Has(32, polys * 4) || !r.Has(32 + polys * 4, total * size) ||
        !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(polys + total)))
        return;
    std::vector<QPolygonF> list;
    std::uint64_t at = 32 + polys * 4, used = 0;
    for (std::uint64_t i = 0; i < polys; ++i) {
        const std::uint64_t n = r.U32(32 + 4 * i);
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
        if (need(20))
            FGdi.SetPixel(PointL(r, 8), Color(r, 16));
        break;
    case EmfRecord::AngleArc:
        if (need(28))
            FGdi.AngleArc(PointL(r, 8), r.U32(16), r.F32(20), r.F32(24));
        break;
    case EmfRecord::Ellipse:
        if (need(24))
            FGdi.Ellipse(BoxL(r, 8));
        break;
    case EmfRecord::Rectangle:
        if (need(24))
            FGdi.Rectangle(BoxL(r, 8));
        break;
    case EmfRecord::RoundRect:
        if (need(32))
            FGdi.RoundRect(BoxL(r, 8), QSizeF(r.I32(24), r.I32(28)));
        break;
    case EmfRecord::Arc:
    case EmfRecord::Chord:
    case EmfRecord::Pie:
    case EmfRecord::ArcTo:
        if (need(40)) {
            const ArcKind kind = type == EmfRecord::Arc     ? ArcKind::Arc
                                 : type == EmfRecord::Chord ? ArcKind::Chord
                                 : type == EmfRecord::Pie   ? ArcKind::Pie
                                                            : ArcKind::ArcTo;
            FGdi.ArcShape(BoxL(r, 8), PointL(r, 24), PointL(r, 32), kind);
        }
        break;
    case EmfRecord::LineTo:
        if (need(16))
            FGdi.LineTo(PointL(r, 8));
        break;
    case EmfRecord::PolyDraw:
    case EmfRecord::PolyDraw16:
        if (need(28)) {
            const bool small = type == EmfRecord::PolyDraw16;
            const std::uint64_t n = r.U32(24), ps = small ? 4 : 8;
            if (!r.Has(28, n * ps + n) || !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(n)))
                break;
            QPolygonF pts;
            std::vector<std::uint8_t> types;
            for (std::uint64_t i = 0; i < n; ++i) {
                pts << (small ? PointS(r, 28 + 4 * i) : PointL(r, 28 + 8 * i));
                types.push_back(r.U8(28 + n * ps + i));
            }
            FGdi.PolyDraw(pts, types);
        }
        break;
    case EmfRecord::GradientFill:
        if (need(36)) {
            const std::uint64_t nVer = r.U32(24), nTri = r.U32(28);
            const std::uint32_t mode = r.U32(32);
            const std::uint64_t per = mode == 2 ? 12 : 8;
            if (mode > 2 || !r.Has(36, nVer * 16) || !r.Has(36 + nVer * 16, nTri * per) ||
                !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(nVer + nTri)))
                break;
            auto vertex = [&](std::uint64_t i) { return PointL(r, 36 + 16 * i); };
            auto colour = [&](std::uint64_t i) {
                const std::uint64_t at = 36 + 16 * i + 8;
                return QColor(r.U16(at) >> 8, r.U16(at + 2) >> 8, r.U16(at + 4) >> 8);
            };
            for (std::uint64_t k = 0; k < nTri; ++k) {
                const std::uint64_t at = 36 + nVer * 16 + k * per;
                const std::uint32_t a = r.U32(at), b = r.U32(at + 4);
                if (a >= nVer || b >= nVer)
                    continue;
                if (mode == 2) {
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
                    FGdi.GradientFill(QPolygonF(box), colour(a), colour(b), mode == 1);
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
        if (need(16))
            FGdi.SetWindowExt(QSizeF(r.I32(8), r.I32(12)));
        break;
    case EmfRecord::SetWindowOrgEx:
        if (need(16))
            FGdi.SetWindowOrg(PointL(r, 8));
        break;
    case EmfRecord::SetViewportExtEx:
        if (need(16))
            FGdi.SetViewportExt(QSizeF(r.I32(8), r.I32(12)));
        break;
    case EmfRecord::SetViewportOrgEx:
        if (need(16))
            FGdi.SetViewportOrg(PointL(r, 8));
        break;
    case EmfRecord::SetMapMode:
        if (need(12))
            FGdi.SetMapMode(r.I32(8));
        break;
    case EmfRecord::SetBkMode:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.bkMode = static_cast<int>(r.U32(8));
        break;
    case EmfRecord::SetPolyFillMode:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.polyFillMode = static_cast<int>(r.U32(8));
        break;
    case EmfRecord::SetRop2:
        if (need(12) && r.U32(8) >= 1 && r.U32(8) <= 16)
            s.rop2 = static_cast<int>(r.U32(8));
        break;
    case EmfRecord::SetStretchBltMode:
        if (need(12))
            s.stretchMode = static_cast<int>(r.U32(8) & 0xFF);
        break;
    case EmfRecord::SetTextAlign:
        if (need(12))
            s.textAlign = r.U32(8);
        break;
    case EmfRecord::SetTextColor:
        if (need(12))
            s.textColor = Color(r, 8);
        break;
    case EmfRecord::SetBkColor:
        if (need(12))
            s.bkColor = Color(r, 8);
        break;
    case EmfRecord::OffsetClipRgn:
        if (need(16))
            FGdi.OffsetClip(PointL(r, 8));
        break;
    case EmfRecord::MoveToEx:
        if (need(16))
            FGdi.MoveTo(PointL(r, 8));
        break;
    case EmfRecord::SetMetaRgn:
        FGdi.SetMetaRegion();
        break;
    case EmfRecord::ExcludeClipRect:
        if (need(24))
            FGdi.ExcludeClipRect(BoxL(r, 8));
        break;
    case EmfRecord::IntersectClipRect:
        if (need(24))
            FGdi.IntersectClipRect(BoxL(r, 8));
        break;
    case EmfRecord::ScaleViewportExtEx:
        if (need(24))
            FGdi.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case EmfRecord::ScaleWindowExtEx:
        if (need(24))
            FGdi.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case EmfRecord::SaveDc:
        FGdi.SaveDc();
        break;
    case EmfRecord::RestoreDc:
        if (need(12))
            FGdi.RestoreDc(r.I32(8), false);
        break;
    case EmfRecord::SetWorldTransform:
        if (need(32))
            FGdi.SetWorldTransform(XForm(r, 8));
        break;
    case EmfRecord::ModifyWorldTransform:
        if (need(36))
            FGdi.ModifyWorldTransform(XForm(r, 8), static_cast<int>(r.U32(32)));
        break;
    case EmfRecord::SetArcDirection:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.arcDirection = static_cast<int>(r.U32(8));
        break;
    case EmfRecord::SetMiterLimit:
        if (need(12)) {
            const std::uint32_t v = r.U32(8);
            const qreal limit = v < 0x10000 ? v : r.F32(8);
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
        if (need(12))
            Select(r.U32(8));
        break;
    case EmfRecord::CreatePen:
        if (need(28)) {
            LogPen pen;
            pen.style = r.U32(12) & (PsStyleMask | PsEndcapMask | PsJoinMask);
            pen.width = r.I32(16);
            pen.color = Color(r, 24);
            Create(r.U32(8), pen);
        }
        break;
    case EmfRecord::ExtCreatePen:
        if (need(52)) {
            LogPen pen;
            pen.extended = true;
            pen.style = r.U32(28);
            pen.width = r.U32(32);
            pen.color = Color(r, 40);
            if (r.U32(36) == BsNull)
                pen.style = (pen.style & ~PsStyleMask) | PsNull;
            const std::uint64_t n = r.U32(48);
            if ((pen.style & PsStyleMask) == PsUserStyle && n <= 16 && r.Has(52, 4 * n))
                for (std::uint64_t i = 0; i < n; ++i)
                    pen.user.push_back(r.U32(52 + 4 * i));
            Create(r.U32(8), pen);
        }
        break;
    case EmfRecord::CreateBrushIndirect:
        if (need(24)) {
            LogBrush brush;
            brush.style = static_cast<int>(r.U32(12));
            brush.color = Color(r, 16);
            brush.hatch = static_cast<int>(r.U32(20));
            if (brush.style != BsSolid && brush.style != BsNull && brush.style != BsHatched)
                brush.style = BsSolid;
            Create(r.U32(8), brush);
        }
        break;
    case EmfRecord::CreateMonoBrush:
    case EmfRecord::CreateDibPatternBrushPt:
        if (need(32)) {
            LogBrush brush;
            brush.style = BsDibPattern;
            bool mono = false;
            if (auto img =
                    Bitmap(r, 32, r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12), &mono))
                brush.pattern = *img;
            brush.mono = type == EmfRecord::CreateMonoBrush && mono;
            Create(r.U32(8), brush);
        }
        break;
    case EmfRecord::ExtCreateFontIndirectW:
        if (need(12 + 28 + 2)) {
            LogFont font;
            font.height = r.I32(12);
            font.width = r.I32(16);
            font.escapement = r.I32(20);
            font.weight = r.I32(28);
            font.italic = r.U8(32);
            font.underline = r.U8(33);
            font.strikeOut = r.U8(34);
            font.charset = r.U8(35);
            font.pitchAndFamily = r.U8(39);
            for (std::uint64_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
                const std::uint16_t c = r.U16(40 + 2 * i);
                if (c == 0)
                    break;
                font.face += QChar(c);
            }
            Create(r.U32(8), font);
        }
        break;
    case EmfRecord::DeleteObject:
        if (need(12))
            Delete(r.U32(8));
        break;
    case EmfRecord::SelectPalette:
        if (need(12))
            Select(r.U32(8));
        break;
    case EmfRecord::CreatePalette:
        if (need(16)) {
            Palette palette;
            const std::uint64_t n = r.U16(14);
            if (!r.Has(16, 4 * n))
                break;
            for (std::uint64_t i = 0; i < n; ++i)
                palette.entries.push_back(
                    qRgb(r.U8(16 + 4 * i), r.U8(17 + 4 * i), r.U8(18 + 4 * i)));
            Create(r.U32(8), palette);
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
        if (need(12))
            FGdi.SelectClipPath(static_cast<int>(r.U32(8)));
        break;
    case EmfRecord::AbortPath:
        FGdi.AbortPath();
        break;
    case EmfRecord::FillRgn:
        if (need(32)) {
            const LogBrush* brush = BrushAt(r.U32(28));
            auto path = RegionPath(r, 32, r.U32(24));
            if (brush && path)
                FGdi.FillRegion(*path, *brush);
        }
        break;
    case EmfRecord::FrameRgn:
        if (need(40)) {
            const LogBrush* brush = BrushAt(r.U32(28));
            auto path = RegionPath(r, 40, r.U32(24));
            if (brush && path)
                FGdi.FrameRegion(*path, *brush, QSizeF(r.I32(32), r.I32(36)));
        }
        break;
    case EmfRecord::InvertRgn:
    case EmfRecord::PaintRgn:
        if (need(28)) {
            auto path = RegionPath(r, 28, r.U32(24));
            if (path && type == EmfRecord::InvertRgn)
                FGdi.InvertRegion(*path);
            else if (path)
                FGdi.FillRegion(*path, s.brush);
        }
        break;
    case EmfRecord::ExtSelectClipRgn:
        if (need(16)) {
            const std::uint32_t cb = r.U32(8);
            const int mode = static_cast<int>(r.U32(12));
            if (cb == 0) {
                FGdi.SelectClipRegion(nullptr, mode);
            } else if (auto path = RegionPath(r, 16, cb)) {
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
        if (need(100))
            BitBlt(type, r);
        break;
    case EmfRecord::PlgBlt:
        if (need(140))
            PlgBlt(r);
        break;
    case EmfRecord::SetDiBitsToDevice:
        if (need(76))
            SetDiBitsToDevice(r);
        break;
    case EmfRecord::StretchDiBits:
        if (need(80))
            StretchDiBits(r);
        break;
    case EmfRecord::AlphaBlend:
    case EmfRecord::TransparentBlt:
        if (need(108))
            AlphaOrTransparentBlt(type, r);
        break;
    case EmfRecord::ExtTextOutA:
    case EmfRecord::ExtTextOutW:
        if (need(76))
            Text(r, 36, type == EmfRecord::ExtTextOutW, 76);
        break;
    case EmfRecord::PolyTextOutA:
    case EmfRecord::PolyTextOutW:
        if (need(40))
            PolyText(type, r);
        break;
    case EmfRecord::SmallTextOut:
        if (need(36))
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
