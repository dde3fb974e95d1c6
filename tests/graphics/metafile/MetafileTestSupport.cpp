#include "MetafileTestSupport.h"

#include <QPainter>
#include <cstdlib>

namespace tavik::metafile::testing {

QImage Render(std::span<const std::uint8_t> stream, QSize size) {
    const MetafileDocument doc = MetafileDocument::Parse(stream);
    if (size.isEmpty())
        size = doc.NaturalSize();
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    doc.Play(painter, QRectF(0, 0, size.width(), size.height()));
    painter.end();
    return img;
}

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

int DifferingPixels(const QImage& actual, const QImage& expected, int tolerance) {
    if (actual.size() != expected.size())
        return actual.width() * actual.height();
    int count = 0;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (!Near(actual.pixel(x, y), expected.pixel(x, y), tolerance))
                ++count;
    return count;
}

QString DataDir() {
    return QStringLiteral(TAVIK_METAFILE_DATA);
}

} // namespace tavik::metafile::testing
