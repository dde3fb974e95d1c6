#include "EmfRecorder.h"

#include "Convert.h"
#include "EmfWriterDevice.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPathStroker>
#include <QPixmap>
#include <QTextItem>
#include <climits>
#include <cmath>

namespace tavik::metafile {

namespace {

constexpr std::uint32_t kSourceCopy = 0x00CC0020;
// Device units of the metafile per pixel are chosen so that the canvas side
// stays near this; curves are flattened at that resolution.
constexpr int kCanvasLimit = 8000;

// Transparent background: dash gaps stay gaps, as QPainter draws them.
const DrawMode kPlainMode{13, false, Qt::white};

bool Near(qreal a, qreal b) {
    return std::abs(a - b) <= 1e-6 * std::max({std::abs(a), std::abs(b), qreal(1)});
}

// A uniform scale with a rotation and no mirroring: what a pen width and a
// font height can follow.
bool IsSimilarity(const QTransform& t) {
    return t.type() <= QTransform::TxRotate && Near(t.m11(), t.m22()) && Near(t.m12(), -t.m21()) &&
           t.m11() * t.m22() - t.m12() * t.m21() > 0;
}

qreal ScaleOf(const QTransform& t) {
    return std::sqrt(std::abs(t.m11() * t.m22() - t.m12() * t.m21()));
}

bool IsOpaqueSolid(const QBrush& brush) {
    return brush.style() == Qt::SolidPattern && brush.color().alpha() == 255;
}

// A brush that paints nothing: none at all, or a fully transparent colour.
// Qt's SVG renderer strokes with a pen of no brush where a file has no stroke.
bool PaintsNothing(const QBrush& brush) {
    return brush.style() == Qt::NoBrush ||
           (brush.style() == Qt::SolidPattern && brush.color().alpha() == 0);
}

} // namespace

// The QPaintEngine behind EmfPaintDevice. It takes every feature, so that
// QPainter hands over text as text and paths as paths, and itself draws what
// EMF records cannot hold (gradients, patterns, alpha, opacity) as images.
class EmfPaintEngine : public QPaintEngine {
public:
    explicit EmfPaintEngine(QSize natural)
        : QPaintEngine(AllFeatures), FNatural(natural), FScale(CanvasScale(natural, kCanvasLimit)),
          FWriter(NewEmfWriter(natural, natural * FScale)) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return User; }

