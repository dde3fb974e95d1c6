#include "controls/CheckLB.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>

namespace tavik {

namespace {
// Item states live in the item's own data, so they follow it when items move.
constexpr int kStateRole = Qt::UserRole + 0x7C1;
constexpr int kSystemBoxSize = 13;
} // namespace

// Hands painting and row sizes over to the list box.
class TCheckListDelegate : public QStyledItemDelegate {
public:
    explicit TCheckListDelegate(TbCustomCheckListBox* owner)
        : QStyledItemDelegate(owner), FOwner(owner) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        if (FOwner->FDrawItem)
            FOwner->FDrawItem(*painter, index.row(), option.rect, selected);
        else
            FOwner->DrawItem(*painter, index.row(), option.rect, selected);
        painter->restore();
        if ((option.state & QStyle::State_HasFocus) && FOwner->hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(FOwner);
            focus.rect = option.rect;
            focus.backgroundColor = FOwner->ItemBackground(selected);
            FOwner->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, FOwner);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const int textWidth = option.fontMetrics.horizontalAdvance(index.data().toString());
        return {2 * FOwner->Offset() + FOwner->ItemHeight() + textWidth, FOwner->ItemHeight()};
    }

private:
    TbCustomCheckListBox* FOwner;
};

TbCustomCheckListBox::TbCustomCheckListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TCheckListDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    UpdateItemHeight();
}

void TbCustomCheckListBox::EnsureItemState(int index) {
    QListWidgetItem* it = item(index);
    if (it && !it->data(kStateRole).isValid())
        it->setData(kStateRole, int(cbUnchecked));
}

bool TbCustomCheckListBox::IsChecked(int index) const {
    return GetState(index) == cbChecked;
}

void TbCustomCheckListBox::SetChecked(int index, bool value) {
    if (!item(index) || IsChecked(index) == value)
        return;
    SetStoredState(index, value ? cbChecked : cbUnchecked);
    InvalidateCheck(index);
}

TCheckState TbCustomCheckListBox::GetState(int index) const {
    const QListWidgetItem* it = item(index);
    if (!it)
        return cbUnchecked;
    const int state = it->data(kStateRole).toInt();
    return state == cbChecked || state == cbGrayed ? TCheckState(state) : cbUnchecked;
}

void TbCustomCheckListBox::SetState(int index, TCheckState state) {
    if (!item(index) || GetState(index) == state)
        return;
    SetStoredState(index, state);
    InvalidateCheck(index);
}

void TbCustomCheckListBox::SetStoredState(int index, TCheckState state) {
    // Writing the role would repaint the whole row; InvalidateCheck repaints
    // only the box, so the model is told nothing.
    const QSignalBlocker blocker(model());
    item(index)->setData(kStateRole, int(state));
}

void TbCustomCheckListBox::InvalidateCheck(int index) {
    QListWidgetItem* it = item(index);
    if (!it)
        return;
    const QRect rect = visualItemRect(it);
    viewport()->update(QRect(rect.left() + FOffset, rect.top(), FItemHeight, rect.height()));
}

void TbCustomCheckListBox::SetFlat(bool value) {
    if (FFlat == value)
        return;
    FFlat = value;
    viewport()->update();
}

void TbCustomCheckListBox::SetFixedSize(bool value) {
    if (FFixedSize == value)
        return;
    FFixedSize = value;
    UpdateItemHeight();
}

void TbCustomCheckListBox::SetOffset(int value) {
    if (FOffset == value)
        return;
    FOffset = value;
    viewport()->update();
}

void TbCustomCheckListBox::SetBmpChecked(const QImage& image) {
    FBmpChecked = image;
    UpdateItemHeight();
}

void TbCustomCheckListBox::SetBmpGrayed(const QImage& image) {
    FBmpGrayed = image;
    UpdateItemHeight();
}

void TbCustomCheckListBox::SetBmpUnchecked(const QImage& image) {
    FBmpUnchecked = image;
    UpdateItemHeight();
}

void TbCustomCheckListBox::SetItemHeight(int height) {
    if (height < 1 || height == FItemHeight)
        return;
    FItemHeight = height;
    // Rows are cached at one uniform size; switching it off and on drops the
    // cached size.
    setUniformItemSizes(false);
    setUniformItemSizes(true);
    scheduleDelayedItemsLayout();
    viewport()->update();
}

void TbCustomCheckListBox::SetDrawItemHandler(DrawItemHandler handler) {
    FDrawItem = std::move(handler);
    viewport()->update();
}

