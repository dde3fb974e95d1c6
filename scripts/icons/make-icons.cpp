// Draws the toolbar icons (16 x 16 and, for scaled screens, 32 x 32 as
// "@2x", normal and disabled) and the program icon into resources/icons. Run
// scripts/icons/make-icons.sh after changing a drawing; the PNG files it writes are committed.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cstdio>
#include <functional>
#include <utility>

namespace {

using Drawing = std::function<void(QPainter&)>;

const QColor kInk(40, 48, 64);
const QColor kBlue(40, 100, 200);
const QColor kGreen(40, 150, 70);
const QColor kRed(200, 50, 40);
const QColor kPaper(250, 250, 245);
const QColor kGold(230, 170, 40);

void Page(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

void Picture(QPainter& p, QRectF r) {
    // A small landscape: the sign of "a picture" throughout the toolbar.
    Page(p, r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 200, 240));
    p.drawRect(r.adjusted(1, 1, -0.5, -0.5));
    p.setBrush(kGreen);
    QPainterPath hill;
    hill.moveTo(r.left() + 1, r.bottom() - 0.5);
    hill.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.45);
    hill.lineTo(r.left() + r.width() * 0.7, r.bottom() - r.height() * 0.3);
    hill.lineTo(r.right() - 0.5, r.top() + r.height() * 0.55);
    hill.lineTo(r.right() - 0.5, r.bottom() - 0.5);
    p.drawPath(hill);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(r.right() - r.width() * 0.28, r.top() + r.height() * 0.3), 1.5, 1.5);
}

void Arrow(QPainter& p, bool up, QColor colour) {
    QPainterPath a;
    if (up) {
        a.moveTo(8, 2);
        a.lineTo(14, 8.5);
        a.lineTo(10.5, 8.5);
        a.lineTo(10.5, 14);
        a.lineTo(5.5, 14);
        a.lineTo(5.5, 8.5);
        a.lineTo(2, 8.5);
    } else {
        a.moveTo(8, 14);
        a.lineTo(14, 7.5);
        a.lineTo(10.5, 7.5);
        a.lineTo(10.5, 2);
        a.lineTo(5.5, 2);
        a.lineTo(5.5, 7.5);
        a.lineTo(2, 7.5);
    }
    a.closeSubpath();
    p.setPen(QPen(colour.darker(150), 1));
    p.setBrush(colour);
    p.drawPath(a);
}

void Disk(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRoundedRect(r, 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.6, r.height() * 0.4));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(r.left() + r.width() * 0.25, r.bottom() - r.height() * 0.35, r.width() * 0.5,
                      r.height() * 0.35));
}

void Plus(QPainter& p, QPointF c, double s, QColor colour) {
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawRect(QRectF(c.x() - s, c.y() - s / 3, 2 * s, 2 * s / 3));
    p.drawRect(QRectF(c.x() - s / 3, c.y() - s, 2 * s / 3, 2 * s));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(c.x() - s + 0.5, c.y() - s / 3 + 0.5, 2 * s - 1, 2 * s / 3 - 1));
}

void Squares(QPainter& p, int n, double size, double gap) {
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const double step = size + gap;
            const double ox = (16 - (n * step - gap)) / 2;
            Picture(p, QRectF(ox + x * step + 0.5, ox + y * step + 0.5, size - 1, size - 1));
        }
}