    std::vector<std::uint8_t> Finish() { return FWriter->Finish(); }

    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags flags = state.state();
        if (flags & DirtyPen)
            FPen = state.pen();
        if (flags & DirtyBrush)
            FBrush = state.brush();
        if (flags & DirtyTransform)
            FTransform = state.transform();
        if (flags & DirtyOpacity)
            FOpacity = state.opacity();
        if (flags & DirtyClipEnabled)
            FClipEnabled = state.isClipEnabled();
        if (flags & DirtyClipPath)
            ChangeClip(FTransform.map(state.clipPath()), state.clipOperation());
        if (flags & DirtyClipRegion) {
            QPainterPath path;
            path.addRegion(state.clipRegion());
            ChangeClip(FTransform.map(path), state.clipOperation());
        }
    }

    void drawPath(const QPainterPath& path) override { Draw(path, true, true); }

    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (count < 2)
            return;
        QPainterPath path;
        path.moveTo(points[0]);
        for (int i = 1; i < count; ++i)
            path.lineTo(points[i]);
        if (mode == PolylineMode) {
            Draw(path, false, true);
            return;
        }
        path.closeSubpath();
        path.setFillRule(mode == OddEvenMode ? Qt::OddEvenFill : Qt::WindingFill);
        Draw(path, true, true);
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QString text = item.text();
        if (text.isEmpty() || FPen.style() == Qt::NoPen || PaintsNothing(FPen.brush()))
            return;
        SyncClip();
        QFont font = item.font();
        const qreal pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72;
        if (!IsOpaqueSolid(FPen.brush()) || !IsSimilarity(FTransform) || pixels <= 0 ||
            FOpacity < 1) {
            QPainterPath outline;
            outline.addText(p, font, text);
            Fill(outline, FPen.brush());
            return;
        }
        const int whole = std::max(1, static_cast<int>(std::lround(pixels)));
        font.setPixelSize(whole);
        TextRun run;
        run.text = text;
        run.font = font;
        run.scale = pixels / whole * ScaleOf(FTransform) * FScale;
        run.color = FPen.color();
        run.origin = FTransform.map(p) * FScale;
        run.angle = std::atan2(FTransform.m12(), FTransform.m11()) * 180 / M_PI;
        // Advances of each prefix keep the kerning the layout used.
        const QFontMetricsF metrics(font);
        for (qsizetype i = 0; i < text.size(); ++i)
            run.offsets.push_back(metrics.horizontalAdvance(text.left(i)) * run.scale);
        FWriter->DrawText(run, kPlainMode);
    }

    void drawImage(const QRectF& r, const QImage& image, const QRectF& sr,
                   Qt::ImageConversionFlags) override {
        if (image.isNull() || r.isEmpty())
            return;
        SyncClip();
        const QTransform& t = FTransform;
        if (t.type() <= QTransform::TxScale && FOpacity == 1) {
            const QPointF at = t.map(r.topLeft()) * FScale;
            const QTransform toOutput(r.width() * t.m11() * FScale, 0, 0,
                                      r.height() * t.m22() * FScale, at.x(), at.y());
            FWriter->DrawImage(image, sr, toOutput, kSourceCopy);
            return;
        }
        // Rotated, sheared and faded images are drawn upright into their box
        // first.
        QPainterPath area;
        area.addRect(r);
        RenderArea(area, [&](QPainter& painter) { painter.drawImage(r, image, sr); });
    }

    void drawPixmap(const QRectF& r, const QPixmap& pixmap, const QRectF& sr) override {
        drawImage(r, pixmap.toImage(), sr, Qt::AutoColor);
    }

    void drawTiledPixmap(const QRectF& r, const QPixmap& pixmap, const QPointF& s) override {
        QBrush tiles(pixmap);
        tiles.setTransform(QTransform::fromTranslate(r.x() - s.x(), r.y() - s.y()));
        QPainterPath area;
        area.addRect(r);
        SyncClip();
        Fill(area, tiles);
    }

