#pragma once

// TaSplitter: a thin bar on one side of its parent's area; dragging it with
// the left button resizes the neighbouring control on that side, keeping at
// least TopLeftLimit pixels above/left of the bar and BottomRightLimit pixels
// below/right of it. A line follows the mouse during the drag; Escape cancels.
//
// The control to resize is the first sibling (in child order) whose geometry
// contains the point just outside the bar on its aligned side. If the parent
// has a layout, the new size is applied as that control's fixed width or
// height (so the layout keeps it); otherwise the control's geometry is set
// directly and the bar is moved to stay beside it.

#include <QColor>
#include <QPointer>
#include <QWidget>

namespace tavik {

enum class TSplitterAlign { alNone, alTop, alBottom, alLeft, alRight };

class TaSplitter : public QWidget {
    Q_OBJECT
public:
    explicit TaSplitter(QWidget* parent = nullptr);
    ~TaSplitter() override;

    // Any alignment other than top, bottom, left or right disables dragging.
    TSplitterAlign Align() const { return FAlign; }
    void SetAlign(TSplitterAlign value);
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool value);
    // Fill colour; invalid (the default) means the palette's button face.
    QColor Color() const { return FColor; }
    void SetColor(const QColor& value);

    // Limits are at least 1; smaller values are raised to 1. Setting the limit
    // of the side the resized control lies on (top/left for a top- or
    // left-aligned bar, bottom/right otherwise) also sets its minimum size.
    int TopLeftLimit() const { return FTopLeftLimit; }
    void SetTopLeftLimit(int value);
    int BottomRightLimit() const { return FBottomRightLimit; }
    void SetBottomRightLimit(int value);
    int MinSize() const { return FMinSize; }

    bool Dragging() const { return FControl != nullptr; }
    // The drag line's geometry in parent coordinates (null when not shown).
    QRect LineRect() const;

    QSize sizeHint() const override;

signals:
    // Fired at every end of a drag, also after Escape cancelled it.
    void Moved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Vertical() const; // left or right: the bar stands upright
    QWidget* FindControl() const;
    QWidget* FindOpposite() const;
    int ComputeMaxSize() const;
    void CalcSplitSize(QPoint parentPos);
    void DrawLine();
    void EraseLine();
    void ApplySize();
    void StopSizing();

    TSplitterAlign FAlign = TSplitterAlign::alLeft;
    bool FBeveled = true;
    QColor FColor;
    int FTopLeftLimit = 20;
    int FBottomRightLimit = 20;
    int FMinSize = 20;

    QPointer<QWidget> FControl; // being resized; null when idle
    QPoint FDownPos;            // press position in parent coordinates
    int FSplit = 0;
    int FNewSize = 0;
    int FMaxSize = 0;
    QPointer<QWidget> FLine; // the overlay that shows the drag line
};

} // namespace tavik
