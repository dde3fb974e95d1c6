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
#include <QPainter>
#include <span>

namespace tavik {

namespace {

constexpr char kQtImageType[] = "application/x-qt-image";

// Formats that other programs use for the same two kinds of picture.
const QStringList& MetafileFormats() {
    static const QStringList formats = {"image/emf", "image/x-emf", "image/wmf", "image/x-wmf"};
    return formats;
}

// Encoded images and the Qt image-reader format that decodes them.
struct EncodedImageFormat {
    const char* mimeType;
    const char* readerFormat;
};
constexpr EncodedImageFormat kEncodedImageFormats[] = {
    {"image/png", "png"},
    {"image/bmp", "bmp"},
    {"image/x-bmp", "bmp"},
    {"image/x-ms-bmp", "bmp"},
};

const char* ReaderFormatOf(const QString& mimeType) {
    for (const auto& format : kEncodedImageFormats) {
        if (mimeType == QLatin1String(format.mimeType)) {
            return format.readerFormat;
        }
    }
    return nullptr;
}

bool IsReadable(const QString& format) {
    return format == QLatin1String(kQtImageType) || MetafileFormats().contains(format) ||
           ReaderFormatOf(format) != nullptr;
}

std::span<const std::uint8_t> BytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
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
QImage DecodeImage(const QByteArray& bytes, const char* readerFormat) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, readerFormat);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

std::unique_ptr<TGraphic> GraphicFromFormat(const QMimeData& data, const QString& format) {
    if (format == QLatin1String(kQtImageType)) {
        return BitmapFromImage(qvariant_cast<QImage>(data.imageData()));
    }
    const QByteArray bytes = data.data(format);
    if (MetafileFormats().contains(format)) {
        auto metafile = std::make_unique<TMetafile>();
        if (bytes.isEmpty()) {
            throw EInvalidGraphic("Metafile is not valid");
        }
        metafile->LoadFromStream(BytesOf(bytes));
        return metafile;
    }
    const char* readerFormat = ReaderFormatOf(format);
    if (qstrcmp(readerFormat, "bmp") == 0 && !bytes.isEmpty()) {
        // A BMP file image is kept as it is, like a bitmap read from a file.
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->LoadFromStream(BytesOf(bytes));
        return bitmap;
    }
    return BitmapFromImage(DecodeImage(bytes, readerFormat));
}

void PutIcon(QMimeData& data, const TIcon& icon, const QColor& colour) {
    data.setData(QLatin1String(kIconMimeType), ToByteArray(icon.Stream()));
    data.setImageData(RenderOnBackground(icon, colour));
}

void PutMetafile(QMimeData& data, const TMetafile& metafile) {
    if (metafile.Enhanced()) {
        data.setData("image/emf", ToByteArray(metafile.Stream()));
        return;
    }
    // Programs that read only enhanced metafiles get a conversion; when there
    // is none to be had, the Windows metafile still goes out as it is.
    try {
        data.setData("image/emf", ToByteArray(metafile.EmfImage()));
    } catch (const EInvalidGraphic&) {
    }
    data.setData("image/wmf", ToByteArray(metafile.Stream()));
}

} // namespace

QImage RenderOnBackground(const TGraphic& graphic, const QColor& colour) {
    if (graphic.Empty() || graphic.Width() <= 0 || graphic.Height() <= 0) {
        return {};
    }
    QImage image(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
    image.fill(colour);
    QPainter painter(&image);
    graphic.Draw(painter, QPoint(0, 0));
    return image;
}

std::unique_ptr<QMimeData> PictureMimeData(const TPicture& picture, const QColor& iconBackground) {
    const TGraphic* graphic = picture.Graphic();
    if (graphic == nullptr || graphic->Empty()) {
        return nullptr;
    }
    auto data = std::make_unique<QMimeData>();
    if (const auto* icon = dynamic_cast<const TIcon*>(graphic)) {
        PutIcon(*data, *icon, iconBackground);
    } else if (const auto* metafile = dynamic_cast<const TMetafile*>(graphic)) {
        PutMetafile(*data, *metafile);
    } else if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        data->setImageData(bitmap->Image());
    } else {
        return nullptr;
    }
    return data;
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
    auto data = std::make_unique<QMimeData>();
    PutIcon(*data, icon, colour);
    clipboard.setMimeData(data.release());
}

QStringList ReadablePictureFormats() {
    QStringList formats = {QLatin1String(kIconMimeType), QLatin1String(kQtImageType)};
    for (const auto& format : kEncodedImageFormats) {
        formats << QLatin1String(format.mimeType);
    }
    formats << MetafileFormats();
    return formats;
}

bool HasPictureFormat(const QMimeData& data) {
    const QStringList formats = data.formats();
    for (const QString& format : formats) {
        if (format == QLatin1String(kIconMimeType) || IsReadable(format)) {
            return true;
        }
    }
    return false;
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
        if (IsReadable(format)) {
            picture.SetGraphic(GraphicFromFormat(data, format));
            return true;
        }
    }
    return false;
}

} // namespace tavik
