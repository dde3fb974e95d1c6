#include "controls/UrlLabel.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QUrl>

namespace tavik {

TUrlLabel::TUrlLabel(QWidget* parent) : QLabel(parent) {
    SetFontColor(QColor(0, 0, 255));
    QFont f = font();
    f.setUnderline(true);
    setFont(f);
    setCursor(Qt::PointingHandCursor);

    FMenu = new QMenu(this);
    QAction* copy = FMenu->addAction(QStringLiteral("Copy"));
    connect(copy, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(text()); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { FMenu->popup(mapToGlobal(pos)); });
}

void TUrlLabel::Click() {
    const QString target = FURL.trimmed().isEmpty() ? text().trimmed() : FURL.trimmed();
    if (target.isEmpty())
        return;
    // Bare addresses ("example.org") become web addresses; "mailto:" stays.
    QDesktopServices::openUrl(QUrl::fromUserInput(target));
}

void TUrlLabel::SetFontColor(const QColor& color) {
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, color);
    setPalette(pal);
}

void TUrlLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !FHeld) {
        FHeld = true;
        FSavedColor = palette().color(QPalette::WindowText);
        SetFontColor(FActiveColor);
    }
    QLabel::mousePressEvent(event);
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && FHeld) {
        FHeld = false;
        SetFontColor(FSavedColor);
        if (rect().contains(event->position().toPoint()))
            Click();
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace tavik
