#pragma once

#include "Records.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QTransform>
#include <cstdint>
#include <vector>

namespace tavik::metafile {

// A pen resolved into output coordinates.
struct PenSpec {
    bool visible = true;
    QColor color = Qt::black;
    qreal width = 0;           // output units; 0 = one pixel whatever the scale
    int style = 0;             // the metafile pen style (low nibble), kept for writers
    std::vector<qreal> dashes; // dash/gap lengths in output units; empty = solid
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
    qreal miterLimit = 10;
};

// A brush resolved for output: hatches and patterns tile in output pixels.
struct BrushSpec {
    enum Kind { Null, Solid, Hatch, Pattern, Gradient };
    Kind kind = Solid;
    QColor color = Qt::white;
    int hatch = 0;  // 0..5 for Hatch
    QImage pattern; // for Pattern, already coloured
    QColor color2;  // for Gradient: from color to color2 across the path's box
    bool vertical = false;
};

// Modes that change how any primitive lands on the output.
struct DrawMode {
    int rop2 = Number(Rop2::CopyPen); // binary raster operation
    bool opaque = true;               // background mode OPAQUE: hatch and dash gaps get bkColor
    QColor bkColor = Qt::white;
};

// One run of text in output coordinates: glyphs start at origin + advance
// along the baseline, which is rotated by angle degrees (clockwise, y down).
struct TextRun {
    QString text;
    QFont font; // pixel size, drawn scaled by scale
    qreal scale = 1;
    QColor color;
    QPointF origin; // baseline start of the first character
    qreal angle = 0;
    std::vector<qreal> offsets; // start of each character along the baseline; empty = natural
};

// The output of the player: everything arrives in output coordinates, with
// all metafile state already applied. The painter device draws; the writers
// record; a bounds device measures.
class Device {
public:
    virtual ~Device() = default;
    // nullptr removes the clip.
    virtual void SetClip(const QPainterPath* clip) = 0;
    virtual void FillPath(const QPainterPath& path, const BrushSpec& brush,
                          const DrawMode& mode) = 0;
    virtual void StrokePath(const QPainterPath& path, const PenSpec& pen, const DrawMode& mode) = 0;
    virtual void DrawText(const TextRun& run, const DrawMode& mode) = 0;
    // Draws the src part of image onto the unit square mapped by toOutput,
    // combining by the ternary raster operation rop (source-using ones only).
    virtual void DrawImage(const QImage& image, const QRectF& src, const QTransform& toOutput,
                           std::uint32_t rop) = 0;
};

} // namespace tavik::metafile
