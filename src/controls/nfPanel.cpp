#include "controls/nfPanel.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace tavik {

namespace {

// Draws a bevel `width` pixels deep just inside rect and returns the rect
// that is left inside it.
QRect DrawBevel(QPainter& p, QRect rect, TPanelBevel bevel, int width, const QPalette& pal) {
    if (bevel == TPanelBevel::bvNone)
        return rect;
    const QColor topLeft =
        pal.color(bevel == TPanelBevel::bvRaised ? QPalette::Light : QPalette::Dark);
    const QColor bottomRight =
        pal.color(bevel == TPanelBevel::bvRaised ? QPalette::Dark : QPalette::Light);
    for (int i = 0; i < width && rect.width() > 0 && rect.height() > 0; ++i) {
        p.fillRect(rect.left(), rect.top(), rect.width(), 1, topLeft);
        p.fillRect(rect.left(), rect.top(), 1, rect.height(), topLeft);
        p.fillRect(rect.left(), rect.bottom(), rect.width(), 1, bottomRight);
        p.fillRect(rect.right(), rect.top(), 1, rect.height(), bottomRight);
        rect.adjust(1, 1, -1, -1);
    }
    return rect;
}

} // namespace

TnfPanel::TnfPanel(QWidget* parent) : QWidget(parent) {
    UpdateStaticContents();
}

void TnfPanel::SetFullRepaint(bool value) {
    FFullRepaint = value;
    UpdateStaticContents();
}

void TnfPanel::SetCaption(const QString& value) {
    if (FCaption == value)
        return;
    FCaption = value;
    UpdateStaticContents();
    update();
}

void TnfPanel::SetBevelInner(TPanelBevel value) {
    FBevelInner = value;
    update();
}

void TnfPanel::SetBevelOuter(TPanelBevel value) {
    FBevelOuter = value;
    update();
}

void TnfPanel::SetBevelWidth(int value) {
    FBevelWidth = std::max(1, value);
    update();
}

void TnfPanel::SetBorderWidth(int value) {
    FBorderWidth = std::max(0, value);
    update();
}

QColor TnfPanel::Color() const {
    return FColor.isValid() ? FColor : palette().color(QPalette::Button);
}

void TnfPanel::SetColor(const QColor& value) {
    FColor = value;
    update();
}

int TnfPanel::FrameWidth() const {
    int border = FBorderWidth;
    if (FBevelInner != TPanelBevel::bvNone)
        border += FBevelWidth;
    if (FBevelOuter != TPanelBevel::bvNone)
        border += FBevelWidth;
    return border;
}

QRegion TnfPanel::ResizeRegion(QSize oldSize, QSize newSize) const {
    const int border = FrameWidth();
    QRegion region;
    if (border <= 0)
        return region;
    const int strip = border + 1;
    if (oldSize.width() != newSize.width()) {
        region += QRect(oldSize.width() - strip, 0, strip, oldSize.height());
        region += QRect(newSize.width() - strip, 0, strip, newSize.height());
    }
    if (oldSize.height() != newSize.height()) {
        region += QRect(0, oldSize.height() - strip, oldSize.width(), strip);
        region += QRect(0, newSize.height() - strip, newSize.width(), strip);
    }
    return region;
}

// Static contents tell Qt not to repaint the whole panel on a resize; only the
// newly exposed area and the strips asked for in resizeEvent are painted.
void TnfPanel::UpdateStaticContents() {
    setAttribute(Qt::WA_StaticContents, KeepsContents());
}

void TnfPanel::paintEvent(QPaintEvent* event) {
    // Painting is clipped to the dirty region; after a resize that is only
    // strips at the edges, so only they are filled.
    QPainter p(this);
    for (const QRect& dirty : event->region())
        p.fillRect(dirty, Color());
    QRect r = DrawBevel(p, rect(), FBevelOuter, FBevelWidth, palette());
    r.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    r = DrawBevel(p, r, FBevelInner, FBevelWidth, palette());
    if (!FCaption.isEmpty()) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, FCaption);
    }
}

void TnfPanel::resizeEvent(QResizeEvent* event) {
    if (!KeepsContents())
        update();
    else if (event->oldSize().isValid())
        update(ResizeRegion(event->oldSize(), event->size()));
    QWidget::resizeEvent(event);
    emit Resize();
}

} // namespace tavik