const std::pair<const char*, Drawing> kIcons[] = {
    {"savechanges", [](QPainter& p) { Disk(p, QRectF(1.5, 1.5, 13, 13)); }},
    {"import",
     [](QPainter& p) {
         // A folder with an arrow into it.
         p.setPen(QPen(kInk, 1));
         p.setBrush(kGold);
         QPainterPath f;
         f.moveTo(1.5, 5.5);
         f.lineTo(5.5, 5.5);
         f.lineTo(7, 7);
         f.lineTo(14.5, 7);
         f.lineTo(14.5, 14.5);
         f.lineTo(1.5, 14.5);
         f.closeSubpath();
         p.drawPath(f);
         p.setPen(QPen(kGreen.darker(130), 2));
         p.drawLine(QPointF(8, 0.5), QPointF(8, 9));
         p.setPen(Qt::NoPen);
         p.setBrush(kGreen.darker(130));
         p.drawPolygon(QPolygonF({QPointF(4.5, 7), QPointF(11.5, 7), QPointF(8, 11)}));
     }},
    {"fitpreview",
     [](QPainter& p) {
         Picture(p, QRectF(3.5, 3.5, 9, 9));
         p.setPen(QPen(kInk, 1));
         const QPointF corners[4][3] = {
             {{0.5, 3.5}, {0.5, 0.5}, {3.5, 0.5}},
             {{12.5, 0.5}, {15.5, 0.5}, {15.5, 3.5}},
             {{15.5, 12.5}, {15.5, 15.5}, {12.5, 15.5}},
             {{3.5, 15.5}, {0.5, 15.5}, {0.5, 12.5}},
         };
         for (const auto& c : corners)
             p.drawPolyline(c, 3);
     }},
    {"up", [](QPainter& p) { Arrow(p, true, kBlue); }},
    {"down", [](QPainter& p) { Arrow(p, false, kBlue); }},
    {"add",
     [](QPainter& p) {
         Page(p, QRectF(1.5, 3.5, 9, 11));
         Plus(p, QPointF(11, 5), 4, kGreen);
     }},
    {"delete",
     [](QPainter& p) {
         p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
         p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
     }},
    {"rename",
     [](QPainter& p) {
         // A text field with a caret: editing a name.
         p.setPen(QPen(kInk, 1));
         p.setBrush(kPaper);
         p.drawRect(QRectF(0.5, 4.5, 15, 7));
         p.setPen(Qt::NoPen);
         p.setBrush(kBlue);
         p.drawRect(QRectF(2, 6, 7, 4));
         p.setPen(QPen(kInk, 1));
         p.drawLine(QPointF(11.5, 2), QPointF(11.5, 14));
         p.drawLine(QPointF(10, 1.5), QPointF(13, 1.5));
         p.drawLine(QPointF(10, 14.5), QPointF(13, 14.5));
     }},
    {"copy",
     [](QPainter& p) {
         Page(p, QRectF(1.5, 1.5, 8, 10));
         Picture(p, QRectF(6.5, 5.5, 8, 9));
     }},
    {"paste",
     [](QPainter& p) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(QColor(180, 130, 70));
         p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
         p.setBrush(QColor(200, 200, 200));
         p.drawRect(QRectF(4.5, 1.5, 4, 2));
         Picture(p, QRectF(6.5, 6.5, 8, 8));
     }},
    {"save",
     [](QPainter& p) {
         Picture(p, QRectF(0.5, 0.5, 10, 9));
         Disk(p, QRectF(7.5, 7.5, 8, 8));
     }},
    {"largeicons", [](QPainter& p) { Squares(p, 2, 7, 1); }},
    {"smallicons", [](QPainter& p) { Squares(p, 3, 5, 0.5); }},
    {"list",
     [](QPainter& p) {
         for (int i = 0; i < 4; ++i) {
             const double y = 1.5 + i * 3.75;
             Picture(p, QRectF(1.5, y, 3, 3));
             p.setPen(QPen(kInk, 1));
             p.drawLine(QPointF(6.5, y + 1.5), QPointF(14.5, y + 1.5));
         }
     }},
    {"help",
     [](QPainter& p) {
         p.setPen(QPen(kBlue.darker(140), 1));
         p.setBrush(kBlue);
         p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
         p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
         p.drawPoint(QPointF(8, 12.2));
         p.drawLine(QPointF(8, 9.8), QPointF(8, 8.5));
         p.setBrush(Qt::NoBrush);
         p.drawArc(QRectF(5.3, 3.2, 5.4, 5.4), 170 * 16, -260 * 16);
     }},
};

QImage Draw(const Drawing& drawing, int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    drawing(p);
    return image;
}

// Disabled look: the shape in grey, lighter where the original is light.
QImage Disabled(const QImage& normal) {
    QImage out = normal;
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = QColor::fromRgba(out.pixel(x, y));
            const int grey = 110 + qGray(c.rgb()) * 120 / 255;
            out.setPixel(x, y, qRgba(grey, grey, grey, c.alpha() * 3 / 4));
        }
    return out;
}

void ProgramIcon(const QString& folder) {
    for (int size : {16, 32, 48, 256}) {
        QImage image(size, size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 48.0, size / 48.0);
        // Three stacked picture cards: a catalogue of pictures.
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(QColor(220, 220, 210));
        p.drawRoundedRect(QRectF(14, 4, 30, 26), 2, 2);
        p.setBrush(QColor(235, 235, 228));
        p.drawRoundedRect(QRectF(9, 10, 30, 26), 2, 2);
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(4, 17, 30, 26), 2, 2);
        Picture(p, QRectF(7, 20, 24, 20));
        p.end();
        image.save(QString("%1/tavik-%2.png").arg(folder).arg(size));
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icons <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const auto& [name, drawing] : kIcons) {
        for (const auto& [size, suffix] : {std::pair{16, ""}, std::pair{32, "@2x"}}) {
            const QImage normal = Draw(drawing, size);
            normal.save(QString("%1/%2%3.png").arg(folder, name, suffix));
            Disabled(normal).save(QString("%1/%2-disabled%3.png").arg(folder, name, suffix));
        }
    }
    ProgramIcon(folder);
    return 0;
}
