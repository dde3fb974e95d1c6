#include "mainwin/PictureImage.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavik {

TPictureImage::TPictureImage(QWidget* parent) : QWidget(parent) {}

void TPictureImage::SetPicture(const TPicture& picture) {
    FPicture = picture;
    update();
}

void TPictureImage::Clear() {
    FPicture = TPicture();
    update();
}

void TPictureImage::SetStretch(bool value) {
    if (FStretch == value)
        return;
    FStretch = value;
    update();
}

void TPictureImage::paintEvent(QPaintEvent*) {
    const TGraphic* graphic = FPicture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    QPainter painter(this);
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
