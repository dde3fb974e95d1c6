#pragma once

// TGradientFill: a strip of colour bands running from one colour to another,
// painted into an off-screen image that is kept until the strip's size or
// colours change.

#include <QColor>
#include <QImage>
#include <QWidget>

namespace tavik {

enum class TFillDirection { fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft };

class TGradientFill : public QWidget {
    Q_OBJECT
public:
    explicit TGradientFill(QWidget* parent = nullptr);

    QColor BeginColor() const { return FBeginColor; }
    void SetBeginColor(const QColor& value);
    QColor EndColor() const { return FEndColor; }
    void SetEndColor(const QColor& value);
    TFillDirection FillDirection() const { return FFillDirection; }
    void SetFillDirection(TFillDirection value);
    // 1 to 255; other values are brought into that range.
    int NumberOfColors() const { return FNumberOfColors; }
    void SetNumberOfColors(int value);

    // The strip at its current size. Band i of N covers i * size / N up to
    // (i + 1) * size / N along the direction, both rounded, so on a strip
    // shorter than N some bands are empty. The first band has the begin
    // colour (the end colour for bottom-to-top and right-to-left) and the last
    // band the other one exactly; with N = 1 the whole strip has the first.
    QImage Render() const;

    QSize sizeHint() const override { return {105, 105}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor FBeginColor = QColor(0, 0, 255);
    QColor FEndColor = QColor(0, 0, 0);
    TFillDirection FFillDirection = TFillDirection::fdTopToBottom;
    int FNumberOfColors = 32;
    QImage FStrip; // Render() as painted last; null once a setter changed the look
};

} // namespace tavik
