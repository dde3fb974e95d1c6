#include "Convert.h"
#include "Dib.h"
#include "Metafile.h"
#include "ObjectSlots.h"
#include "Records.h"
#include "Text.h"
#include "Writer.h"
#include "WriterCommon.h"

#include <QFontMetricsF>
#include <QPainterPathStroker>
#include <QRegion>
#include <cmath>
#include <map>

namespace tavik::metafile {

namespace {

int Coord(qreal v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(std::clamp<qreal>(v, -32767, 32767)))
                            : 0;
}

void WritePlaceable(ByteWriter& out, QRect box, int inch) {
    out.U32(kPlaceableKey);
    out.U16(0);
    out.I16(box.left());
    out.I16(box.top());
    out.I16(box.right());
    out.I16(box.bottom());
    out.U16(static_cast<std::uint32_t>(inch));
    out.U32(0);
    std::uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= static_cast<std::uint16_t>(out.Data()[2 * i] | (out.Data()[2 * i + 1] << 8));
    out.U16(sum);
}

class WmfRecorder : public Device {
public:
    WmfRecorder(QSize canvas, int inch) : FCanvas(canvas) {
        WritePlaceable(FOut, QRect(0, 0, canvas.width(), canvas.height()), inch);
        FHeaderAt = FOut.Size();
        FOut.U16(1);
        FOut.U16(9);
        FOut.U16(0x0300);
        FOut.U32(0); // size, patched
        FOut.U16(0); // objects, patched
        FOut.U32(0); // max record, patched
        FOut.U16(0);
        Record(WmfFunction::SetMapMode, {Number(MapMode::Anisotropic)});
        Record(WmfFunction::SetWindowOrg, {0, 0});
        Record(WmfFunction::SetWindowExt, {static_cast<std::uint32_t>(canvas.height()),
                                           static_cast<std::uint32_t>(canvas.width())});
        // A null pen and brush selected while the other one draws.
        Begin(WmfFunction::CreatePenIndirect);
        FOut.U16(5);
        FOut.I16(0);
        FOut.I16(0);
        FOut.U32(0);
        End();
        FNullPen = Take();
        Begin(WmfFunction::CreateBrushIndirect);
        FOut.U16(1);
        FOut.U32(0);
        FOut.U16(0);
        End();
        FNullBrush = Take();
    }

    std::vector<std::uint8_t> Finish() {
        if (FClipSaved)
            Record(WmfFunction::RestoreDc,
                   {static_cast<std::uint32_t>(static_cast<std::uint16_t>(-1))});
        Begin(WmfFunction::Eof);
        End();
        const std::size_t words = (FOut.Size() - FHeaderAt) / 2;
        FOut.Patch16(FHeaderAt + 6, static_cast<std::uint32_t>(words & 0xFFFF));
        FOut.Patch16(FHeaderAt + 8, static_cast<std::uint32_t>(words >> 16));
        FOut.Patch16(FHeaderAt + 10, static_cast<std::uint32_t>(FSlotsUsed));
        FOut.Patch16(FHeaderAt + 12, FMaxRecord & 0xFFFF);
        FOut.Patch16(FHeaderAt + 14, FMaxRecord >> 16);
        return std::move(FOut.Data());
    }

    void SetClip(const QPainterPath* clip) override {
        // A Windows metafile cannot drop a clip: each one lives inside a
        // saved state that is restored when the clip changes.
        if (FClipSaved) {
            Record(WmfFunction::RestoreDc,
                   {static_cast<std::uint32_t>(static_cast<std::uint16_t>(-1))});
            FClipSaved = false;
            Forget();
        }
        if (!clip)
            return;
        const std::vector<QRect> rects = ClipRegion(*clip, FCanvas);
        Record(WmfFunction::SaveDc, {});
        FClipSaved = true;
        WriteRegion(rects);
        const int slot = Take();
        Record(WmfFunction::SelectClipRegion, {static_cast<std::uint32_t>(slot)});
        Delete(slot);
    }

