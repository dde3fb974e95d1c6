#pragma once

#include <QString>
#include <span>

namespace tavik::metafile {

// Decodes 8-bit metafile text in the code page of the font's character set
// (Windows-1252 when the set is unknown). SYMBOL text maps byte b to U+F000+b
// when the font has those code points, so symbol fonts keep their glyphs.
QString DecodeAnsi(std::span<const std::uint8_t> bytes, int charset);

// Encodes text for an 8-bit metafile font of the given character set;
// characters the code page lacks become "?".
QByteArray EncodeAnsi(const QString& text, int charset);

// The character set whose code page holds every character of text
// (ANSI when none does).
int CharsetFor(const QString& text);

} // namespace tavik::metafile
