#pragma once

// Where the fields of enhanced metafile records lie: byte offsets from the
// start of the record. Each layout's kSize is the smallest record that holds
// its fixed fields; a shorter record is skipped. docs/metafile.md lists them
// per record.

#include <cstdint>

namespace tavik::metafile::emr {

using Offset = std::uint64_t;

// Records of one 32-bit value: modes, colours, object indices, levels.
struct OneValue {
    static constexpr Offset value = 8, kSize = 12;
};
// Records of one point or one extent (x or cx, then y or cy).
struct OnePoint {
    static constexpr Offset x = 8, y = 12, kSize = 16;
};
// SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX.
struct ScaleExtent {
    static constexpr Offset xNum = 8, xDenom = 12, yNum = 16, yDenom = 20, kSize = 24;
};
// RECTANGLE, ELLIPSE, INTERSECTCLIPRECT, EXCLUDECLIPRECT: one box.
struct OneBox {
    static constexpr Offset box = 8, kSize = 24;
};
struct RoundRect {
    static constexpr Offset box = 8, cornerWidth = 24, cornerHeight = 28, kSize = 32;
};
// ARC, CHORD, PIE, ARCTO.
struct ArcShape {
    static constexpr Offset box = 8, start = 24, end = 32, kSize = 40;
};
struct SetPixelV {
    static constexpr Offset point = 8, color = 16, kSize = 20;
};
struct AngleArc {
    static constexpr Offset centre = 8, radius = 16, startAngle = 20, sweepAngle = 24, kSize = 28;
};
// POLYLINE, POLYGON, the Bezier records, POLYDRAW and their 16-bit forms:
// bounds, a count, then the points (POLYDRAW: then one type byte each).
struct Poly {
    static constexpr Offset count = 24, points = 28, kSize = 28;
};
// POLYPOLYLINE, POLYPOLYGON and their 16-bit forms.
struct PolyPoly {
    static constexpr Offset polygons = 24, total = 28, counts = 32, kSize = 32;
};
// A vertex is x, y (32 bits each), then red, green, blue, alpha (16 bits).
struct GradientFill {
    static constexpr Offset vertices = 24, meshes = 28, mode = 32, data = 36, kSize = 36;
    static constexpr Offset kVertexSize = 16, kVertexColor = 8;
};
struct SetWorldTransform {
    static constexpr Offset xform = 8, kSize = 32;
};
struct ModifyWorldTransform {
    static constexpr Offset xform = 8, mode = 32, kSize = 36;
};

struct CreatePen {
    static constexpr Offset index = 8, style = 12, width = 16, color = 24, kSize = 28;
};
struct ExtCreatePen {
    static constexpr Offset index = 8, style = 28, width = 32, brushStyle = 36, color = 40,
                            dashCount = 48, dashes = 52, kSize = 52;
};
struct CreateBrushIndirect {
    static constexpr Offset index = 8, style = 12, color = 16, hatch = 20, kSize = 24;
};
// CREATEMONOBRUSH, CREATEDIBPATTERNBRUSHPT.
struct PatternBrush {
    static constexpr Offset index = 8, usage = 12, offBmi = 16, cbBmi = 20, offBits = 24,
                            cbBits = 28, kSize = 32;
};
// EXTCREATEFONTINDIRECTW: the index, then a logical font.
struct CreateFont {
    static constexpr Offset index = 8, height = 12, width = 16, escapement = 20, weight = 28,
                            italic = 32, underline = 33, strikeOut = 34, charset = 35,
                            pitchAndFamily = 39, face = 40, kSize = 42;
    static constexpr Offset kFaceChars = 32;
};
struct CreatePalette {
    static constexpr Offset index = 8, count = 14, entries = 16, kSize = 16;
};

struct FillRgn {
    static constexpr Offset cbRgn = 24, brush = 28, data = 32, kSize = 32;
};
struct FrameRgn {
    static constexpr Offset cbRgn = 24, brush = 28, width = 32, height = 36, data = 40, kSize = 40;
};
// PAINTRGN, INVERTRGN.
struct PaintRgn {
    static constexpr Offset cbRgn = 24, data = 28, kSize = 28;
};
struct ExtSelectClipRgn {
    static constexpr Offset cbRgn = 8, mode = 12, data = 16, kSize = 16;
};
// The region data these records carry: a 32-byte header, then rectangles.
struct RegionData {
    static constexpr Offset headerSize = 0, type = 4, count = 8, rects = 32;
    static constexpr Offset kHeaderSize = 32, kRectSize = 16;
};

// BITBLT, STRETCHBLT and MASKBLT share their first 100 bytes; a bitmap of
// size 0 means the operation uses no source.
struct BitBlt {
    static constexpr Offset xDest = 24, yDest = 28, cxDest = 32, cyDest = 36, rop = 40, xSrc = 44,
                            ySrc = 48, usage = 80, offBmi = 84, cbBmi = 88, offBits = 92,
                            cbBits = 96, kSize = 100;
};
struct StretchBlt {
    static constexpr Offset cxSrc = 100, cySrc = 104, kSize = 108;
};
struct MaskBlt {
    static constexpr Offset kSize = 128;
};
// Three corners of the destination: upper left, upper right, lower left.
struct PlgBlt {
    static constexpr Offset upperLeft = 24, upperRight = 32, lowerLeft = 40, xSrc = 48, ySrc = 52,
                            cxSrc = 56, cySrc = 60, usage = 92, offBmi = 96, cbBmi = 100,
                            offBits = 104, cbBits = 108, kSize = 140;
};
struct SetDiBitsToDevice {
    static constexpr Offset xDest = 24, yDest = 28, xSrc = 32, ySrc = 36, cxSrc = 40, cySrc = 44,
                            offBmi = 48, cbBmi = 52, offBits = 56, cbBits = 60, usage = 64,
                            startScan = 68, scans = 72, kSize = 76;
};
struct StretchDiBits {
    static constexpr Offset xDest = 24, yDest = 28, xSrc = 32, ySrc = 36, cxSrc = 40, cySrc = 44,
                            offBmi = 48, cbBmi = 52, offBits = 56, cbBits = 60, usage = 64,
                            rop = 68, cxDest = 72, cyDest = 76, kSize = 80;
};
// ALPHABLEND; TRANSPARENTBLT has its transparent colour where the blend is.
struct AlphaBlend {
    static constexpr Offset xDest = 24, yDest = 28, cxDest = 32, cyDest = 36, blend = 40,
                            constantAlpha = 42, alphaFormat = 43, xSrc = 44, ySrc = 48, usage = 80,
                            offBmi = 84, cbBmi = 88, offBits = 92, cbBits = 96, cxSrc = 100,
                            cySrc = 104, kSize = 108;
};

// The text block of EXTTEXTOUTA/W (at 36) and POLYTEXTOUTA/W (from 40),
// offsets from the block; its string and advances lie at offsets from the
// record's start. Without a rectangle the advances' offset moves up.
struct TextBlock {
    static constexpr Offset reference = 0, chars = 8, offString = 12, options = 16, rect = 20,
                            offDx = 36, offDxWithoutRect = 20, kSize = 40;
};
struct ExtTextOut {
    static constexpr Offset text = 36, kSize = 76;
};
struct PolyTextOut {
    static constexpr Offset count = 36, texts = 40, kSize = 40;
};
struct SmallTextOut {
    static constexpr Offset x = 8, chars = 16, options = 20, rect = 36, kSize = 36,
                            kSizeWithRect = 52;
};

} // namespace tavik::metafile::emr