    void FillPath(const QPainterPath& path, const BrushSpec& brush, const DrawMode& mode) override {
        const auto figures = Flatten(path);
        if (figures.empty())
            return;
        SetMode(mode);
        Value(FPolyFill,
              Number(path.fillRule() == Qt::WindingFill ? PolyFillMode::Winding
                                                        : PolyFillMode::Alternate),
              WmfFunction::SetPolyFillMode);
        SelectBrush(brush);
        Select(FPenSel, FNullPen, FPenKey);
        Begin(WmfFunction::PolyPolygon);
        FOut.U16(static_cast<std::uint32_t>(figures.size()));
        for (const Figure& f : figures)
            FOut.U16(static_cast<std::uint32_t>(f.points.size()));
        for (const Figure& f : figures)
            Points(f.points);
        End();
    }

    void StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) override {
        // Windows metafile pens are round-ended and dash only when thin:
        // other wide pens are written as the filled outline they draw.
        if (pen.width > 0 &&
            (pen.cap != Qt::RoundCap || pen.join != Qt::RoundJoin || !pen.dashes.empty())) {
            QPainterPathStroker stroker;
            stroker.setWidth(pen.width);
            stroker.setCapStyle(pen.cap);
            stroker.setJoinStyle(pen.join);
            stroker.setMiterLimit(pen.miterLimit);
            qreal period = 0;
            QList<qreal> dashes;
            for (qreal d : pen.dashes) {
                dashes << d / pen.width;
                period += d;
            }
            const QRectF r = path.controlPointRect();
            if (!dashes.isEmpty() && period > 0 &&
                (r.width() + r.height()) * std::max(1, path.elementCount()) / period < 2e4)
                stroker.setDashPattern(dashes);
            QPainterPath outline = stroker.createStroke(path);
            outline.setFillRule(Qt::WindingFill);
            BrushSpec brush;
            brush.color = pen.color;
            FillPath(outline, brush, mode);
            return;
        }
        const auto figures = Flatten(path);
        if (figures.empty())
            return;
        SetMode(mode);
        SelectPen(pen);
        Select(FBrushSel, FNullBrush, FBrushKey);
        for (const Figure& f : figures) {
            Begin(f.closed ? WmfFunction::Polygon : WmfFunction::Polyline);
            FOut.I16(static_cast<int>(f.points.size()));
            Points(f.points);
            End();
        }
    }

    void DrawText(const TextRun& run, const DrawMode& mode) override {
        if (run.text.isEmpty())
            return;
        SetMode(mode);
        Value(FBkMode, Number(BkMode::Transparent), WmfFunction::SetBkMode);
        Value(FAlign, 0x18, WmfFunction::SetTextAlign);
        if (FTextColor != ColorRef(run.color)) {
            FTextColor = ColorRef(run.color);
            Record32(WmfFunction::SetTextColor, FTextColor);
        }
        const int charset = CharsetFor(run.text);
        SelectFont(run, charset);
        // One advance per byte: a multi-byte character's lead byte carries it.
        const QFontMetricsF fm(run.font);
        QByteArray bytes;
        std::vector<int> dx;
        qreal start = run.offsets.empty() ? 0 : run.offsets[0], x = start;
        int placed = Coord(start);
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const QByteArray one = EncodeAnsi(run.text.mid(i, 1), charset);
            const qreal next = i + 1 < static_cast<qsizetype>(run.offsets.size())
                                   ? run.offsets[i + 1]
                                   : x + fm.horizontalAdvance(run.text[i]) * run.scale;
            bytes += one;
            dx.push_back(Coord(next) - placed);
            for (qsizetype k = 1; k < one.size(); ++k)
                dx.push_back(0);
            placed = Coord(next);
            x = next;
        }
        if (bytes.size() > 32000)
            return;
        Begin(WmfFunction::ExtTextOut);
        FOut.I16(Coord(run.origin.y()));
        FOut.I16(Coord(run.origin.x()));
        FOut.I16(static_cast<int>(bytes.size()));
        FOut.U16(0);
        FOut.Bytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size());
        FOut.Pad(2);
        for (int v : dx)
            FOut.I16(v);
        End();
    }

    void DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                   std::uint32_t rop) override {
        const ImagePlacement place = PlaceImage(image, src, toOutput);
        const QImage& part = place.part;
        if (part.isNull())
            return;
        const std::vector<std::uint8_t> dib = EncodePackedDib(part, nullptr);
        Begin(WmfFunction::StretchDib);
        FOut.U32(rop);
        FOut.U16(0);
        FOut.I16(part.height());
        FOut.I16(part.width());
        FOut.I16(0);
        FOut.I16(0);
        FOut.I16(Coord(place.height));
        FOut.I16(Coord(place.width));
        FOut.I16(Coord(place.at.y()));
        FOut.I16(Coord(place.at.x()));
        FOut.Bytes(dib.data(), dib.size());
        End();
    }

