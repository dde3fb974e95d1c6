#pragma once

// Windows metafiles for the tests, written record by record so that every
// test states its input in the format's own terms. The header gives the file's
// size and its longest record as they are.

#include "graphics/metafile/Records.h"
#include "support/MetafileBytes.h"

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace tavik::metafile::testing {

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
    std::uint32_t FLargest = 0; // words of the longest record so far
};

} // namespace tavik::metafile::testing
