#include "controls/MarkLB.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QPainter>

namespace tavik {

TMarkListBox::TMarkListBox(QWidget* parent) : TbCustomCheckListBox(parent) {
    // Drops always reach the handlers below; they decide what to take.
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

int TMarkListBox::MarkedCount() const {
    int marked = 0;
    for (int i = 0; i < count(); ++i)
        marked += IsChecked(i);
    return marked;
}

void TMarkListBox::MarkAll(bool value) {
    for (int i = 0; i < count(); ++i)
        SetChecked(i, value);
}

void TMarkListBox::ToggleMark(int index) {
    if (!item(index))
        return;
    SetState(index, GetState(index) == cbChecked ? cbUnchecked : cbChecked);
}

void TMarkListBox::SetAcceptFiles(bool value) {
    FFileDrop.SetAcceptFiles(value);
}

void TMarkListBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) {
    painter.fillRect(rect, ItemBackground(selected));
    const int height = rect.height();
    if (GetState(index) == cbChecked) {
        // A tick of seven one-pixel columns, three pixels tall: falling three
        // rows, then rising four.
        static constexpr int kColumnTop[7] = {1, 2, 3, 2, 1, 0, -1};
        const QColor color = ItemForeground(selected);
        const int x0 = rect.left() + Offset() + 2;
        const int y0 = rect.top() + (height - 11) / 2 + 3;
        for (int i = 0; i < 7; ++i)
            painter.fillRect(x0 + i + 1, y0 + kColumnTop[i], 1, 3, color);
    }
    DrawItemText(painter, index, rect, rect.left() + Offset() + Offset() + 11, selected);
}

void TMarkListBox::keyPressEvent(QKeyEvent* event) {
    const int current = currentRow();
    if (current >= 0) {
        const bool keypad = event->modifiers() & Qt::KeypadModifier;
        if (event->key() == Qt::Key_Insert) {
            ToggleMark(current);
            if (current < count() - 1)
                setCurrentRow(current + 1);
            emit Click();
        } else if (keypad && event->key() == Qt::Key_Plus) {
            MarkAll(true);
        } else if (keypad && event->key() == Qt::Key_Minus) {
            MarkAll(false);
        }
    }
    TbCustomCheckListBox::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags TMarkListBox::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    // The list's own rules would deselect on Ctrl and select nothing over the
    // empty part of the list; here the highlight only ever moves to an item.
    if (!index.isValid() || (event && event->type() == QEvent::MouseButtonRelease))
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect;
}

void TMarkListBox::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    TbCustomCheckListBox::selectionChanged(selected, deselected);
    HighlightCurrent();
}

void TMarkListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    TbCustomCheckListBox::currentChanged(current, previous);
    HighlightCurrent();
}

void TMarkListBox::HighlightCurrent() {
    QItemSelectionModel* selection = selectionModel();
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        if (selection->hasSelection())
            selection->clearSelection();
        return;
    }
    if (selection->selectedIndexes() != QModelIndexList{current})
        selection->select(current, QItemSelectionModel::ClearAndSelect);
}

void TMarkListBox::dragEnterEvent(QDragEnterEvent* event) {
    // A drag that enters and is refused gets no move events, so enter asks
    // the same question as move.
    dragMoveEvent(event);
}

void TMarkListBox::dragMoveEvent(QDragMoveEvent* event) {
    if (FFileDrop.IsFileDrop(event)) {
        event->acceptProposedAction();
        return;
    }
    bool accept = false;
    if (event->source())
        emit DragOver(event->source(), event->position().toPoint(), accept);
    if (accept)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TMarkListBox::dropEvent(QDropEvent* event) {
    if (FFileDrop.IsFileDrop(event)) {
        FFileDrop.Take(event, this);
        return;
    }
    if (event->source()) {
        event->acceptProposedAction();
        emit DragDrop(event->source(), event->position().toPoint());
        return;
    }
    event->ignore();
}

} // namespace tavik
