#pragma once

// TnfPanel: a panel with optional inner and outer bevels, a border and a
// centred caption that repaints little when it is resized and reports every
// change of its size through Resize.
//
// With FullRepaint off and no caption, a resize repaints only the strips where
// the bevels and border were and now are; the rest of the contents is kept.

#include <QRegion>
#include <QWidget>

namespace tavik {

enum class TPanelBevel { bvNone, bvLowered, bvRaised };

class TnfPanel : public QWidget {
    Q_OBJECT
public:
    explicit TnfPanel(QWidget* parent = nullptr);

    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool value);
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value);
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel value);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value); // at least 1
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value); // at least 0
    QColor Color() const;           // the palette's button face unless set
    void SetColor(const QColor& value);

    // Border + the width of each bevel present: the frame painted round the
    // contents.
    int FrameWidth() const;
    // What a resize from oldSize to newSize must repaint when the panel
    // keeps its contents: strips FrameWidth() + 1 wide at the old and new
    // right edges when the width changed, and at the old and new bottom
    // edges when the height changed. Empty without a frame.
    QRegion ResizeRegion(QSize oldSize, QSize newSize) const;

signals:
    void Resize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool KeepsContents() const { return !FFullRepaint && FCaption.isEmpty(); }
    void UpdateStaticContents();

    bool FFullRepaint = true;
    QString FCaption;
    TPanelBevel FBevelInner = TPanelBevel::bvNone;
    TPanelBevel FBevelOuter = TPanelBevel::bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    QColor FColor;
};

} // namespace tavik
