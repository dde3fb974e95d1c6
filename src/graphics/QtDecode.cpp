#include "graphics/QtDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

namespace tavik {

namespace {
// Our own checks cap a picture at 64 M pixels (256 MB as 32-bit pixels); the
// decoder is allowed that much and no more.
constexpr int kAllocationLimitMb = 288;
} // namespace

QImage DecodeWithQt(std::span<const std::uint8_t> bytes, const char* format) {
    static const bool limitSet = [] {
        QImageReader::setAllocationLimit(kAllocationLimitMb);
        return true;
    }();
    (void)limitSet;
    const QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    QImage image;
    if (!reader.read(&image)) {
        return QImage();
    }
    return image;
}

} // namespace tavik
