#include "storage/CodePage.h"

#include <array>
#include <cstdint>

namespace tavik {
namespace {

// Characters of bytes 0x80..0xBF of Windows-1251 (0 = undefined); 0xC0..0xFF
// are U+0410..U+044F.
constexpr std::array<char16_t, 64> kCyrillicHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// Characters of bytes 0x80..0x9F of Windows-1252 (0 = undefined); 0xA0..0xFF
// are the same code points.
constexpr std::array<char16_t, 32> kWesternHigh = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x0000, 0x017D, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x0000, 0x017E, 0x0178};

char32_t CharOf(std::uint8_t b, int codePage) {
    if (b < 0x80)
        return b;
    char16_t c = 0;
    if (codePage == kCodePageCyrillic)
        c = b >= 0xC0 ? static_cast<char16_t>(0x0410 + (b - 0xC0)) : kCyrillicHigh[b - 0x80];
    else
        c = b >= 0xA0 ? static_cast<char16_t>(b) : kWesternHigh[b - 0x80];
    return c != 0 ? c : b;
}

// Decodes one UTF-8 character at at; returns its length, 0 when invalid.
std::size_t DecodeUtf8(const std::string& s, std::size_t at, char32_t& c) {
    const auto b0 = static_cast<std::uint8_t>(s[at]);
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, c = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, c = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, c = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<std::uint8_t>(s[at + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = c << 6 | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return length;
}

// Replaces every invalid sequence byte by "?".
std::string CleanUtf8(const std::string& s) {
    std::string out;
    for (std::size_t at = 0; at < s.size();) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8(s, at, c);
        if (n == 0) {
            out += '?';
            ++at;
        } else {
            out.append(s, at, n);
            at += n;
        }
    }
    return out;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsSupportedCodePage(int codePage) {
    return codePage == kCodePageCyrillic || codePage == kCodePageWestern ||
           codePage == kCodePageUtf8;
}

std::string ToUtf8(const std::string& bytes, int codePage) {
    if (codePage == kCodePageUtf8)
        return CleanUtf8(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        AppendUtf8(out, CharOf(static_cast<std::uint8_t>(b), codePage));
    return out;
}

std::string FromUtf8(const std::string& utf8, int codePage) {
    if (codePage == kCodePageUtf8)
        return CleanUtf8(utf8);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = DecodeUtf8(utf8, at, c);
        if (n == 0) {
            out += '?';
            ++at;
            continue;
        }
        at += n;
        char byte = '?';
        if (c < 0x80) {
            byte = static_cast<char>(c);
        } else {
            for (int b = 0x80; b <= 0xFF; ++b) {
                if (CharOf(static_cast<std::uint8_t>(b), codePage) == c) {
                    byte = static_cast<char>(b);
                    break;
                }
            }
        }
        out += byte;
    }
    return out;
}

int CodePageFor(int language, int setting) {
    if (IsSupportedCodePage(setting))
        return setting;
    return language == 1 ? kCodePageCyrillic : kCodePageWestern;
}

} // namespace tavik
