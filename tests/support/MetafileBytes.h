#pragma once

// What the tests' EMF and WMF builders share: colours, packed bitmaps and the
// little appends both formats' records are made of.

#include "support/LittleEndian.h"

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <vector>

namespace tavik::metafile::testing {

using test::Put16;
using test::Put32;
using test::Set32;

// A COLORREF: red in the low byte.
std::uint32_t Rgb(int r, int g, int b);

// A packed DIB of img: 24-bit, bottom-up, 40-byte header.
std::vector<std::uint8_t> PackedDib(const QImage& img);

// Zero bytes up to the next multiple of `to`.
inline void Pad(std::vector<std::uint8_t>& out, std::size_t to) {
    while (out.size() % to)
        out.push_back(0);
}

inline void Append(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Each point as two 16-bit values, x first.
inline void PutPoints16(std::vector<std::uint8_t>& out, const std::vector<QPoint>& points) {
    for (const QPoint& p : points) {
        Put16(out, p.x());
        Put16(out, p.y());
    }
}

} // namespace tavik::metafile::testing
