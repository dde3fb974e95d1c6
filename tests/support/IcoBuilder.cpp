#include "support/IcoBuilder.h"

#include "support/LittleEndian.h"

#include <QBuffer>
#include <QImage>

namespace tavik::test {

namespace {

using Bytes = std::vector<std::uint8_t>;

bool InHole(const IconEntry& e, int x, int y) {
    switch (e.hole) {
    case IconHole::None:
        return false;
    case IconHole::Corner:
        return x == 0 && y == 0;
    case IconHole::LeftColumn:
        return x == 0;
    }
    return false;
}

// A bitmap of double height: the colour bits, then the AND mask.
Bytes IconDib(const IconEntry& e) {
    const int n = e.size;
    const int bpp = e.bitCount;
    const int stride = ((n * bpp + 31) / 32) * 4;
    Bytes out;
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(n));
    Put32(out, static_cast<std::uint32_t>(2 * n));
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bpp));
    Put32(out, 0);
    Put32(out, e.statesImageSize ? static_cast<std::uint32_t>(stride * n) : 0);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    if (bpp <= 8) {
        // Index 1 is the colour; index 0 black sits under the hole.
        for (int i = 0; i < (1 << bpp); ++i) {
            const QRgb c = i == 1 ? e.color : 0;
            out.push_back(static_cast<std::uint8_t>(qBlue(c)));
            out.push_back(static_cast<std::uint8_t>(qGreen(c)));
            out.push_back(static_cast<std::uint8_t>(qRed(c)));
            out.push_back(0);
        }
    }
    for (int row = 0; row < n; ++row) {
        const int y = n - 1 - row;
        Bytes line(static_cast<std::size_t>(stride), 0);
        for (int x = 0; x < n; ++x) {
            const bool hole = InHole(e, x, y);
            if (bpp <= 8) {
                const int index = hole ? 0 : 1;
                const int bitPos = x * bpp;
                line[bitPos / 8] |= static_cast<std::uint8_t>(index << (8 - bpp - bitPos % 8));
            } else if (!hole) {
                std::uint8_t* p = line.data() + x * (bpp / 8);
                p[0] = static_cast<std::uint8_t>(qBlue(e.color));
                p[1] = static_cast<std::uint8_t>(qGreen(e.color));
                p[2] = static_cast<std::uint8_t>(qRed(e.color));
                if (bpp == 32)
                    p[3] = 255;
            }
        }
        out.insert(out.end(), line.begin(), line.end());
    }
    const int maskStride = ((n + 31) / 32) * 4;
    for (int row = 0; row < n; ++row) {
        const int y = n - 1 - row;
        Bytes line(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < n; ++x)
            if (InHole(e, x, y))
                line[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

Bytes IconPng(const IconEntry& e) {
    QImage image(e.size, e.size, QImage::Format_ARGB32);
    image.fill(e.color);
    for (int y = 0; y < e.size; ++y)
        for (int x = 0; x < e.size; ++x)
            if (InHole(e, x, y))
                image.setPixel(x, y, 0);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Bytes(data.begin(), data.end());
}

} // namespace

std::vector<std::uint8_t> MakeIco(const std::vector<IconEntry>& entries) {
    Bytes out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    std::vector<Bytes> images;
    for (const auto& e : entries)
        images.push_back(e.bitCount == 0 ? IconPng(e) : IconDib(e));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const auto& e = entries[i];
        out.push_back(static_cast<std::uint8_t>(e.size >= 256 ? 0 : e.size));
        out.push_back(static_cast<std::uint8_t>(e.size >= 256 ? 0 : e.size));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, static_cast<std::uint32_t>(e.bitCount == 0 ? 32 : e.bitCount));
        Put32(out, static_cast<std::uint32_t>(images[i].size()));
        Put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

} // namespace tavik::test
