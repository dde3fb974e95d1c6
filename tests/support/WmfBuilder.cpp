#include "support/WmfBuilder.h"

#include <algorithm>

namespace tavik::metafile::testing {

namespace {

// WMF bitmap records store a rectangle backwards: height, width, y, x.
void PutRectBackwards(std::vector<std::uint8_t>& out, QRect r) {
    Put16(out, r.height());
    Put16(out, r.width());
    Put16(out, r.y());
    Put16(out, r.x());
}

} // namespace

WmfBuilder::WmfBuilder(QRect box, int inch, int objects) {
    if (inch > 0) {
        Put32(FOut, kPlaceableKey);
        Put16(FOut, 0);
        Put16(FOut, box.left());
        Put16(FOut, box.top());
        Put16(FOut, box.right() + 1);
        Put16(FOut, box.bottom() + 1);
        Put16(FOut, inch);
        Put32(FOut, 0);
        int sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= FOut[2 * i] | (FOut[2 * i + 1] << 8);
        Put16(FOut, sum);
    }
    FHeaderAt = FOut.size();
    Put16(FOut, 1);
    Put16(FOut, 9);
    Put16(FOut, 0x300);
    Put32(FOut, 0);
    Put16(FOut, objects);
    Put32(FOut, 0);
    Put16(FOut, 0);
}

void WmfBuilder::Begin(WmfFunction function) {
    FStart = FOut.size();
    Put32(FOut, 0);
    Put16(FOut, Number(function));
}

void WmfBuilder::End() {
    Pad(FOut, 2);
    const auto words = static_cast<std::uint32_t>((FOut.size() - FStart) / 2);
    Set32(FOut, FStart, words);
    FLargest = std::max(FLargest, words);
}

WmfBuilder& WmfBuilder::Rec(WmfFunction function, std::initializer_list<int> words) {
    Begin(function);
    for (int w : words)
        Put16(FOut, w);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Color(WmfFunction function, std::uint32_t color) {
    Begin(function);
    Put32(FOut, color);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Pen(int style, int width, std::uint32_t color) {
    Begin(WmfFunction::CreatePenIndirect);
    Put16(FOut, style);
    Put16(FOut, width);
    Put16(FOut, 0);
    Put32(FOut, color);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Brush(int style, std::uint32_t color, int hatch) {
    Begin(WmfFunction::CreateBrushIndirect);
    Put16(FOut, style);
    Put32(FOut, color);
    Put16(FOut, hatch);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Font(int height, int weight, int escapement, int charset,
                             const char* face) {
    Begin(WmfFunction::CreateFontIndirect);
    Put16(FOut, height);
    Put16(FOut, 0);
    Put16(FOut, escapement);
    Put16(FOut, escapement);
    Put16(FOut, weight);
    FOut.push_back(0);
    FOut.push_back(0);
    FOut.push_back(0);
    FOut.push_back(static_cast<std::uint8_t>(charset));
    for (int i = 0; i < 4; ++i)
        FOut.push_back(0);
    for (const char* c = face; *c; ++c)
        FOut.push_back(static_cast<std::uint8_t>(*c));
    FOut.push_back(0);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Poly(WmfFunction function, const std::vector<QPoint>& points) {
    Begin(function);
    Put16(FOut, static_cast<int>(points.size()));
    PutPoints16(FOut, points);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::PolyPolygon(const std::vector<std::vector<QPoint>>& polys) {
    Begin(WmfFunction::PolyPolygon);
    Put16(FOut, static_cast<int>(polys.size()));
    for (const auto& p : polys)
        Put16(FOut, static_cast<int>(p.size()));
    for (const auto& poly : polys)
        PutPoints16(FOut, poly);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::TextOut(QPoint at, const QByteArray& text) {
    Begin(WmfFunction::TextOut);
    Put16(FOut, static_cast<int>(text.size()));
    FOut.insert(FOut.end(), text.begin(), text.end());
    Pad(FOut, 2);
    Put16(FOut, at.y());
    Put16(FOut, at.x());
    End();
    return *this;
}

WmfBuilder& WmfBuilder::ExtTextOut(QPoint at, const QByteArray& text, int options, QRect rect,
                                   const std::vector<int>& dx) {
    Begin(WmfFunction::ExtTextOut);
    Put16(FOut, at.y());
    Put16(FOut, at.x());
    Put16(FOut, static_cast<int>(text.size()));
    Put16(FOut, options);
    if (options & 6) {
        Put16(FOut, rect.left());
        Put16(FOut, rect.top());
        Put16(FOut, rect.right() + 1);
        Put16(FOut, rect.bottom() + 1);
    }
    FOut.insert(FOut.end(), text.begin(), text.end());
    Pad(FOut, 2);
    for (int d : dx)
        Put16(FOut, d);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::StretchDib(QRect dest, QRect src, const QImage& image, std::uint32_t rop) {
    Begin(WmfFunction::StretchDib);
    Put32(FOut, rop);
    Put16(FOut, 0);
    PutRectBackwards(FOut, src);
    PutRectBackwards(FOut, dest);
    Append(FOut, PackedDib(image));
    End();
    return *this;
}

WmfBuilder& WmfBuilder::DibBitBlt(QRect dest, QPoint src, const QImage& image, std::uint32_t rop) {
    Begin(WmfFunction::DibBitBlt);
    Put32(FOut, rop);
    Put16(FOut, src.y());
    Put16(FOut, src.x());
    PutRectBackwards(FOut, dest);
    Append(FOut, PackedDib(image));
    End();
    return *this;
}

WmfBuilder& WmfBuilder::SetDiBits(QPoint dest, QRect src, const QImage& image) {
    Begin(WmfFunction::SetDibToDev);
    Put16(FOut, 0);
    Put16(FOut, image.height());
    Put16(FOut, 0);
    Put16(FOut, src.y());
    Put16(FOut, src.x());
    Put16(FOut, src.height());
    Put16(FOut, src.width());
    Put16(FOut, dest.y());
    Put16(FOut, dest.x());
    Append(FOut, PackedDib(image));
    End();
    return *this;
}

WmfBuilder& WmfBuilder::PatBlt(QRect dest, std::uint32_t rop) {
    Begin(WmfFunction::PatBlt);
    Put32(FOut, rop);
    PutRectBackwards(FOut, dest);
    End();
    return *this;
}

WmfBuilder& WmfBuilder::DibPatternBrush(const QImage& image) {
    Begin(WmfFunction::DibCreatePatternBrush);
    Put16(FOut, 5);
    Put16(FOut, 0);
    Append(FOut, PackedDib(image));
    End();
    return *this;
}

WmfBuilder& WmfBuilder::Region(const std::vector<QRect>& rects) {
    Begin(WmfFunction::CreateRegion);
    Put16(FOut, 0);
    Put16(FOut, 6);
    Put32(FOut, 0);
    Put16(FOut, 0);
    Put16(FOut, static_cast<int>(rects.size()));
    Put16(FOut, 2);
    for (int i = 0; i < 4; ++i)
        Put16(FOut, 0);
    for (const QRect& r : rects) {
        Put16(FOut, 2);
        Put16(FOut, r.top());
        Put16(FOut, r.bottom() + 1);
        Put16(FOut, r.left());
        Put16(FOut, r.right() + 1);
        Put16(FOut, 2);
    }
    End();
    return *this;
}

std::vector<std::uint8_t> WmfBuilder::Finish() {
    Rec(WmfFunction::Eof, {});
    const std::uint32_t words = static_cast<std::uint32_t>((FOut.size() - FHeaderAt) / 2);
    Set32(FOut, FHeaderAt + 6, words);
    Set32(FOut, FHeaderAt + 12, FLargest);
    return FOut;
}

} // namespace tavik::metafile::testing
