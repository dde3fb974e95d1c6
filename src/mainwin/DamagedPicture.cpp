#include "mainwin/DamagedPicture.h"

#include <QPainter>

namespace tavik {

QImage DamagedPictureImage(const QColor& background) {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(background);
    QPainter p(&image);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.drawRect(4, 4, 23, 23);
    p.setPen(QPen(QColor(200, 0, 0), 3));
    p.drawLine(9, 9, 22, 22);
    p.drawLine(22, 9, 9, 22);
    return image;
}

} // namespace tavik
