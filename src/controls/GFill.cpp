#include "controls/GFill.h"

#include <QPaintEvent>
#include <QPainter>

namespace tavik {

namespace {

// numerator / denominator rounded to the nearest integer, halves away from
// zero; denominator > 0.
int RoundDiv(long long numerator, long long denominator) {
    const long long q =
        (2 * (numerator < 0 ? -numerator : numerator) + denominator) / (2 * denominator);
    return static_cast<int>(numerator < 0 ? -q : q);
}

} // namespace

TGradientFill::TGradientFill(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
}

void TGradientFill::SetBeginColor(const QColor& value) {
    if (FBeginColor == value)
        return;
    FBeginColor = value;
    FStrip = QImage();
    update();
}

void TGradientFill::SetEndColor(const QColor& value) {
    if (FEndColor == value)
        return;
    FEndColor = value;
    FStrip = QImage();
    update();
}

void TGradientFill::SetFillDirection(TFillDirection value) {
    if (FFillDirection == value)
        return;
    FFillDirection = value;
    FStrip = QImage();
    update();
}

void TGradientFill::SetNumberOfColors(int value) {
    value = std::clamp(value, 1, 255);
    if (FNumberOfColors == value)
        return;
    FNumberOfColors = value;
    FStrip = QImage();
    update();
}

QImage TGradientFill::Render() const {
    QImage img(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    QPainter p(&img);
    const bool reversed = FFillDirection == TFillDirection::fdBottomToTop ||
                          FFillDirection == TFillDirection::fdRightToLeft;
    const bool vertical = FFillDirection == TFillDirection::fdTopToBottom ||
                          FFillDirection == TFillDirection::fdBottomToTop;
    const QColor first = reversed ? FEndColor : FBeginColor;
    const QColor last = reversed ? FBeginColor : FEndColor;
    const int dr = last.red() - first.red();
    const int dg = last.green() - first.green();
    const int db = last.blue() - first.blue();
    const int n = FNumberOfColors;
    const int length = vertical ? img.height() : img.width();
    for (int i = 0; i < n; ++i) {
        const int from = RoundDiv(1LL * i * length, n);
        const int to = RoundDiv(1LL * (i + 1) * length, n);
        if (to <= from)
            continue;
        QColor band = first;
        if (n > 1)
            band = QColor(first.red() + RoundDiv(1LL * dr * i, n - 1),
                          first.green() + RoundDiv(1LL * dg * i, n - 1),
                          first.blue() + RoundDiv(1LL * db * i, n - 1));
        if (vertical)
            p.fillRect(0, from, img.width(), to - from, band);
        else
            p.fillRect(from, 0, to - from, img.height(), band);
    }
    return img;
}

void TGradientFill::paintEvent(QPaintEvent* event) {
    // A gradient is repainted with the window around it far more often than
    // it changes.
    if (FStrip.size() != QSize(std::max(width(), 1), std::max(height(), 1)))
        FStrip = Render();
    QPainter p(this);
    p.drawImage(event->rect(), FStrip, event->rect());
}

} // namespace tavik
