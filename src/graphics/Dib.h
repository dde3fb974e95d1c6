#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tavik::dib {

// The largest side a bitmap, an icon entry or a metafile's bitmap may have,
// and the largest number of pixels; anything past these is refused before a
// decoder allocates. Run-length data expands from few bytes: it gets less.
inline constexpr std::int64_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;
inline constexpr std::int64_t kMaxRlePixels = 16LL * 1024 * 1024;

// The size of the oldest header (16-bit sizes, 3-byte colours).
inline constexpr std::uint32_t kCoreHeaderSize = 12;

enum Compression : std::uint32_t { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, AlphaBitFields = 6 };

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
    // The red, green, blue and alpha masks: inside the 52-byte and larger
    // headers, after a 40-byte one (0 where those bytes are missing).
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool Core() const { return headerSize == kCoreHeaderSize; }
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
// RLE4 (4-bit, bottom-up), both up to kMaxRlePixels, or bit fields, with or
// without alpha (16/32-bit), and a colour count not above what the bit count
// can address. Returns nothing on any failure.
std::optional<DibInfo> ParseHeader(std::span<const std::uint8_t> dib);

// The codes of RLE8 or RLE4 data, in order. A handler returns false to stop
// the walk.
class RleVisitor {
public:
    virtual ~RleVisitor() = default;
    // count pixels of value (RLE4: its two nibbles in turn, high first).
    virtual bool Run(unsigned count, std::uint8_t value) = 0;
    // count pixels stored one a byte (RLE8) or one a nibble (RLE4) in bytes.
    virtual bool Literal(unsigned count, std::span<const std::uint8_t> bytes) = 0;
    virtual bool EndOfLine() = 0;
    virtual bool Delta(unsigned right, unsigned up) = 0;
};

enum class RleEnd {
    EndOfBitmap, // the end code
    DataEnd,     // the data stopped between two codes
    Stopped,     // a handler returned false
    Truncated,   // a code or its bytes cut short
};

// Walks RLE8 (four false) or RLE4 data, calling visitor for each code.
RleEnd WalkRle(std::span<const std::uint8_t> data, bool four, RleVisitor& visitor);

// Checks the pixel bytes of an image described by info: uncompressed rows
// must all be present and, up to 8 bits, every index must name a palette
// entry; RLE data must stay inside the image and its own bytes. Returns false
// on any fault.
bool CheckPixels(const DibInfo& info, std::span<const std::uint8_t> pixels);

} // namespace tavik::dib
