#include "controls/explbtn.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
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

void TOfficeButton::paintEvent(QPaintEvent* event) {
    // A toolbar is repainted with the window around it far more often than
    // any of its buttons changes.
    const FaceKey key = CurrentFaceKey();
    if (FFace.isNull() || !(key == FFaceKey)) {
        FFace = Render();
        FFaceKey = key;
    }
    QPainter p(this);
    p.drawImage(event->rect(), FFace, event->rect());
}

TOfficeButton::FaceKey TOfficeButton::CurrentFaceKey() const {
    FaceKey key;
    key.size = size();
    key.palette = palette().cacheKey();
    key.font = font();
    key.enabled = isEnabled();
    key.down = FDown;
    key.hot = FHot;
    key.pressed = FPressed;
    key.caption = FCaption;
    key.bitmaps[0] = FBitmap.cacheKey();
    key.bitmaps[1] = FNoFocusBitmap.cacheKey();
    key.bitmaps[2] = FDisabledBitmap.cacheKey();
    key.bitmaps[3] = FShadedBitmap.cacheKey();
    key.menu = FDropDownMenu.data();
    key.alignment = FAlignment;
    key.bevelStyle = FBevelStyle;
    key.layout = FLayout;
    key.options = FOptions;
    key.showDownPattern = FShowDownPattern;
    key.unselectedFontColor = FUnselectedFontColor;
    key.wordWrap = FWordWrap;
    key.buttonStyle = FButtonStyle;
    return key;
}

struct TOfficeButton::FaceLayout {
    bool showCaption = false;
    int textFlags = 0;
    int capX = 0, capY = 0, capW = 0, capH = 0;
    bool hasPicture = false;
    int picX = 0, picY = 0, picH = 0;
    bool mark = false;
    int markX = 0, markY = 0;
};

