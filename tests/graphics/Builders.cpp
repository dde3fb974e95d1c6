#include "Builders.h"

#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include <QPainter>

namespace tavik::test {

int PatternIndex(int x, int y, int bitCount) {
    static const int pattern[kPatternHeight][kPatternWidth] = {
        {0, 1, 2, 3, 0}, {1, 2, 3, 0, 1}, {3, 3, 2, 1, 0}};
    const int index = pattern[y][x];
    return bitCount == 1 ? index % 2 : index;
}

QRgb PatternColor(int index, bool alpha) {
    static const QRgb colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    if (alpha && index == 3) {
        return 0x80FFFFFF;
    }
    return colors[index];
}

namespace {

std::uint32_t Pack16(QRgb c, bool rgb565) {
    if (rgb565) {
        return ((qRed(c) >> 3) << 11) | ((qGreen(c) >> 2) << 5) | (qBlue(c) >> 3);
    }
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

void PutRow(Bytes& out, const BmpLayout& l, int y) {
    const std::size_t start = out.size();
    if (l.bitCount <= 8) {
        int acc = 0;
        int bits = 0;
        for (int x = 0; x < kPatternWidth; ++x) {
            acc = (acc << l.bitCount) | PatternIndex(x, y, l.bitCount);
            bits += l.bitCount;
            if (bits == 8) {
                out.push_back(static_cast<std::uint8_t>(acc));
                acc = bits = 0;
            }
        }
        if (bits > 0) {
            out.push_back(static_cast<std::uint8_t>(acc << (8 - bits)));
        }
    } else {
        for (int x = 0; x < kPatternWidth; ++x) {
            const QRgb c = PatternColor(PatternIndex(x, y, l.bitCount), l.alpha);
            if (l.bitCount == 16) {
                Put16(out, Pack16(c, l.rgb565));
            } else {
                out.push_back(static_cast<std::uint8_t>(qBlue(c)));
                out.push_back(static_cast<std::uint8_t>(qGreen(c)));
                out.push_back(static_cast<std::uint8_t>(qRed(c)));
                if (l.bitCount == 32) {
                    out.push_back(static_cast<std::uint8_t>(l.alpha ? qAlpha(c) : 0));
                }
            }
        }
    }
    while ((out.size() - start) % 4 != 0) {
        out.push_back(0);
    }
}

// Row 0 of the file as a literal run, the others as single-pixel runs and a
// repeat, so literal runs, runs and padding are all exercised.
void PutRleRow(Bytes& out, const BmpLayout& l, int fileRow, int y) {
    const bool four = l.compression == 2;
    if (fileRow == 0) {
        out.push_back(0);
        out.push_back(kPatternWidth);
        std::size_t n = 0;
        if (four) {
            for (int x = 0; x < kPatternWidth; x += 2) {
                const int hi = PatternIndex(x, y, 4);
                const int lo = x + 1 < kPatternWidth ? PatternIndex(x + 1, y, 4) : 0;
                out.push_back(static_cast<std::uint8_t>((hi << 4) | lo));
                ++n;
            }
        } else {
            for (int x = 0; x < kPatternWidth; ++x) {
                out.push_back(static_cast<std::uint8_t>(PatternIndex(x, y, 8)));
                ++n;
            }
        }
        if (n % 2 != 0) {
            out.push_back(0);
        }
    } else {
        int x = 0;
        while (x < kPatternWidth) {
            int run = 1;
            while (x + run < kPatternWidth &&
                   PatternIndex(x + run, y, 8) == PatternIndex(x, y, 8)) {
                ++run;
            }
            const int index = PatternIndex(x, y, 8);
            out.push_back(static_cast<std::uint8_t>(run));
            out.push_back(static_cast<std::uint8_t>(four ? (index << 4) | index : index));
            x += run;
        }
    }
    out.push_back(0);
    out.push_back(0);
}

} // namespace

Bytes MakeBmp(const BmpLayout& l) {
    Bytes info;
    const bool bitFieldsAfterHeader = l.compression == 3 && l.headerSize == 40;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    if (l.bitCount == 16) {
        masks[0] = l.rgb565 ? 0xF800 : 0x7C00;
        masks[1] = l.rgb565 ? 0x07E0 : 0x03E0;
        masks[2] = 0x001F;
    } else if (l.bitCount == 32) {
        masks[0] = 0xFF0000;
        masks[1] = 0xFF00;
        masks[2] = 0xFF;
        masks[3] = l.alpha ? 0xFF000000 : 0;
    }
    if (l.headerSize == 12) {
        Put32(info, 12);
        Put16(info, kPatternWidth);
        Put16(info, kPatternHeight);
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(l.bitCount));
    } else {
        Put32(info, l.headerSize);
        Put32(info, kPatternWidth);
        Put32(info, static_cast<std::uint32_t>(l.topDown ? -kPatternHeight : kPatternHeight));
        Put16(info, 1);
        Put16(info, static_cast<std::uint32_t>(l.bitCount));
        Put32(info, l.compression);
        Put32(info, 0);
        Put32(info, 3780);
        Put32(info, 3780);
        Put32(info, l.colorsUsed);
        Put32(info, 0);
        if (l.headerSize >= 52 && l.headerSize != 64) {
            for (int i = 0; i < (l.headerSize >= 56 ? 4 : 3); ++i) {
                Put32(info, masks[i]);
            }
        }
        if (l.headerSize >= 108) {
            Put32(info, 0x73524742);
        }
        info.resize(l.headerSize, 0);
    }
    if (bitFieldsAfterHeader) {
        for (int i = 0; i < 3; ++i) {
            Put32(info, masks[i]);
        }
    }
    if (l.bitCount <= 8) {
        const int entries = l.colorsUsed ? static_cast<int>(l.colorsUsed) : (1 << l.bitCount);
        for (int i = 0; i < entries; ++i) {
            const QRgb c = i < 4 ? PatternColor(i, false) : 0;
            info.push_back(static_cast<std::uint8_t>(qBlue(c)));
            info.push_back(static_cast<std::uint8_t>(qGreen(c)));
            info.push_back(static_cast<std::uint8_t>(qRed(c)));
            if (l.headerSize != 12) {
                info.push_back(0);
            }
        }
    }
    Bytes pixels;
    for (int row = 0; row < kPatternHeight; ++row) {
        const int y = l.topDown ? row : kPatternHeight - 1 - row;
        if (l.compression == 1 || l.compression == 2) {
            PutRleRow(pixels, l, row, y);
        } else {
            PutRow(pixels, l, y);
        }
    }
    if (l.compression == 1 || l.compression == 2) {
        pixels.push_back(0);
        pixels.push_back(1);
    }
    Bytes out = {'B', 'M'};
    const auto offset = static_cast<std::uint32_t>(14 + info.size());
    Put32(out, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

Bytes MakeSolidBmp8(int width, int height) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) + 3) & ~3u;
    Bytes out = {'B', 'M'};
    Put32(out, 14 + 40 + 8 + stride * static_cast<std::uint32_t>(height));
    Put32(out, 0);
    Put32(out, 14 + 40 + 8);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));
    Put16(out, 1);
    Put16(out, 8);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 2);
    Put32(out, 0);
    Put32(out, 0x00336699);
    Put32(out, 0x00FFFFFF);
    out.resize(out.size() + stride * static_cast<std::uint32_t>(height), 0);
    return out;
}

Bytes MakeWmf(bool hasWindow, int orgX, int orgY, int extX, int extY) {
    using metafile::WmfFunction;
    metafile::testing::WmfBuilder b(QRect(), 0, 0);
    if (hasWindow) {
        b.Rec(WmfFunction::SetWindowOrg, {orgY, orgX});
        b.Rec(WmfFunction::SetWindowExt, {extY, extX});
    }
    b.Rec(WmfFunction::Rectangle, {orgY + extY, orgX + extX, orgY, orgX});
    return b.Finish();
}

Bytes MakeEmf(int left, int top, int right, int bottom) {
    return metafile::testing::EmfBuilder(QRect(QPoint(left, top), QPoint(right, bottom)),
                                         {.handles = 1,
                                          .bounds = QRect(0, 0, 100, 100),
                                          .devicePixels = {1920, 1080},
                                          .deviceMillimetres = {508, 286},
                                          .extended = false})
        .Finish();
}

} // namespace tavik::test
