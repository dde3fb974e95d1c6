#pragma once

#include "Bytes.h"
#include "graphics/Dib.h"

#include <QColor>
#include <QImage>
#include <optional>
#include <vector>

namespace tavik::metafile {

// A bitmap in a metafile passes the picture layer's header checks and limits
// (graphics/Dib.h); a larger one is taken as damage, not as a picture.
using dib::kCoreHeaderSize;
using dib::kMaxSide;

// True when the bitmap header at the start of info stores its rows bottom
// up: the oldest header always does, the others when the height is positive.
inline bool IsBottomUp(const Bytes& info) {
    return info.U32(0) == kCoreHeaderSize || info.I32(8) > 0;
}

enum DibColorUsage : std::uint32_t { DibRgbColors = 0, DibPalColors = 1, DibPalIndices = 2 };

// Decodes a device-independent bitmap whose info header (with masks and
// colour table) is `info` and whose pixels are `bits`. A DIB_PAL_COLORS
// table indexes `palette` (black when it is shorter). Returns nothing when
// the header fails dib::ParseHeader or a table or the pixels lie outside
// their bytes; run-length data is drawn as far as it goes.
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
