#include "graphics/Dib.h"

#include "graphics/Bytes.h"

#include <algorithm>

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

// Checks RLE8 or RLE4 data without producing pixels: every run must stay
// inside its row (with the row's padding: some writers encode it as a run past
// the last pixel, which the decoder clips) and the image, every literal run
// inside the data, and every index inside the palette.
class RleChecker : public RleVisitor {
public:
    explicit RleChecker(const DibInfo& info)
        : FInfo(info), FFour(info.compression == Rle4), FRowEnd(info.Stride() * 8 / info.bitCount),
          FColours(info.paletteEntries) {}

    bool Run(unsigned count, std::uint8_t value) override {
        if (FY >= FInfo.height || FX + count > FRowEnd)
            return false;
        // A four-bit run alternates the two nibbles; with one pixel only the
        // high one is used.
        if (FFour ? ((value >> 4) >= FColours || (count > 1 && (value & 0x0F) >= FColours))
                  : value >= FColours)
            return false;
        FX += count;
        return true;
    }
    bool Literal(unsigned count, std::span<const std::uint8_t> bytes) override {
        if (FY >= FInfo.height || FX + count > FRowEnd)
            return false;
        for (unsigned i = 0; i < count; ++i) {
            const std::uint8_t b = bytes[FFour ? i / 2 : i];
            const unsigned index = FFour ? ((i % 2 == 0) ? (b >> 4) : (b & 0x0F)) : b;
            if (index >= FColours)
                return false;
        }
        FX += count;
        return true;
    }
    bool EndOfLine() override {
        FX = 0;
        ++FY;
        return FY <= FInfo.height;
    }
    bool Delta(unsigned right, unsigned up) override {
        FX += right;
        FY += up;
        return FX <= FInfo.width && FY <= FInfo.height && !(FY == FInfo.height && FX > 0);
    }

private:
    const DibInfo& FInfo;
    const bool FFour;
    const std::int64_t FRowEnd;
    const std::int64_t FColours;
    std::int64_t FX = 0;
    std::int64_t FY = 0;
};

// The masks of a bit-field image, read where they are present.
void ReadMasks(std::span<const std::uint8_t> dib, DibInfo& info) {
    int count = 0;
    switch (info.headerSize) {
    case 40:
        count = static_cast<int>(info.maskBytes / 4); // after the header
        break;
    case 52:
        count = 3;
        break;
    case 56:
    case 108:
    case 124:
        count = 4;
        break;
    default: // the oldest and the 64-byte header hold none
        break;
    }
    for (int i = 0; i < count && 40 + 4 * static_cast<std::size_t>(i) + 4 <= dib.size(); ++i)
        info.masks[i] = U32(dib, 40 + 4 * static_cast<std::size_t>(i));
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
        if (info.bitCount != (info.compression == Rle8 ? 8 : 4) || info.topDown ||
            info.width * info.height > kMaxRlePixels) {
            return std::nullopt;
        }
        break;
    case BitFields:
    case AlphaBitFields:
        // The 64-byte header gives these values other meanings (fax codecs).
        if ((info.bitCount != 16 && info.bitCount != 32) || info.headerSize == 64) {
            return std::nullopt;
        }
        if (info.headerSize == 40) {
            info.maskBytes = info.compression == AlphaBitFields ? 16 : 12;
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
    ReadMasks(dib, info);
    return info;
}

RleEnd WalkRle(std::span<const std::uint8_t> data, bool four, RleVisitor& visitor) {
    std::size_t at = 0;
    while (at + 2 <= data.size()) {
        const unsigned count = data[at];
        const std::uint8_t value = data[at + 1];
        at += 2;
        if (count > 0) {
            if (!visitor.Run(count, value))
                return RleEnd::Stopped;
            continue;
        }
        switch (value) {
        case 0:
            if (!visitor.EndOfLine())
                return RleEnd::Stopped;
            break;
        case 1:
            return RleEnd::EndOfBitmap;
        case 2:
            if (at + 2 > data.size())
                return RleEnd::Truncated;
            at += 2;
            if (!visitor.Delta(data[at - 2], data[at - 1]))
                return RleEnd::Stopped;
            break;
        default: { // a literal run of value pixels, padded to a 16-bit boundary
            const std::size_t byteCount = four ? (value + 1u) / 2 : value;
            if (at + byteCount > data.size())
                return RleEnd::Truncated;
            if (!visitor.Literal(value, data.subspan(at, byteCount)))
                return RleEnd::Stopped;
            const std::size_t padded = (byteCount + 1) & ~std::size_t{1};
            at += std::min(padded, data.size() - at);
            break;
        }
        }
    }
    return at == data.size() ? RleEnd::DataEnd : RleEnd::Truncated;
}

bool CheckPixels(const DibInfo& info, std::span<const std::uint8_t> pixels) {
    if (info.compression == Rle8 || info.compression == Rle4) {
        // Data that stops between two codes is taken as an image whose
        // remaining pixels are blank; a code cut in half is a truncated file.
        RleChecker checker(info);
        const RleEnd end = WalkRle(pixels, info.compression == Rle4, checker);
        return end == RleEnd::EndOfBitmap || end == RleEnd::DataEnd;
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
