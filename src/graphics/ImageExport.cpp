#include "graphics/ImageExport.h"

#include "graphics/Bitmap.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPainter>
#include <QSvgGenerator>
#include <cmath>

namespace tavik {

namespace {

// A metafile may claim up to 32768 x 32768 pixels; what is drawn out is kept
// to this many (16 M) and scaled down past it.
constexpr std::int64_t kMaxExportPixels = 16LL * 1024 * 1024;

QImage DrawnAtNaturalSize(const TGraphic& graphic) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic))
        return bitmap->Image();
    int w = graphic.Width();
    int h = graphic.Height();
    if (w <= 0 || h <= 0)
        return {};
    const std::int64_t pixels = static_cast<std::int64_t>(w) * h;
    if (pixels > kMaxExportPixels) {
        const double scale = std::sqrt(static_cast<double>(kMaxExportPixels) / pixels);
        w = std::max(1, static_cast<int>(w * scale));
        h = std::max(1, static_cast<int>(h * scale));
    }
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    graphic.StretchDraw(painter, QRect(0, 0, w, h));
    return image;
}

} // namespace

QByteArray PngImage(const TPicture& picture) {
    const TGraphic* graphic = picture.Graphic();
    if (!graphic || graphic->Empty())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    DrawnAtNaturalSize(*graphic).save(&buffer, "PNG");
    return bytes;
}

QByteArray SvgImage(const TMetafile& metafile) {
    if (metafile.Empty())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size(metafile.Width(), metafile.Height());
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    QPainter painter(&generator);
    metafile.Draw(painter, QPoint(0, 0));
    painter.end();
    return bytes;
}

std::string ExportExtension(const TPicture& picture, ExportFormat format) {
    if (format == ExportFormat::Original)
        return DefaultExtension(picture.Kind());
    if (format == ExportFormat::Svg && picture.Kind() == PictureKind::Metafile)
        return "svg";
    return "png";
}

std::vector<std::uint8_t> ExportImage(const TPicture& picture, ExportFormat format) {
    const std::string extension = ExportExtension(picture, format);
    QByteArray bytes;
    if (extension == "svg")
        bytes = SvgImage(dynamic_cast<const TMetafile&>(*picture.Graphic()));
    else if (extension == "png")
        bytes = PngImage(picture);
    else
        return picture.FileImage("picture." + extension);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

ExportFormat FormatOfFileName(const TPicture& picture, const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == QLatin1String("png"))
        return ExportFormat::Png;
    if (extension == QLatin1String("svg") && picture.Kind() == PictureKind::Metafile)
        return ExportFormat::Svg;
    return ExportFormat::Original;
}

} // namespace tavik
