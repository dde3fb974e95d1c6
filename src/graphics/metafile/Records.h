#pragma once

// The numbers of the two metafile formats, named once: the readers, the
// players, the writers and the tests' builders all use these. The record
// table of docs/metafile.md lists them with their layouts.

#include <cstdint>
#include <type_traits>

namespace tavik::metafile {

// Record types of an enhanced metafile (the first 32-bit value of a record).
enum class EmfRecord : std::uint32_t {
    Header = 1,
    PolyBezier = 2,
    Polygon = 3,
    Polyline = 4,
    PolyBezierTo = 5,
    PolylineTo = 6,
    PolyPolyline = 7,
    PolyPolygon = 8,
    SetWindowExtEx = 9,
    SetWindowOrgEx = 10,
    SetViewportExtEx = 11,
    SetViewportOrgEx = 12,
    SetBrushOrgEx = 13,
    Eof = 14,
    SetPixelV = 15,
    SetMapperFlags = 16,
    SetMapMode = 17,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetRop2 = 20,
    SetStretchBltMode = 21,
    SetTextAlign = 22,
    SetColorAdjustment = 23,
    SetTextColor = 24,
    SetBkColor = 25,
    OffsetClipRgn = 26,
    MoveToEx = 27,
    SetMetaRgn = 28,
    ExcludeClipRect = 29,
    IntersectClipRect = 30,
    ScaleViewportExtEx = 31,
    ScaleWindowExtEx = 32,
    SaveDc = 33,
    RestoreDc = 34,
    SetWorldTransform = 35,
    ModifyWorldTransform = 36,
    SelectObject = 37,
    CreatePen = 38,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    AngleArc = 41,
    Ellipse = 42,
    Rectangle = 43,
    RoundRect = 44,
    Arc = 45,
    Chord = 46,
    Pie = 47,
    SelectPalette = 48,
    CreatePalette = 49,
    SetPaletteEntries = 50,
    ResizePalette = 51,
    RealizePalette = 52,
    ExtFloodFill = 53,
    LineTo = 54,
    ArcTo = 55,
    PolyDraw = 56,
    SetArcDirection = 57,
    SetMiterLimit = 58,
    BeginPath = 59,
    EndPath = 60,
    CloseFigure = 61,
    FillPath = 62,
    StrokeAndFillPath = 63,
    StrokePath = 64,
    FlattenPath = 65,
    WidenPath = 66,
    SelectClipPath = 67,
    AbortPath = 68,
    GdiComment = 70,
    FillRgn = 71,
    FrameRgn = 72,
    InvertRgn = 73,
    PaintRgn = 74,
    ExtSelectClipRgn = 75,
    BitBlt = 76,
    StretchBlt = 77,
    MaskBlt = 78,
    PlgBlt = 79,
    SetDiBitsToDevice = 80,
    StretchDiBits = 81,
    ExtCreateFontIndirectW = 82,
    ExtTextOutA = 83,
    ExtTextOutW = 84,
    PolyBezier16 = 85,
    Polygon16 = 86,
    Polyline16 = 87,
    PolyBezierTo16 = 88,
    PolylineTo16 = 89,
    PolyPolyline16 = 90,
    PolyPolygon16 = 91,
    PolyDraw16 = 92,
    CreateMonoBrush = 93,
    CreateDibPatternBrushPt = 94,
    ExtCreatePen = 95,
    PolyTextOutA = 96,
    PolyTextOutW = 97,
    SetIcmMode = 98,
    CreateColorSpace = 99,
    SetColorSpace = 100,
    DeleteColorSpace = 101,
    GlsRecord = 102,
    GlsBoundedRecord = 103,
    PixelFormat = 104,
    DrawEscape = 105,
    ExtEscape = 106,
    SmallTextOut = 108,
    ForceUfiMapping = 109,
    NamedEscape = 110,
    ColorCorrectPalette = 111,
    SetIcmProfileA = 112,
    SetIcmProfileW = 113,
    AlphaBlend = 114,
    SetLayout = 115,
    TransparentBlt = 116,
    GradientFill = 118,
    SetLinkedUfis = 119,
    SetTextJustification = 120,
    ColorMatchToTargetW = 121,
    CreateColorSpaceW = 122,
};

// Function words of a Windows metafile record. The low byte tells the
// records apart; the high byte counts the fixed parameter words.
enum class WmfFunction : std::uint16_t {
    Eof = 0x0000,
    SaveDc = 0x001E,
    RealizePalette = 0x0035,
    SetPalEntries = 0x0037,
    CreatePalette = 0x00F7,
    CreateBrush = 0x00F8, // obsolete
    SetBkMode = 0x0102,
    SetMapMode = 0x0103,
    SetRop2 = 0x0104,
    SetRelAbs = 0x0105,
    SetPolyFillMode = 0x0106,
    SetStretchBltMode = 0x0107,
    SetTextCharExtra = 0x0108,
    RestoreDc = 0x0127,
    InvertRegion = 0x012A,
    PaintRegion = 0x012B,
    SelectClipRegion = 0x012C,
    SelectObject = 0x012D,
    SetTextAlign = 0x012E,
    ResizePalette = 0x0139,
    DibCreatePatternBrush = 0x0142,
    SetLayout = 0x0149,
    DeleteObject = 0x01F0,
    CreatePatternBrush = 0x01F9,
    SetBkColor = 0x0201,
    SetTextColor = 0x0209,
    SetTextJustification = 0x020A,
    SetWindowOrg = 0x020B,
    SetWindowExt = 0x020C,
    SetViewportOrg = 0x020D,
    SetViewportExt = 0x020E,
    OffsetWindowOrg = 0x020F,
    OffsetViewportOrg = 0x0211,
    LineTo = 0x0213,
    MoveTo = 0x0214,
    OffsetClipRgn = 0x0220,
    FillRegion = 0x0228,
    SetMapperFlags = 0x0231,
    SelectPalette = 0x0234,
    CreatePenIndirect = 0x02FA,
    CreateFontIndirect = 0x02FB,
    CreateBrushIndirect = 0x02FC,
    CreateBitmapIndirect = 0x02FD, // obsolete
    Polygon = 0x0324,
    Polyline = 0x0325,
    ScaleWindowExt = 0x0410,
    ScaleViewportExt = 0x0412,
    ExcludeClipRect = 0x0415,
    IntersectClipRect = 0x0416,
    Ellipse = 0x0418,
    FloodFill = 0x0419,
    Rectangle = 0x041B,
    SetPixel = 0x041F,
    FrameRegion = 0x0429,
    AnimatePalette = 0x0436,
    TextOut = 0x0521,
    PolyPolygon = 0x0538,
    ExtFloodFill = 0x0548,
    RoundRect = 0x061C,
    PatBlt = 0x061D,
    Escape = 0x0626,
    CreateBitmap = 0x06FE, // obsolete
    CreateRegion = 0x06FF,
    Arc = 0x0817,
    Pie = 0x081A,
    Chord = 0x0830,
    BitBlt = 0x0922,
    DibBitBlt = 0x0940,
    ExtTextOut = 0x0A32,
    StretchBlt = 0x0B23,
    DibStretchBlt = 0x0B41,
    SetDibToDev = 0x0D33,
    StretchDib = 0x0F43,
};

// The number of fixed parameter words a function word announces.
constexpr std::uint32_t FixedWords(WmfFunction function) {
    return static_cast<std::uint32_t>(function) >> 8;
}

// Objects every enhanced metafile may select without making them: indices
// with the high bit set.
enum class StockObject : std::uint32_t {
    WhiteBrush = 0x80000000,
    LightGrayBrush = 0x80000001,
    GrayBrush = 0x80000002,
    DarkGrayBrush = 0x80000003,
    BlackBrush = 0x80000004,
    NullBrush = 0x80000005,
    WhitePen = 0x80000006,
    BlackPen = 0x80000007,
    NullPen = 0x80000008,
    OemFixedFont = 0x8000000A,
    AnsiFixedFont = 0x8000000B,
    AnsiVarFont = 0x8000000C,
    SystemFont = 0x8000000D,
    DeviceDefaultFont = 0x8000000E,
    DefaultPalette = 0x8000000F,
    SystemFixedFont = 0x80000010,
    DefaultGuiFont = 0x80000011,
    DcBrush = 0x80000012,
    DcPen = 0x80000013,
};
inline constexpr std::uint32_t kStockObjectBit = 0x80000000;

// Binary raster operations: how a pen or brush combines with what is there.
enum class Rop2 : int {
    Black = 1,
    NotMergePen = 2,
    MaskNotPen = 3,
    NotCopyPen = 4,
    MaskPenNot = 5,
    Not = 6,
    XorPen = 7,
    NotMaskPen = 8,
    MaskPen = 9,
    NotXorPen = 10,
    Nop = 11,
    MergeNotPen = 12,
    CopyPen = 13,
    MergePenNot = 14,
    MergePen = 15,
    White = 16,
};

// Ternary raster operations of the bitmap records that the engine names.
enum class Rop3 : std::uint32_t {
    SrcCopy = 0x00CC0020,   // the source
    SrcPaint = 0x00EE0086,  // source OR destination
    SrcAnd = 0x008800C6,    // source AND destination
    SrcInvert = 0x00660046, // source XOR destination
    PatCopy = 0x00F00021,   // the brush, no source
    Blackness = 0x00000042, // black, no source
};
// The 8-bit truth table of a ternary raster operation, by which the
// players tell operations apart.
constexpr int RopTable(std::uint32_t rop) {
    return static_cast<int>((rop >> 16) & 0xFF);
}

enum class BkMode : int { Transparent = 1, Opaque = 2 };

enum class PolyFillMode : int { Alternate = 1, Winding = 2 };

enum class MapMode : int {
    Text = 1,
    LoMetric = 2,
    HiMetric = 3,
    LoEnglish = 4,
    HiEnglish = 5,
    Twips = 6,
    Isotropic = 7,
    Anisotropic = 8,
};

// How a new clip combines with the current one.
enum class RegionMode : int { And = 1, Or = 2, Xor = 3, Diff = 4, Copy = 5 };

// MODIFYWORLDTRANSFORM's modes.
enum class WorldTransformMode : int {
    Identity = 1,
    LeftMultiply = 2,
    RightMultiply = 3,
    Set = 4,
};

enum class ArcDirection : int { CounterClockwise = 1, Clockwise = 2 };

// The patterns of a hatched brush.
enum class HatchStyle : int {
    Horizontal = 0,
    Vertical = 1,
    ForwardDiagonal = 2,
    BackwardDiagonal = 3,
    Cross = 4,
    DiagonalCross = 5,
};

// Options of the text records.
enum TextOptions : std::uint32_t {
    EtoOpaque = 0x0002,
    EtoClipped = 0x0004,
    EtoNoRect = 0x0100,
    EtoSmallChars = 0x0200,
    EtoPdy = 0x2000,
};

// The point types of POLYDRAW; a close-figure bit may join the others.
enum PointType : std::uint8_t {
    PtCloseFigure = 0x01,
    PtLineTo = 0x02,
    PtBezierTo = 0x04,
    PtMoveTo = 0x06,
};

// GRADIENTFILL's modes.
enum class GradientMode : std::uint32_t { RectHorizontal = 0, RectVertical = 1, Triangle = 2 };

// The signatures that identify a metafile.
inline constexpr std::uint32_t kEmfSignature = 0x464D4520; // " EMF"
inline constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// True when value is one of the numbers from first to last.
template <typename E> constexpr bool InRange(std::uint64_t value, E first, E last) {
    return value >= static_cast<std::uint64_t>(first) && value <= static_cast<std::uint64_t>(last);
}

// Casts for writing and comparing a named value as the number it stores.
template <typename E> constexpr auto Number(E value) {
    return static_cast<std::underlying_type_t<E>>(value);
}

} // namespace tavik::metafile