private:
    QTransform ToCanvas() const { return FTransform * QTransform::fromScale(FScale, FScale); }

    void ChangeClip(const QPainterPath& devicePath, Qt::ClipOperation operation) {
        switch (operation) {
        case Qt::NoClip:
            FHasClip = false;
            FClip = QPainterPath();
            break;
        case Qt::ReplaceClip:
            FHasClip = true;
            FClip = devicePath;
            break;
        case Qt::IntersectClip:
            FClip = FHasClip ? FClip.intersected(devicePath) : devicePath;
            FHasClip = true;
            break;
        }
    }

    // Writes the clip a drawing needs when it differs from the one written.
    void SyncClip() {
        const bool wanted = FClipEnabled && FHasClip;
        if (wanted == FWrittenClipOn && (!wanted || FClip == FWrittenClip))
            return;
        FWrittenClipOn = wanted;
        FWrittenClip = wanted ? FClip : QPainterPath();
        if (!wanted) {
            FWriter->SetClip(nullptr);
            return;
        }
        const QPainterPath canvasClip = QTransform::fromScale(FScale, FScale).map(FClip);
        FWriter->SetClip(&canvasClip);
    }

    void Draw(const QPainterPath& path, bool fill, bool stroke) {
        if (path.isEmpty())
            return;
        SyncClip();
        if (fill && !PaintsNothing(FBrush))
            Fill(path, FBrush);
        if (stroke && FPen.style() != Qt::NoPen && !PaintsNothing(FPen.brush()))
            Stroke(path);
    }

    void Fill(const QPainterPath& path, const QBrush& brush) {
        if (!IsOpaqueSolid(brush) || FOpacity < 1) {
            RenderArea(path, [&](QPainter& painter) { painter.fillPath(path, brush); });
            return;
        }
        BrushSpec fill;
        fill.kind = BrushSpec::Solid;
        fill.color = brush.color();
        FWriter->FillPath(ToCanvas().map(path), fill, kPlainMode);
    }

    void Stroke(const QPainterPath& path) {
        const bool cosmetic = FPen.isCosmetic();
        const bool dashed = FPen.style() != Qt::SolidLine;
        const bool expressible = IsOpaqueSolid(FPen.brush()) && FOpacity == 1 &&
                                 (cosmetic || IsSimilarity(FTransform)) &&
                                 !(dashed && FPen.dashOffset() != 0);
        if (!expressible) {
            // The outline QPainter would stroke, filled.
            QPainterPathStroker stroker(FPen);
            if (cosmetic) {
                const QPainterPath device = FTransform.map(path);
                const QTransform saved = FTransform;
                FTransform = QTransform();
                Fill(stroker.createStroke(device), FPen.brush());
                FTransform = saved;
            } else {
                Fill(stroker.createStroke(path), FPen.brush());
            }
            return;
        }
        const qreal toDevice = cosmetic ? 1 : ScaleOf(FTransform);
        const qreal width = FPen.widthF() * toDevice; // device pixels
        PenSpec pen;
        pen.color = FPen.color();
        pen.cap = FPen.capStyle();
        pen.join = FPen.joinStyle() == Qt::SvgMiterJoin ? Qt::MiterJoin : FPen.joinStyle();
        pen.miterLimit = FPen.miterLimit();
        pen.width = width * FScale;
        if (dashed) {
            // Dash lengths count in pen widths, never below one unit.
            const qreal unit = std::max<qreal>(FPen.widthF(), 1) * toDevice * FScale;
            for (qreal d : FPen.dashPattern())
                pen.dashes.push_back(d * unit);
            if (pen.width == 0)
                pen.width = FScale;
        }
        FWriter->StrokePath(ToCanvas().map(path), pen, kPlainMode);
    }

    // Draws into an image of the device pixels that path covers and writes
    // that image: the way to keep what no EMF record can say.
    template <typename Paint> void RenderArea(const QPainterPath& path, Paint paint) {
        const QRectF device = FTransform.map(path).boundingRect().adjusted(-1, -1, 1, 1);
        const QRect box =
            device.intersected(QRectF(QPointF(0, 0), QSizeF(FNatural))).toAlignedRect();
        if (box.isEmpty())
            return;
        QImage image(box.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.setOpacity(FOpacity);
            painter.translate(-box.topLeft());
            painter.setTransform(FTransform, true);
            paint(painter);
        }
        const QTransform toOutput(box.width() * FScale, 0, 0, box.height() * FScale,
                                  box.x() * FScale, box.y() * FScale);
        FWriter->DrawImage(image, QRectF(image.rect()), toOutput, kSourceCopy);
    }

    QSize FNatural;
    int FScale;
    std::unique_ptr<EmfWriterDevice> FWriter;
    QPen FPen;
    QBrush FBrush;
    QTransform FTransform;
    qreal FOpacity = 1;
    bool FClipEnabled = false;
    bool FHasClip = false;
    QPainterPath FClip; // device pixels
    bool FWrittenClipOn = false;
    QPainterPath FWrittenClip;
};

EmfPaintDevice::EmfPaintDevice(QSize natural)
    : FNatural(natural.expandedTo(QSize(1, 1))),
      FEngine(std::make_unique<EmfPaintEngine>(FNatural)) {}

EmfPaintDevice::~EmfPaintDevice() = default;

QPaintEngine* EmfPaintDevice::paintEngine() const {
    return FEngine.get();
}

std::vector<std::uint8_t> EmfPaintDevice::Finish() {
    return FEngine->Finish();
}

int EmfPaintDevice::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return FNatural.width();
    case PdmHeight:
        return FNatural.height();
    case PdmWidthMM:
        return static_cast<int>(std::lround(FNatural.width() * 25.4 / 96));
    case PdmHeightMM:
        return static_cast<int>(std::lround(FNatural.height() * 25.4 / 96));
    case PdmNumColors:
        return INT_MAX;
    case PdmDepth:
        return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY:
        return 96;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    }
    return QPaintDevice::metric(metric);
}

} // namespace tavik::metafile
