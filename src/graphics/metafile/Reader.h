#pragma once

#include "Records.h"

#include <QRect>
#include <QSize>
#include <cstdint>
#include <span>
#include <vector>

namespace tavik::metafile {

// One framed record: its type (EMF) or function word (WMF), where it starts
// and how many bytes it spans, header included. Framing guarantees
// offset + size lies inside the file.
struct RecordRef {
    std::uint32_t type = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

// Files with more records than this are refused rather than played.
inline constexpr std::size_t kMaxRecords = 10'000'000;

struct EmfHeader {
    QRect bounds; // reference-device pixels, inclusive
    QRect frame;  // 0.01 mm, inclusive
    QSize device;
    QSize millimeters;
    QSize micrometers; // empty when the header has no such extension
    std::uint32_t handles = 0;
    // Reference pixels per millimetre, from the best extension present.
    double PixelsPerMmX() const;
    double PixelsPerMmY() const;
};

struct EmfFile {
    EmfHeader header;
    std::vector<RecordRef> records; // header record first, EOF (when present) last
};

// True when the stream is taken as an enhanced metafile: at least 89 bytes,
// first value 1 and the " EMF" signature at offset 40.
bool LooksLikeEmf(std::span<const std::uint8_t> stream);

// Frames every record of an EMF. Throws EInvalidGraphic "Metafile is not
// valid" when the header is wrong or any record's size is below 8, not a
// multiple of 4, or runs past the end of the file.
EmfFile ReadEmf(std::span<const std::uint8_t> stream);

struct WmfFile {
    bool placeable = false;
    QRect boundingBox;              // placeable header box, normalised
    int inch = 0;                   // 0 when the file gives no size
    int objects = 0;                // object table size the header asks for
    std::vector<RecordRef> records; // after the headers, up to and including EOF
};

// Frames every record of a Windows metafile with or without the placeable
// header. Throws EInvalidGraphic "Metafile is not valid" when the headers are
// wrong or a record's size is below 3 words or runs past the end.
WmfFile ReadWmf(std::span<const std::uint8_t> stream);

} // namespace tavik::metafile
