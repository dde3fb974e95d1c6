#pragma once

#include <QImage>
#include <QPainterPath>
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace tavik::metafile {

// Pen styles, caps and joins as metafiles store them.
enum PenStyleBits : std::uint32_t {
    PsSolid = 0,
    PsDash = 1,
    PsDot = 2,
    PsDashDot = 3,
    PsDashDotDot = 4,
    PsNull = 5,
    PsInsideFrame = 6,
    PsUserStyle = 7,
    PsAlternate = 8,
    PsStyleMask = 0x0F,
    PsEndcapMask = 0x0F00,
    PsEndcapSquare = 0x0100,
    PsEndcapFlat = 0x0200,
    PsJoinMask = 0xF000,
    PsJoinBevel = 0x1000,
    PsJoinMiter = 0x2000,
    PsGeometric = 0x10000,
};

struct LogPen {
    std::uint32_t style = PsSolid;
    qreal width = 0; // logical units; 0 = one device pixel
    QRgb color = 0xFF000000;
    bool extended = false;   // made by EXTCREATEPEN: caps, joins and geometric dashes apply
    std::vector<qreal> user; // PS_USERSTYLE dash/gap lengths
};

enum BrushStyle { BsSolid = 0, BsNull = 1, BsHatched = 2, BsPattern = 3, BsDibPattern = 5 };

struct LogBrush {
    int style = BsSolid;
    QRgb color = 0xFFFFFFFF;
    int hatch = 0;
    QImage pattern;    // for pattern brushes
    bool mono = false; // 1-bit pattern: drawn in the text and background colours
};

struct LogFont {
    int height = 0;
    int width = 0;
    int escapement = 0; // tenths of a degree
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    int pitchAndFamily = 0;
    QString face;
};

// A region as rectangles in the coordinates its record names.
struct Region {
    std::vector<QRectF> rects;
    QPainterPath ToPath() const;
};

struct Palette {
    std::vector<QRgb> entries;
};

// The contents of an object table slot. monostate is an object the engine
// cannot use: it still takes its slot so later indices stay right.
using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, Region, Palette>;

} // namespace tavik::metafile
