#include "graphics/Dib.h"

#include "graphics/Bytes.h"

namespace tavik::dib {

using bytes::I32;
using bytes::U16;
using bytes::U32;

namespace {

bool KnownHeaderSize(std::uint32_t size) {
    switch (size) {
    case 12:
    case 40:
    case 52:
    case 56:
    case 64:
    case 108:
    case 124:
        return true;
    default:
        return false;
    }
}

bool IndicesInPalette(const DibInfo& info, std::span<const std::uint8_t> pixels) {
    const std::int64_t full = std::int64_t{1} << info.bitCount;
    if (info.paletteEntries >= full) {
        return true; // every index the bit count can hold has a colour
    }
    const std::int64_t stride = info.Stride();
    if (info.bitCount == 8) {
        for (std::int64_t y = 0; y < info.height; ++y) {
            const std::uint8_t* row = pixels.data() + y * stride;
            for (std::int64_t x = 0; x < info.width; ++x) {
                if (row[x] >= info.paletteEntries) {
                    return false;
                }
            }
        }
        return true;
    }
    const int bits = info.bitCount;
    const int perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::int64_t y = 0; y < info.height; ++y) {
        const std::uint8_t* row = pixels.data() + y * stride;
        for (std::int64_t x = 0; x < info.width; ++x) {
            const int shift = 8 - bits * static_cast<int>(x % perByte + 1);
            const unsigned index = (row[x / perByte] >> shift) & mask;
            if (index >= info.paletteEntries) {
                return false;
            }
        }
    }
    return true;
}

// Walks RLE8 or RLE4 data without producing pixels: every run must stay inside
// its row (with the row's padding: some writers encode it as a run past the
// last pixel, which the decoder clips) and the image, every literal run inside
// the data, and every index inside the palette.
bool WalkRle(const DibInfo& info, std::span<const std::uint8_t> data) {
    const bool four = info.compression == Rle4;
    const std::int64_t rowEnd = info.Stride() * 8 / info.bitCount;
    const std::int64_t colours = info.paletteEntries;
    auto indexOk = [&](std::uint8_t value) {
        if (four) {
            return (value >> 4) < colours && (value & 0x0F) < colours;
        }
        return value < colours;
    };
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t at = 0;
    while (at + 2 <= data.size()) {
        const unsigned count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            if (y >= info.height || x + count > rowEnd) {
                return false;
            }
            if (four) {
                // A run alternates the two nibbles; with one pixel only the high one is used.
                if ((value >> 4) >= colours || (count > 1 && (value & 0x0F) >= colours)) {
                    return false;
                }
            } else if (!indexOk(value)) {
                return false;
            }
            x += count;
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            if (y > info.height) {
                return false;
            }
            break;
        case 1: // end of bitmap
            return true;
        case 2: { // delta
            if (at + 2 > data.size()) {
                return false;
            }
            x += data[at];
            y += data[at + 1];
            at += 2;
            if (x > info.width || y > info.height || (y == info.height && x > 0)) {
                return false;
            }
            break;
        }
        default: { // literal run of value pixels, padded to a 16-bit boundary
            const unsigned n = value;
            const std::size_t byteCount = four ? (n + 1) / 2 : n;
            const std::size_t padded = (byteCount + 1) & ~std::size_t{1};
            if (y >= info.height || x + n > rowEnd || at + byteCount > data.size()) {
                return false;
            }
            for (unsigned i = 0; i < n; ++i) {
                const std::uint8_t b = data[at + (four ? i / 2 : i)];
                const unsigned index = four ? ((i % 2 == 0) ? (b >> 4) : (b & 0x0F)) : b;
                if (index >= colours) {
                    return false;
                }
            }
            at += std::min(padded, data.size() - at);
            x += n;
            break;
        }
        }
    }
    // Data that stops between two codes is taken as an image whose remaining
    // pixels are blank; a code cut in half is a truncated file.
    return at == data.size();
}

} // namespace

std::optional<DibInfo> ParseHeader(std::span<const std::uint8_t> dib) {
    if (dib.size() < 4) {
        return std::nullopt;
    }
    DibInfo info;
    info.headerSize = U32(dib, 0);
    if (!KnownHeaderSize(info.headerSize) || dib.size() < info.headerSize) {
        return std::nullopt;
    }
    std::uint32_t colorsUsed = 0;
    int planes = 0;
    if (info.headerSize == 12) {
        info.width = U16(dib, 4);
        info.height = U16(dib, 6);
        planes = U16(dib, 8);
        info.bitCount = U16(dib, 10);
        info.paletteEntrySize = 3;
        if (info.bitCount == 16 || info.bitCount == 32) {
            return std::nullopt;
        }
    } else {
        info.width = I32(dib, 4);
        const std::int64_t h = I32(dib, 8);
        info.topDown = h < 0;
        info.height = h < 0 ? -h : h;
        planes = U16(dib, 12);
        info.bitCount = U16(dib, 14);
        info.compression = U32(dib, 16);
        colorsUsed = U32(dib, 32);
    }
    if (planes != 1) {
        return std::nullopt;
    }
    switch (info.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return std::nullopt;
    }
    if (info.width < 1 || info.width > kMaxSide || info.height < 1 || info.height > kMaxSide ||
        info.width * info.height > kMaxPixels) {
        return std::nullopt;
    }
    switch (info.compression) {
    case Rgb:
        break;
    case Rle8:
    case Rle4:
        if (info.bitCount != (info.compression == Rle8 ? 8 : 4) || info.topDown) {
            return std::nullopt;
        }
        break;
    case BitFields:
        // The 64-byte header gives this value another meaning (a fax codec).
        if ((info.bitCount != 16 && info.bitCount != 32) || info.headerSize == 64) {
            return std::nullopt;
        }
        if (info.headerSize == 40) {
            info.maskBytes = 12;
        }
        break;
    default:
        return std::nullopt;
    }
    if (info.bitCount <= 8) {
        const std::uint32_t full = 1u << info.bitCount;
        if (colorsUsed > full) {
            return std::nullopt;
        }
        info.paletteEntries = colorsUsed == 0 ? full : colorsUsed;
    } else {
        // A colour table beside true-colour pixels is only a hint; it must
        // still lie inside the file, which the callers check.
        info.paletteEntries = colorsUsed;
        if (info.paletteEntries > 65536) {
            return std::nullopt;
        }
    }
    return info;
}

bool CheckPixels(const DibInfo& info, std::span<const std::uint8_t> pixels) {
    if (info.compression == Rle8 || info.compression == Rle4) {
        return WalkRle(info, pixels);
    }
    const std::int64_t needed = info.Stride() * info.height;
    if (static_cast<std::int64_t>(pixels.size()) < needed) {
        return false;
    }
    if (info.bitCount <= 8) {
        return IndicesInPalette(info, pixels);
    }
    return true;
}

} // namespace tavik::dib
