#include "Dib.h"

#include <algorithm>
#include <bit>

namespace tavik::metafile {

namespace {

struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool core = false;
};

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3,
                        kBiAlphaBitfields = 6;

struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    int Extract(std::uint32_t v) const {
        if (!mask)
            return 0;
        const std::uint32_t raw = (v & mask) >> shift;
        if (bits >= 8)
            return static_cast<int>(raw >> (bits - 8));
        // Widen small fields so full scale stays full scale (31 -> 255).
        const std::uint32_t max = (1u << bits) - 1;
        return static_cast<int>((raw * 255 + max / 2) / max);
    }
};

Channel MakeChannel(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask) {
        c.shift = std::countr_zero(mask);
        c.bits = std::popcount(mask >> c.shift);
        // Masks with holes are malformed; treat only the low run as the field.
        if (c.bits > 32 - c.shift)
            c.bits = 32 - c.shift;
    }
    return c;
}

bool ReadHeader(Bytes info, DibHeader& h) {
    if (!info.Has(0, 4))
        return false;
    h.headerSize = info.U32(0);
    if (h.headerSize == 12) {
        if (!info.Has(0, 12))
            return false;
        h.core = true;
        h.width = info.U16(4);
        h.height = info.U16(6);
        if (info.U16(8) != 1)
            return false;
        h.bitCount = info.U16(10);
        return true;
    }
    if (h.headerSize != 40 && h.headerSize != 52 && h.headerSize != 56 && h.headerSize != 108 &&
        h.headerSize != 124)
        return false;
    if (!info.Has(0, h.headerSize))
        return false;
    h.width = info.I32(4);
    h.height = info.I32(8);
    if (info.U16(12) != 1)
        return false;
    h.bitCount = info.U16(14);
    h.compression = info.U32(16);
    h.colorsUsed = info.U32(32);
    if (h.headerSize >= 52) {
        h.masks[0] = info.U32(40);
        h.masks[1] = info.U32(44);
        h.masks[2] = info.U32(48);
    }
    if (h.headerSize >= 56)
        h.masks[3] = info.U32(52);
    return true;
}

// Expands RLE8/RLE4 into a top-down index buffer; skipped pixels stay 0.
// The decoder stops at the end of either buffer.
bool DecodeRle(Bytes bits, bool rle4, int width, int height, std::vector<std::uint8_t>& out) {
    out.assign(static_cast<std::size_t>(width) * height, 0);
    std::size_t pos = 0;
    int x = 0;
    int row = 0; // counted from the bottom
    auto put = [&](int index) {
        if (x < width && row < height)
            out[static_cast<std::size_t>(height - 1 - row) * width + x] =
                static_cast<std::uint8_t>(index);
        ++x;
    };
    while (pos + 1 < bits.Size() && row < height) {
        const int count = bits.U8(pos);
        const int value = bits.U8(pos + 1);
        pos += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (pos + 1 >= bits.Size())
                break;
            x += bits.U8(pos);
            row += bits.U8(pos + 1);
            pos += 2;
        } else {
            const int n = value;
            const std::size_t bytes = rle4 ? (static_cast<std::size_t>(n) + 1) / 2 : n;
            if (!bits.Has(pos, bytes))
                break;
            for (int i = 0; i < n && x < width; ++i) {
                const int b = bits.U8(pos + (rle4 ? i / 2 : i));
                put(rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            pos += (bytes + 1) & ~std::size_t(1);
        }
    }
    return true;
}

} // namespace

