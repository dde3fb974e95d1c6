#pragma once

#include "graphics/metafile/Records.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tavik::metafile::testing {

// Test-only generators that write metafiles record by record, so every test
// states its input in the file format's own terms.

std::uint32_t Rgb(int r, int g, int b);

class EmfBuilder {
public:
    // frame in 0.01 mm; the reference device is 96 pixels per inch.
    explicit EmfBuilder(QRect frame, int handles = 8);
    // A record whose parameters are 32-bit values.
    EmfBuilder& Rec(EmfRecord type, std::initializer_list<std::int64_t> values);
    EmfBuilder& Raw(EmfRecord type, const std::vector<std::uint8_t>& body);
    EmfBuilder& Poly(EmfRecord type, const std::vector<QPoint>& points);   // 32-bit points
    EmfBuilder& Poly16(EmfRecord type, const std::vector<QPoint>& points); // 16-bit points
    EmfBuilder& PolyPoly16(EmfRecord type, const std::vector<std::vector<QPoint>>& polys);
    EmfBuilder& Font(std::uint32_t index, int height, int weight = 400, int escapement = 0,
                     bool italic = false, const QString& face = "DejaVu Sans");
    EmfBuilder& Text(QPoint ref, const QString& text, std::uint32_t options = 0,
                     QRect rect = QRect(), const std::vector<int>& dx = {});
    EmfBuilder& StretchDib(QRect dest, QRect src, const QImage& image, std::uint32_t rop);
    // BITBLT (cxSrc/cySrc ignored) or STRETCHBLT with a source bitmap.
    EmfBuilder& Blt(EmfRecord type, QRect dest, QRect src, const QImage& image, std::uint32_t rop);
    EmfBuilder& SetDiBits(QPoint dest, QRect src, const QImage& image);
    EmfBuilder& DibBrush(std::uint32_t index, const QImage& image);
    EmfBuilder& ClipRegion(const std::vector<QRect>& rects, int mode);
    std::vector<std::uint8_t> Finish();

private:
    std::vector<std::uint8_t> FOut;
    std::size_t FRecords = 1;
};

class WmfBuilder {
public:
    // box in logical units, inch units per inch; placeable when inch > 0.
    WmfBuilder(QRect box, int inch, int objects = 8);
    // A record of 16-bit words in stored order.
    WmfBuilder& Rec(WmfFunction function, std::initializer_list<int> words);
    WmfBuilder& Color(WmfFunction function, std::uint32_t color); // SETBKCOLOR etc.
    WmfBuilder& Pen(int style, int width, std::uint32_t color);
    WmfBuilder& Brush(int style, std::uint32_t color, int hatch = 0);
    WmfBuilder& Font(int height, int weight = 400, int escapement = 0, int charset = 0,
                     const char* face = "DejaVu Sans");
    WmfBuilder& Poly(WmfFunction function, const std::vector<QPoint>& points);
    WmfBuilder& PolyPolygon(const std::vector<std::vector<QPoint>>& polys);
    WmfBuilder& TextOut(QPoint at, const QByteArray& text);
    WmfBuilder& ExtTextOut(QPoint at, const QByteArray& text, int options, QRect rect,
                           const std::vector<int>& dx);
    WmfBuilder& StretchDib(QRect dest, QRect src, const QImage& image, std::uint32_t rop);
    WmfBuilder& DibBitBlt(QRect dest, QPoint src, const QImage& image, std::uint32_t rop);
    WmfBuilder& SetDiBits(QPoint dest, QRect src, const QImage& image);
    WmfBuilder& PatBlt(QRect dest, std::uint32_t rop);
    WmfBuilder& DibPatternBrush(const QImage& image);
    WmfBuilder& Region(const std::vector<QRect>& rects); // rects of one band each
    std::vector<std::uint8_t> Finish();

private:
    void Begin(WmfFunction function);
    void End();
    std::vector<std::uint8_t> FOut;
    std::size_t FHeaderAt = 0;
    std::size_t FStart = 0;
};

// A packed DIB of img: 24-bit, bottom-up, 40-byte header.
std::vector<std::uint8_t> PackedDib(const QImage& img);

} // namespace tavik::metafile::testing