// The parameters of Windows metafile records, in 16-bit words counted from
// the first word after the record's 6-byte header, in stored order: scalar
// parameters are stored last first, so a point is y then x and a box is
// bottom, right, top, left. kWords is the least a record must hold.
namespace tavik::metafile::wmr {

using Word = int;
inline constexpr std::uint64_t kHeaderBytes = 6;

// The byte offset of parameter word i from the start of the record.
constexpr std::uint64_t ByteOf(Word i) {
    return kHeaderBytes + 2 * static_cast<std::uint64_t>(i);
}

// Modes, levels, object indices.
struct OneValue {
    static constexpr Word value = 0, kWords = 1;
};
// SETBKCOLOR, SETTEXTCOLOR: a colour in two words.
struct OneColor {
    static constexpr Word color = 0, kWords = 2;
};
// Origins, extents, offsets, MOVETO, LINETO: y then x.
struct OnePoint {
    static constexpr Word point = 0, kWords = 2;
};
struct ScaleExtent {
    static constexpr Word yDenom = 0, yNum = 1, xDenom = 2, xNum = 3, kWords = 4;
};
// RECTANGLE, ELLIPSE, INTERSECTCLIPRECT, EXCLUDECLIPRECT.
struct OneBox {
    static constexpr Word box = 0, kWords = 4;
};
struct RoundRect {
    static constexpr Word cornerHeight = 0, cornerWidth = 1, box = 2, kWords = 6;
};
// ARC, PIE, CHORD: end point, start point, box.
struct ArcShape {
    static constexpr Word end = 0, start = 2, box = 4, kWords = 8;
};
struct SetPixel {
    static constexpr Word color = 0, point = 2, kWords = 4;
};
// FILLREGION; FRAMEREGION adds the frame's height and width.
struct RegionWithBrush {
    static constexpr Word region = 0, brush = 1, height = 2, width = 3, kWords = 2, kFrameWords = 4;
};
// POLYLINE, POLYGON: a count, then points x, y (natural order).
struct Poly {
    static constexpr Word count = 0, points = 1, kWords = 1;
};
// POLYPOLYGON: a polygon count, the counts, then all points.
struct PolyPolygon {
    static constexpr Word polygons = 0, counts = 1, kWords = 1;
};
struct CreatePen {
    static constexpr Word style = 0, width = 1, color = 3, kWords = 5;
};
struct CreateBrushIndirect {
    static constexpr Word style = 0, color = 1, hatch = 3, kWords = 4;
};
// CREATEFONTINDIRECT: five words, eight flag bytes, then the face name.
struct CreateFont {
    static constexpr Word height = 0, width = 1, escapement = 2, weight = 4, flags = 5, face = 9,
                          kWords = 9;
    static constexpr std::uint64_t italic = 0, underline = 1, strikeOut = 2, charset = 3,
                                   pitchAndFamily = 7; // bytes after flags
    static constexpr std::uint64_t kFaceBytes = 32;
};
// PATBLT: raster operation (two words), then the box as height, width, y, x.
struct PatBlt {
    static constexpr Word rop = 0, height = 2, width = 3, y = 4, x = 5, kWords = 6;
};
// STRETCHDIB: raster operation, usage, source and destination as height,
// width, y, x; then the packed bitmap.
struct StretchDib {
    static constexpr Word rop = 0, usage = 2, srcHeight = 3, srcWidth = 4, ySrc = 5, xSrc = 6,
                          destHeight = 7, destWidth = 8, yDest = 9, xDest = 10, bitmap = 11,
                          kWords = 11;
};
// SETDIBTODEV: usage, scans, first scan, source y, x, height, width,
// destination y, x; then the packed bitmap.
struct SetDibToDev {
    static constexpr Word usage = 0, ySrc = 3, xSrc = 4, height = 5, width = 6, yDest = 7,
                          xDest = 8, bitmap = 9, kWords = 9;
};
// TEXTOUT: the length in bytes, the string padded to a word, then y, x.
struct TextOut {
    static constexpr Word length = 0, string = 1, kWords = 1;
};
// EXTTEXTOUT: y, x, length, options, the rectangle (left, top, right,
// bottom) when the options ask for one, the string, then the advances.
struct ExtTextOut {
    static constexpr Word point = 0, length = 2, options = 3, rect = 4, kWords = 4;
    static constexpr Word kRectWords = 4;
};
// CREATEPALETTE: version, count, then entries of four bytes.
struct CreatePalette {
    static constexpr Word count = 1, entries = 2, kWords = 2;
};
// DIBCREATEPATTERNBRUSH: style, usage, then the packed bitmap.
struct DibCreatePatternBrush {
    static constexpr Word style = 0, usage = 1, bitmap = 2, kWords = 2;
};
// CREATEPATTERNBRUSH: a legacy bitmap header (five words and an unused
// pointer), 18 reserved bytes, then the bits.
struct CreatePatternBrush {
    static constexpr Word header = 0, planes = 4, bits = 16, kHeaderBytes = 10, kWords = 16;
};
// CREATEREGION: a header of eleven words (the scan count at 5), then scans
// of count, top, bottom, count / 2 left-right pairs and the count again.
struct CreateRegion {
    static constexpr Word scanCount = 5, scans = 11, kWords = 11;
};

} // namespace tavik::metafile::wmr

