#pragma once

// Enhanced metafiles for the tests, written record by record so that every
// test states its input in the format's own terms.

#include "graphics/metafile/Records.h"
#include "support/MetafileBytes.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tavik::metafile::testing {

// How the header record is laid out. The defaults give the 108-byte header
// of a 1000-pixel reference device at exactly 96 pixels per inch.
struct EmfHeaderLayout {
    int handles = 8;
    std::optional<QRect> bounds; // in pixels; the frame at 96 per inch when not given
    QSize devicePixels{1000, 1000};
    QSize deviceMillimetres{265, 265};
    bool extended = true; // false: the 88-byte header, without the micrometre size
};

class EmfBuilder {
public:
    // frame in 0.01 mm (right and bottom inclusive); the reference device is
    // 96 pixels per inch.
    explicit EmfBuilder(QRect frame, int handles = 8);
    EmfBuilder(QRect frame, const EmfHeaderLayout& layout);
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

} // namespace tavik::metafile::testing
