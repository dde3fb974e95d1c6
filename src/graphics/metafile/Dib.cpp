#include "Dib.h"

#include <algorithm>
#include <bit>

namespace tavik::metafile {

namespace {

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

// Expands RLE8/RLE4 into a top-down index buffer; skipped pixels stay 0.
// Runs are clipped to the image, and the walk ends at the last row or at the
// end of the data.
class RleExpander : public dib::RleVisitor {
public:
    RleExpander(bool four, int width, int height)
        : FFour(four), FWidth(width), FHeight(height),
          FIndices(static_cast<std::size_t>(width) * height, 0) {}

    const std::vector<std::uint8_t>& Indices() const { return FIndices; }

    bool Run(unsigned count, std::uint8_t value) override {
        for (unsigned i = 0; i < count && FX < FWidth; ++i)
            Put(FFour ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
        return true;
    }
    bool Literal(unsigned count, std::span<const std::uint8_t> bytes) override {
        for (unsigned i = 0; i < count && FX < FWidth; ++i) {
            const int b = bytes[FFour ? i / 2 : i];
            Put(FFour ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b);
        }
        return true;
    }
    bool EndOfLine() override {
        FX = 0;
        ++FRow;
        return FRow < FHeight;
    }
    bool Delta(unsigned right, unsigned up) override {
        FX += static_cast<int>(right);
        FRow += static_cast<int>(up);
        return FRow < FHeight;
    }

private:
    void Put(int index) {
        if (FX < FWidth && FRow < FHeight)
            FIndices[static_cast<std::size_t>(FHeight - 1 - FRow) * FWidth + FX] =
                static_cast<std::uint8_t>(index);
        ++FX;
    }

    const bool FFour;
    const int FWidth;
    const int FHeight;
    std::vector<std::uint8_t> FIndices;
    int FX = 0;
    int FRow = 0; // counted from the bottom
};

} // namespace

std::optional<QImage> DecodeDib(Bytes info, Bytes bits, std::uint32_t usage,
                                const std::vector<QRgb>& palette, bool* mono, bool premultiplied) {
    const auto parsed = dib::ParseHeader(info.Span());
    if (!parsed)
        return std::nullopt;
    const dib::DibInfo& h = *parsed;
    const bool topDown = h.topDown;
    const std::int64_t width = h.width;
    const std::int64_t height = h.height;
    const int bpp = h.bitCount;
    const bool rle8 = h.compression == dib::Rle8, rle4 = h.compression == dib::Rle4;
    const bool fields = h.compression == dib::BitFields || h.compression == dib::AlphaBitFields;
    // Masks after a plain 40-byte header, then the colour table.
    if (!info.Has(h.headerSize, static_cast<std::uint64_t>(h.maskBytes)))
        return std::nullopt;
    const std::uint64_t tableOffset = h.headerSize + static_cast<std::uint64_t>(h.maskBytes);
    std::vector<QRgb> table;
    if (bpp <= 8) {
        const auto count = static_cast<std::uint64_t>(h.paletteEntries);
        const unsigned entry = usage == DibPalColors ? 2 : (h.Core() ? 3 : 4);
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
    const bool plainAlpha = premultiplied && bpp == 32 && h.compression == dib::Rgb;
    const bool alpha = (fields && bpp == 32 && h.masks[3] != 0) || plainAlpha;
    QImage img(w, hgt,
               plainAlpha ? QImage::Format_ARGB32_Premultiplied
               : alpha    ? QImage::Format_ARGB32
                          : QImage::Format_RGB32);
    if (img.isNull())
        return std::nullopt;

    if (rle8 || rle4) {
        RleExpander expander(rle4, w, hgt);
        dib::WalkRle(bits.Span(), rle4, expander);
        const std::vector<std::uint8_t>& indices = expander.Indices();
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
    const auto h = dib::ParseHeader(packed.Span());
    if (!h)
        return std::nullopt;
    std::uint64_t offset = h->headerSize + static_cast<std::uint64_t>(h->maskBytes);
    if (h->bitCount <= 8 && usage != DibPalIndices)
        offset += static_cast<std::uint64_t>(h->paletteEntries) *
                  (usage == DibPalColors ? 2 : (h->Core() ? 3 : 4));
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
    auto put32 = [&](std::size_t at, std::uint32_t v) { bytes::Patch32(out, at, v); };
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
