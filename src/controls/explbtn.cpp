#include "controls/explbtn.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QtMath>

namespace tavik {

namespace {

struct Thresholds {
    int t1, t2, t3;
};

Thresholds ThresholdsOf(TExplorerButtonShadingType type) {
    switch (type) {
    case TExplorerButtonShadingType::stLight:
        return {205, 127, 68};
    case TExplorerButtonShadingType::stDark:
        return {335, 274, 175};
    case TExplorerButtonShadingType::stMedium:
        break;
    }
    return {553, 231, 57};
}

// The picture with its transparent colour (pixel (0, 0)) made transparent.
QImage Transparent(const QImage& bitmap) {
    QImage img = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return img;
}

// The picture's non-transparent shape in one colour.
QImage Silhouette(const QImage& bitmap, const QColor& color) {
    QImage img = Transparent(bitmap);
    const QRgb fill = color.rgba();
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(line[x]) != 0)
                line[x] = fill;
    }
    return img;
}

QImage DownPattern(const QColor& highlight, const QColor& face) {
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            pattern.setPixel(x, y, ((x ^ y) & 1) == 0 ? highlight.rgb() : face.rgb());
    return pattern;
}

void DrawTriangle(QPainter& p, int x, int y, const QColor& color) {
    // Rows 7, 5, 3 and 1 pixels wide on one centre column, the top row one above y.
    for (int row = 0; row < 4; ++row)
        p.fillRect(x + row, y - 1 + row, 7 - 2 * row, 1, color);
}

void DrawFrame(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
    p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
    p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

} // namespace

QString StripAccelerator(const QString& caption) {
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') {
                result += u'&';
                ++i;
            }
            continue;
        }
        result += caption[i];
    }
    return result;
}

QImage ShadeBitmap(const QImage& bitmap, TExplorerButtonShadingType shading,
                   const QColor& highlight, const QColor& shadow) {
    if (bitmap.isNull())
        return {};
    QImage img = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, 0);
    const Thresholds t = ThresholdsOf(shading);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            // Made transparent here, so a white tone is not lost when the
            // transparent colour is white too.
            // Pictures with an alpha channel: see-through pixels stay so, and
            // a partly see-through one keeps its alpha under the new tone.
            const int alpha = qAlpha(line[x]);
            if (line[x] == key || alpha == 0) {
                line[x] = 0;
                continue;
            }
            const int sum = qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]);
            QRgb tone = qRgb(0, 0, 0);
            if (sum > t.t1)
                tone = qRgb(255, 255, 255);
            else if (sum > t.t2)
                tone = highlight.rgb();
            else if (sum > t.t3)
                tone = shadow.rgb();
            line[x] = qRgba(qRed(tone), qGreen(tone), qBlue(tone), alpha);
        }
    }
    return img;
}

TOfficeButton::TOfficeButton(QWidget* parent) : QWidget(parent) {
    resize(25, 25);
    setFocusPolicy(Qt::NoFocus);
}

TOfficeButton::~TOfficeButton() = default;

void TOfficeButton::SetAlignment(Qt::Alignment value) {
    FAlignment = value & Qt::AlignHorizontal_Mask;
    update();
}

void TOfficeButton::SetAllowAllUp(bool value) {
    FAllowAllUp = value;
    for (TOfficeButton* sibling : GroupSiblings())
        sibling->FAllowAllUp = value;
}

void TOfficeButton::SetBevelStyle(TButtonBevelStyle value) {
    FBevelStyle = value;
    update();
}

void TOfficeButton::SetBitmap(const QImage& value) {
    FBitmap = value;
    RefreshShadedBitmap();
    update();
}

void TOfficeButton::SetNoFocusBitmap(const QImage& value) {
    FNoFocusBitmap = value;
    update();
}

void TOfficeButton::SetDisabledBitmap(const QImage& value) {
    FDisabledBitmap = value;
    update();
}

void TOfficeButton::SetCaption(const QString& value) {
    FCaption = value;
    if (FOptions & boIconOnly)
        setToolTip(StripAccelerator(value));
    UpdateAccelerator();
    update();
}

void TOfficeButton::SetGroupIndex(int value) {
    FGroupIndex = value;
    if (value == 0 && FDown) {
        FDown = false;
        update();
    }
}

