#include "mainwin/PictureImage.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tavik {

TPictureImage::TPictureImage(QWidget* parent) : QWidget(parent) {}

void TPictureImage::SetPicture(const TPicture& picture) {
    FPicture = picture;
    FFace = FBeneath = QImage();
    update();
}

void TPictureImage::Clear() {
    FPicture = TPicture();
    FFace = FBeneath = QImage();
    update();
}

void TPictureImage::SetStretch(bool value) {
    if (FStretch == value)
        return;
    FStretch = value;
    FFace = FBeneath = QImage();
    update();
}

void TPictureImage::paintEvent(QPaintEvent* event) {
    const TGraphic* graphic = FPicture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    if (graphic->Kind() != PictureKind::Metafile) {
        // Bitmaps and icons are images already: drawn clipped to the dirty
        // region, they cost no more than a copy of the kept image would.
        QPainter painter(this);
        if (FStretch)
            graphic->StretchDraw(painter, rect());
        else
            graphic->Draw(painter, QPoint(0, 0));
        return;
    }
    const QRect dirty = event->rect() & rect();
    const qreal ratio = devicePixelRatioF();
    const QRect pixels(dirty.topLeft() * ratio, dirty.size() * ratio);
    if (FFace.isNull() || FFace.size() != size() * ratio || FFace.devicePixelRatio() != ratio ||
        Beneath(dirty) != FBeneath.copy(pixels))
        RenderFace();
    QPainter painter(this);
    painter.drawImage(dirty, FFace, pixels);
}

// Opaque, as the window the face is copied into.
QImage TPictureImage::Beneath(const QRect& area) const {
    const qreal ratio = devicePixelRatioF();
    QImage image(area.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    if (QWidget* parent = isWindow() ? nullptr : parentWidget()) {
        parent->render(&image, QPoint(), QRegion(area.translated(pos())),
                       QWidget::DrawWindowBackground);
    } else {
        QPainter painter(&image);
        painter.fillRect(QRect(QPoint(), area.size()), palette().brush(backgroundRole()));
    }
    return image;
}

void TPictureImage::RenderFace() {
    FBeneath = Beneath(rect());
    FFace = FBeneath;
    QPainter painter(&FFace);
    const TGraphic* graphic = FPicture.Graphic();
    if (FStretch)
        graphic->StretchDraw(painter, rect());
    else
        graphic->Draw(painter, QPoint(0, 0));
}

void TPictureImage::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // Taken here, so the panel below does not open the view a second time.
    event->accept();
    emit DblClick();
}

} // namespace tavik
