#pragma once

#include "Budget.h"
#include "Device.h"

#include <QRectF>

namespace tavik::metafile {

// Passes drawing on to another device after charging the budget for the
// output pixels it paints inside the output bounds, so that records which
// cost little to store but much to paint (a shape over the whole picture,
// again and again) are paid for. Drawing stops once the budget is spent.
class MeteredDevice : public Device {
public:
    MeteredDevice(Device& inner, WorkBudget& budget, const QRectF& outputBounds);

    void SetClip(const QPainterPath* clip) override;
    void FillPath(const QPainterPath& path, const BrushSpec& brush, const DrawMode& mode) override;
    void StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) override;
    void DrawText(const TextRun& run, const DrawMode& mode) override;
    void DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                   std::uint32_t rop) override;

private:
    // Output pixels of box that lie inside the bounds.
    double Painted(const QRectF& box) const;
    bool ChargeArea(double pixels);

    Device& FInner;
    WorkBudget& FBudget;
    QRectF FBounds;
};

} // namespace tavik::metafile
