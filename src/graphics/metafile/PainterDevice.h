#pragma once

#include "Device.h"

#include <QPainter>

namespace tavik::metafile {

// Draws the player's output onto a QPainter, on top of the painter's own
// transform and clip (both are restored by the caller's save/restore).
// Raster operations other than copy need a raster target; elsewhere they
// fall back to plain drawing.
class PainterDevice : public Device {
public:
    explicit PainterDevice(QPainter& painter);

    void SetClip(const QPainterPath* clip) override;
    void FillPath(const QPainterPath& path, const BrushSpec& brush, const DrawMode& mode) override;
    void StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) override;
    void DrawText(const TextRun& run, const DrawMode& mode) override;
    void DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                   std::uint32_t rop) override;

private:
    // Sets the composition for rop2; false when nothing is to be drawn.
    bool SetRop2(int rop2, QColor& color);
    void Reset();

    QPainter& FPainter;
    QTransform FBase;
    bool FBaseClipOn;
    QPainterPath FBaseClip;
    bool FRasterOps;
};

} // namespace tavik::metafile