void TOfficeButton::SetDown(bool value) {
    if (value == FDown || FGroupIndex == 0)
        return;
    FDown = value;
    update();
    if (!value)
        return;
    for (TOfficeButton* sibling : GroupSiblings()) {
        if (sibling->FDown) {
            sibling->FDown = false;
            sibling->update();
        }
    }
}

void TOfficeButton::SetDropDownMenu(QMenu* value) {
    FDropDownMenu = value;
    if (FOptions & boPopupMark)
        update();
}

void TOfficeButton::SetEnabled(bool value) {
    setEnabled(value); // the rest happens in changeEvent, for setEnabled callers too
}

void TOfficeButton::SetLayout(TExplorerButtonLayout value) {
    if (FLayout == value)
        return;
    FLayout = value;
    update();
}

void TOfficeButton::SetOptions(TExplorerButtonOptions value) {
    FOptions = value;
    const QString stripped = StripAccelerator(FCaption);
    if ((value & boIconOnly) && toolTip().isEmpty())
        setToolTip(stripped);
    else if (!(value & boIconOnly) && toolTip() == stripped)
        setToolTip(QString());
    update();
}

void TOfficeButton::SetShadingType(TExplorerButtonShadingType value) {
    if (FShadingType == value)
        return;
    FShadingType = value;
    RefreshShadedBitmap();
    update();
}

void TOfficeButton::SetShowDownPattern(bool value) {
    if (FShowDownPattern == value)
        return;
    FShowDownPattern = value;
    update();
}

QColor TOfficeButton::UnselectedFontColor() const {
    return FUnselectedFontColor.isValid() ? FUnselectedFontColor
                                          : palette().color(QPalette::WindowText);
}

void TOfficeButton::SetUnselectedFontColor(const QColor& value) {
    if (FUnselectedFontColor == value)
        return;
    FUnselectedFontColor = value;
    update();
}

void TOfficeButton::SetWordWrap(bool value) {
    if (FWordWrap == value)
        return;
    FWordWrap = value;
    update();
}

void TOfficeButton::SetButtonStyle(TNewButtonStyle value) {
    if (FButtonStyle == value)
        return;
    FButtonStyle = value;
    update();
}

QList<TOfficeButton*> TOfficeButton::GroupSiblings() const {
    QList<TOfficeButton*> result;
    if (FGroupIndex == 0 || !parentWidget())
        return result;
    for (QObject* child : parentWidget()->children()) {
        auto* button = qobject_cast<TOfficeButton*>(child);
        if (button && button != this && button->FGroupIndex == FGroupIndex)
            result.append(button);
    }
    return result;
}

void TOfficeButton::RefreshShadedBitmap() {
    FShadedBitmap = ShadeBitmap(FBitmap, FShadingType, palette().color(QPalette::Light),
                                palette().color(QPalette::Dark));
}

void TOfficeButton::UpdateAccelerator() {
    if (FShortcutId != 0) {
        releaseShortcut(FShortcutId);
        FShortcutId = 0;
    }
    const QKeySequence key = QKeySequence::mnemonic(FCaption);
    if (!key.isEmpty())
        FShortcutId = grabShortcut(key);
}

void TOfficeButton::UpdateHotFromCursor() {
    FHot = underMouse();
}

// ---- mouse and keyboard ----

bool TOfficeButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(e)->shortcutId() == FShortcutId) {
        if (isEnabled() && isVisible()) {
            FHot = true;
            FPressed = false;
            update();
            // The same press and release a mouse click would give.
            FPressed = true;
            update();
            if (FDropDownMenu) {
                ShowDropDown();
            } else {
                QCoreApplication::processEvents();
                FPressed = false;
                if (FGroupIndex != 0)
                    LatchOnClick();
                update();
                emit Click();
            }
            if (!underMouse())
                FHot = false;
            update();
        }
        return true;
    }
    return QWidget::event(e);
}

void TOfficeButton::enterEvent(QEnterEvent* event) {
    FHot = true;
    if (!FDown && isEnabled())
        update();
    emit Enter();
    QWidget::enterEvent(event);
}

void TOfficeButton::leaveEvent(QEvent* event) {
    FHot = false;
    if (!FDown && isEnabled())
        update();
    emit Exit();
    QWidget::leaveEvent(event);
}

void TOfficeButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (window() && !window()->isActiveWindow())
        window()->activateWindow();
    if (!isEnabled() || !isVisible())
        return;
    FPressed = true;
    FHot = true;
    update();
    if (FDropDownMenu)
        ShowDropDown();
}

void TOfficeButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled() || !isVisible() || !FPressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    FPressed = false;
    // Hot follows the pointer; a release outside the button is no click.
    const bool over = rect().contains(event->position().toPoint());
    FHot = FHot && over;
    if (FHot && FGroupIndex != 0)
        LatchOnClick();
    update();
    if (FHot)
        emit Click();
}

void TOfficeButton::contextMenuEvent(QContextMenuEvent* event) {
    QWidget::contextMenuEvent(event);
    ResetAfterPopup();
}

void TOfficeButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (FGroupIndex == 0)
            FDown = false;
        FHot = false;
        FPressed = false;
        update();
    } else if (event->type() == QEvent::PaletteChange) {
        RefreshShadedBitmap();
    }
    QWidget::changeEvent(event);
}

void TOfficeButton::LatchOnClick() {
    if (!FDown)
        SetDown(true);
    else if (FAllowAllUp) {
        FDown = false;
        update();
    }
}

void TOfficeButton::ShowDropDown() {
    // The menu closes on its own; exec returns when it has.
    QPointer<TOfficeButton> self(this);
    FDropDownMenu->exec(mapToGlobal(QPoint(0, height())));
    if (self)
        ResetAfterPopup();
}

void TOfficeButton::ResetAfterPopup() {
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber == this)
        releaseMouse();
    UpdateHotFromCursor();
    FPressed = false;
    update();
}

// ---- painting ----

void TOfficeButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, Render());
}

