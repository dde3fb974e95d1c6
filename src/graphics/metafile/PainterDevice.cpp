#include "PainterDevice.h"

#include "Records.h"

#include <QLinearGradient>
#include <QPaintEngine>
#include <cmath>

namespace tavik::metafile {

namespace {

Qt::BrushStyle QtHatchStyle(int hatch) {
    switch (static_cast<HatchStyle>(hatch)) {
    case HatchStyle::Horizontal:
        return Qt::HorPattern;
    case HatchStyle::Vertical:
        return Qt::VerPattern;
    case HatchStyle::ForwardDiagonal:
        return Qt::FDiagPattern;
    case HatchStyle::BackwardDiagonal:
        return Qt::BDiagPattern;
    case HatchStyle::Cross:
        return Qt::CrossPattern;
    default:
        return Qt::DiagCrossPattern;
    }
}

} // namespace

PainterDevice::PainterDevice(QPainter& painter)
    : FPainter(painter), FBase(painter.transform()), FBaseClipOn(painter.hasClipping()),
      FBaseClip(painter.hasClipping() ? painter.clipPath() : QPainterPath()),
      FRasterOps(painter.paintEngine() &&
                 painter.paintEngine()->hasFeature(QPaintEngine::RasterOpModes)) {
    FPainter.setBrushOrigin(0, 0);
}

void PainterDevice::Reset() {
    FPainter.setTransform(FBase);
    FPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    FPainter.setBackgroundMode(Qt::TransparentMode);
}

void PainterDevice::SetClip(const QPainterPath* clip) {
    FPainter.setTransform(FBase);
    if (!clip) {
        if (FBaseClipOn)
            FPainter.setClipPath(FBaseClip);
        else
            FPainter.setClipping(false);
        return;
    }
    if (FBaseClipOn) {
        FPainter.setClipPath(FBaseClip);
        FPainter.setClipPath(*clip, Qt::IntersectClip);
    } else {
        FPainter.setClipPath(*clip);
    }
}

bool PainterDevice::SetRop2(int rop2, QColor& color) {
    using M = QPainter::CompositionMode;
    M mode = M::CompositionMode_SourceOver;
    switch (rop2) {
    case Number(Rop2::Black):
        color = Qt::black;
        break;
    case Number(Rop2::White):
        color = Qt::white;
        break;
    case Number(Rop2::Nop):
        return false;
    case Number(Rop2::CopyPen):
        break;
    case Number(Rop2::NotMergePen):
        mode = M::RasterOp_NotSourceAndNotDestination;
        break;
    case Number(Rop2::MaskNotPen):
        mode = M::RasterOp_NotSourceAndDestination;
        break;
    case Number(Rop2::NotCopyPen):
        mode = M::RasterOp_NotSource;
        break;
    case Number(Rop2::MaskPenNot):
        mode = M::RasterOp_SourceAndNotDestination;
        break;
    case Number(Rop2::Not):
        mode = M::RasterOp_NotDestination;
        break;
    case Number(Rop2::XorPen):
        mode = M::RasterOp_SourceXorDestination;
        break;
    case Number(Rop2::NotMaskPen):
        mode = M::RasterOp_NotSourceOrNotDestination;
        break;
    case Number(Rop2::MaskPen):
        mode = M::RasterOp_SourceAndDestination;
        break;
    case Number(Rop2::NotXorPen):
        mode = M::RasterOp_NotSourceXorDestination;
        break;
    case Number(Rop2::MergeNotPen):
        mode = M::RasterOp_NotSourceOrDestination;
        break;
    case Number(Rop2::MergePenNot):
        mode = M::RasterOp_SourceOrNotDestination;
        break;
    case Number(Rop2::MergePen):
        mode = M::RasterOp_SourceOrDestination;
        break;
    default:
        break;
    }
    if (mode != M::CompositionMode_SourceOver) {
        if (!FRasterOps)
            return rop2 != Number(Rop2::Not); // inverting cannot be approximated by drawing
        FPainter.setCompositionMode(mode);
    }
    return true;
}

void PainterDevice::FillPath(const QPainterPath& path, const BrushSpec& brush,
                             const DrawMode& mode) {
    if (brush.kind == BrushSpec::Null)
        return;
    Reset();
    QColor color = brush.color;
    if (!SetRop2(mode.rop2, color))
        return;
    QBrush b;
    if (mode.rop2 == Number(Rop2::Black) || mode.rop2 == Number(Rop2::White)) {
        b = QBrush(color);
    } else if (brush.kind == BrushSpec::Hatch) {
        if (mode.opaque)
            FPainter.fillPath(path, mode.bkColor);
        b = QBrush(color, QtHatchStyle(brush.hatch));
    } else if (brush.kind == BrushSpec::Pattern) {
        b = QBrush(brush.pattern);
    } else if (brush.kind == BrushSpec::Gradient) {
        const QRectF r = path.boundingRect();
        QLinearGradient g(r.topLeft(), brush.vertical ? r.bottomLeft() : r.topRight());
        g.setColorAt(0, brush.color);
        g.setColorAt(1, brush.color2);
        b = QBrush(g);
    } else {
        b = QBrush(color);
    }
    FPainter.fillPath(path, b);
    Reset();
}

void PainterDevice::StrokePath(const QPainterPath& path, const PenSpec& penStyle,
                               const DrawMode& mode) {
    if (!penStyle.visible)
        return;
    Reset();
    QColor color = penStyle.color;
    if (!SetRop2(mode.rop2, color))
        return;
    QPen pen(color, penStyle.width);
    pen.setCosmetic(penStyle.width == 0);
    pen.setCapStyle(penStyle.cap);
    pen.setJoinStyle(penStyle.join);
    pen.setMiterLimit(penStyle.miterLimit);
    if (!penStyle.dashes.empty()) {
        const qreal unit = std::max<qreal>(penStyle.width, 1);
        QList<qreal> pattern;
        qreal period = 0;
        for (qreal d : penStyle.dashes) {
            pattern << std::max<qreal>(d / unit, 0.01);
            period += d;
        }
        // A dash pattern far finer than the line is long would cost
        // millions of dashes; such lines are drawn solid.
        const QRectF r = path.controlPointRect();
        const qreal length = (r.width() + r.height()) * std::max(1, path.elementCount());
        if (period > 0 && length / period < 2e5) {
            pen.setDashPattern(pattern);
            if (mode.opaque) {
                QPen gaps(mode.bkColor, penStyle.width);
                gaps.setCosmetic(penStyle.width == 0);
                gaps.setCapStyle(Qt::FlatCap);
                FPainter.strokePath(path, gaps);
            }
            pen.setCapStyle(Qt::FlatCap);
        }
    }
    FPainter.strokePath(path, pen);
    Reset();
}

void PainterDevice::DrawText(const TextRun& run, const DrawMode& mode) {
    Reset();
    QColor color = run.color;
    if (!SetRop2(mode.rop2, color))
        return;
    FPainter.translate(run.origin);
    FPainter.rotate(run.angle);
    FPainter.scale(run.scale, run.scale);
    FPainter.setFont(run.font);
    FPainter.setPen(color);
    if (run.offsets.empty()) {
        FPainter.drawText(QPointF(0, 0), run.text);
    } else {
        for (qsizetype i = 0; i < run.text.size(); ++i) {
            const qsizetype n = run.text[i].isHighSurrogate() && i + 1 < run.text.size() ? 2 : 1;
            const qreal at = i < static_cast<qsizetype>(run.offsets.size()) ? run.offsets[i] : 0;
            FPainter.drawText(QPointF(at / run.scale, 0), run.text.mid(i, n));
            i += n - 1;
        }
    }
    Reset();
}

void PainterDevice::DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                              std::uint32_t rop) {
    using M = QPainter::CompositionMode;
    M mode = M::CompositionMode_SourceOver;
    switch (RopTable(rop)) {
    case 0x88:
        mode = M::RasterOp_SourceAndDestination;
        break;
    case 0xEE:
        mode = M::RasterOp_SourceOrDestination;
        break;
    case 0x66:
        mode = M::RasterOp_SourceXorDestination;
        break;
    case 0x44:
        mode = M::RasterOp_SourceAndNotDestination;
        break;
    case 0x11:
        mode = M::RasterOp_NotSourceAndNotDestination;
        break;
    case 0xBB:
        mode = M::RasterOp_NotSourceOrDestination;
        break;
    default:
        break;
    }
    Reset();
    if (mode != M::CompositionMode_SourceOver && FRasterOps)
        FPainter.setCompositionMode(mode);
    FPainter.setTransform(toOutput * FBase);
    // The source part fills the unit square; sampling stays inside it.
    FPainter.drawImage(QRectF(0, 0, 1, 1), image, src);
    Reset();
}

} // namespace tavik::metafile
