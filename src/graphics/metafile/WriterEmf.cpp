#include "Convert.h"
#include "Dib.h"
#include "EmfWriterDevice.h"
#include "Metafile.h"
#include "Records.h"
#include "Writer.h"
#include "WriterCommon.h"

#include <QFontMetricsF>
#include <cmath>
#include <cstring>

namespace tavik::metafile {

namespace {

constexpr std::uint32_t kStockNullBrush = Number(StockObject::NullBrush),
                        kStockNullPen = Number(StockObject::NullPen),
                        kStockBlackPen = Number(StockObject::BlackPen),
                        kStockWhiteBrush = Number(StockObject::WhiteBrush),
                        kStockSystemFont = Number(StockObject::SystemFont);
enum Slot : std::uint32_t { PenSlot = 1, BrushSlot = 2, FontSlot = 3, SlotCount = 4 };

std::int64_t Round(qreal v) {
    return std::isfinite(v) ? std::llround(std::clamp<qreal>(v, -2e9, 2e9)) : 0;
}

class EmfRecorder : public EmfWriterDevice {
public:
    EmfRecorder(QSize natural, QSize canvas) : FCanvas(canvas) {
        // The header's device and micrometre sizes make one reference pixel
        // one canvas unit, so nothing else needs a mapping.
        const std::int64_t frameW = std::llround(natural.width() * 2540.0 / 96);
        const std::int64_t frameH = std::llround(natural.height() * 2540.0 / 96);
        Begin(EmfRecord::Header);
        I32Rect(0, 0, canvas.width() - 1, canvas.height() - 1);
        I32Rect(0, 0, frameW, frameH);
        FOut.U32(0x464D4520);
        FOut.U32(0x00010000);
        FOut.U32(0); // bytes, patched
        FOut.U32(0); // records, patched
        FOut.U16(SlotCount);
        FOut.U16(0);
        FOut.U32(0);
        FOut.U32(0);
        FOut.U32(0);
        FOut.I32(canvas.width());
        FOut.I32(canvas.height());
        FOut.I32(std::max<std::int64_t>(1, frameW / 100));
        FOut.I32(std::max<std::int64_t>(1, frameH / 100));
        FOut.U32(0);
        FOut.U32(0);
        FOut.U32(0);
        FOut.I32(frameW * 10);
        FOut.I32(frameH * 10);
        End();
        Record(
            EmfRecord::SetMapMode,
            {Number(
                MapMode::Anisotropic)}); // anisotropic keeps the extents 1:1 but says what we mean
    }

    std::vector<std::uint8_t> Finish() override {
        Begin(EmfRecord::Eof);
        FOut.U32(0);
        FOut.U32(16);
        FOut.U32(20);
        End();
        FOut.Patch32(48, static_cast<std::uint32_t>(FOut.Size()));
        FOut.Patch32(52, FRecords);
        return std::move(FOut.Data());
    }

    void SetClip(const QPainterPath* clip) override {
        if (!clip) {
            Begin(EmfRecord::ExtSelectClipRgn);
            FOut.U32(0);
            FOut.U32(5);
            End();
            return;
        }
        const std::vector<QRect> rects = ClipRegion(*clip, FCanvas);
        Begin(EmfRecord::ExtSelectClipRgn);
        FOut.U32(static_cast<std::uint32_t>(32 + 16 * rects.size()));
        FOut.U32(5);
        RegionData(rects);
        End();
    }

    void FillPath(const QPainterPath& path, const BrushSpec& brush, const DrawMode& mode) override {
        const auto figures = Flatten(path);
        if (figures.empty())
            return;
        SetMode(mode);
        Value(FPolyFill,
              Number(path.fillRule() == Qt::WindingFill ? PolyFillMode::Winding
                                                        : PolyFillMode::Alternate),
              EmfRecord::SetPolyFillMode);
        SelectBrush(brush, mode);
        SelectStock(FPenSel, kStockNullPen);
        std::vector<QPolygonF> polys;
        for (const Figure& f : figures)
            polys.push_back(f.points);
        PolyPoly(EmfRecord::PolyPolygon, polys);
    }