TOfficeButton::FaceLayout TOfficeButton::ArrangeFace(const QFontMetrics& metrics) const {
    const int w = width();
    const int h = height();
    FaceLayout f;
    f.showCaption = !(FOptions & boIconOnly) && !FCaption.isEmpty();
    const int gap = f.showCaption ? 2 : 0;
    f.textFlags = Qt::TextShowMnemonic | (FWordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    if (f.showCaption) {
        const QRect box =
            metrics.boundingRect(QRect(0, 0, std::max(w - 4, 1), 10000), f.textFlags, FCaption);
        f.capW = std::min(box.width(), w - 4);
        f.capH = box.height();
    }

    f.mark = (FOptions & boPopupMark) && FDropDownMenu;
    f.hasPicture = !FBitmap.isNull();
    // A picture may carry more pixels than it covers (a device pixel ratio).
    const QSize bmpSize = FBitmap.deviceIndependentSize().toSize();
    const int bmpW = f.hasPicture ? bmpSize.width() : 0;
    const int picW = f.hasPicture ? bmpW + (f.mark ? 10 : 0) : 0;
    f.picH = f.hasPicture ? bmpSize.height() : 0;

    auto placeX = [&](int width) {
        if (FAlignment & Qt::AlignLeft)
            return 3;
        if (FAlignment & Qt::AlignRight)
            return w - width - 3;
        return (w - width) / 2;
    };

    if (!f.hasPicture) {
        f.capY = (h - f.capH) / 2;
        if (f.mark) {
            f.capW = std::min(f.capW, w - 14);
            f.capX = placeX(f.capW + 10);
        } else {
            f.capX = placeX(f.capW);
        }
    } else if (FLayout == TExplorerButtonLayout::blBitmapTop ||
               FLayout == TExplorerButtonLayout::blBitmapBottom) {
        const int top = (h - f.capH - f.picH - gap) / 2;
        if (FLayout == TExplorerButtonLayout::blBitmapTop) {
            f.picY = top;
            f.capY = top + f.picH + gap;
        } else {
            f.capY = top;
            f.picY = top + f.capH + gap;
        }
        f.picX = placeX(picW);
        f.capX = placeX(f.capW);
    } else {
        if (picW + gap + f.capW > w - 4)
            f.capW = std::max(0, w - 4 - picW - gap);
        f.picY = (h - f.picH) / 2;
        f.capY = (h - f.capH) / 2;
        const int start = placeX(picW + gap + f.capW);
        if (FLayout == TExplorerButtonLayout::blBitmapLeft) {
            f.picX = start;
            f.capX = start + picW + gap;
        } else {
            f.capX = start;
            f.picX = start + f.capW + gap;
        }
    }
    if (FWordWrap)
        f.capW = std::max(0, std::min(f.capW, w - 5 - f.capX));
    // The mark follows the picture, or the caption when there is none.
    f.markX = f.hasPicture ? f.picX + bmpW : f.capX + f.capW;
    f.markY = f.hasPicture ? f.picY + f.picH / 2 : f.capY + f.capH / 2;
    return f;
}

void TOfficeButton::DrawEdge(QPainter& p, const QRect& r, bool down) const {
    if (!(FOptions & boShowBevel))
        return;
    if (FBevelStyle == TButtonBevelStyle::bsLowered)
        down = !down;
    const QPalette& pal = palette();
    const QColor highlight = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    if (FButtonStyle != TNewButtonStyle::bsNormal) {
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
}

void TOfficeButton::DrawCaption(QPainter& p, const FaceLayout& face, int dx,
                                const QColor& color) const {
    if (!face.showCaption || face.capW <= 0)
        return;
    const int justify = FAlignment & (Qt::AlignLeft | Qt::AlignRight)
                            ? int(FAlignment & (Qt::AlignLeft | Qt::AlignRight))
                            : int(Qt::AlignHCenter);
    const QRect r(face.capX + dx, face.capY + dx, face.capW, face.capH);
    p.setPen(color);
    if (FWordWrap) {
        p.drawText(r, face.textFlags | justify, FCaption);
    } else {
        const QString shown =
            p.fontMetrics().elidedText(FCaption, Qt::ElideRight, face.capW, Qt::TextShowMnemonic);
        p.drawText(r, face.textFlags | justify, shown);
    }
}

void TOfficeButton::DrawContent(QPainter& p, const QRect& r, const FaceLayout& f) const {
    const QPalette& pal = palette();
    const QColor highlight = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor fontColor = pal.color(QPalette::WindowText);
    if (!isEnabled()) {
        if (FDown)
            DrawEdge(p, r, true);
        else if (FButtonStyle != TNewButtonStyle::bsFlat)
            DrawEdge(p, r, false);
        if (f.hasPicture) {
            if (!FDisabledBitmap.isNull()) {
                p.drawImage(f.picX, f.picY, Transparent(FDisabledBitmap));
            } else {
                p.drawImage(f.picX + 1, f.picY + 1, Silhouette(FBitmap, highlight));
                p.drawImage(f.picX, f.picY, Silhouette(FBitmap, shadow));
            }
        }
        DrawCaption(p, f, 1, highlight);
        DrawCaption(p, f, 0, shadow);
        if (f.mark) {
            DrawTriangle(p, f.markX + 4, f.markY + 1, highlight);
            DrawTriangle(p, f.markX + 3, f.markY, shadow);
        }
    } else if ((FPressed && FHot) || FDown) {
        DrawEdge(p, r, true);
        DrawCaption(p, f, FBevelStyle == TButtonBevelStyle::bsRaised ? 1 : 0, fontColor);
        if (f.hasPicture)
            p.drawImage(f.picX + 1, f.picY + 1, Transparent(FBitmap));
        if (f.mark)
            DrawTriangle(p, f.markX + 4, f.markY + 1, fontColor);
    } else {
        if (FHot || FButtonStyle != TNewButtonStyle::bsFlat)
            DrawEdge(p, r, false);
        DrawCaption(p, f, FBevelStyle == TButtonBevelStyle::bsLowered ? 1 : 0,
                    FHot ? fontColor : UnselectedFontColor());
        if (f.hasPicture) {
            const QImage* picture = &FBitmap;
            if ((FOptions & boMonoDisplay) && !FHot)
                picture = FNoFocusBitmap.isNull() ? &FShadedBitmap : &FNoFocusBitmap;
            p.drawImage(f.picX, f.picY, Transparent(*picture));
        }
        if (f.mark)
            DrawTriangle(p, f.markX + 3, f.markY, fontColor);
    }
}

QImage TOfficeButton::Render() const {
    // Drawn at the screen's own pixels: a caption and a picture made for the
    // device pixel ratio stay sharp on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    QImage img(std::max(1, qCeil(width() * ratio)), std::max(1, qCeil(height() * ratio)),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(ratio);
    const QRect bounds(0, 0, std::max(width(), 1), std::max(height(), 1));
    const QPalette& pal = palette();
    const QColor face = pal.color(QPalette::Button);
    QPainter p(&img);
    // A picture made for another ratio (the double-size one at 1.5) is
    // scaled smoothly; at its own ratio it is copied pixel for pixel.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setFont(font());
    p.fillRect(bounds, face);
    if (FDown && FShowDownPattern) {
        const QRect area =
            FButtonStyle == TNewButtonStyle::bsNormal ? bounds.adjusted(2, 2, -2, -2) : bounds;
        p.fillRect(area, QBrush(DownPattern(pal.color(QPalette::Light), face)));
    }
    DrawContent(p, bounds, ArrangeFace(p.fontMetrics()));
    return img;
}

} // namespace tavik
