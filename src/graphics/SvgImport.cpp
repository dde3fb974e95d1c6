#include "graphics/SvgImport.h"

#include "graphics/PictureImport.h"
#include "graphics/metafile/EmfRecorder.h"

#include <QPainter>
#include <QSvgRenderer>
#include <climits>
#include <cmath>

namespace tavik {

namespace {

[[noreturn]] void NotSvg() {
    throw EPictureImport(ImportFailure::Damaged, "SVG picture is not valid");
}

QSize CheckedSize(const QSvgRenderer& renderer) {
    if (!renderer.isValid())
        NotSvg();
    const QRectF box = renderer.viewBoxF();
    if (!std::isfinite(box.width()) || !std::isfinite(box.height()) || box.width() <= 0 ||
        box.height() <= 0)
        NotSvg();
    if (box.width() > kMaxImportSide || box.height() > kMaxImportSide) {
        const QSize shown(static_cast<int>(std::min<qreal>(std::ceil(box.width()), INT_MAX)),
                          static_cast<int>(std::min<qreal>(std::ceil(box.height()), INT_MAX)));
        throw EPictureImport(ImportFailure::TooLarge,
                             "SVG picture is too large: " + std::to_string(shown.width()) + " x " +
                                 std::to_string(shown.height()) + " pixels (the largest is " +
                                 std::to_string(kMaxImportSide) + " x " +
                                 std::to_string(kMaxImportSide) + ")",
                             shown);
    }
    return QSize(static_cast<int>(std::ceil(box.width())),
                 static_cast<int>(std::ceil(box.height())));
}

} // namespace

QSize SvgNaturalSize(const QByteArray& data) {
    const QSvgRenderer renderer(data);
    return CheckedSize(renderer);
}

std::vector<std::uint8_t> SvgToEmf(const QByteArray& data) {
    QSvgRenderer renderer(data);
    const QSize natural = CheckedSize(renderer);
    metafile::EmfPaintDevice device(natural);
    {
        QPainter painter(&device);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(natural)));
    }
    return device.Finish();
}

} // namespace tavik