    void StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) override {
        const auto figures = Flatten(path);
        if (figures.empty())
            return;
        SetMode(mode);
        SelectPen(pen);
        SelectStock(FBrushSel, kStockNullBrush);
        std::vector<QPolygonF> open, closed;
        for (const Figure& f : figures)
            (f.closed ? closed : open).push_back(f.points);
        if (!closed.empty())
            PolyPoly(EmfRecord::PolyPolygon, closed);
        if (!open.empty())
            PolyPoly(EmfRecord::PolyPolyline, open);
    }

    void DrawText(const TextRun& run, const DrawMode& mode) override {
        if (run.text.isEmpty())
            return;
        SetMode(mode);
        Value(FBkMode, Number(BkMode::Transparent), EmfRecord::SetBkMode);
        Value(FAlign, 0x18, EmfRecord::SetTextAlign);
        Value(FTextColor, ColorRef(run.color), EmfRecord::SetTextColor);
        SelectFont(run);
        const std::vector<std::int64_t> dx = Advances(run);
        const std::uint32_t chars = static_cast<std::uint32_t>(run.text.size());
        Begin(EmfRecord::ExtTextOutW);
        I32Rect(0, 0, -1, -1);
        FOut.U32(1);
        FOut.U32(0);
        FOut.U32(0);
        FOut.I32(Round(run.origin.x()));
        FOut.I32(Round(run.origin.y()));
        FOut.U32(chars);
        const std::uint32_t offString = 76;
        const std::uint32_t offDx = offString + ((chars * 2 + 3) & ~3u);
        FOut.U32(offString);
        FOut.U32(0);
        I32Rect(0, 0, -1, -1);
        FOut.U32(offDx);
        for (QChar c : run.text)
            FOut.U16(c.unicode());
        FOut.Pad(4);
        for (std::int64_t v : dx)
            FOut.I32(v);
        End();
    }

