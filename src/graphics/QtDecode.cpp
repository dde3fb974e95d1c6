#include "graphics/QtDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QList>

namespace tavik {

namespace {
// Our own checks cap a picture at 64 M pixels (256 MB as 32-bit pixels); the
// decoder is allowed that much and no more.
constexpr int kAllocationLimitMb = 288;
} // namespace

QImage ReadWithQt(const QByteArray& bytes, const char* format,
                  const std::function<void(QSize)>& announced) {
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMb);
        return true;
    }();
    (void)limitSet;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    if (announced && reader.size().isValid())
        announced(reader.size());
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QImage DecodeWithQt(std::span<const std::uint8_t> bytes, const char* format) {
    QImage image = ReadWithQt(QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<qsizetype>(bytes.size())),
                              format);
    if (image.isNull()) {
        return QImage();
    }
    // Qt leaves the pixels an RLE file skips undefined and does not check
    // indices against a short palette, and drawing an index past the colour
    // table reads outside it. A full table gives every index a colour.
    const int fullTable = image.format() == QImage::Format_Indexed8 ? 256
                          : image.depth() == 1                      ? 2
                                                                    : 0;
    if (fullTable > 0 && image.colorCount() < fullTable) {
        QList<QRgb> table = image.colorTable();
        table.resize(fullTable, qRgb(0, 0, 0));
        image.setColorTable(table);
    }
    return image;
}

} // namespace tavik
