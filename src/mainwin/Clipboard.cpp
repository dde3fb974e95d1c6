#include "mainwin/Clipboard.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "storage/Exceptions.h"

#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>
#include <QUrl>
#include <span>

namespace tavik {

namespace {

constexpr char kGnomeFilesMimeType[] = "x-special/gnome-copied-files";

bool IsMetafileFormat(const QString& format) {
    static const QStringList names = {"image/emf", "image/x-emf", "image/wmf", "image/x-wmf"};
    // LibreOffice adds parameters to its names; the type before them decides.
    const QString type = format.section(QLatin1Char(';'), 0, 0);
    return names.contains(format) || type == QLatin1String("application/x-openoffice-emf") ||
           type == QLatin1String("application/x-openoffice-wmf");
}

bool IsBmpFormat(const QString& format) {
    return format == QLatin1String(kBmpMimeType) || format == QLatin1String("image/x-bmp") ||
           format == QLatin1String("image/x-ms-bmp");
}

// The Qt image reader format of an encoded image type, or an empty name.
QByteArray ReaderFormatOf(const QString& format) {
    if (!format.startsWith(QLatin1String("image/")) || IsMetafileFormat(format)) {
        return {};
    }
    const QList<QByteArray> readers = QImageReader::imageFormatsForMimeType(format.toLatin1());
    return readers.isEmpty() ? QByteArray() : readers.first();
}

bool IsEncodedImage(const QString& format) {
    return IsBmpFormat(format) || !ReaderFormatOf(format).isEmpty();
}

// Qt's image data stands for the image types when another Qt program offers
// them, and is put first in the list; it is read only when it is alone.
bool IsReadable(const QString& format, const QStringList& offered) {
    if (format == QLatin1String(kQtImageMimeType)) {
        return std::none_of(offered.begin(), offered.end(), IsEncodedImage);
    }
    return IsMetafileFormat(format) || IsEncodedImage(format);
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

[[noreturn]] void ThrowBadBitmap() {
    throw EInvalidGraphic("Bitmap image is not valid");
}

std::unique_ptr<TGraphic> BitmapFromImage(const QImage& image) {
    if (image.isNull()) {
        ThrowBadBitmap();
    }
    return TBitmap::FromImage(image);
}

// Decoding goes through QImageReader so that its allocation limit guards
// against a tiny file announcing a huge image.
QImage DecodeImage(const QByteArray& bytes, const QByteArray& readerFormat) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, readerFormat);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

std::unique_ptr<TGraphic> GraphicFromFormat(const QMimeData& data, const QString& format) {
    if (format == QLatin1String(kQtImageMimeType)) {
        return BitmapFromImage(qvariant_cast<QImage>(data.imageData()));
    }
    const QByteArray bytes = data.data(format);
    if (IsMetafileFormat(format)) {
        if (bytes.isEmpty()) {
            throw EInvalidGraphic("Metafile is not valid");
        }
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromStream(BytesOf(bytes));
        return metafile;
    }
    if (IsBmpFormat(format)) {
        // A BMP file image is kept as it is, like a bitmap read from a file.
        if (bytes.isEmpty()) {
            ThrowBadBitmap();
        }
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromStream(BytesOf(bytes));
        return bitmap;
    }
    return BitmapFromImage(DecodeImage(bytes, ReaderFormatOf(format)));
}

QStringList LocalFiles(const QList<QUrl>& urls) {
    QStringList files;
    for (const QUrl& url : urls) {
        // "file:?x" is a file URL without a path.
        const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
        if (!path.isEmpty()) {
            files << path;
        }
    }
    return files;
}

} // namespace

std::unique_ptr<QMimeData> PictureMimeData(const TPicture& picture, const QColor& iconBackground) {
    const TGraphic* graphic = picture.Graphic();
    if (graphic == nullptr || graphic->Empty()) {
        return nullptr;
    }
    return std::make_unique<TPictureMimeData>(picture, iconBackground);
}

bool CopyPictureToClipboard(const TPicture& picture, const QColor& iconBackground,
                            QClipboard& clipboard) {
    auto data = PictureMimeData(picture, iconBackground);
    if (!data) {
        return false;
    }
    clipboard.setMimeData(data.release());
    return true;
}

void CopyIconToClipboard(const TIcon& icon, const QColor& colour, QClipboard& clipboard) {
    TPicture picture;
    picture.SetGraphic(icon.Clone());
    CopyPictureToClipboard(picture, colour, clipboard);
}

bool HasPictureFormat(const QMimeData& data) {
    const QStringList formats = data.formats();
    return formats.contains(QLatin1String(kIconMimeType)) ||
           std::any_of(formats.begin(), formats.end(),
                       [&](const QString& format) { return IsReadable(format, formats); });
}

std::unique_ptr<TIcon> ReadIconFromMimeData(const QMimeData& data) {
    if (!data.hasFormat(QLatin1String(kIconMimeType))) {
        return nullptr;
    }
    const QByteArray bytes = data.data(QLatin1String(kIconMimeType));
    // An empty block would make an empty icon, which no file ever gives.
    if (bytes.isEmpty()) {
        throw EInvalidGraphic("Icon image is not valid");
    }
    auto icon = std::make_unique<TIcon>();
    icon->LoadFromStream(BytesOf(bytes));
    return icon;
}

bool PictureFromMimeData(const QMimeData& data, TPicture& picture) {
    if (auto icon = ReadIconFromMimeData(data)) {
        picture.SetGraphic(std::move(icon));
        return true;
    }
    const QStringList formats = data.formats();
    for (const QString& format : formats) {
        if (IsReadable(format, formats)) {
            picture.SetGraphic(GraphicFromFormat(data, format));
            return true;
        }
    }
    return false;
}

QStringList CopiedFiles(const QMimeData& data) {
    if (data.hasUrls()) {
        return LocalFiles(data.urls());
    }
    if (!data.hasFormat(QLatin1String(kGnomeFilesMimeType))) {
        return {};
    }
    // The first line says "copy" or "cut"; the files are taken as a copy.
    QList<QUrl> urls;
    const QList<QByteArray> lines = data.data(QLatin1String(kGnomeFilesMimeType)).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (!line.isEmpty()) {
            urls << QUrl::fromEncoded(line);
        }
    }
    return LocalFiles(urls);
}

} // namespace tavik
