#include "graphics/PictureImport.h"

#include "graphics/Bitmap.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "graphics/RasterImport.h"
#include "graphics/SvgImport.h"

#include <QFile>
#include <QFileInfo>

namespace tavik {

namespace {

// Qt's reader for each raster extension.
const char* RasterFormat(const QString& extension) {
    if (extension == QLatin1String("png"))
        return "png";
    if (extension == QLatin1String("jpg") || extension == QLatin1String("jpeg"))
        return "jpeg";
    if (extension == QLatin1String("gif"))
        return "gif";
    if (extension == QLatin1String("tif") || extension == QLatin1String("tiff"))
        return "tiff";
    if (extension == QLatin1String("webp"))
        return "webp";
    return nullptr;
}

QByteArray ReadFile(const std::string& fileName) {
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw EPictureImport(ImportFailure::Unreadable, "Cannot open file " + fileName);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EPictureImport(ImportFailure::Unreadable, "Stream read error");
    return bytes;
}

// The catalogue's own formats, through the picture's own loader; its errors
// are given their reason.
void LoadNative(TPicture& picture, const std::string& fileName) {
    try {
        picture.LoadFromFile(fileName);
    } catch (const EInvalidGraphic& e) {
        throw EPictureImport(ImportFailure::Damaged, e.Message());
    } catch (const Exception& e) {
        throw EPictureImport(ImportFailure::Unreadable, e.Message());
    }
}

} // namespace

const std::vector<ImportFamily>& ImportFamilies() {
    static const std::vector<ImportFamily> families = {
        {QStringLiteral("Bitmaps"), {QStringLiteral("bmp")}},
        {QStringLiteral("Icons"), {QStringLiteral("ico")}},
        {QStringLiteral("Metafiles"), {QStringLiteral("emf"), QStringLiteral("wmf")}},
        {QStringLiteral("PNG"), {QStringLiteral("png")}},
        {QStringLiteral("JPEG"), {QStringLiteral("jpg"), QStringLiteral("jpeg")}},
        {QStringLiteral("GIF"), {QStringLiteral("gif")}},
        {QStringLiteral("TIFF"), {QStringLiteral("tif"), QStringLiteral("tiff")}},
        {QStringLiteral("WebP"), {QStringLiteral("webp")}},
        {QStringLiteral("SVG"), {QStringLiteral("svg"), QStringLiteral("svgz")}},
    };
    return families;
}

QString ImportPatterns() {
    QStringList patterns;
    for (const ImportFamily& family : ImportFamilies())
        for (const QString& extension : family.extensions)
            patterns << QStringLiteral("*.") + extension;
    return patterns.join(QLatin1Char(' '));
}

void ImportPictureFile(TPicture& picture, const std::string& fileName) {
    const QString extension = QFileInfo(QString::fromStdString(fileName)).suffix().toLower();
    if (KindOfExtension(extension.toStdString()) != PictureKind::None) {
        LoadNative(picture, fileName);
        return;
    }
    if (const char* format = RasterFormat(extension)) {
        picture.SetGraphic(BitmapFromRaster(ReadFile(fileName), format));
        return;
    }
    if (extension == QLatin1String("svg") || extension == QLatin1String("svgz")) {
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromStream(SvgToEmf(ReadFile(fileName)));
        picture.SetGraphic(std::move(metafile));
        return;
    }
    throw EPictureImport(ImportFailure::UnknownFormat,
                         "Unknown picture file extension (." + extension.toStdString() + ")");
}

} // namespace tavik
