#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

namespace tavik {

class TMetafile;
class TPicture;

// The formats pictures are written out in beside their own.
enum class ExportFormat {
    Original, // the picture's own file format
    Png,      // every picture as PNG
    Svg,      // metafiles as SVG, every other picture as PNG
};

// The picture drawn at natural size on a transparent background (bitmaps with
// their own pixels), as a PNG file image. Empty for a picture without one.
QByteArray PngImage(const TPicture& picture);

// The metafile played by our player into Qt's SVG generator: an SVG file
// image of its natural size, view box in 96-dpi pixels.
QByteArray SvgImage(const TMetafile& metafile);

// The extension (without the point) a picture gets in format: its own default
// one for Original, "png", or "svg" for a metafile under Svg.
std::string ExportExtension(const TPicture& picture, ExportFormat format);

// The bytes of picture in format (Original: TPicture::FileImage of the
// default extension).
std::vector<std::uint8_t> ExportImage(const TPicture& picture, ExportFormat format);

// The format a file name asks for: ".png" PNG, ".svg" SVG for a metafile
// (any case), anything else the picture's own format.
ExportFormat FormatOfFileName(const TPicture& picture, const QString& fileName);

} // namespace tavik