bool TbCustomCheckListBox::AllBitmaps() const {
    return !FBmpChecked.isNull() && !FBmpGrayed.isNull() && !FBmpUnchecked.isNull();
}

void TbCustomCheckListBox::UpdateItemHeight() {
    int height = QFontMetrics(font()).height();
    if (AllBitmaps())
        height = std::max(height, FBmpChecked.height() + 2);
    else if (FFixedSize)
        height = std::max(height, 15);
    SetItemHeight(height);
    viewport()->update();
}

QColor TbCustomCheckListBox::ItemBackground(bool selected) const {
    return palette().color(selected ? QPalette::Highlight : QPalette::Base);
}

QColor TbCustomCheckListBox::ItemForeground(bool selected) const {
    return palette().color(selected ? QPalette::HighlightedText : QPalette::Text);
}

void TbCustomCheckListBox::DrawItemText(QPainter& painter, int index, const QRect& rect, int x,
                                        bool selected) const {
    const QFontMetrics metrics(font());
    const int y = rect.top() + (rect.height() - metrics.height()) / 2;
    painter.save();
    painter.setClipRect(QRect(x, rect.top(), rect.right() - x + 1, rect.height()));
    painter.setFont(font());
    painter.setPen(ItemForeground(selected));
    painter.drawText(x, y + metrics.ascent(), item(index)->text());
    painter.restore();
}

void TbCustomCheckListBox::DrawItem(QPainter& painter, int index, const QRect& rect,
                                    bool selected) {
    painter.fillRect(rect, ItemBackground(selected));
    const TCheckState state = GetState(index);
    const int height = rect.height();
    int textX = 0;
    if (AllBitmaps()) {
        const QImage& bitmap = state == cbChecked  ? FBmpChecked
                               : state == cbGrayed ? FBmpGrayed
                                                   : FBmpUnchecked;
        painter.drawImage(rect.left() + FOffset, rect.top() + (height - bitmap.height()) / 2,
                          bitmap);
        textX = rect.left() + FOffset + bitmap.width() + FOffset;
    } else {
        const QRect box =
            FFixedSize ? QRect(rect.left() + FOffset, rect.top() + (height - kSystemBoxSize) / 2,
                               kSystemBoxSize, kSystemBoxSize)
                       : QRect(rect.left() + FOffset, rect.top() + 1, height - 2, height - 2);
        DrawSystemBox(painter, box, state);
        textX = box.left() + box.width() + FOffset;
    }
    DrawItemText(painter, index, rect, textX, selected);
}

void TbCustomCheckListBox::DrawSystemBox(QPainter& painter, const QRect& box,
                                         TCheckState state) const {
    if (FFlat) {
        // A flat box: one-pixel frame, the mark dimmed for the grayed state.
        painter.fillRect(box, palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (state != cbUnchecked) {
            QPen pen(palette().color(state == cbGrayed ? QPalette::Dark : QPalette::Text));
            pen.setWidth(2);
            painter.setPen(pen);
            const QRectF r = QRectF(box).adjusted(3, 3, -3, -3);
            painter.drawPolyline(QPolygonF({QPointF(r.left(), r.center().y()),
                                            QPointF(r.left() + r.width() * 0.4, r.bottom()),
                                            QPointF(r.right(), r.top())}));
        }
        return;
    }
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = box;
    option.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    option.state |= state == cbUnchecked ? QStyle::State_Off : QStyle::State_On;
    if (state == cbGrayed) {
        // Checked but dimmed, as a three-state box shows its third state.
        option.state &= ~QStyle::State_Enabled;
        option.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &painter, this);
}

void TbCustomCheckListBox::AdvanceState(int index) {
    if (!item(index))
        return;
    switch (GetState(index)) {
    case cbUnchecked:
        SetStoredState(index, FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetStoredState(index, cbUnchecked);
        break;
    case cbGrayed:
        SetStoredState(index, cbChecked);
        break;
    }
    InvalidateCheck(index);
}

void TbCustomCheckListBox::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        UpdateItemHeight();
}

void TbCustomCheckListBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && currentRow() >= 0)
        AdvanceState(currentRow());
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before)
        emit Click();
}

void TbCustomCheckListBox::mousePressEvent(QMouseEvent* event) {
    const int row = indexAt(event->position().toPoint()).row();
    if (event->button() == Qt::LeftButton && row >= 0) {
        const QRect rect = visualItemRect(item(row));
        const int x = event->position().toPoint().x();
        if (x >= rect.left() + FOffset && x < rect.left() + FOffset + FItemHeight - 2)
            AdvanceState(row);
    }
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && row >= 0)
        emit Click();
}

} // namespace tavik
