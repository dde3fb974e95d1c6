#pragma once

#include <QImage>
#include <cstdint>
#include <span>

namespace tavik {

// Decodes bytes with Qt's reader for format ("bmp", "ico", "png") only, never
// guessing another format, under an allocation limit that bounds what a lying
// file can make the decoder reserve. Returns a null image when Qt refuses.
QImage DecodeWithQt(std::span<const std::uint8_t> bytes, const char* format);

} // namespace tavik