private:
    void Begin(WmfFunction function) {
        FStart = FOut.Size();
        FOut.U32(0);
        FOut.U16(Number(function));
    }
    void End() {
        FOut.Pad(2);
        const std::uint32_t words = static_cast<std::uint32_t>((FOut.Size() - FStart) / 2);
        FOut.Patch32(FStart, words);
        FMaxRecord = std::max(FMaxRecord, words);
    }
    void Record(WmfFunction function, std::initializer_list<std::uint32_t> words) {
        Begin(function);
        for (std::uint32_t w : words)
            FOut.U16(w);
        End();
    }
    void Record32(WmfFunction function, std::uint32_t value) {
        Begin(function);
        FOut.U32(value);
        End();
    }
    void Points(const QPolygonF& points) {
        for (const QPointF& p : points) {
            FOut.I16(Coord(p.x()));
            FOut.I16(Coord(p.y()));
        }
    }
    // Object slots as the player will number them: the lowest free one.
    // The writer never holds more than a few objects at once.
    int Take() {
        const int slot = FSlots.Take();
        FSlotsUsed = std::max(FSlotsUsed, slot + 1);
        return slot;
    }
    void Delete(int slot) {
        Record(WmfFunction::DeleteObject, {static_cast<std::uint32_t>(slot)});
        FSlots.Free(slot);
    }
    // After a restore the selection is whatever was saved: choose again.
    void Forget() {
        FPenSel = FBrushSel = FFontSel = -1;
        FPenKey.clear();
        FBrushKey.clear();
        FFontKey.clear();
        FRop2 = FBkMode = FPolyFill = FAlign = -1;
        FBkColor = FTextColor = 0xFFFFFFFF;
    }
    void Value(std::int64_t& current, std::int64_t wanted, WmfFunction function) {
        if (current != wanted) {
            current = wanted;
            Record(function, {static_cast<std::uint32_t>(wanted)});
        }
    }
    void SetMode(const DrawMode& mode) {
        Value(FRop2, mode.rop2, WmfFunction::SetRop2);
        Value(FBkMode, Number(mode.opaque ? BkMode::Opaque : BkMode::Transparent),
              WmfFunction::SetBkMode);
        if (FBkColor != ColorRef(mode.bkColor)) {
            FBkColor = ColorRef(mode.bkColor);
            Record32(WmfFunction::SetBkColor, FBkColor);
        }
    }
    // Selects a permanent object (the null pen or brush).
    void Select(int& selected, int slot, std::vector<std::uint8_t>& key) {
        if (selected == slot)
            return;
        const int old = selected;
        selected = slot;
        key.clear();
        Record(WmfFunction::SelectObject, {static_cast<std::uint32_t>(slot)});
        Release(old);
    }
    void Release(int old) {
        if (old >= 0 && old != FNullPen && old != FNullBrush && old != FFontSel && old != FPenSel &&
            old != FBrushSel)
            Delete(old);
    }
    void Use(int& selected, int slot) {
        const int old = selected;
        selected = slot;
        Record(WmfFunction::SelectObject, {static_cast<std::uint32_t>(slot)});
        Release(old);
    }
    void SelectBrush(const BrushSpec& brush) {
        std::vector<std::uint8_t> key = BrushKey(brush);
        if (key == FBrushKey)
            return;
        FBrushKey = std::move(key);
        if (brush.kind == BrushSpec::Pattern && !brush.pattern.isNull()) {
            const std::vector<std::uint8_t> dib = EncodePackedDib(brush.pattern, nullptr);
            Begin(WmfFunction::DibCreatePatternBrush);
            FOut.U16(5);
            FOut.U16(0);
            FOut.Bytes(dib.data(), dib.size());
            End();
        } else {
            const PlainBrush plain = PlainBrushOf(brush);
            Begin(WmfFunction::CreateBrushIndirect);
            FOut.U16(plain.style);
            FOut.U32(ColorRef(plain.color));
            FOut.U16(static_cast<std::uint32_t>(brush.hatch));
            End();
        }
        Use(FBrushSel, Take());
    }
    void SelectPen(const PenSpec& pen) {
        ByteWriter k;
        k.U32(ColorRef(pen.color));
        k.U32(static_cast<std::uint32_t>(Coord(pen.width)));
        k.U32(pen.style);
        if (k.Data() == FPenKey)
            return;
        FPenKey = k.Data();
        Begin(WmfFunction::CreatePenIndirect);
        // Only thin pens keep their dashes here.
        FOut.U16(pen.width == 0 && pen.style <= 4 ? pen.style : 0);
        FOut.I16(Coord(pen.width));
        FOut.I16(0);
        FOut.U32(ColorRef(pen.color));
        End();
        Use(FPenSel, Take());
    }
    void SelectFont(const TextRun& run, int charset) {
        const QFont& f = run.font;
        const int height = -std::max(1, Coord(f.pixelSize() * run.scale));
        const int esc = Coord(-run.angle * 10);
        ByteWriter k;
        k.I32(height);
        k.I32(esc);
        k.U32(f.weight());
        k.U32(f.italic() | (f.underline() << 1) | (f.strikeOut() << 2));
        k.U32(charset);
        k.U32(f.stretch());
        const QByteArray face = EncodeAnsi(f.family(), charset).left(31);
        for (char c : face)
            k.U8(static_cast<std::uint8_t>(c));
        if (k.Data() == FFontKey)
            return;
        FFontKey = k.Data();
        const int width = Coord(StretchedFontWidth(f, run.scale));
        Begin(WmfFunction::CreateFontIndirect);
        FOut.I16(height);
        FOut.I16(width);
        FOut.I16(esc);
        FOut.I16(esc);
        FOut.I16(f.weight());
        FOut.U8(f.italic());
        FOut.U8(f.underline());
        FOut.U8(f.strikeOut());
        FOut.U8(static_cast<std::uint8_t>(charset));
        FOut.U8(0);
        FOut.U8(0);
        FOut.U8(0);
        FOut.U8(0);
        FOut.Bytes(reinterpret_cast<const std::uint8_t*>(face.constData()), face.size());
        FOut.U8(0);
        End();
        Use(FFontSel, Take());
    }
    void WriteRegion(const std::vector<QRect>& rects) {
        // Rectangles of one band share top and bottom: one scan each.
        std::map<std::pair<int, int>, std::vector<QRect>> scans;
        QRect b;
        for (const QRect& r : rects) {
            scans[{r.top(), r.bottom() + 1}].push_back(r);
            b = b.united(r);
        }
        Begin(WmfFunction::CreateRegion);
        FOut.U16(0);
        FOut.U16(6);
        FOut.U32(0);
        const std::size_t sizeAt = FOut.Size();
        FOut.I16(0);
        FOut.I16(static_cast<int>(scans.size()));
        FOut.I16(0);
        FOut.I16(Coord(b.left()));
        FOut.I16(Coord(b.top()));
        FOut.I16(Coord(b.right() + 1));
        FOut.I16(Coord(b.bottom() + 1));
        int maxScan = 0;
        for (const auto& [band, rects] : scans) {
            const int count = static_cast<int>(rects.size() * 2);
            maxScan = std::max(maxScan, count);
            FOut.U16(static_cast<std::uint32_t>(count));
            FOut.I16(Coord(band.first));
            FOut.I16(Coord(band.second));
            for (const QRect& r : rects) {
                FOut.I16(Coord(r.left()));
                FOut.I16(Coord(r.right() + 1));
            }
            FOut.U16(static_cast<std::uint32_t>(count));
        }
        FOut.Patch16(sizeAt, static_cast<std::uint32_t>(
                                 std::min<std::size_t>(FOut.Size() - FStart - 6, 0x7FFF)));
        FOut.Patch16(sizeAt + 4, static_cast<std::uint32_t>(maxScan));
        End();
    }

    QSize FCanvas;
    ByteWriter FOut;
    std::size_t FHeaderAt = 0;
    std::size_t FStart = 0;
    std::uint32_t FMaxRecord = 0;
    ObjectSlots FSlots;
    int FSlotsUsed = 0;
    int FNullPen = -1, FNullBrush = -1;
    int FPenSel = -1, FBrushSel = -1, FFontSel = -1;
    std::vector<std::uint8_t> FPenKey, FBrushKey, FFontKey;
    std::int64_t FRop2 = 13, FBkMode = 2, FPolyFill = 1, FAlign = 0;
    std::uint32_t FBkColor = 0xFFFFFF, FTextColor = 0;
    bool FClipSaved = false;
};

} // namespace

