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

std::optional<GdiObject> StockObject(std::uint32_t index) {
    LogBrush brush;
    LogPen pen;
    LogFont font;
    switch (index & 0x7FFFFFFF) {
    case 0x00:
        brush.color = qRgb(255, 255, 255);
        return brush;
    case 0x01:
        brush.color = qRgb(0xC0, 0xC0, 0xC0);
        return brush;
    case 0x02:
        brush.color = qRgb(0x80, 0x80, 0x80);
        return brush;
    case 0x03:
        brush.color = qRgb(0x40, 0x40, 0x40);
        return brush;
    case 0x04:
        brush.color = qRgb(0, 0, 0);
        return brush;
    case 0x05:
        brush.style = BsNull;
        return brush;
    case 0x06:
        pen.color = qRgb(255, 255, 255);
        return pen;
    case 0x07:
    case 0x13:
        return pen;
    case 0x08:
        pen.style = PsNull;
        return pen;
    case 0x0A:
    case 0x0B:
    case 0x10:
        font.pitchAndFamily = 0x31;
        font.face = QStringLiteral("Courier New");
        font.height = 16;
        return font;
    case 0x0C:
    case 0x0D:
    case 0x0E:
        font.height = 16;
        font.weight = 700;
        return font;
    case 0x11:
        font.height = -11;
        return font;
    case 0x12:
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
    if (index & 0x80000000) {
        object = StockObject(index);
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
    static LogBrush stock;
    if (index & 0x80000000) {
        auto object = StockObject(index);
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

void EmfPlayer::Poly(std::uint32_t type, const Bytes& r, bool shortPoints) {
    if (!r.Has(0, 28))
        return;
    const std::uint64_t count = r.U32(24), size = shortPoints ? 4 : 8;
    if (!r.Has(28, count * size) || !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(count)))
        return;
    QPolygonF pts;
    pts.reserve(static_cast<qsizetype>(count));
    for (std::uint64_t i = 0; i < count; ++i)
        pts << (shortPoints ? PointS(r, 28 + 4 * i) : PointL(r, 28 + 8 * i));
    switch (shortPoints ? type - 83 : type) {
    case 2:
        FGdi.PolyBezier(pts, false);
        break;
    case 3:
        FGdi.Polygon(pts);
        break;
    case 4:
        FGdi.Polyline(pts);
        break;
    case 5:
        FGdi.PolyBezier(pts, true);
        break;
    case 6:
        FGdi.PolylineTo(pts);
        break;
    default:
        break;
    }
}

void EmfPlayer::PolyPoly(std::uint32_t type, const Bytes& r, bool shortPoints) {
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
    if (type == 7 || type == 90)
        FGdi.PolyPolyline(list);
    else
        FGdi.PolyPolygon(list);
}

void EmfPlayer::Play(std::uint32_t type, const Bytes& r) {
    DcState& s = FGdi.State();
    const std::uint64_t size = r.Size();
    auto need = [&](std::uint64_t n) { return size >= n; };
    switch (type) {
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        Poly(type, r, false);
        break;
    case 85:
    case 86:
    case 87:
    case 88:
    case 89:
        Poly(type, r, true);
        break;
    case 7:
    case 8:
        PolyPoly(type, r, false);
        break;
    case 90:
    case 91:
        PolyPoly(type, r, true);
        break;
    case 9:
        if (need(16))
            FGdi.SetWindowExt(QSizeF(r.I32(8), r.I32(12)));
        break;
    case 10:
        if (need(16))
            FGdi.SetWindowOrg(PointL(r, 8));
        break;
    case 11:
        if (need(16))
            FGdi.SetViewportExt(QSizeF(r.I32(8), r.I32(12)));
        break;
    case 12:
        if (need(16))
            FGdi.SetViewportOrg(PointL(r, 8));
        break;
    case 15:
        if (need(20))
            FGdi.SetPixel(PointL(r, 8), Color(r, 16));
        break;
    case 17:
        if (need(12))
            FGdi.SetMapMode(r.I32(8));
        break;
    case 18:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.bkMode = static_cast<int>(r.U32(8));
        break;
    case 19:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.polyFillMode = static_cast<int>(r.U32(8));
        break;
    case 20:
        if (need(12) && r.U32(8) >= 1 && r.U32(8) <= 16)
            s.rop2 = static_cast<int>(r.U32(8));
        break;
    case 21:
        if (need(12))
            s.stretchMode = static_cast<int>(r.U32(8) & 0xFF);
        break;
    case 22:
        if (need(12))
            s.textAlign = r.U32(8);
        break;
    case 24:
        if (need(12))
            s.textColor = Color(r, 8);
        break;
    case 25:
        if (need(12))
            s.bkColor = Color(r, 8);
        break;
    case 26:
        if (need(16))
            FGdi.OffsetClip(PointL(r, 8));
        break;
    case 27:
        if (need(16))
            FGdi.MoveTo(PointL(r, 8));
        break;
    case 28:
        FGdi.SetMetaRegion();
        break;
    case 29:
        if (need(24))
            FGdi.ExcludeClipRect(BoxL(r, 8));
        break;
    case 30:
        if (need(24))
            FGdi.IntersectClipRect(BoxL(r, 8));
        break;
    case 31:
        if (need(24))
            FGdi.ScaleViewportExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case 32:
        if (need(24))
            FGdi.ScaleWindowExt(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
        break;
    case 33:
        FGdi.SaveDc();
        break;
    case 34:
        if (need(12))
            FGdi.RestoreDc(r.I32(8), false);
        break;
    case 35:
        if (need(32))
            FGdi.SetWorldTransform(XForm(r, 8));
        break;
    case 36:
        if (need(36))
            FGdi.ModifyWorldTransform(XForm(r, 8), static_cast<int>(r.U32(32)));
        break;
    case 37:
        if (need(12))
            Select(r.U32(8));
        break;
    case 38:
        if (need(28)) {
            LogPen pen;
            pen.style = r.U32(12) & (PsStyleMask | PsEndcapMask | PsJoinMask);
            pen.width = r.I32(16);
            pen.color = Color(r, 24);
            Create(r.U32(8), pen);
        }
        break;
    case 95:
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
    case 39:
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
    case 93:
    case 94:
        if (need(32)) {
            LogBrush brush;
            brush.style = BsDibPattern;
            bool mono = false;
            if (auto img =
                    Bitmap(r, 32, r.U32(16), r.U32(20), r.U32(24), r.U32(28), r.U32(12), &mono))
                brush.pattern = *img;
            brush.mono = type == 93 && mono;
            Create(r.U32(8), brush);
        }
        break;
    case 82:
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
    case 40:
        if (need(12))
            Delete(r.U32(8));
        break;
    case 48:
        if (need(12))
            Select(r.U32(8));
        break;
    case 49:
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
    case 41:
        if (need(28))
            FGdi.AngleArc(PointL(r, 8), r.U32(16), r.F32(20), r.F32(24));
        break;
    case 42:
        if (need(24))
            FGdi.Ellipse(BoxL(r, 8));
        break;
    case 43:
        if (need(24))
            FGdi.Rectangle(BoxL(r, 8));
        break;
    case 44:
        if (need(32))
            FGdi.RoundRect(BoxL(r, 8), QSizeF(r.I32(24), r.I32(28)));
        break;
    case 45:
    case 46:
    case 47:
    case 55:
        if (need(40)) {
            const ArcKind kind = type == 45   ? ArcKind::Arc
                                 : type == 46 ? ArcKind::Chord
                                 : type == 47 ? ArcKind::Pie
                                              : ArcKind::ArcTo;
            FGdi.ArcShape(BoxL(r, 8), PointL(r, 24), PointL(r, 32), kind);
        }
        break;
    case 54:
        if (need(16))
            FGdi.LineTo(PointL(r, 8));
        break;
    case 56:
    case 92:
        if (need(28)) {
            const bool small = type == 92;
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
    case 57:
        if (need(12) && (r.U32(8) == 1 || r.U32(8) == 2))
            s.arcDirection = static_cast<int>(r.U32(8));
        break;
    case 58:
        if (need(12)) {
            const std::uint32_t v = r.U32(8);
            const qreal limit = v < 0x10000 ? v : r.F32(8);
            if (std::isfinite(limit) && limit >= 1)
                s.miterLimit = limit;
        }
        break;
    case 59:
        FGdi.BeginPath();
        break;
    case 60:
        FGdi.EndPath();
        break;
    case 61:
        FGdi.CloseFigure();
        break;
    case 62:
        FGdi.FillPath();
        break;
    case 63:
        FGdi.StrokeAndFillPath();
        break;
    case 64:
        FGdi.StrokePath();
        break;
    case 66:
        FGdi.WidenPath();
        break;
    case 67:
        if (need(12))
            FGdi.SelectClipPath(static_cast<int>(r.U32(8)));
        break;
    case 68:
        FGdi.AbortPath();
        break;
    case 71:
        if (need(32)) {
            const LogBrush* brush = BrushAt(r.U32(28));
            auto path = RegionPath(r, 32, r.U32(24));
            if (brush && path)
                FGdi.FillRegion(*path, *brush);
        }
        break;
    case 72:
        if (need(40)) {
            const LogBrush* brush = BrushAt(r.U32(28));
            auto path = RegionPath(r, 40, r.U32(24));
            if (brush && path)
                FGdi.FrameRegion(*path, *brush, QSizeF(r.I32(32), r.I32(36)));
        }
        break;
    case 73:
    case 74:
        if (need(28)) {
            auto path = RegionPath(r, 28, r.U32(24));
            if (path && type == 73)
                FGdi.InvertRegion(*path);
            else if (path)
                FGdi.FillRegion(*path, s.brush);
        }
        break;
    case 75:
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
    case 76:
    case 77:
    case 78:
        if (need(100))
            BitBlt(type, r);
        break;
    case 79:
        if (need(140))
            PlgBlt(r);
        break;
    case 80:
        if (need(76))
            SetDiBitsToDevice(r);
        break;
    case 81:
        if (need(80))
            StretchDiBits(r);
        break;
    case 114:
    case 116:
        if (need(108))
            AlphaOrTransparentBlt(type, r);
        break;
    case 118:
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
    case 83:
    case 84:
        if (need(76))
            Text(r, 36, type == 84, 76);
        break;
    case 96:
    case 97:
        if (need(40))
            PolyText(type, r);
        break;
    case 108:
        if (need(36))
            SmallText(r);
        break;
    default:
        // Escapes, comments (EMF+ included), colour management, palettes
        // being realised and the rest change nothing on the picture.
        break;
    }
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
