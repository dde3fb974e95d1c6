#pragma once

#include "Budget.h"
#include "DcState.h"
#include "Device.h"
#include "MeteredDevice.h"

#include <QPolygonF>
#include <QRectF>
#include <vector>

namespace tavik::metafile {

enum class ArcKind { Arc, Chord, Pie, ArcTo };

// The drawing model both metafile formats share: a device context with its
// mapping, selected objects, modes, path bracket and clip, drawing in
// logical coordinates onto a Device in output coordinates.
class Gdi {
public:
    // init maps device coordinates of the metafile onto the output;
    // pixelsPerMm gives the fixed mapping modes their size. The work budget
    // is the one of a file of fileBytes bytes.
    Gdi(Device& device, const QTransform& init, qreal pixelsPerMm, const QRectF& outputBounds,
        std::uint64_t fileBytes);

    DcState& State() { return FState; }
    const DcState& State() const { return FState; }
    bool Exhausted() const { return FBudget.Exhausted(); }
    // Pays for n of a kind; false (and playback stops) once the budget is
    // spent.
    bool Charge(Cost kind, std::int64_t n) { return FBudget.Charge(kind, n); }
    const WorkBudget& Budget() const { return FBudget; }
    // Output bounds: the target the picture is played into.
    const QRectF& OutputBounds() const { return FOutputBounds; }

    // Mapping. Invalid values (zero extents, singular transforms) are ignored.
    void SetMapMode(int mode);
    void SetWindowOrg(QPointF p);
    void SetViewportOrg(QPointF p);
    void SetWindowExt(QSizeF s);
    void SetViewportExt(QSizeF s);
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SetWorldTransform(const QTransform& t);
    void ModifyWorldTransform(const QTransform& t, int mode);
    QTransform ToOutput() const;
    const QTransform& Init() const { return FInit; }

    void SaveDc();
    void RestoreDc(int n, bool absoluteAllowed);

    void SelectPen(const LogPen& pen) { FState.pen = pen; }
    void SelectBrush(const LogBrush& brush) { FState.brush = brush; }
    void SelectFont(const LogFont& font) { FState.font = font; }

    // Drawing, logical coordinates.
    void MoveTo(QPointF p);
    void LineTo(QPointF p);
    void Polyline(const QPolygonF& points);
    void PolylineTo(const QPolygonF& points);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyPolyline(const std::vector<QPolygonF>& polylines);
    void PolyBezier(const QPolygonF& points, bool fromCurrent);
    // types: the POLYDRAW point types (6 move, 2 line, 4 bezier, |1 close).
    void PolyDraw(const QPolygonF& points, const std::vector<std::uint8_t>& types);
    void Rectangle(const QRectF& box);
    void RoundRect(const QRectF& box, QSizeF corner);
    void Ellipse(const QRectF& box);
    void ArcShape(const QRectF& box, QPointF start, QPointF end, ArcKind kind);
    void AngleArc(QPointF centre, qreal radius, qreal startDeg, qreal sweepDeg);
    void SetPixel(QPointF p, QRgb color);

    // Path bracket.
    void BeginPath();
    void EndPath() { FPathOpen = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void WidenPath();
    void SelectClipPath(int mode);

    // Clipping. Regions are already in output coordinates.
    void IntersectClipRect(const QRectF& logical);
    void ExcludeClipRect(const QRectF& logical);
    void OffsetClip(QPointF logical);
    void SelectClipRegion(const QPainterPath* output, int mode);
    void SetMetaRegion();
    void FillRegion(const QPainterPath& output, const LogBrush& brush);
    void FrameRegion(const QPainterPath& output, const LogBrush& brush, QSizeF logicalSize);
    void InvertRegion(const QPainterPath& output);

    // Text (GdiText.cpp). dx: advances in logical units, one per character.
    void TextOut(QPointF ref, const QString& text, std::uint32_t options, const QRectF* rect,
                 const std::vector<qreal>* dx);

    // Bitmaps (GdiBitmap.cpp). dest is logical and may have negative
    // extents (mirroring). image is null for operations without a source.
    void Blit(const QRectF& dest, const QImage* image, const QRectF& src, std::uint32_t rop) {
        BlitMapped(QTransform(dest.width(), 0, 0, dest.height(), dest.x(), dest.y()), image, src,
                   rop);
    }
    // The same onto the logical parallelogram the unit square maps to.
    void BlitMapped(const QTransform& unitToLogical, const QImage* image, const QRectF& src,
                    std::uint32_t rop);
    // Fills the logical polygon with a colour gradient between c1 and c2
    // (across x, or y when vertical); triangles use the mean colour.
    void GradientFill(const QPolygonF& logical, QColor c1, QColor c2, bool vertical);

    PenSpec MakePen() const;
    BrushSpec MakeBrush(const LogBrush& brush) const;
    DrawMode Mode() const;

private:
    void Draw(const QPainterPath& output, bool fill, bool stroke);
    void AddToPath(const QPainterPath& output, bool connect);
    void ApplyClip();
    void CombineClip(const QPainterPath& path, int mode);
    QRectF InsideFrame(const QRectF& box) const;
    QPainterPath Limit(const QPainterPath& path) const;
    bool Usable(const QPainterPath& output) const;
    void UpdateIsotropic();
    QFont MakeFont(qreal& scale) const;

    WorkBudget FBudget;
    MeteredDevice FDevice;
    QTransform FInit;
    qreal FPixelsPerMm;
    QRectF FOutputBounds;
    DcState FState;
    std::vector<DcState> FSaved;
    QPainterPath FPath;
    bool FPathOpen = false;
};

} // namespace tavik::metafile