QImage TOfficeButton::Render() const {
    const int w = width();
    const int h = height();
    // Drawn at the screen's own pixels: a caption and a picture made for the
    // device pixel ratio stay sharp on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    QImage img(std::max(1, qCeil(w * ratio)), std::max(1, qCeil(h * ratio)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    const QRect bounds(0, 0, std::max(w, 1), std::max(h, 1));
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    const QColor highlight = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    QPainter p(&img);
    // A picture made for another ratio (the double-size one at 1.5) is
    // scaled smoothly; at its own ratio it is copied pixel for pixel.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setFont(font());
    p.fillRect(bounds, face);

    const bool normal = FButtonStyle == TNewButtonStyle::bsNormal;
    if (FDown && FShowDownPattern) {
        const QRect area = normal ? bounds.adjusted(2, 2, -2, -2) : bounds;
        p.fillRect(area, QBrush(DownPattern(highlight, face)));
    }

    // Caption box.
    const bool showCaption = !(FOptions & boIconOnly) && !FCaption.isEmpty();
    const int gap = showCaption ? 2 : 0;
    const int textFlags =
        Qt::TextShowMnemonic | (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    int capW = 0, capH = 0;
    if (showCaption) {
        const QRect box = p.fontMetrics().boundingRect(QRect(0, 0, std::max(w - 4, 1), 10000),
                                                       textFlags, FCaption);
        capW = std::min(box.width(), w - 4);
        capH = box.height();
    }

    const bool mark = (FOptions & boPopupMark) && FDropDownMenu;
    const bool hasPicture = !FBitmap.isNull();
    // A picture may carry more pixels than it covers (a device pixel ratio).
    const QSize bmpSize = FBitmap.deviceIndependentSize().toSize();
    const int bmpW = hasPicture ? bmpSize.width() : 0;
    const int picW = hasPicture ? bmpW + (mark ? 10 : 0) : 0;
    const int picH = hasPicture ? bmpSize.height() : 0;

    auto placeX = [&](int width) {
        if (FAlignment & Qt::AlignLeft)
            return 3;
        if (FAlignment & Qt::AlignRight)
            return w - width - 3;
        return (w - width) / 2;
    };

    int picX = 0, picY = 0, capX = 0, capY = 0;
    if (!hasPicture) {
        capY = (h - capH) / 2;
        if (mark) {
            capW = std::min(capW, w - 14);
            capX = placeX(capW + 10);
        } else {
            capX = placeX(capW);
        }
    } else if (FLayout == TExplorerButtonLayout::blBitmapTop ||
               FLayout == TExplorerButtonLayout::blBitmapBottom) {
        const int top = (h - capH - picH - gap) / 2;
        if (FLayout == TExplorerButtonLayout::blBitmapTop) {
            picY = top;
            capY = top + picH + gap;
        } else {
            capY = top;
            picY = top + capH + gap;
        }
        picX = placeX(picW);
        capX = placeX(capW);
    } else {
        if (picW + gap + capW > w - 4)
            capW = std::max(0, w - 4 - picW - gap);
        picY = (h - picH) / 2;
        capY = (h - capH) / 2;
        const int total = picW + gap + capW;
        const int start = placeX(total);
        if (FLayout == TExplorerButtonLayout::blBitmapLeft) {
            picX = start;
            capX = start + picW + gap;
        } else {
            capX = start;
            picX = start + capW + gap;
        }
    }
    if (FWordWrap)
        capW = std::max(0, std::min(capW, w - 5 - capX));

    const bool showBevel = FOptions & boShowBevel;
    const bool lowered = FBevelStyle == TButtonBevelStyle::bsLowered;
    auto drawEdge = [&](bool down) {
        if (!showBevel)
            return;
        if (lowered)
            down = !down;
        const QRect r = bounds;
        if (!normal) {
            down ? DrawFrame(p, r, shadow, highlight) : DrawFrame(p, r, highlight, shadow);
            return;
        }
        const QColor light = pal.color(QPalette::Midlight);
        const QColor dark = pal.color(QPalette::Shadow);
        if (down) {
            DrawFrame(p, r, shadow, highlight);
            DrawFrame(p, r.adjusted(1, 1, -1, -1), dark, light);
        } else {
            DrawFrame(p, r, light, dark);
            DrawFrame(p, r.adjusted(1, 1, -1, -1), highlight, shadow);
        }
    };
    const int justify = FAlignment & (Qt::AlignLeft | Qt::AlignRight)
                            ? int(FAlignment & (Qt::AlignLeft | Qt::AlignRight))
                            : int(Qt::AlignHCenter);
    auto drawCaption = [&](int dx, const QColor& color) {
        if (!showCaption || capW <= 0)
            return;
        const QRect r(capX + dx, capY + dx, capW, capH);
        p.setPen(color);
        if (FWordWrap) {
            p.drawText(r, textFlags | justify, FCaption);
        } else {
            const QString shown =
                p.fontMetrics().elidedText(FCaption, Qt::ElideRight, capW, Qt::TextShowMnemonic);
            p.drawText(r, textFlags | justify, shown);
        }
    };
    const QColor fontColor = pal.color(QPalette::WindowText);
    // The mark follows the picture, or the caption when there is none.
    const int markX = hasPicture ? picX + bmpW : capX + capW;
    const int markY = hasPicture ? picY + picH / 2 : capY + capH / 2;

    if (!isEnabled()) {
        if (FDown)
            drawEdge(true);
        else if (FButtonStyle != TNewButtonStyle::bsFlat)
            drawEdge(false);
        if (hasPicture) {
            if (!FDisabledBitmap.isNull()) {
                p.drawImage(picX, picY, Transparent(FDisabledBitmap));
            } else {
                p.drawImage(picX + 1, picY + 1, Silhouette(FBitmap, highlight));
                p.drawImage(picX, picY, Silhouette(FBitmap, shadow));
            }
        }
        drawCaption(1, highlight);
        drawCaption(0, shadow);
        if (mark) {
            DrawTriangle(p, markX + 4, markY + 1, highlight);
            DrawTriangle(p, markX + 3, markY, shadow);
        }
    } else if ((FPressed && FHot) || FDown) {
        drawEdge(true);
        drawCaption(FBevelStyle == TButtonBevelStyle::bsRaised ? 1 : 0, fontColor);
        if (hasPicture)
            p.drawImage(picX + 1, picY + 1, Transparent(FBitmap));
        if (mark)
            DrawTriangle(p, markX + 4, markY + 1, fontColor);
    } else {
        if (FHot || FButtonStyle != TNewButtonStyle::bsFlat)
            drawEdge(false);
        drawCaption(lowered ? 1 : 0, FHot ? fontColor : UnselectedFontColor());
        if (hasPicture) {
            const QImage* picture = &FBitmap;
            if ((FOptions & boMonoDisplay) && !FHot)
                picture = FNoFocusBitmap.isNull() ? &FShadedBitmap : &FNoFocusBitmap;
            p.drawImage(picX, picY, Transparent(*picture));
        }
        if (mark)
            DrawTriangle(p, markX + 3, markY, fontColor);
    }
    return img;
}

} // namespace tavik