std::optional<QImage> DecodeDib(Bytes info, Bytes bits, std::uint32_t usage,
                                const std::vector<QRgb>& palette, bool* mono, bool premultiplied) {
    DibHeader h;
    if (!ReadHeader(info, h))
        return std::nullopt;
    const bool topDown = h.height < 0;
    const std::int64_t width = h.width;
    const std::int64_t height = topDown ? -h.height : h.height;
    if (width <= 0 || height <= 0 || width > kMaxDibSide || height > kMaxDibSide ||
        width * height > kMaxDibPixels)
        return std::nullopt;
    const int bpp = h.bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return std::nullopt;
    const bool rle8 = h.compression == kBiRle8, rle4 = h.compression == kBiRle4;
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (h.compression != kBiRgb && !rle8 && !rle4 && !fields)
        return std::nullopt;
    if ((rle8 && bpp != 8) || (rle4 && bpp != 4) || (fields && bpp != 16 && bpp != 32))
        return std::nullopt;
    if ((rle8 || rle4) && (topDown || width * height > kMaxRleDibPixels))
        return std::nullopt;

    // Masks after a plain 40-byte header, then the colour table.
    std::uint64_t tableOffset = h.headerSize;
    if (fields && h.headerSize == 40) {
        const int n = h.compression == kBiAlphaBitfields ? 4 : 3;
        if (!info.Has(40, 4u * n))
            return std::nullopt;
        for (int i = 0; i < n; ++i)
            h.masks[i] = info.U32(40 + 4u * i);
        tableOffset += 4u * n;
    }
    std::vector<QRgb> table;
    if (bpp <= 8) {
        std::uint64_t count = h.colorsUsed ? h.colorsUsed : (1u << bpp);
        count = std::min<std::uint64_t>(count, 1u << bpp);
        const unsigned entry = usage == DibPalColors ? 2 : (h.core ? 3 : 4);
        if (usage != DibPalIndices) {
            if (!info.Has(tableOffset, count * entry))
                return std::nullopt;
            for (std::uint64_t i = 0; i < count; ++i) {
                const std::uint64_t at = tableOffset + i * entry;
                if (usage == DibPalColors) {
                    const std::size_t index = info.U16(at);
                    table.push_back(index < palette.size() ? palette[index] : qRgb(0, 0, 0));
                } else {
                    table.push_back(qRgb(info.U8(at + 2), info.U8(at + 1), info.U8(at)));
                }
            }
        }
        // Indices past the table read as black rather than as memory.
        table.resize(std::size_t(1) << bpp, qRgb(0, 0, 0));
        if (usage == DibPalIndices)
            for (int i = 0; i < (1 << bpp); ++i)
                table[i] = qRgb(i, i, i);
    }
    if (mono)
        *mono = bpp == 1;

    const int w = static_cast<int>(width), hgt = static_cast<int>(height);
    const bool plainAlpha = premultiplied && bpp == 32 && h.compression == kBiRgb;
    const bool alpha = (fields && bpp == 32 && h.masks[3] != 0) || plainAlpha;
    QImage img(w, hgt,
               plainAlpha ? QImage::Format_ARGB32_Premultiplied
               : alpha    ? QImage::Format_ARGB32
                          : QImage::Format_RGB32);
    if (img.isNull())
        return std::nullopt;

    if (rle8 || rle4) {
        std::vector<std::uint8_t> indices;
        DecodeRle(bits, rle4, w, hgt, indices);
        for (int y = 0; y < hgt; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < w; ++x)
                line[x] = table[indices[static_cast<std::size_t>(y) * w + x]];
        }
        return img;
    }

    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bpp + 31) / 32) * 4;
    if (!bits.Has(0, stride * height))
        return std::nullopt;
    Channel r, g, b, a;
    if (bpp == 16 || bpp == 32) {
        if (fields) {
            r = MakeChannel(h.masks[0]);
            g = MakeChannel(h.masks[1]);
            b = MakeChannel(h.masks[2]);
            a = MakeChannel(h.masks[3]);
        } else if (bpp == 16) {
            r = MakeChannel(0x7C00);
            g = MakeChannel(0x03E0);
            b = MakeChannel(0x001F);
        } else {
            r = MakeChannel(0x00FF0000);
            g = MakeChannel(0x0000FF00);
            b = MakeChannel(0x000000FF);
            if (plainAlpha)
                a = MakeChannel(0xFF000000);
        }
    }
    for (int y = 0; y < hgt; ++y) {
        const std::uint8_t* src =
            bits.Data() + stride * static_cast<std::uint64_t>(topDown ? y : hgt - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            switch (bpp) {
            case 1:
                line[x] = table[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                line[x] = table[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0F];
                break;
            case 8:
                line[x] = table[src[x]];
                break;
            case 16: {
                const std::uint32_t v = src[2 * x] | (src[2 * x + 1] << 8);
                line[x] = qRgb(r.Extract(v), g.Extract(v), b.Extract(v));
                break;
            }
            case 24:
                line[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default: {
                const std::uint32_t v = src[4 * x] | (src[4 * x + 1] << 8) |
                                        (src[4 * x + 2] << 16) |
                                        (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
                if (plainAlpha) {
                    // Premultiplied colour may not exceed its alpha.
                    const int al = a.Extract(v);
                    line[x] = qRgba(std::min(r.Extract(v), al), std::min(g.Extract(v), al),
                                    std::min(b.Extract(v), al), al);
                } else {
                    line[x] = alpha ? qRgba(r.Extract(v), g.Extract(v), b.Extract(v), a.Extract(v))
                                    : qRgb(r.Extract(v), g.Extract(v), b.Extract(v));
                }
            }
            }
        }
    }
    return img;
}

std::optional<QImage> DecodePackedDib(Bytes packed, std::uint32_t usage,
                                      const std::vector<QRgb>& palette, bool* mono) {
    DibHeader h;
    if (!ReadHeader(packed, h))
        return std::nullopt;
    std::uint64_t offset = h.headerSize;
    if (!h.core && h.headerSize == 40 &&
        (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields))
        offset += h.compression == kBiAlphaBitfields ? 16 : 12;
    if (h.bitCount > 0 && h.bitCount <= 8 && usage != DibPalIndices) {
        std::uint64_t count = h.colorsUsed ? h.colorsUsed : (1u << h.bitCount);
        count = std::min<std::uint64_t>(count, 1u << h.bitCount);
        offset += count * (usage == DibPalColors ? 2 : (h.core ? 3 : 4));
    }
    if (offset > packed.Size())
        return std::nullopt;
    return DecodeDib(packed.Sub(0, offset), packed.Sub(offset, packed.Size() - offset), usage,
                     palette, mono);
}

std::vector<std::uint8_t> EncodePackedDib(const QImage& source, std::size_t* bitsOffset) {
    // Metafile bitmaps carry no alpha that players agree on: flatten it.
    const bool alpha = false;
    const QImage img = source.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int bpp = alpha ? 32 : 24;
    const std::size_t stride = ((static_cast<std::size_t>(w) * bpp + 31) / 32) * 4;
    std::vector<std::uint8_t> out(40 + stride * h, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, static_cast<std::uint32_t>(w));
    put32(8, static_cast<std::uint32_t>(h));
    out[12] = 1;
    out[14] = static_cast<std::uint8_t>(bpp);
    put32(20, static_cast<std::uint32_t>(stride * h));
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        std::uint8_t* dst = out.data() + 40 + stride * (h - 1 - y);
        for (int x = 0; x < w; ++x) {
            dst[0] = static_cast<std::uint8_t>(qBlue(line[x]));
            dst[1] = static_cast<std::uint8_t>(qGreen(line[x]));
            dst[2] = static_cast<std::uint8_t>(qRed(line[x]));
            if (alpha)
                dst[3] = static_cast<std::uint8_t>(qAlpha(line[x]));
            dst += bpp / 8;
        }
    }
    if (bitsOffset)
        *bitsOffset = 40;
    return out;
}

} // namespace tavik::metafile
