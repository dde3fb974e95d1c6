#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tavik::dib {

// The largest side a bitmap or icon entry may have, and the largest number of
// pixels; anything past these is refused before a decoder allocates.
inline constexpr std::int64_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

// What a device-independent bitmap header says, once it has passed the checks.
struct DibInfo {
    std::uint32_t headerSize = 0; // 12, 40, 52, 56, 64, 108 or 124
    std::int64_t width = 0;
    std::int64_t height = 0; // always positive; see topDown
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = Rgb;
    std::int64_t paletteEntries = 0; // entries stored after the header
    int paletteEntrySize = 4;        // 3 for the 12-byte header
    std::int64_t maskBytes = 0;      // bit masks stored after a 40-byte header
    std::int64_t Stride() const { return ((width * bitCount + 31) / 32) * 4; }
    // Header, masks and palette together.
    std::int64_t PrefixBytes() const {
        return headerSize + maskBytes + paletteEntries * paletteEntrySize;
    }
};

// Parses the header at the start of dib. The header size must be one of the
// known ones, planes 1, bit count 1/4/8/16/24/32 (1/4/8/24 for the 12-byte
// header), width 1..kMaxSide, height non-zero with |height| up to kMaxSide,
// width x height up to kMaxPixels, compression RGB, RLE8 (8-bit, bottom-up),
// RLE4 (4-bit, bottom-up) or bit fields (16/32-bit), and a colour count not
// above what the bit count can address. Returns nothing on any failure.
std::optional<DibInfo> ParseHeader(std::span<const std::uint8_t> dib);

// Checks the pixel bytes of an image described by info: uncompressed rows
// must all be present and, up to 8 bits, every index must name a palette
// entry; RLE data must stay inside the image and its own bytes. Returns false
// on any fault.
bool CheckPixels(const DibInfo& info, std::span<const std::uint8_t> pixels);

} // namespace tavik::dib
