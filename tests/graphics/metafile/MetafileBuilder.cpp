#include "MetafileBuilder.h"

namespace tavik::metafile::testing {

namespace {

void Put16(std::vector<std::uint8_t>& out, int v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::int64_t v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>((v >> 16) & 0xFFFF));
}

void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Pad(std::vector<std::uint8_t>& out, std::size_t to) {
    while (out.size() % to)
        out.push_back(0);
}

void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void PutPoint32(std::vector<std::uint8_t>& out, QPoint p) {
    Put32(out, p.x());
    Put32(out, p.y());
}

void PutPoints16(std::vector<std::uint8_t>& out, const std::vector<QPoint>& points) {
    for (const QPoint& p : points) {
        Put16(out, p.x());
        Put16(out, p.y());
    }
}

// Where an EMF record's packed DIB lies when it follows the fixed part:
// offBmi, cbBmi, offBits, cbBits.
void PutDibPlace(std::vector<std::uint8_t>& out, std::uint32_t fixed,
                 const std::vector<std::uint8_t>& dib) {
    Put32(out, fixed);
    Put32(out, 40);
    Put32(out, fixed + 40);
    Put32(out, static_cast<std::int64_t>(dib.size() - 40));
}

// WMF bitmap records store a rectangle backwards: height, width, y, x.
void PutRectBackwards(std::vector<std::uint8_t>& out, QRect r) {
    Put16(out, r.height());
    Put16(out, r.width());
    Put16(out, r.y());
    Put16(out, r.x());
}

} // namespace

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (g << 8) | (b << 16);
}

std::vector<std::uint8_t> PackedDib(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, stride * h);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(qBlue(c)));
            out.push_back(static_cast<std::uint8_t>(qGreen(c)));
            out.push_back(static_cast<std::uint8_t>(qRed(c)));
        }
        for (int p = w * 3; p < stride; ++p)
            out.push_back(0);
    }
    return out;
}

// ---- EMF -----------------------------------------------------------------

EmfBuilder::EmfBuilder(QRect frame, int handles) {
    Put32(FOut, Number(EmfRecord::Header));
    Put32(FOut, 108);
    const double px = 96 / 2540.0;
    Put32(FOut, static_cast<int>(frame.left() * px));
    Put32(FOut, static_cast<int>(frame.top() * px));
    Put32(FOut, static_cast<int>(frame.right() * px));
    Put32(FOut, static_cast<int>(frame.bottom() * px));
    Put32(FOut, frame.left());
    Put32(FOut, frame.top());
    Put32(FOut, frame.right());
    Put32(FOut, frame.bottom());
    Put32(FOut, kEmfSignature);
    Put32(FOut, 0x10000);
    Put32(FOut, 0);
    Put32(FOut, 0);
    Put16(FOut, handles);
    Put16(FOut, 0);
    Put32(FOut, 0);
    Put32(FOut, 0);
    Put32(FOut, 0);
    // 1000 pixels over 264.583 mm: exactly 96 per inch.
    Put32(FOut, 1000);
    Put32(FOut, 1000);
    Put32(FOut, 265);
    Put32(FOut, 265);
    Put32(FOut, 0);
    Put32(FOut, 0);
    Put32(FOut, 0);
    Put32(FOut, 264583);
    Put32(FOut, 264583);
}

EmfBuilder& EmfBuilder::Raw(EmfRecord type, const std::vector<std::uint8_t>& body) {
    Put32(FOut, Number(type));
    Put32(FOut, static_cast<std::int64_t>(8 + ((body.size() + 3) & ~std::size_t(3))));
    FOut.insert(FOut.end(), body.begin(), body.end());
    Pad(FOut, 4);
    ++FRecords;
    return *this;
}

EmfBuilder& EmfBuilder::Rec(EmfRecord type, std::initializer_list<std::int64_t> values) {
    std::vector<std::uint8_t> body;
    for (std::int64_t v : values)
        Put32(body, v);
    return Raw(type, body);
}

EmfBuilder& EmfBuilder::Poly(EmfRecord type, const std::vector<QPoint>& points) {
    std::vector<std::uint8_t> body(16, 0);
    Put32(body, static_cast<std::int64_t>(points.size()));
    for (const QPoint& p : points)
        PutPoint32(body, p);
    return Raw(type, body);
}

EmfBuilder& EmfBuilder::Poly16(EmfRecord type, const std::vector<QPoint>& points) {
    std::vector<std::uint8_t> body(16, 0);
    Put32(body, static_cast<std::int64_t>(points.size()));
    PutPoints16(body, points);
    return Raw(type, body);
}

EmfBuilder& EmfBuilder::PolyPoly16(EmfRecord type, const std::vector<std::vector<QPoint>>& polys) {
    std::vector<std::uint8_t> body(16, 0);
    std::size_t total = 0;
    for (const auto& p : polys)
        total += p.size();
    Put32(body, static_cast<std::int64_t>(polys.size()));
    Put32(body, static_cast<std::int64_t>(total));
    for (const auto& p : polys)
        Put32(body, static_cast<std::int64_t>(p.size()));
    for (const auto& poly : polys)
        PutPoints16(body, poly);
    return Raw(type, body);
}

