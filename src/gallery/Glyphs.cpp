#include "gallery/Glyphs.h"

#include <QPainter>
#include <QPolygon>

namespace tavik::gallery {

QImage MakeGlyph(Glyph glyph, int size) {
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    const int m = size / 8;
    const int c = size / 2;
    switch (glyph) {
    case Glyph::Plus:
        p.fillRect(c - m, 2 * m, 2 * m, size - 4 * m, QColor(0, 128, 0));
        p.fillRect(2 * m, c - m, size - 4 * m, 2 * m, QColor(0, 128, 0));
        break;
    case Glyph::Cross:
        p.setPen(QPen(QColor(200, 0, 0), 2 * m));
        p.drawLine(3 * m, 3 * m, size - 3 * m, size - 3 * m);
        p.drawLine(size - 3 * m, 3 * m, 3 * m, size - 3 * m);
        break;
    case Glyph::Arrow:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 160));
        p.drawPolygon(QPolygon({{c, 2 * m},
                                {size - 2 * m, c},
                                {c + m, c},
                                {c + m, size - 2 * m},
                                {c - m, size - 2 * m},
                                {c - m, c},
                                {2 * m, c}}));
        break;
    case Glyph::Folder:
        p.fillRect(m, 3 * m, 3 * m, m, QColor(200, 160, 40));
        p.fillRect(m, 4 * m, size - 2 * m, size - 6 * m, QColor(230, 190, 60));
        p.setPen(QColor(120, 90, 20));
        p.drawRect(m, 4 * m, size - 2 * m - 1, size - 6 * m - 1);
        break;
    case Glyph::Picture:
        p.fillRect(m, m, size - 2 * m, size - 2 * m, QColor(90, 60, 30));
        p.fillRect(2 * m, 2 * m, size - 4 * m, size - 4 * m, QColor(140, 190, 240));
        p.fillRect(2 * m, c + m, size - 4 * m, size / 2 - 3 * m, QColor(40, 140, 40));
        p.fillRect(c + m, 3 * m, 2 * m, 2 * m, QColor(250, 220, 40));
        break;
    }
    return img;
}

} // namespace tavik::gallery