    void DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                   std::uint32_t rop) override {
        const ImagePlacement place = PlaceImage(image, src, toOutput);
        const QImage& part = place.part;
        if (part.isNull())
            return;
        if (HasTransparency(part)) {
            AlphaBlend(place);
            return;
        }
        std::size_t bitsAt = 0;
        const std::vector<std::uint8_t> dib = EncodePackedDib(part, &bitsAt);
        const QRectF& box = place.box;
        Begin(EmfRecord::StretchDiBits);
        I32Rect(Round(box.left()), Round(box.top()), Round(box.right()), Round(box.bottom()));
        FOut.I32(Round(place.at.x()));
        FOut.I32(Round(place.at.y()));
        FOut.I32(0);
        FOut.I32(0);
        FOut.I32(part.width());
        FOut.I32(part.height());
        FOut.U32(80);
        FOut.U32(static_cast<std::uint32_t>(bitsAt));
        FOut.U32(static_cast<std::uint32_t>(80 + bitsAt));
        FOut.U32(static_cast<std::uint32_t>(dib.size() - bitsAt));
        FOut.U32(0);
        FOut.U32(rop);
        FOut.I32(Round(place.width));
        FOut.I32(Round(place.height));
        FOut.Bytes(dib.data(), dib.size());
        End();
    }

private:
    static bool HasTransparency(const QImage& image) {
        if (!image.hasAlphaChannel())
            return false;
        const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            for (int x = 0; x < argb.width(); ++x)
                if (qAlpha(line[x]) != 255)
                    return true;
        }
        return false;
    }
    // EMR_ALPHABLEND with a bottom-up 32-bit premultiplied bitmap: the one
    // record that keeps per-pixel alpha. It cannot mirror, so a mirrored
    // placement flips the pixels instead.
    void AlphaBlend(const ImagePlacement& place) {
        QImage part = place.part.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                          .mirrored(place.width < 0, place.height < 0);
        const qreal left = place.width < 0 ? place.at.x() + place.width : place.at.x();
        const qreal top = place.height < 0 ? place.at.y() + place.height : place.at.y();
        const std::uint32_t bitsSize = static_cast<std::uint32_t>(part.width()) * 4 *
                                       static_cast<std::uint32_t>(part.height());
        const QRectF& box = place.box;
        Begin(EmfRecord::AlphaBlend);
        I32Rect(Round(box.left()), Round(box.top()), Round(box.right()), Round(box.bottom()));
        FOut.I32(Round(left));
        FOut.I32(Round(top));
        FOut.I32(Round(std::abs(place.width)));
        FOut.I32(Round(std::abs(place.height)));
        FOut.U32(0x01FF0000); // AC_SRC_OVER, constant alpha 255, AC_SRC_ALPHA
        FOut.I32(0);
        FOut.I32(0);
        for (float v : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f}) {
            std::uint32_t bits = 0;
            std::memcpy(&bits, &v, 4);
            FOut.U32(bits);
        }
        FOut.U32(0);
        FOut.U32(0);
        FOut.U32(108);
        FOut.U32(40);
        FOut.U32(148);
        FOut.U32(bitsSize);
        FOut.I32(part.width());
        FOut.I32(part.height());
        FOut.U32(40);
        FOut.I32(part.width());
        FOut.I32(part.height());
        FOut.U16(1);
        FOut.U16(32);
        FOut.U32(0);
        FOut.U32(bitsSize);
        FOut.U32(0);
        FOut.U32(0);
        FOut.U32(0);
        FOut.U32(0);
        for (int y = part.height() - 1; y >= 0; --y) {
            const auto* line = reinterpret_cast<const QRgb*>(part.constScanLine(y));
            for (int x = 0; x < part.width(); ++x)
                FOut.U32(line[x]); // 0xAARRGGBB is B, G, R, A in file order
        }
        End();
    }
    void Begin(EmfRecord type) {
        FStart = FOut.Size();
        FOut.U32(Number(type));
        FOut.U32(0);
    }
    void End() {
        FOut.Pad(4);
        FOut.Patch32(FStart + 4, static_cast<std::uint32_t>(FOut.Size() - FStart));
        ++FRecords;
    }
    void Record(EmfRecord type, std::initializer_list<std::uint32_t> values) {
        Begin(type);
        for (std::uint32_t v : values)
            FOut.U32(v);
        End();
    }
    void I32Rect(std::int64_t l, std::int64_t t, std::int64_t r, std::int64_t b) {
        FOut.I32(l);
        FOut.I32(t);
        FOut.I32(r);
        FOut.I32(b);
    }
    void Value(std::int64_t& current, std::int64_t wanted, EmfRecord type) {
        if (current != wanted) {
            current = wanted;
            Record(type, {static_cast<std::uint32_t>(wanted)});
        }
    }
    void SetMode(const DrawMode& mode) {
        Value(FRop2, mode.rop2, EmfRecord::SetRop2);
        Value(FBkColor, ColorRef(mode.bkColor), EmfRecord::SetBkColor);
        Value(FBkMode, Number(mode.opaque ? BkMode::Opaque : BkMode::Transparent),
              EmfRecord::SetBkMode);
    }
    void SelectStock(std::uint32_t& selected, std::uint32_t stock) {
        if (selected != stock) {
            selected = stock;
            Record(EmfRecord::SelectObject, {stock});
        }
    }
    // Replaces the object in slot: the stock object steps in while the old
    // one is deleted, so no selected object is ever deleted.
    void Replace(std::uint32_t slot, std::uint32_t& selected, std::uint32_t stock) {
        if (selected == slot)
            SelectStock(selected, stock);
        Record(EmfRecord::DeleteObject, {slot});
    }
    void SelectBrush(const BrushSpec& brush, const DrawMode& mode) {
        std::vector<std::uint8_t> key = BrushKey(brush);
        if (key != FBrushKey) {
            FBrushKey = std::move(key);
            Replace(BrushSlot, FBrushSel, kStockWhiteBrush);
            if (brush.kind == BrushSpec::Pattern && !brush.pattern.isNull()) {
                std::size_t bitsAt = 0;
                const std::vector<std::uint8_t> dib = EncodePackedDib(brush.pattern, &bitsAt);
                Begin(EmfRecord::CreateDibPatternBrushPt);
                FOut.U32(BrushSlot);
                FOut.U32(0);
                FOut.U32(32);
                FOut.U32(static_cast<std::uint32_t>(bitsAt));
                FOut.U32(static_cast<std::uint32_t>(32 + bitsAt));
                FOut.U32(static_cast<std::uint32_t>(dib.size() - bitsAt));
                FOut.Bytes(dib.data(), dib.size());
                End();
            } else {
                const PlainBrush plain = PlainBrushOf(brush);
                Record(EmfRecord::CreateBrushIndirect,
                       {BrushSlot, plain.style, ColorRef(plain.color),
                        static_cast<std::uint32_t>(brush.hatch)});
            }
        }
        (void)mode;
        if (FBrushSel != BrushSlot) {
            FBrushSel = BrushSlot;
            Record(EmfRecord::SelectObject, {BrushSlot});
        }
    }
    void SelectPen(const PenSpec& pen) {
        ByteWriter k;
        k.U32(ColorRef(pen.color));
        k.I32(Round(pen.width * 16));
        k.U32(pen.style);
        k.U32(pen.cap);
        k.U32(pen.join);
        for (qreal d : pen.dashes)
            k.I32(Round(d * 16));
        if (k.Data() != FPenKey) {
            FPenKey = k.Data();
            Replace(PenSlot, FPenSel, kStockBlackPen);
            if (pen.width == 0 && pen.style <= 4) {
                Record(EmfRecord::CreatePen,
                       {PenSlot, static_cast<std::uint32_t>(pen.style), 0, 0, ColorRef(pen.color)});
            } else {
                std::uint32_t style = 0x10000;
                style |= pen.cap == Qt::SquareCap ? 0x100 : pen.cap == Qt::FlatCap ? 0x200 : 0;
                style |= pen.join == Qt::BevelJoin   ? 0x1000
                         : pen.join == Qt::MiterJoin ? 0x2000
                                                     : 0;
                if (!pen.dashes.empty())
                    style |= 7;
                Begin(EmfRecord::ExtCreatePen);
                FOut.U32(PenSlot);
                FOut.U32(0);
                FOut.U32(0);
                FOut.U32(0);
                FOut.U32(0);
                FOut.U32(style);
                FOut.U32(static_cast<std::uint32_t>(std::max<std::int64_t>(1, Round(pen.width))));
                FOut.U32(0);
                FOut.U32(ColorRef(pen.color));
                FOut.U32(0);
                FOut.U32(static_cast<std::uint32_t>(pen.dashes.size()));
                for (qreal d : pen.dashes)
                    FOut.U32(static_cast<std::uint32_t>(std::max<std::int64_t>(1, Round(d))));
                End();
            }
        }
        if (FPenSel != PenSlot) {
            FPenSel = PenSlot;
            Record(EmfRecord::SelectObject, {PenSlot});
        }
    }
    void SelectFont(const TextRun& run) {
        const QFont& f = run.font;
        const std::int64_t height = -std::max<std::int64_t>(1, Round(f.pixelSize() * run.scale));
        const std::int64_t esc = Round(-run.angle * 10);
        ByteWriter k;
        k.I32(height);
        k.I32(esc);
        k.U32(f.weight());
        k.U32(f.italic() | (f.underline() << 1) | (f.strikeOut() << 2));
        k.U32(f.stretch());
        const QString face = f.family().left(31);
        for (QChar c : face)
            k.U16(c.unicode());
        if (k.Data() == FFontKey && FFontSel == FontSlot)
            return;
        FFontKey = k.Data();
        Replace(FontSlot, FFontSel, kStockSystemFont);
        Begin(EmfRecord::ExtCreateFontIndirectW);
        FOut.U32(FontSlot);
        FOut.I32(height);
        FOut.I32(Round(StretchedFontWidth(f, run.scale)));
        FOut.I32(esc);
        FOut.I32(esc);
        FOut.I32(f.weight());
        FOut.U8(f.italic());
        FOut.U8(f.underline());
        FOut.U8(f.strikeOut());
        FOut.U8(1);
        FOut.U8(0);
        FOut.U8(0);
        FOut.U8(0);
        FOut.U8(0);
        for (int i = 0; i < 32; ++i)
            FOut.U16(i < face.size() ? face[i].unicode() : 0);
        End();
        FFontSel = FontSlot;
        Record(EmfRecord::SelectObject, {FontSlot});
    }
    std::vector<std::int64_t> Advances(const TextRun& run) const {
        std::vector<qreal> starts = run.offsets;
        const QFontMetricsF fm(run.font);
        if (starts.empty()) {
            qreal x = 0;
            for (QChar c : run.text) {
                starts.push_back(x);
                x += fm.horizontalAdvance(c) * run.scale;
            }
        }
        std::vector<std::int64_t> dx;
        std::int64_t placed = Round(starts[0]);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const qreal next = i + 1 < starts.size()
                                   ? starts[i + 1]
                                   : starts[i] + fm.horizontalAdvance(run.text.back()) * run.scale;
            // Rounded against the running total, so errors never add up.
            const std::int64_t end = Round(next);
            dx.push_back(end - placed);
            placed = end;
        }
        return dx;
    }
    void PolyPoly(EmfRecord type, const std::vector<QPolygonF>& polys) {
        std::uint64_t total = 0;
        QRectF bounds;
        for (const QPolygonF& p : polys) {
            total += p.size();
            bounds = bounds.united(p.boundingRect());
        }
        Begin(type);
        I32Rect(Round(bounds.left()), Round(bounds.top()), Round(bounds.right()),
                Round(bounds.bottom()));
        FOut.U32(static_cast<std::uint32_t>(polys.size()));
        FOut.U32(static_cast<std::uint32_t>(total));
        for (const QPolygonF& p : polys)
            FOut.U32(static_cast<std::uint32_t>(p.size()));
        for (const QPolygonF& p : polys)
            for (const QPointF& pt : p) {
                FOut.I32(Round(pt.x()));
                FOut.I32(Round(pt.y()));
            }
        End();
    }
    void RegionData(const std::vector<QRect>& rects) {
        QRect b;
        for (const QRect& r : rects)
            b = b.united(r);
        FOut.U32(32);
        FOut.U32(1);
        FOut.U32(static_cast<std::uint32_t>(rects.size()));
        FOut.U32(static_cast<std::uint32_t>(16 * rects.size()));
        I32Rect(b.left(), b.top(), b.right() + 1, b.bottom() + 1);
        for (const QRect& r : rects)
            I32Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1);
    }

    QSize FCanvas;
    ByteWriter FOut;
    std::size_t FStart = 0;
    std::uint32_t FRecords = 0;
    std::int64_t FRop2 = 13, FBkColor = 0xFFFFFF, FBkMode = 2, FPolyFill = 1, FAlign = 0,
                 FTextColor = 0;
    std::uint32_t FPenSel = kStockBlackPen, FBrushSel = kStockWhiteBrush,
                  FFontSel = kStockSystemFont;
    std::vector<std::uint8_t> FPenKey, FBrushKey, FFontKey;
};

} // namespace

std::vector<std::uint8_t> ConvertToEmf(const MetafileDocument& doc) {
    const QSize natural = doc.NaturalSize();
    const int k = CanvasScale(natural, 8000);
    const QSize canvas = natural * k;
    EmfRecorder recorder(natural, canvas);
    doc.Play(recorder, QRectF(0, 0, canvas.width(), canvas.height()));
    return recorder.Finish();
}

std::unique_ptr<EmfWriterDevice> NewEmfWriter(QSize natural, QSize canvas) {
    return std::make_unique<EmfRecorder>(natural, canvas);
}

} // namespace tavik::metafile