// The headers the readers check.
namespace tavik::metafile::emr {

// EMR_HEADER; the two extensions count only in a header that long.
struct Header {
    static constexpr Offset type = 0, size = 4, bounds = 8, frame = 24, signature = 40,
                            version = 44, bytes = 48, records = 52, handles = 56, nDescription = 60,
                            offDescription = 64, device = 72, millimeters = 80, cbPixelFormat = 88,
                            offPixelFormat = 92, micrometers = 100;
    static constexpr Offset kSize = 88, kSizeWithPixelFormat = 100, kSizeWithMicrometers = 108;
};
// Every record begins with its type and its size in bytes.
struct RecordHeader {
    static constexpr Offset type = 0, size = 4, kSize = 8;
};

} // namespace tavik::metafile::emr

namespace tavik::metafile::wmr {

// The placeable header before a Windows metafile's own header.
struct Placeable {
    static constexpr std::uint64_t key = 0, left = 6, top = 8, right = 10, bottom = 12, inch = 14,
                                   checksum = 20, kSize = 22;
};
struct Header {
    static constexpr std::uint64_t type = 0, headerWords = 2, version = 4, sizeWords = 6,
                                   objects = 10, maxRecord = 12, kSize = 18;
    static constexpr std::uint16_t kWords = 9;
};
// Every record begins with its size in words and its function word.
struct RecordHeader {
    static constexpr std::uint64_t sizeWords = 0, function = 4, kSize = 6;
};

} // namespace tavik::metafile::wmr
