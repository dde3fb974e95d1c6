#pragma once

#include "Objects.h"
#include "Records.h"

#include <QPointF>
#include <QSizeF>
#include <QTransform>
#include <optional>

namespace tavik::metafile {

// Text alignment flags.
enum TextAlign : std::uint32_t {
    TaUpdateCp = 1,
    TaRight = 2,
    TaCenter = 6,
    TaBottom = 8,
    TaBaseline = 0x18,
    TaHorizontalMask = 6,
    TaVerticalMask = 0x18
};

// Everything SaveDC keeps: mapping, selected objects (by value), colours,
// modes, current position and clipping. Fresh state is the GDI default.
struct DcState {
    int mapMode = Number(MapMode::Text);
    QPointF windowOrg{0, 0};
    QPointF viewportOrg{0, 0};
    QSizeF windowExt{1, 1};
    QSizeF viewportExt{1, 1};
    QTransform world;

    LogPen pen;
    LogBrush brush;
    LogFont font;
    std::vector<QRgb> palette;

    QRgb textColor = 0xFF000000;
    QRgb bkColor = 0xFFFFFFFF;
    int bkMode = Number(BkMode::Opaque);
    int rop2 = Number(Rop2::CopyPen);
    int polyFillMode = Number(PolyFillMode::Alternate);
    int stretchMode = 1;
    std::uint32_t textAlign = 0;
    int arcDirection = Number(ArcDirection::CounterClockwise);
    int charExtra = 0;
    qreal miterLimit = 10;
    QPointF currentPos{0, 0};

    // In output coordinates: clips follow the transform at the moment they
    // are set, not later changes.
    std::optional<QPainterPath> clip;
    std::optional<QPainterPath> metaClip;
};

} // namespace tavik::metafile
