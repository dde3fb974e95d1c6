#pragma once

#include "Bytes.h"

#include <QColor>
#include <QImage>
#include <optional>
#include <vector>

namespace tavik::metafile {

// Largest side and pixel count of a bitmap the engine decodes; anything
// larger in a metafile is taken as damage, not as a picture.
inline constexpr int kMaxDibSide = 32768;
inline constexpr std::int64_t kMaxDibPixels = 64LL * 1024 * 1024;
// Run-length bitmaps expand from few bytes; they get a smaller budget.
inline constexpr std::int64_t kMaxRleDibPixels = 16LL * 1024 * 1024;

// The size of the oldest bitmap header (16-bit sizes, 3-byte colours).
inline constexpr std::uint32_t kCoreHeaderSize = 12;

// True when the bitmap header at the start of info stores its rows bottom
// up: the oldest header always does, the others when the height is positive.
inline bool IsBottomUp(const Bytes& info) {
    return info.U32(0) == kCoreHeaderSize || info.I32(8) > 0;
}

enum DibColorUsage : std::uint32_t { DibRgbColors = 0, DibPalColors = 1, DibPalIndices = 2 };

// Decodes a device-independent bitmap whose info header (with masks and
// colour table) is `info` and whose pixels are `bits`. A DIB_PAL_COLORS
// table indexes `palette` (black when it is shorter). Returns nothing when
// any header field, table or pixel run lies outside its bytes or is absurd.
// The image is top row first, Format_RGB32 (or ARGB32 for 32-bit BI_BITFIELDS
// with an alpha mask). mono, when given, receives whether it is a 1-bit
// image (monochrome pattern brushes recolour those).
// premultiplied: a plain 32-bit DIB carries premultiplied alpha (ALPHABLEND).
std::optional<QImage> DecodeDib(Bytes info, Bytes bits, std::uint32_t usage,
                                const std::vector<QRgb>& palette, bool* mono = nullptr,
                                bool premultiplied = false);

// Decodes a packed DIB (header, table and bits back to back, as WMF stores
// them).
std::optional<QImage> DecodePackedDib(Bytes packed, std::uint32_t usage,
                                      const std::vector<QRgb>& palette, bool* mono = nullptr);

// Encodes img (alpha dropped) as a bottom-up 24-bit packed
// DIB with a 40-byte header; header and bits split at the returned offset.
std::vector<std::uint8_t> EncodePackedDib(const QImage& img, std::size_t* bitsOffset);

} // namespace tavik::metafile
