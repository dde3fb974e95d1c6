#pragma once

#include <string>

namespace tavik {

// Code pages the catalogue's names may be stored in.
inline constexpr int kCodePageCyrillic = 1251; // Windows-1251
inline constexpr int kCodePageWestern = 1252;  // Windows-1252
inline constexpr int kCodePageUtf8 = 65001;

// True for the three code pages above.
bool IsSupportedCodePage(int codePage);

// Bytes of a name in codePage to UTF-8. Bytes the page leaves undefined map
// to the C1 control of the same value, so that they convert back unchanged;
// for UTF-8, each byte of an invalid sequence becomes "?". An unsupported
// code page is read as Windows-1252.
std::string ToUtf8(const std::string& bytes, int codePage);

// UTF-8 text to bytes in codePage; a character the page lacks (and each byte
// of an invalid UTF-8 sequence) becomes "?".
std::string FromUtf8(const std::string& utf8, int codePage);

// Appends the UTF-8 bytes of one character.
void AppendUtf8(std::string& out, char32_t c);

// The code page of names for a language value (1 Russian: 1251, else 1252),
// unless an explicit setting names a supported page (0 = none).
int CodePageFor(int language, int setting);

} // namespace tavik
