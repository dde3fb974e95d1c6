#pragma once

#include "support/LittleEndian.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tavik::bench {

using Bytes = std::vector<std::uint8_t>;

// Small deterministic generator, so that every run measures the same bytes.
class Random {
public:
    explicit Random(std::uint32_t seed) : FState(seed) {}
    std::uint32_t Next() {
        FState ^= FState << 13;
        FState ^= FState >> 17;
        FState ^= FState << 5;
        return FState;
    }

private:
    std::uint32_t FState;
};

using test::Put16;
using test::Put32;

inline Bytes BmpHeaders(int width, int height, int bits, int paletteSize, std::size_t pixelBytes) {
    Bytes b = {'B', 'M'};
    const auto offset = static_cast<std::uint32_t>(14 + 40 + paletteSize * 4);
    Put32(b, offset + static_cast<std::uint32_t>(pixelBytes));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    return b;
}

// A 256-colour drawing: flat areas, outlines and a dithered gradient band.
inline Bytes PaletteBitmap(int width, int height, std::uint32_t seed) {
    Random random(seed);
    const int stride = (width + 3) & ~3;
    Bytes b = BmpHeaders(width, height, 8, 256, static_cast<std::size_t>(stride * height));
    for (int i = 0; i < 256; ++i)
        Put32(b, random.Next() & 0xFFFFFF);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            std::uint8_t p = static_cast<std::uint8_t>((x / 37 + y / 29) % 6);
            if ((x - width / 2) * (x - width / 2) + (y - height / 2) * (y - height / 2) <
                height * height / 9)
                p = 40;
            if (x % 50 == 0 || y % 45 == 0)
                p = 255;
            if (y > height * 2 / 3 && y < height * 3 / 4)
                p = static_cast<std::uint8_t>(100 + (x + (random.Next() & 3)) / 8 % 32);
            b.push_back(x < width ? p : 0);
        }
    }
    return b;
}

// A 24-bit photograph: smooth shading with sensor noise in the low bits.
inline Bytes Photo(int width, int height, std::uint32_t seed) {
    Random random(seed);
    const int stride = (width * 3 + 3) & ~3;
    Bytes b = BmpHeaders(width, height, 24, 0, static_cast<std::size_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < stride; ++x) {
            const double shade = 128 + 100 * std::sin(x * 0.02 + (x % 3)) * std::cos(y * 0.015);
            const int noise = static_cast<int>(random.Next() % 7) - 3;
            b.push_back(static_cast<std::uint8_t>(std::lround(shade) + noise));
        }
    }
    return b;
}

// An icon file with one 32 x 32 32-bit image and its mask: a round shape.
inline Bytes Icon(std::uint32_t seed) {
    Random random(seed);
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, 1);
    const std::uint32_t imageSize = 40 + 32 * 32 * 4 + 32 * 4;
    b.insert(b.end(), {32, 32, 0, 0});
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, imageSize);
    Put32(b, 22);
    Put32(b, 40);
    Put32(b, 32);
    Put32(b, 64);
    Put16(b, 1);
    Put16(b, 32);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    const std::uint32_t colour = random.Next() & 0xFFFFFF;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inside = (x - 16) * (x - 16) + (y - 16) * (y - 16) < 196;
            Put32(b, inside ? (0xFF000000u | (colour + static_cast<std::uint32_t>(y * 3))) : 0);
        }
    for (int y = 0; y < 32; ++y)
        Put32(b, y < 4 || y > 28 ? 0xFFFFFFFFu : 0x0000F00Fu);
    return b;
}

// An enhanced metafile image: header, then many drawing records with
// coordinates that change a little from one to the next, and some text.
inline Bytes Metafile(int records, std::uint32_t seed) {
    Random random(seed);
    Bytes b;
    Put32(b, 1);
    Put32(b, 108);
    for (int i = 0; i < 8; ++i)
        Put32(b, random.Next() % 1000);
    Put32(b, 0x464D4520);
    for (int i = 0; i < 16; ++i)
        Put32(b, i < 3 ? 0x10000 : 0);
    int x = 100;
    int y = 100;
    for (int r = 0; r < records; ++r) {
        switch (random.Next() % 4) {
        case 0: // line to
            Put32(b, 54);
            Put32(b, 16);
            Put32(b, static_cast<std::uint32_t>(x += static_cast<int>(random.Next() % 9) - 4));
            Put32(b, static_cast<std::uint32_t>(y += static_cast<int>(random.Next() % 9) - 4));
            break;
        case 1: // rectangle
            Put32(b, 43);
            Put32(b, 24);
            Put32(b, static_cast<std::uint32_t>(x));
            Put32(b, static_cast<std::uint32_t>(y));
            Put32(b, static_cast<std::uint32_t>(x + 40));
            Put32(b, static_cast<std::uint32_t>(y + 20));
            break;
        case 2: { // text
            const std::string text = "Label " + std::to_string(r % 50);
            Put32(b, 84);
            Put32(b, static_cast<std::uint32_t>(12 + text.size() * 2 + 2) & ~3u);
            Put32(b, static_cast<std::uint32_t>(x));
            for (char c : text)
                Put16(b, static_cast<std::uint8_t>(c));
            while (b.size() % 4 != 0)
                b.push_back(0);
            break;
        }
        default: // select object
            Put32(b, 37);
            Put32(b, 12);
            Put32(b, random.Next() % 8);
        }
    }
    Put32(b, 14);
    Put32(b, 20);
    for (int i = 0; i < 3; ++i)
        Put32(b, 0);
    return b;
}

// The mix the codec is measured on: drawings, photographs, icons, metafiles.
inline std::vector<Bytes> PictureMix() {
    std::vector<Bytes> mix;
    for (std::uint32_t i = 0; i < 3; ++i)
        mix.push_back(PaletteBitmap(400 + 40 * static_cast<int>(i), 300, 11 + i));
    for (std::uint32_t i = 0; i < 2; ++i)
        mix.push_back(Photo(320, 240, 21 + i));
    for (std::uint32_t i = 0; i < 60; ++i)
        mix.push_back(Icon(31 + i));
    for (std::uint32_t i = 0; i < 12; ++i)
        mix.push_back(Metafile(1500, 41 + i));
    return mix;
}

} // namespace tavik::bench
