#include "support/EmfBuilder.h"

namespace tavik::metafile::testing {

namespace {

void PutPoint32(std::vector<std::uint8_t>& out, QPoint p) {
    Put32(out, p.x());
    Put32(out, p.y());
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

} // namespace

EmfBuilder::EmfBuilder(QRect frame, int handles)
    : EmfBuilder(frame, [handles] {
          EmfHeaderLayout layout;
          layout.handles = handles;
          return layout;
      }()) {}

EmfBuilder::EmfBuilder(QRect frame, const EmfHeaderLayout& layout) {
    Put32(FOut, Number(EmfRecord::Header));
    Put32(FOut, layout.extended ? 108 : 88);
    const double px = 96 / 2540.0;
    const QRect bounds = layout.bounds.value_or(
        QRect(QPoint(static_cast<int>(frame.left() * px), static_cast<int>(frame.top() * px)),
              QPoint(static_cast<int>(frame.right() * px), static_cast<int>(frame.bottom() * px))));
    for (int v : {bounds.left(), bounds.top(), bounds.right(), bounds.bottom(), frame.left(),
                  frame.top(), frame.right(), frame.bottom()})
        Put32(FOut, v);
    Put32(FOut, kEmfSignature);
    Put32(FOut, 0x10000);
    Put32(FOut, 0); // file size and record count: set by Finish
    Put32(FOut, 0);
    Put16(FOut, layout.handles);
    Put16(FOut, 0);
    Put32(FOut, 0); // no description, no palette
    Put32(FOut, 0);
    Put32(FOut, 0);
    Put32(FOut, layout.devicePixels.width());
    Put32(FOut, layout.devicePixels.height());
    Put32(FOut, layout.deviceMillimetres.width());
    Put32(FOut, layout.deviceMillimetres.height());
    if (!layout.extended)
        return;
    Put32(FOut, 0); // no pixel format, no OpenGL
    Put32(FOut, 0);
    Put32(FOut, 0);
    // 1000 pixels over 264.583 mm: exactly 96 per inch.
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

} // namespace tavik::metafile::testing
