#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <span>

namespace tavik {

// Reads bytes with Qt's reader for format only, never guessing another
// format, without automatic transforms, under an allocation limit that bounds
// what a lying file can make the decoder reserve. announced, when given, sees
// the size the file's header announces before any pixel is decoded (when the
// reader can tell it) and may throw to refuse it. Returns a null image when Qt
// refuses the bytes.
QImage ReadWithQt(const QByteArray& bytes, const char* format,
                  const std::function<void(QSize)>& announced = {});

// Decodes bytes with Qt's reader for format ("bmp", "ico", "png") only, never
// guessing another format, under an allocation limit that bounds what a lying
// file can make the decoder reserve. Returns a null image when Qt refuses.
QImage DecodeWithQt(std::span<const std::uint8_t> bytes, const char* format);

} // namespace tavik