EmfBuilder& EmfBuilder::Font(std::uint32_t index, int height, int weight, int escapement,
                             bool italic, const QString& face) {
    std::vector<std::uint8_t> body;
    Put32(body, index);
    Put32(body, height);
    Put32(body, 0);
    Put32(body, escapement);
    Put32(body, escapement);
    Put32(body, weight);
    body.push_back(italic);
    body.push_back(0);
    body.push_back(0);
    body.push_back(0);
    for (int i = 0; i < 4; ++i)
        body.push_back(0);
    for (int i = 0; i < 32; ++i)
        Put16(body, i < face.size() ? face[i].unicode() : 0);
    return Raw(EmfRecord::ExtCreateFontIndirectW, body);
}

EmfBuilder& EmfBuilder::Text(QPoint ref, const QString& text, std::uint32_t options, QRect rect,
                             const std::vector<int>& dx) {
    std::vector<std::uint8_t> body(16, 0); // bounds
    Put32(body, 1);
    Put32(body, 0);
    Put32(body, 0);
    PutPoint32(body, ref);
    Put32(body, text.size());
    const std::uint32_t offString = 76;
    const std::uint32_t offDx = dx.empty() ? 0 : offString + ((text.size() * 2 + 3) & ~3);
    Put32(body, offString);
    Put32(body, options);
    Put32(body, rect.left());
    Put32(body, rect.top());
    Put32(body, rect.isNull() ? -1 : rect.right() + 1);
    Put32(body, rect.isNull() ? -1 : rect.bottom() + 1);
    Put32(body, offDx);
    for (QChar c : text)
        Put16(body, c.unicode());
    Pad(body, 4);
    for (int d : dx)
        Put32(body, d);
    return Raw(EmfRecord::ExtTextOutW, body);
}

EmfBuilder& EmfBuilder::StretchDib(QRect dest, QRect src, const QImage& image, std::uint32_t rop) {
    const std::vector<std::uint8_t> dib = PackedDib(image);
    std::vector<std::uint8_t> body(16, 0);
    PutPoint32(body, dest.topLeft());
    PutPoint32(body, src.topLeft());
    Put32(body, src.width());
    Put32(body, src.height());
    PutDibPlace(body, 80, dib);
    Put32(body, 0);
    Put32(body, rop);
    Put32(body, dest.width());
    Put32(body, dest.height());
    Append(body, dib);
    return Raw(EmfRecord::StretchDiBits, body);
}

EmfBuilder& EmfBuilder::Blt(EmfRecord type, QRect dest, QRect src, const QImage& image,
                            std::uint32_t rop) {
    const std::vector<std::uint8_t> dib = PackedDib(image);
    const std::uint32_t fixed = type == EmfRecord::BitBlt ? 100 : 108;
    std::vector<std::uint8_t> body(16, 0);
    PutPoint32(body, dest.topLeft());
    Put32(body, dest.width());
    Put32(body, dest.height());
    Put32(body, rop);
    PutPoint32(body, src.topLeft());
    for (std::uint32_t f : {0x3F800000u, 0u, 0u, 0x3F800000u, 0u, 0u})
        Put32(body, f);
    Put32(body, 0);
    Put32(body, 0);
    PutDibPlace(body, fixed, dib);
    if (type == EmfRecord::StretchBlt) {
        Put32(body, src.width());
        Put32(body, src.height());
    }
    Append(body, dib);
    return Raw(type, body);
}

EmfBuilder& EmfBuilder::SetDiBits(QPoint dest, QRect src, const QImage& image) {
    const std::vector<std::uint8_t> dib = PackedDib(image);
    std::vector<std::uint8_t> body(16, 0);
    PutPoint32(body, dest);
    PutPoint32(body, src.topLeft());
    Put32(body, src.width());
    Put32(body, src.height());
    PutDibPlace(body, 76, dib);
    Put32(body, 0);
    Put32(body, 0);
    Put32(body, image.height());
    Append(body, dib);
    return Raw(EmfRecord::SetDiBitsToDevice, body);
}

EmfBuilder& EmfBuilder::DibBrush(std::uint32_t index, const QImage& image) {
    const std::vector<std::uint8_t> dib = PackedDib(image);
    std::vector<std::uint8_t> body;
    Put32(body, index);
    Put32(body, 0);
    PutDibPlace(body, 32, dib);
    Append(body, dib);
    return Raw(EmfRecord::CreateDibPatternBrushPt, body);
}

EmfBuilder& EmfBuilder::ClipRegion(const std::vector<QRect>& rects, int mode) {
    std::vector<std::uint8_t> body;
    Put32(body, static_cast<std::int64_t>(32 + 16 * rects.size()));
    Put32(body, mode);
    Put32(body, 32);
    Put32(body, 1);
    Put32(body, static_cast<std::int64_t>(rects.size()));
    Put32(body, static_cast<std::int64_t>(16 * rects.size()));
    for (int i = 0; i < 4; ++i)
        Put32(body, 0);
    for (const QRect& r : rects) {
        Put32(body, r.left());
        Put32(body, r.top());
        Put32(body, r.right() + 1);
        Put32(body, r.bottom() + 1);
    }
    return Raw(EmfRecord::ExtSelectClipRgn, body);
}

std::vector<std::uint8_t> EmfBuilder::Finish() {
    Rec(EmfRecord::Eof, {0, 16, 20});
    Set32(FOut, 48, static_cast<std::uint32_t>(FOut.size()));
    Set32(FOut, 52, static_cast<std::uint32_t>(FRecords));
    return FOut;
}

// ---- WMF -----------------------------------------------------------------

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
    Set32(FOut, FStart, static_cast<std::uint32_t>((FOut.size() - FStart) / 2));
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
    return FOut;
}

} // namespace tavik::metafile::testing
