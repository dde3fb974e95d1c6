#pragma once

#include "controls/CheckLB.h"
#include "controls/DropFiles.h"

#include <QPoint>
#include <QStringList>

namespace tavik {

// The topic list: an item's mark is its checked state, drawn as a small tick.
// Marks are independent of the current item.
//
// The highlight always shows the current item: no gesture highlights another
// item or clears the highlight while an item is current (a Ctrl+click, a drag
// below the last row), and making an item current highlights it.
//
// Keys with a current item: Insert toggles its mark, moves down one item
// (unless on the last) and emits Click; keypad + marks all items, keypad -
// unmarks all.
//
// Files dropped from the desktop (while AcceptFiles) are kept with the drop
// point and reported by DropFiles from the event loop, after the drop has
// returned, so its handler may open modal dialogs. Drags that come from a
// widget of this program are offered through DragOver and DragDrop.
class TMarkListBox : public TbCustomCheckListBox {
    Q_OBJECT
public:
    explicit TMarkListBox(QWidget* parent = nullptr);

    int MarkedCount() const;
    void MarkAll(bool value);
    // 0 -> 1, 1 -> 0, 2 -> 1.
    void ToggleMark(int index);

    bool AcceptFiles() const { return FFileDrop.AcceptFiles(); }
    void SetAcceptFiles(bool value);

    // The last drop; valid until the next one.
    QPoint DropPoint() const { return FFileDrop.Point(); }
    const QStringList& DroppedFiles() const { return FFileDrop.Files(); }

signals:
    // files is the control's own list: copy it to keep it past the next drop.
    void DropFiles(QObject* sender, QPoint point, const QStringList& files);
    // A drag from source (a widget of this program) is over point, in viewport
    // coordinates; set accept to take it. accept starts false.
    void DragOver(QObject* source, QPoint point, bool& accept);
    // An accepted drag from source was dropped at point.
    void DragDrop(QObject* source, QPoint point);

protected:
    void DrawItem(QPainter& painter, int index, const QRect& rect, bool selected) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void HighlightCurrent();

    TFileDrop FFileDrop;
};

} // namespace tavik
