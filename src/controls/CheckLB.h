#pragma once

#include <QImage>
#include <QListWidget>
#include <cstdint>
#include <functional>

namespace tavik {

// Check state of an item.
enum TCheckState : std::uint8_t { cbUnchecked = 0, cbChecked = 1, cbGrayed = 2 };

// A list box whose items each carry a three-way check state, drawn as a check
// box in front of the text. Rows have one fixed height (ItemHeight). Per-item
// operations ignore indices out of range (getters give false / cbUnchecked).
//
// Mouse: a left press inside the box area of an item, [left + Offset,
// left + Offset + ItemHeight - 2), advances its state; Space advances the
// state of the current item. Advancing: unchecked -> checked (grayed when
// AllowGrayed), checked -> unchecked, grayed -> checked.
class TbCustomCheckListBox : public QListWidget {
    Q_OBJECT
public:
    // Draws one item instead of the built-in drawing.
    using DrawItemHandler =
        std::function<void(QPainter& painter, int index, const QRect& rect, bool selected)>;

    explicit TbCustomCheckListBox(QWidget* parent = nullptr);

    void EnsureItemState(int index);
    bool IsChecked(int index) const;
    // Setting an unchanged value does nothing; otherwise repaints the box.
    void SetChecked(int index, bool value);
    TCheckState GetState(int index) const;
    void SetState(int index, TCheckState state);
    // Repaints the box area of an item: Offset to Offset + ItemHeight.
    virtual void InvalidateCheck(int index);

    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool value) { FAllowGrayed = value; }
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    // When true the drawn box is 13 x 13 and rows are at least 15 high;
    // otherwise the box fills the row height.
    bool FixedSize() const { return FFixedSize; }
    void SetFixedSize(bool value);
    // Pixels before the box and between the box and the text.
    int Offset() const { return FOffset; }
    void SetOffset(int value);

    // When all three are non-null they replace the drawn check box.
    const QImage& BmpChecked() const { return FBmpChecked; }
    const QImage& BmpGrayed() const { return FBmpGrayed; }
    const QImage& BmpUnchecked() const { return FBmpUnchecked; }
    void SetBmpChecked(const QImage& image);
    void SetBmpGrayed(const QImage& image);
    void SetBmpUnchecked(const QImage& image);

    // Recomputed from the font on every font change, FixedSize change and
    // bitmap change; SetItemHeight overrides it until then.
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int height);

    void SetDrawItemHandler(DrawItemHandler handler);

signals:
    // The user made an item current, by mouse or keyboard.
    void Click();

protected:
    // Draws an item (background, box, text) into rect.
    virtual void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected);
    // Background and text colours of a row.
    QColor ItemBackground(bool selected) const;
    QColor ItemForeground(bool selected) const;
    // Draws the text of an item starting at x, vertically centred, clipped.
    void DrawItemText(QPainter& painter, int index, const QRect& rect, int x, bool selected) const;
    void AdvanceState(int index);
    bool AllBitmaps() const;
    void UpdateItemHeight();

    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class TCheckListDelegate;
    void SetStoredState(int index, TCheckState state);
    void DrawSystemBox(QPainter& painter, const QRect& box, TCheckState state) const;

    bool FAllowGrayed = false;
    bool FFlat = false;
    bool FFixedSize = true;
    int FOffset = 4;
    int FItemHeight = 15;
    QImage FBmpChecked;
    QImage FBmpGrayed;
    QImage FBmpUnchecked;
    DrawItemHandler FDrawItem;
};

// The published form of the check list box (the topic chooser of the import).
class TbCheckListBox : public TbCustomCheckListBox {
    Q_OBJECT
public:
    using TbCustomCheckListBox::TbCustomCheckListBox;
};

} // namespace tavik
