#pragma once

#include "controls/DropFiles.h"

#include <QListView>
#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <vector>

class QDropEvent;
class QMimeData;

namespace tavik {

class TPicture;
class TBmpListModel;

// The thumbnail list: captioned items in one of three styles (0 large icons
// 32 x 32, 1 small icons 16 x 16, 2 list), multiple selection, in-place
// caption editing. It owns two image lists (32 and 16 pixels) that are only
// ever appended to: the n-th item added since the last ClearItems shows the
// n-th thumbnail of both. Thumbnails are made once, when an item is added, or
// given later for an item added with a placeholder; changing the style only
// switches which list is shown.
//
// An edit of a caption starts by F2 or by a click on the caption of a selected
// item; a click on its thumbnail only selects it.
//
// Items are laid out in one pass, so any item can be scrolled to at once.
//
// Per-item operations ignore indices out of range (getters give an empty
// caption, -1 or false).
//
// Dragging selected items starts a drag whose source is this widget and whose
// data carries DragMimeType(), so a drop target can recognise it. Files
// dropped from the desktop (while AcceptFiles) are reported by DropFiles from
// the event loop, after the drop has returned.
class TBmpListView : public QListView {
    Q_OBJECT
public:
    explicit TBmpListView(QWidget* parent = nullptr);
    ~TBmpListView() override;

    // Appends an item with caption and the two thumbnails of bitmap.
    void AddBitmapItem(const QString& caption, const QImage& bitmap);
    // Appends an item for a picture of any kind; icons and metafiles are drawn
    // at natural size on the background colour first, an empty picture gives
    // thumbnails of the background colour only. On a scaled screen (device
    // pixel ratio above 1) the thumbnails have the screen's pixels
    // (MakeScaledPictureThumbnail).
    void AddPictureItem(const QString& caption, const TPicture& picture);
    // Appends items with captions whose thumbnails are plain background for
    // now; SetThumbnails gives them their pictures later. One insertion for
    // all, so a topic of thousands shows its names at once.
    void AddPlaceholderItems(const QStringList& captions);
    // Puts large and small (32 and 16 pixels square) in the image lists at
    // imageIndex and shows them on the items that use it.
    void SetThumbnails(int imageIndex, QImage large, QImage small);
    // Removes every item and both image lists' images.
    void ClearItems();
    void SelectAll();
    void ClearSelection();
    // The first selected item in item order, or -1.
    int SelectedIndex() const;
    // Drops an open caption edit without applying it, when an item is selected.
    void CancelEditing();
    // Applies an open caption edit as Return would (Edited is emitted when the
    // caption changed) and closes it.
    void CommitEditing();
    // Opens the caption editor of item index holding text, all of it selected.
    void EditCaption(int index, const QString& text);

    int Count() const;
    QString Caption(int index) const;
    void SetCaption(int index, const QString& caption);
    int ImageIndex(int index) const;
    void SetImageIndex(int index, int imageIndex);
    // Removes one item; the image lists keep its thumbnails.
    void DeleteItem(int index);
    bool IsSelected(int index) const;
    void SetSelected(int index, bool selected);
    int SelectedCount() const;
    // The focused (current) item, or -1.
    int FocusedIndex() const;
    void SetFocusedIndex(int index);
    void MakeVisible(int index);
    // Lays the items out again in the default arrangement.
    void Arrange();
    // Nested brackets; the list repaints once at the outermost end.
    void BeginUpdate();
    void EndUpdate();
    // Capacity hint for the number of items about to be added.
    void SetAllocBy(int count);

    // 0 large icons, 1 small icons, 2 list; other values are ignored.
    int ViewStyle() const { return FViewStyle; }
    void SetViewStyle(int style);

    // The image lists.
    int LargeImageCount() const;
    int SmallImageCount() const;
    QImage LargeImage(int imageIndex) const;
    QImage SmallImage(int imageIndex) const;

    // The thumbnails' background: the list's button-face colour.
    QColor BackgroundColor() const;

    bool AcceptFiles() const { return FFileDrop.AcceptFiles(); }
    void SetAcceptFiles(bool value) { FFileDrop.SetAcceptFiles(value); }
    QPoint DropPoint() const { return FFileDrop.Point(); }
    const QStringList& DroppedFiles() const { return FFileDrop.Files(); }

    // MIME type of the drags this list starts; the data is the dragged rows,
    // ascending, as comma-separated decimal numbers.
    static QString DragMimeType();
    // The data of a drag of the selected items; nullptr when none is selected.
    // The caller owns it.
    QMimeData* CreateDragData() const;
    // Whether event is a drag started by a TBmpListView.
    static bool IsItemDrag(const QDropEvent* event);

signals:
    // files is the control's own list: copy it to keep it past the next drop.
    void DropFiles(QObject* sender, QPoint point, const QStringList& files);
    // A caption edit is about to start; clear allowEdit to refuse it.
    void Editing(int index, bool& allowEdit);
    // A caption edit ended with a changed text (an edit left unchanged is not
    // reported); the handler may change text, which then becomes the caption.
    void Edited(int index, QString& text);
    // The selection or the focused item changed.
    void Change();
    // The list received the focus.
    void Enter();
    // A drag of the selected items starts with data (CreateDragData's). A
    // handler may put richer data in its place, keeping DragMimeType()'s
    // bytes, and then deletes the one it replaced; the drag owns the rest.
    void StartDrag(QMimeData*& data);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    // A thumbnail arriving for the item whose caption is being edited
    // repaints it without resetting the text typed so far.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;

private:
    friend class TBmpListDelegate;
    void ApplyViewStyle();
    // Where the caption of the item is drawn, in viewport coordinates.
    QRect CaptionRect(const QModelIndex& index) const;

    TBmpListModel* FModel = nullptr;
    int FViewStyle = 0;
    int FUpdateCount = 0;
    TFileDrop FFileDrop;
    QPointer<QWidget> FEditor;
};

} // namespace tavik