std::vector<std::uint8_t> ConvertToWmf(const MetafileDocument& doc) {
    const QSize natural = doc.NaturalSize();
    const int k = CanvasScale(natural, 32000);
    const QSize canvas = natural * k;
    WmfRecorder recorder(canvas, 96 * k);
    doc.Play(recorder, QRectF(0, 0, canvas.width(), canvas.height()));
    return recorder.Finish();
}

std::vector<std::uint8_t> AddPlaceableHeader(const std::vector<std::uint8_t>& wmf,
                                             const WmfFrame& frame) {
    // The box is the picture's size in 0.01 mm at 2540 units per inch;
    // larger pictures take fewer units per inch so the box fits 16 bits.
    const int side = std::max(frame.natural.width(), frame.natural.height());
    const int inch = side * 2540 / 96 > 32767 ? std::max(1, 32767 * 96 / side) : 2540;
    const QRect box(0, 0, frame.natural.width() * inch / 96, frame.natural.height() * inch / 96);
    ByteWriter out;
    WritePlaceable(out, box, inch);
    const Bytes data(wmf);
    bool hasWindow = false;
    for (std::size_t at = 18; at + 6 <= wmf.size();) {
        const std::uint64_t words = data.U32(at);
        const std::uint16_t function = data.U16(at + 4);
        if (function == Number(WmfFunction::SetWindowExt))
            hasWindow = true;
        if (words < 3 || function == Number(WmfFunction::Eof))
            break;
        at += words * 2;
    }
    if (hasWindow) {
        out.Bytes(wmf.data(), wmf.size());
        return std::move(out.Data());
    }
    // Without a window of its own the picture would be drawn in the box's
    // units: state its own rectangle right after the header.
    out.Bytes(wmf.data(), std::min<std::size_t>(18, wmf.size()));
    auto record = [&](WmfFunction function, int a, int b) {
        out.U32(5);
        out.U16(Number(function));
        out.I16(a);
        out.I16(b);
    };
    const QRectF& p = frame.picture;
    out.U32(4);
    out.U16(Number(WmfFunction::SetMapMode));
    out.U16(Number(MapMode::Anisotropic));
    record(WmfFunction::SetWindowOrg, Coord(p.top()), Coord(p.left()));
    record(WmfFunction::SetWindowExt, Coord(p.height()), Coord(p.width()));
    const std::size_t body = std::min<std::size_t>(18, wmf.size());
    out.Bytes(wmf.data() + body, wmf.size() - body);
    // The header counts the metafile in words: add the 14 inserted ones.
    const std::uint32_t words = Bytes(out.Data()).U32(22 + 6) + 14;
    out.Patch32(22 + 6, words);
    return std::move(out.Data());
}

} // namespace tavik::metafile
