#include "Dib.h"
#include "Gdi.h"
#include "Layouts.h"
#include "ObjectSlots.h"
#include "Player.h"
#include "Records.h"
#include "Text.h"

#include <cmath>

namespace tavik::metafile {

namespace {

QRgb Color(const Bytes& r, std::uint64_t at) {
    const std::uint32_t v = r.U32(at);
    return qRgb(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// Measures what the records draw, for files that give no picture rectangle.
class BoundsDevice : public Device {
public:
    QRectF bounds;
    void SetClip(const QPainterPath*) override {}
    void FillPath(const QPainterPath& path, const BrushSpec&, const DrawMode&) override {
        Add(path.controlPointRect());
    }
    void StrokePath(const QPainterPath& path, const PenSpec&, const DrawMode&) override {
        Add(path.controlPointRect());
    }
    void DrawText(const TextRun& run, const DrawMode&) override {
        const qreal size = run.font.pixelSize() * run.scale;
        Add(QRectF(run.origin.x(), run.origin.y() - size, size * run.text.size() * 0.6,
                   size * 1.2));
    }
    void DrawImage(const QImage&, const QRectF&, const QTransform& toOutput,
                   std::uint32_t) override {
        Add(toOutput.mapRect(QRectF(0, 0, 1, 1)));
    }

private:
    void Add(const QRectF& r) { bounds = bounds.isNull() ? r : bounds.united(r); }
};

// Legacy device-dependent bitmaps: monochrome and 24-bit rows, top row
// first, rows of widthBytes.
std::optional<QImage> Bitmap16(const Bytes& b) {
    if (!b.Has(0, 10))
        return std::nullopt;
    const int width = b.I16(2), height = b.I16(4), widthBytes = b.I16(6);
    const int planes = b.U8(8), bpp = b.U8(9);
    if (width <= 0 || height <= 0 || widthBytes <= 0 || planes != 1 || (bpp != 1 && bpp != 24) ||
        static_cast<std::int64_t>(widthBytes) * 8 < static_cast<std::int64_t>(width) * bpp)
        return std::nullopt;
    const std::uint64_t bitsAt = 10;
    if (!b.Has(bitsAt, static_cast<std::uint64_t>(widthBytes) * height))
        return std::nullopt;
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        const std::uint64_t row = bitsAt + static_cast<std::uint64_t>(y) * widthBytes;
        for (int x = 0; x < width; ++x) {
            if (bpp == 1) {
                line[x] =
                    (b.U8(row + x / 8) >> (7 - x % 8)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            } else {
                const std::uint64_t at = row + 3 * static_cast<std::uint64_t>(x);
                line[x] = qRgb(b.U8(at + 2), b.U8(at + 1), b.U8(at));
            }
        }
    }
    return img;
}

class WmfPlayer {
public:
    WmfPlayer(const WmfFile& file, Bytes data, Gdi& gdi) : FFile(file), FData(data), FGdi(gdi) {}

    void Run() {
        for (const RecordRef& ref : FFile.records) {
            if (FGdi.Exhausted() || !FGdi.Charge(Cost::Record, 1))
                return;
            const auto function = static_cast<WmfFunction>(ref.type);
            if (function == WmfFunction::Eof)
                return;
            Play(function, FData.Sub(ref.offset, ref.size));
        }
    }

private:
    void Play(WmfFunction function, const Bytes& r);
    bool PlayState(WmfFunction function, const Bytes& r);
    bool PlayObject(WmfFunction function, const Bytes& r);
    bool PlayPaletteOrPattern(WmfFunction function, const Bytes& r);
    bool PlayDrawing(WmfFunction function, const Bytes& r);
    bool PlayBitmapOrText(WmfFunction function, const Bytes& r);
    void Create(GdiObject object);
    const GdiObject* At(std::uint64_t index) const {
        return index < FObjects.size() && FObjects[index] ? &*FObjects[index] : nullptr;
    }
    void Text(const Bytes& r, QPointF at, std::uint64_t stringAt, std::uint64_t len,
              std::uint32_t options, const QRectF* rect, std::uint64_t dxAt);
    std::optional<QImage> Dib(const Bytes& r, std::uint64_t at, std::uint32_t usage,
                              bool* mono = nullptr) {
        auto img = DecodePackedDib(r.Sub(at, r.Size() - std::min<std::uint64_t>(at, r.Size())),
                                   usage, FGdi.State().palette, mono);
        if (img &&
            !FGdi.Charge(Cost::Pixel, static_cast<std::int64_t>(img->width()) * img->height()))
            return std::nullopt;
        return img;
    }

    const WmfFile& FFile;
    Bytes FData;
    Gdi& FGdi;
    // Slots past the end are empty: the table grows as objects are made.
    std::vector<std::optional<GdiObject>> FObjects;
    ObjectSlots FSlots;
};

void WmfPlayer::Create(GdiObject object) {
    // The lowest free slot, as GDI numbers them; a full table drops the
    // object rather than overwrite anything.
    const int slot = FGdi.Charge(Cost::Slot, 1) ? FSlots.Take() : -1;
    if (slot < 0)
        return;
    if (static_cast<std::size_t>(slot) >= FObjects.size())
        FObjects.resize(static_cast<std::size_t>(slot) + 1);
    FObjects[static_cast<std::size_t>(slot)] = std::move(object);
}

void WmfPlayer::Text(const Bytes& r, QPointF at, std::uint64_t stringAt, std::uint64_t len,
                     std::uint32_t options, const QRectF* rect, std::uint64_t dxAt) {
    const int charset = FGdi.State().font.charset;
    const QString text = DecodeAnsi(r.Sub(stringAt, len).Span(), charset);
    std::vector<qreal> dx;
    if (dxAt && r.Has(dxAt, 2 * len)) {
        std::uint64_t byte = 0;
        for (qsizetype i = 0; i < text.size() && byte < len; ++i) {
            dx.push_back(r.I16(dxAt + 2 * byte));
            byte += std::max<qsizetype>(1, EncodeAnsi(text.mid(i, 1), charset).size());
        }
    }
    FGdi.TextOut(at, text, options, rect, dx.empty() ? nullptr : &dx);
}

// Mapping, modes, colours, clip rectangles and saved states.
bool WmfPlayer::PlayState(WmfFunction function, const Bytes& r) {
    DcState& s = FGdi.State();
    const std::uint64_t params = r.Size() - 6;
    auto p = [&](int i) {
        return static_cast<qreal>(r.I16(6 + 2 * static_cast<std::uint64_t>(i)));
    };
    // A point or an extent, stored y then x.
    auto yx = [&](int i) { return QPointF(p(i + 1), p(i)); };
    auto u = [&](int i) { return r.U16(6 + 2 * static_cast<std::uint64_t>(i)); };
    auto need = [&](std::uint64_t words) { return params >= 2 * words; };
    // Rectangles are stored bottom, right, top, left.
    auto box = [&](int i) { return QRectF(QPointF(p(i + 3), p(i + 2)), QPointF(p(i + 1), p(i))); };
    switch (function) {
    case WmfFunction::SaveDc:
        FGdi.SaveDc();
        break;
    case WmfFunction::RestoreDc:
        if (need(wmr::OneValue::kWords))
            FGdi.RestoreDc(static_cast<int>(p(wmr::OneValue::value)), true);
        break;
    case WmfFunction::SetBkMode:
        if (need(wmr::OneValue::kWords) &&
            InRange(u(wmr::OneValue::value), BkMode::Transparent, BkMode::Opaque))
            s.bkMode = u(wmr::OneValue::value);
        break;
    case WmfFunction::SetMapMode:
        if (need(wmr::OneValue::kWords))
            FGdi.SetMapMode(u(wmr::OneValue::value));
        break;
    case WmfFunction::SetRop2:
        if (need(wmr::OneValue::kWords) &&
            InRange(u(wmr::OneValue::value), Rop2::Black, Rop2::White))
            s.rop2 = u(wmr::OneValue::value);
        break;
    case WmfFunction::SetPolyFillMode:
        if (need(wmr::OneValue::kWords) &&
            InRange(u(wmr::OneValue::value), PolyFillMode::Alternate, PolyFillMode::Winding))
            s.polyFillMode = u(wmr::OneValue::value);
        break;
    case WmfFunction::SetStretchBltMode:
        if (need(wmr::OneValue::kWords))
            s.stretchMode = u(wmr::OneValue::value);
        break;
    case WmfFunction::SetTextCharExtra:
        if (need(wmr::OneValue::kWords))
            s.charExtra = static_cast<int>(p(wmr::OneValue::value));
        break;
    case WmfFunction::SetTextAlign:
        if (need(wmr::OneValue::kWords))
            s.textAlign = u(wmr::OneValue::value);
        break;
    case WmfFunction::SetBkColor:
        if (need(wmr::OneColor::kWords))
            s.bkColor = Color(r, wmr::ByteOf(wmr::OneColor::color));
        break;
    case WmfFunction::SetTextColor:
        if (need(wmr::OneColor::kWords))
            s.textColor = Color(r, wmr::ByteOf(wmr::OneColor::color));
        break;
    case WmfFunction::SetWindowOrg:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetWindowOrg(yx(wmr::OnePoint::point));
        break;
    case WmfFunction::SetWindowExt:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetWindowExt(QSizeF(yx(wmr::OnePoint::point).x(), yx(wmr::OnePoint::point).y()));
        break;
    case WmfFunction::SetViewportOrg:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetViewportOrg(yx(wmr::OnePoint::point));
        break;
    case WmfFunction::SetViewportExt:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetViewportExt(QSizeF(yx(wmr::OnePoint::point).x(), yx(wmr::OnePoint::point).y()));
        break;
    case WmfFunction::OffsetWindowOrg:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetWindowOrg(s.windowOrg + yx(wmr::OnePoint::point));
        break;
    case WmfFunction::OffsetViewportOrg:
        if (need(wmr::OnePoint::kWords))
            FGdi.SetViewportOrg(s.viewportOrg + yx(wmr::OnePoint::point));
        break;
    case WmfFunction::ScaleWindowExt:
        if (need(wmr::ScaleExtent::kWords))
            FGdi.ScaleWindowExt(p(wmr::ScaleExtent::xNum), p(wmr::ScaleExtent::xDenom),
                                p(wmr::ScaleExtent::yNum), p(wmr::ScaleExtent::yDenom));
        break;
    case WmfFunction::ScaleViewportExt:
        if (need(wmr::ScaleExtent::kWords))
            FGdi.ScaleViewportExt(p(wmr::ScaleExtent::xNum), p(wmr::ScaleExtent::xDenom),
                                  p(wmr::ScaleExtent::yNum), p(wmr::ScaleExtent::yDenom));
        break;
    case WmfFunction::ExcludeClipRect:
        if (need(wmr::OneBox::kWords))
            FGdi.ExcludeClipRect(box(wmr::OneBox::box));
        break;
    case WmfFunction::IntersectClipRect:
        if (need(wmr::OneBox::kWords))
            FGdi.IntersectClipRect(box(wmr::OneBox::box));
        break;
    case WmfFunction::OffsetClipRgn:
        if (need(wmr::OnePoint::kWords))
            FGdi.OffsetClip(yx(wmr::OnePoint::point));
        break;
    case WmfFunction::MoveTo:
        if (need(wmr::OnePoint::kWords))
            FGdi.MoveTo(yx(wmr::OnePoint::point));
        break;
    default:
        return false;
    }
    return true;
}

// The object table: selecting and deleting objects, making pens, brushes and fonts.
bool WmfPlayer::PlayObject(WmfFunction function, const Bytes& r) {
    DcState& s = FGdi.State();
    const std::uint64_t params = r.Size() - 6;
    auto p = [&](int i) {
        return static_cast<qreal>(r.I16(6 + 2 * static_cast<std::uint64_t>(i)));
    };
    auto u = [&](int i) { return r.U16(6 + 2 * static_cast<std::uint64_t>(i)); };
    auto need = [&](std::uint64_t words) { return params >= 2 * words; };
    switch (function) {
    case WmfFunction::SelectClipRegion:
        if (need(wmr::OneValue::kWords)) {
            const GdiObject* object = At(u(wmr::OneValue::value));
            if (auto* region = object ? std::get_if<Region>(object) : nullptr) {
                const QPainterPath path = FGdi.ToOutput().map(region->ToPath());
                FGdi.SelectClipRegion(&path, Number(RegionMode::Copy));
            }
        }
        break;
    case WmfFunction::SelectObject:
    case WmfFunction::SelectPalette:
        if (need(wmr::OneValue::kWords)) {
            const GdiObject* object = At(u(wmr::OneValue::value));
            if (!object)
                break;
            if (auto* pen = std::get_if<LogPen>(object))
                FGdi.SelectPen(*pen);
            else if (auto* brush = std::get_if<LogBrush>(object))
                FGdi.SelectBrush(*brush);
            else if (auto* font = std::get_if<LogFont>(object))
                FGdi.SelectFont(*font);
            else if (auto* palette = std::get_if<Palette>(object))
                s.palette = palette->entries;
            else if (auto* region = std::get_if<Region>(object)) {
                const QPainterPath path = FGdi.ToOutput().map(region->ToPath());
                FGdi.SelectClipRegion(&path, Number(RegionMode::Copy));
            }
        }
        break;
    case WmfFunction::DeleteObject:
        if (need(wmr::OneValue::kWords) && u(wmr::OneValue::value) < FObjects.size() &&
            FGdi.Charge(Cost::Slot, 1)) {
            FObjects[u(wmr::OneValue::value)].reset();
            FSlots.Free(u(wmr::OneValue::value));
        }
        break;
    case WmfFunction::CreatePenIndirect: {
        LogPen pen;
        if (need(wmr::CreatePen::kWords)) {
            pen.style = u(wmr::CreatePen::style) & (PsStyleMask | PsEndcapMask | PsJoinMask);
            pen.width = p(wmr::CreatePen::width);
            pen.color = Color(r, wmr::ByteOf(wmr::CreatePen::color));
        }
        Create(pen);
        break;
    }
    case WmfFunction::CreateBrushIndirect: {
        LogBrush brush;
        if (need(wmr::CreateBrushIndirect::kWords)) {
            brush.style = u(wmr::CreateBrushIndirect::style);
            brush.color = Color(r, wmr::ByteOf(wmr::CreateBrushIndirect::color));
            brush.hatch = u(wmr::CreateBrushIndirect::hatch);
        }
        if (brush.style != BsSolid && brush.style != BsNull && brush.style != BsHatched) {
            Create(std::monostate{});
            break;
        }
        Create(brush);
        break;
    }
    case WmfFunction::CreateFontIndirect: {
        LogFont font;
        using L = wmr::CreateFont;
        if (need(L::kWords)) {
            const std::uint64_t flags = wmr::ByteOf(L::flags), faceAt = wmr::ByteOf(L::face);
            font.height = static_cast<int>(p(L::height));
            font.width = static_cast<int>(p(L::width));
            font.escapement = static_cast<int>(p(L::escapement));
            font.weight = static_cast<int>(p(L::weight));
            font.italic = r.U8(flags + L::italic);
            font.underline = r.U8(flags + L::underline);
            font.strikeOut = r.U8(flags + L::strikeOut);
            font.charset = r.U8(flags + L::charset);
            font.pitchAndFamily = r.U8(flags + L::pitchAndFamily);
            QByteArray face;
            for (std::uint64_t i = faceAt; i < r.Size() && i < faceAt + L::kFaceBytes && r.U8(i);
                 ++i)
                face += static_cast<char>(r.U8(i));
            font.face =
                DecodeAnsi(std::span(reinterpret_cast<const std::uint8_t*>(face.constData()),
                                     static_cast<std::size_t>(face.size())),
                           font.charset == 2 ? 0 : font.charset);
        }
        Create(font);
        break;
    }
    default:
        return false;
    }
    return true;
}

// Palettes, pattern brushes, regions and the objects kept only for their slot.
bool WmfPlayer::PlayPaletteOrPattern(WmfFunction function, const Bytes& r) {
    const std::uint64_t params = r.Size() - 6;
    auto u = [&](int i) { return r.U16(6 + 2 * static_cast<std::uint64_t>(i)); };
    auto need = [&](std::uint64_t words) { return params >= 2 * words; };
    switch (function) {
    case WmfFunction::CreatePalette: {
        using L = wmr::CreatePalette;
        Palette palette;
        const std::uint64_t n = need(L::kWords) ? u(L::count) : 0;
        const std::uint64_t at = wmr::ByteOf(L::entries);
        if (r.Has(at, 4 * n))
            for (std::uint64_t i = 0; i < n; ++i)
                palette.entries.push_back(
                    qRgb(r.U8(at + 4 * i), r.U8(at + 1 + 4 * i), r.U8(at + 2 + 4 * i)));
        Create(palette);
        break;
    }
    case WmfFunction::DibCreatePatternBrush: {
        LogBrush brush;
        brush.style = BsDibPattern;
        bool mono = false;
        using L = wmr::DibCreatePatternBrush;
        if (need(L::kWords)) {
            const bool pattern = u(L::style) == BsPattern;
            const std::uint32_t usage = pattern ? std::uint32_t{DibRgbColors} : u(L::usage);
            if (auto img = Dib(r, wmr::ByteOf(L::bitmap), usage, &mono))
                brush.pattern = *img;
            brush.mono = pattern && mono;
        }
        Create(brush);
        break;
    }
    case WmfFunction::CreatePatternBrush: {
        LogBrush brush;
        brush.style = BsPattern;
        // Bitmap16 header (14 bytes with its unused bits pointer), 18
        // reserved bytes, then the bits.
        using L = wmr::CreatePatternBrush;
        if (need(L::kWords)) {
            const std::uint64_t headerAt = wmr::ByteOf(L::header);
            std::vector<std::uint8_t> joined(r.Data() + headerAt,
                                             r.Data() + headerAt + L::kHeaderBytes);
            joined.insert(joined.end(),
                          r.Data() + std::min<std::uint64_t>(wmr::ByteOf(L::bits), r.Size()),
                          r.Data() + r.Size());
            if (auto img = Bitmap16(Bytes(joined))) {
                brush.pattern = *img;
                brush.mono = r.U8(wmr::ByteOf(L::planes) + 1) == 1;
            }
        }
        Create(brush);
        break;
    }
    case WmfFunction::CreateRegion: {
        Region region;
        // nextInChain, objType, objCount, size, scanCount, maxScan, bbox, scans
        using L = wmr::CreateRegion;
        const std::uint64_t scans = need(L::kWords) ? u(L::scanCount) : 0;
        std::uint64_t at = wmr::ByteOf(L::scans);
        for (std::uint64_t i = 0; i < scans && FGdi.Charge(Cost::Point, 1); ++i) {
            if (!r.Has(at, 6))
                break;
            const std::uint64_t count = r.U16(at);
            const qreal top = r.I16(at + 2), bottom = r.I16(at + 4);
            if (count % 2 || !r.Has(at + 6, 2 * count + 2))
                break;
            for (std::uint64_t k = 0; k + 1 < count; k += 2)
                region.rects.push_back(QRectF(QPointF(r.I16(at + 6 + 2 * k), top),
                                              QPointF(r.I16(at + 8 + 2 * k), bottom)));
            at += 6 + 2 * count + 2;
        }
        Create(region);
        break;
    }
    case WmfFunction::CreateBrush:
    case WmfFunction::CreateBitmapIndirect:
    case WmfFunction::CreateBitmap:
        // Obsolete objects the engine cannot draw still take their slot.
        Create(std::monostate{});
        break;

    default:
        return false;
    }
    return true;
}

// Lines, shapes and regions.
bool WmfPlayer::PlayDrawing(WmfFunction function, const Bytes& r) {
    DcState& s = FGdi.State();
    const std::uint64_t params = r.Size() - 6;
    auto p = [&](int i) {
        return static_cast<qreal>(r.I16(6 + 2 * static_cast<std::uint64_t>(i)));
    };
    // A point or an extent, stored y then x.
    auto yx = [&](int i) { return QPointF(p(i + 1), p(i)); };
    auto u = [&](int i) { return r.U16(6 + 2 * static_cast<std::uint64_t>(i)); };
    auto need = [&](std::uint64_t words) { return params >= 2 * words; };
    // Rectangles are stored bottom, right, top, left.
    auto box = [&](int i) { return QRectF(QPointF(p(i + 3), p(i + 2)), QPointF(p(i + 1), p(i))); };
    switch (function) {
    case WmfFunction::LineTo:
        if (need(wmr::OnePoint::kWords))
            FGdi.LineTo(yx(wmr::OnePoint::point));
        break;
    case WmfFunction::Polygon:
    case WmfFunction::Polyline:
        if (need(wmr::Poly::kWords)) {
            const std::int64_t n = r.I16(wmr::ByteOf(wmr::Poly::count));
            const std::uint64_t at = wmr::ByteOf(wmr::Poly::points);
            if (n < 0 || !r.Has(at, 4 * static_cast<std::uint64_t>(n)))
                break;
            QPolygonF pts;
            for (std::int64_t i = 0; i < n; ++i)
                pts << QPointF(r.I16(at + 4 * i), r.I16(at + 2 + 4 * i));
            if (function == WmfFunction::Polygon)
                FGdi.Polygon(pts);
            else
                FGdi.Polyline(pts);
        }
        break;
    case WmfFunction::PolyPolygon:
        if (need(wmr::PolyPolygon::kWords)) {
            const std::uint64_t polys = u(wmr::PolyPolygon::polygons);
            const std::uint64_t counts = wmr::ByteOf(wmr::PolyPolygon::counts);
            if (!r.Has(counts, 2 * polys))
                break;
            std::uint64_t total = 0;
            for (std::uint64_t i = 0; i < polys; ++i)
                total += r.U16(counts + 2 * i);
            std::uint64_t at = counts + 2 * polys;
            if (!r.Has(at, 4 * total) ||
                !FGdi.Charge(Cost::Point, static_cast<std::int64_t>(total)))
                break;
            std::vector<QPolygonF> list;
            for (std::uint64_t i = 0; i < polys; ++i) {
                QPolygonF poly;
                for (std::uint64_t k = r.U16(counts + 2 * i); k > 0; --k, at += 4)
                    poly << QPointF(r.I16(at), r.I16(at + 2));
                list.push_back(std::move(poly));
            }
            FGdi.PolyPolygon(list);
        }
        break;
    case WmfFunction::Rectangle:
        if (need(wmr::OneBox::kWords))
            FGdi.Rectangle(box(wmr::OneBox::box));
        break;
    case WmfFunction::Ellipse:
        if (need(wmr::OneBox::kWords))
            FGdi.Ellipse(box(wmr::OneBox::box));
        break;
    case WmfFunction::RoundRect:
        if (need(wmr::RoundRect::kWords))
            FGdi.RoundRect(box(wmr::RoundRect::box),
                           QSizeF(p(wmr::RoundRect::cornerWidth), p(wmr::RoundRect::cornerHeight)));
        break;
    case WmfFunction::Arc:
    case WmfFunction::Pie:
    case WmfFunction::Chord:
        if (need(wmr::ArcShape::kWords)) {
            const ArcKind kind = function == WmfFunction::Arc   ? ArcKind::Arc
                                 : function == WmfFunction::Pie ? ArcKind::Pie
                                                                : ArcKind::Chord;
            FGdi.ArcShape(box(wmr::ArcShape::box), yx(wmr::ArcShape::start), yx(wmr::ArcShape::end),
                          kind);
        }
        break;
    case WmfFunction::SetPixel:
        if (need(wmr::SetPixel::kWords))
            FGdi.SetPixel(yx(wmr::SetPixel::point), Color(r, wmr::ByteOf(wmr::SetPixel::color)));
        break;
    case WmfFunction::FillRegion:
    case WmfFunction::FrameRegion:
        if (need(function == WmfFunction::FillRegion ? wmr::RegionWithBrush::kWords
                                                     : wmr::RegionWithBrush::kFrameWords)) {
            const GdiObject* region = At(u(wmr::RegionWithBrush::region));
            const GdiObject* brush = At(u(wmr::RegionWithBrush::brush));
            if (!region || !brush || !std::holds_alternative<Region>(*region) ||
                !std::holds_alternative<LogBrush>(*brush))
                break;
            const QPainterPath path = FGdi.ToOutput().map(std::get<Region>(*region).ToPath());
            if (function == WmfFunction::FillRegion)
                FGdi.FillRegion(path, std::get<LogBrush>(*brush));
            else
                FGdi.FrameRegion(
                    path, std::get<LogBrush>(*brush),
                    QSizeF(p(wmr::RegionWithBrush::width), p(wmr::RegionWithBrush::height)));
        }
        break;
    case WmfFunction::PaintRegion:
    case WmfFunction::InvertRegion:
        if (need(wmr::OneValue::kWords)) {
            const GdiObject* region = At(u(wmr::OneValue::value));
            if (!region || !std::holds_alternative<Region>(*region))
                break;
            const QPainterPath path = FGdi.ToOutput().map(std::get<Region>(*region).ToPath());
            if (function == WmfFunction::InvertRegion)
                FGdi.InvertRegion(path);
            else
                FGdi.FillRegion(path, s.brush);
        }
        break;
    default:
        return false;
    }
    return true;
}

// Text and bitmaps.
bool WmfPlayer::PlayBitmapOrText(WmfFunction function, const Bytes& r) {
    const std::uint64_t params = r.Size() - 6;
    auto p = [&](int i) {
        return static_cast<qreal>(r.I16(6 + 2 * static_cast<std::uint64_t>(i)));
    };
    auto u = [&](int i) { return r.U16(6 + 2 * static_cast<std::uint64_t>(i)); };
    auto need = [&](std::uint64_t words) { return params >= 2 * words; };
    switch (function) {
    case WmfFunction::TextOut:
        if (need(wmr::TextOut::kWords)) {
            using L = wmr::TextOut;
            const std::int64_t len = r.I16(wmr::ByteOf(L::length));
            const std::uint64_t padded = (static_cast<std::uint64_t>(len) + 1) & ~1ull;
            const std::uint64_t string = wmr::ByteOf(L::string);
            if (len < 0 || !r.Has(string, padded + 4))
                break;
            const QPointF at(r.I16(string + padded + 2), r.I16(string + padded));
            Text(r, at, string, static_cast<std::uint64_t>(len), 0, nullptr, 0);
        }
        break;
    case WmfFunction::ExtTextOut:
        if (need(wmr::ExtTextOut::kWords)) {
            using L = wmr::ExtTextOut;
            const QPointF at(p(L::point + 1), p(L::point));
            const std::int64_t len = r.I16(wmr::ByteOf(L::length));
            const std::uint32_t options = u(L::options);
            const std::uint64_t rectAt = wmr::ByteOf(L::rect);
            std::uint64_t stringAt = rectAt;
            QRectF rect;
            const bool hasRect = options & (EtoOpaque | EtoClipped);
            if (hasRect) {
                if (!r.Has(rectAt, 2 * L::kRectWords))
                    break;
                rect = QRectF(QPointF(r.I16(rectAt), r.I16(rectAt + 2)),
                              QPointF(r.I16(rectAt + 4), r.I16(rectAt + 6)));
                stringAt += 2 * L::kRectWords;
            }
            if (len < 0 || !r.Has(stringAt, static_cast<std::uint64_t>(len)))
                break;
            const std::uint64_t dxAt = stringAt + ((static_cast<std::uint64_t>(len) + 1) & ~1ull);
            Text(r, at, stringAt, static_cast<std::uint64_t>(len), options,
                 hasRect ? &rect : nullptr,
                 r.Has(dxAt, 2 * static_cast<std::uint64_t>(len)) ? dxAt : 0);
        }
        break;
    case WmfFunction::PatBlt:
        if (need(wmr::PatBlt::kWords)) {
            using L = wmr::PatBlt;
            FGdi.Blit(QRectF(p(L::x), p(L::y), p(L::width), p(L::height)), nullptr, QRectF(),
                      r.U32(wmr::ByteOf(L::rop)));
        }
        break;
    case WmfFunction::DibBitBlt:
    case WmfFunction::BitBlt:
    case WmfFunction::DibStretchBlt:
    case WmfFunction::StretchBlt: {
        const bool stretch =
            function == WmfFunction::DibStretchBlt || function == WmfFunction::StretchBlt;
        const std::uint64_t fixedWords = FixedWords(function);
        // Without a source the record has one reserved word after xSrc
        // and no bitmap.
        const bool noSource = r.Size() / 2 == fixedWords + 3;
        const int shift = noSource ? 1 : 0;
        const int fixed = stretch ? 10 : 8;
        if (!need(static_cast<std::uint64_t>(fixed + shift)))
            break;
        const std::uint32_t rop = r.U32(wmr::ByteOf(0)); // first, in two words
        qreal srcW = 0, srcH = 0;
        int i = 2; // the words after the raster operation, in stored order
        if (stretch) {
            srcH = p(i++);
            srcW = p(i++);
        }
        const qreal ySrc = p(i++), xSrc = p(i++);
        i += shift;
        const qreal h = p(i++), w = p(i++), y = p(i++), x = p(i++);
        if (!stretch) {
            srcW = w;
            srcH = h;
        }
        std::optional<QImage> img;
        if (!noSource) {
            const std::uint64_t at = wmr::ByteOf(i);
            img = (function == WmfFunction::DibBitBlt || function == WmfFunction::DibStretchBlt)
                      ? Dib(r, at, DibRgbColors)
                      : Bitmap16(r.Sub(at, r.Size() - std::min<std::uint64_t>(at, r.Size())));
        }
        FGdi.Blit(QRectF(x, y, w, h), img ? &*img : nullptr, QRectF(xSrc, ySrc, srcW, srcH), rop);
        break;
    }
    case WmfFunction::StretchDib:
        if (need(wmr::StretchDib::kWords)) {
            using L = wmr::StretchDib;
            const std::uint32_t rop = r.U32(wmr::ByteOf(L::rop));
            const std::uint64_t bitmap = wmr::ByteOf(L::bitmap);
            auto img = Dib(r, bitmap, u(L::usage));
            const qreal srcH = p(L::srcHeight), srcW = p(L::srcWidth);
            qreal ySrc = p(L::ySrc);
            if (img &&
                IsBottomUp(r.Sub(bitmap, r.Size() - std::min<std::uint64_t>(bitmap, r.Size()))))
                ySrc = img->height() - ySrc - srcH;
            FGdi.Blit(QRectF(p(L::xDest), p(L::yDest), p(L::destWidth), p(L::destHeight)),
                      img ? &*img : nullptr, QRectF(p(L::xSrc), ySrc, srcW, srcH), rop);
        }
        break;
    case WmfFunction::SetDibToDev:
        if (need(wmr::SetDibToDev::kWords)) {
            using L = wmr::SetDibToDev;
            const std::uint64_t bitmap = wmr::ByteOf(L::bitmap);
            auto img = Dib(r, bitmap, u(L::usage));
            if (!img)
                break;
            const qreal h = p(L::height), w = p(L::width);
            qreal ySrc = p(L::ySrc);
            if (IsBottomUp(r.Sub(bitmap, r.Size() - std::min<std::uint64_t>(bitmap, r.Size()))))
                ySrc = img->height() - ySrc - h;
            FGdi.Blit(QRectF(p(L::xDest), p(L::yDest), w, h), &*img, QRectF(p(L::xSrc), ySrc, w, h),
                      Number(Rop3::SrcCopy));
        }
        break;
    default:
        return false;
    }
    return true;
}

void WmfPlayer::Play(WmfFunction function, const Bytes& r) {
    if (PlayState(function, r) || PlayObject(function, r) || PlayPaletteOrPattern(function, r) ||
        PlayDrawing(function, r) || PlayBitmapOrText(function, r))
        return;
    // Escapes, palette animation, flood fills and printer traffic are not
    // drawn.
}

} // namespace

WmfFrame MeasureWmf(const WmfFile& file, Bytes data) {
    WmfFrame frame;
    if (file.placeable && file.inch > 0) {
        const QRect& b = file.boundingBox;
        frame.picture = QRectF(b.left(), b.top(), b.width(), b.height());
        frame.natural = QSize(
            std::clamp(static_cast<int>(std::lround(b.width() * 96.0 / file.inch)), 1, 16384),
            std::clamp(static_cast<int>(std::lround(b.height() * 96.0 / file.inch)), 1, 16384));
        return frame;
    }
    std::optional<QPointF> org;
    std::optional<QSizeF> ext;
    for (const RecordRef& ref : file.records) {
        const Bytes r = data.Sub(ref.offset, ref.size);
        if (ref.type == Number(WmfFunction::SetWindowOrg) && !org && r.Size() >= 10)
            org = QPointF(r.I16(8), r.I16(6));
        if (ref.type == Number(WmfFunction::SetWindowExt) && !ext && r.Size() >= 10 &&
            r.I16(6) != 0 && r.I16(8) != 0)
            ext = QSizeF(r.I16(8), r.I16(6));
        if (org && ext)
            break;
    }
    if (ext) {
        frame.picture = QRectF(org.value_or(QPointF(0, 0)), *ext);
    } else {
        BoundsDevice bounds;
        Gdi gdi(bounds, QTransform(), 96 / 25.4, QRectF(0, 0, 1, 1), data.Size());
        WmfPlayer(file, data, gdi).Run();
        frame.picture = bounds.bounds.isValid() ? bounds.bounds : QRectF(0, 0, 1, 1);
    }
    frame.natural = QSize(
        std::clamp(static_cast<int>(std::lround(std::abs(frame.picture.width()))), 1, 16384),
        std::clamp(static_cast<int>(std::lround(std::abs(frame.picture.height()))), 1, 16384));
    return frame;
}

PlayReport PlayWmf(const WmfFile& file, Bytes data, const WmfFrame& frame, Device& device,
                   const QRectF& target) {
    const QSizeF natural = frame.natural;
    const QTransform init = QTransform::fromScale(target.width() / natural.width(),
                                                  target.height() / natural.height()) *
                            QTransform::fromTranslate(target.left(), target.top());
    Gdi gdi(device, init, 96 / 25.4, target, data.Size());
    // The picture rectangle is the starting window, shown on the whole
    // output; the file's own window records redefine it.
    gdi.SetMapMode(Number(MapMode::Anisotropic));
    gdi.SetWindowOrg(frame.picture.topLeft());
    gdi.SetWindowExt(frame.picture.size());
    gdi.SetViewportExt(natural);
    WmfPlayer(file, data, gdi).Run();
    return gdi.Budget().Report();
}

} // namespace tavik::metafile
