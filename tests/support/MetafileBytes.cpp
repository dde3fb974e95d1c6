#include "support/MetafileBytes.h"

namespace tavik::metafile::testing {

std::uint32_t Rgb(int r, int g, int b) {
    return static_cast<std::uint32_t>(r) | (g << 8) | (b << 16);
}

std::vector<std::uint8_t> PackedDib(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int stride = (w * 3 + 3) & ~3;
    std::vector<std::uint8_t> out;
    Put32(out, 40);
    Put32(out, w);
    Put32(out, h);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, stride * h);
    for (int i = 0; i < 4; ++i)
        Put32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = img.pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(qBlue(c)));
            out.push_back(static_cast<std::uint8_t>(qGreen(c)));
            out.push_back(static_cast<std::uint8_t>(qRed(c)));
        }
        for (int p = w * 3; p < stride; ++p)
            out.push_back(0);
    }
    return out;
}

} // namespace tavik::metafile::testing
