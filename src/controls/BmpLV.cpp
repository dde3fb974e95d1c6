#include "controls/BmpLV.h"

#include "graphics/Picture.h"
#include "graphics/Thumbnail.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <algorithm>

namespace tavik {

namespace {
constexpr int kLargeSize = 32;
constexpr int kSmallSize = 16;
// Width of one cell in the small-icon and list styles; longer captions are
// elided (the full caption is the tool tip).
constexpr int kSmallCellWidth = 160;
} // namespace

// Items (caption, image index) and the two image lists.
class TBmpListModel : public QAbstractListModel {
public:
    struct Item {
        QString caption;
        int image = -1;
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(FItems.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Item& item = FItems[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::ToolTipRole:
            return item.caption;
        case Qt::DecorationRole: {
            const std::vector<QPixmap>& images = FLargeIcons ? FLarge : FSmall;
            if (item.image >= 0 && item.image < static_cast<int>(images.size()))
                return images[static_cast<std::size_t>(item.image)];
            return {};
        }
        default:
            return {};
        }
    }

    bool setData(const QModelIndex& index, const QVariant& value, int role) override {
        if (role != Qt::EditRole || !index.isValid())
            return false;
        SetCaption(index.row(), value.toString());
        return true;
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        if (!index.isValid())
            return Qt::NoItemFlags;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable |
               Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
    }

    void Append(const QString& caption, QImage large, QImage small) {
        // Moved in, a thumbnail of the pixmap's own format becomes the pixmap
        // without a copy.
        FLarge.push_back(QPixmap::fromImage(std::move(large)));
        FSmall.push_back(QPixmap::fromImage(std::move(small)));
        const int row = rowCount();
        beginInsertRows({}, row, row);
        // The item shows the thumbnail just appended. Taking the item count
        // instead would point at an older thumbnail once items were deleted.
        FItems.push_back({caption, static_cast<int>(FLarge.size()) - 1});
        endInsertRows();
    }

    void AppendPlaceholders(const QStringList& captions, const QPixmap& large,
                            const QPixmap& small) {
        if (captions.isEmpty())
            return;
        const int row = rowCount();
        beginInsertRows({}, row, row + static_cast<int>(captions.size()) - 1);
        for (const QString& caption : captions) {
            FLarge.push_back(large);
            FSmall.push_back(small);
            FItems.push_back({caption, static_cast<int>(FLarge.size()) - 1});
        }
        endInsertRows();
    }

    void SetImages(int image, QImage large, QImage small) {
        if (image < 0 || image >= static_cast<int>(FLarge.size()))
            return;
        FLarge[static_cast<std::size_t>(image)] = QPixmap::fromImage(std::move(large));
        FSmall[static_cast<std::size_t>(image)] = QPixmap::fromImage(std::move(small));
        // Until items are deleted or their images exchanged, item n shows
        // image n; otherwise every item is looked at again.
        if (Valid(image) && At(image).image == image)
            emit dataChanged(index(image), index(image), {Qt::DecorationRole});
        else if (!FItems.empty())
            emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole});
    }

    void Clear() {
        beginResetModel();
        FItems.clear();
        FLarge.clear();
        FSmall.clear();
        endResetModel();
    }

    void Remove(int row) {
        beginRemoveRows({}, row, row);
        FItems.erase(FItems.begin() + row);
        endRemoveRows();
    }

    bool Valid(int row) const { return row >= 0 && row < rowCount(); }
    const Item& At(int row) const { return FItems[static_cast<std::size_t>(row)]; }

    void SetCaption(int row, const QString& caption) {
        FItems[static_cast<std::size_t>(row)].caption = caption;
        emit dataChanged(index(row), index(row), {Qt::DisplayRole, Qt::EditRole});
    }

    void SetImage(int row, int image) {
        FItems[static_cast<std::size_t>(row)].image = image;
        emit dataChanged(index(row), index(row), {Qt::DecorationRole});
    }

    void SetLargeIcons(bool large) {
        if (FLargeIcons == large)
            return;
        FLargeIcons = large;
        if (!FItems.empty())
            emit dataChanged(index(0), index(rowCount() - 1), {Qt::DecorationRole});
    }

    void Reserve(int count) {
        const auto n = static_cast<std::size_t>(std::max(0, count));
        FItems.reserve(n);
        FLarge.reserve(n);
        FSmall.reserve(n);
    }

    const std::vector<QPixmap>& Large() const { return FLarge; }
    const std::vector<QPixmap>& Small() const { return FSmall; }

private:
    std::vector<Item> FItems;
    std::vector<QPixmap> FLarge;
    std::vector<QPixmap> FSmall;
    bool FLargeIcons = true;
};

// Gives every item the cell size of the style and reports caption edits.
class TBmpListDelegate : public QStyledItemDelegate {
public:
    explicit TBmpListDelegate(TBmpListView* owner) : QStyledItemDelegate(owner), FOwner(owner) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // One size for all items keeps layout O(1) per item with thousands.
        const QSize grid = FOwner->gridSize();
        return grid.isValid() ? grid : QStyledItemDelegate::sizeHint(option, index);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setFrame(true);
        FOwner->FEditor = editor;
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return QStyledItemDelegate::setModelData(editor, model, index);
        QString text = line->text();
        if (text == index.data(Qt::EditRole).toString())
            return;
        // The handler may remove items; a persistent index follows the item.
        const QPersistentModelIndex item(index);
        emit FOwner->Edited(index.row(), text);
        if (item.isValid())
            model->setData(item, text, Qt::EditRole);
    }

    // The part of option.rect that shows the caption of index.
    QRect CaptionRect(QStyleOptionViewItem option, const QModelIndex& index) const {
        initStyleOption(&option, index);
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return style->subElementRect(QStyle::SE_ItemViewItemText, &option, widget);
    }

private:
    TBmpListView* FOwner;
};

TBmpListView::TBmpListView(QWidget* parent) : QListView(parent) {
    FModel = new TBmpListModel(this);
    setModel(FModel);
    setItemDelegate(new TBmpListDelegate(this));
    setFrameShape(QFrame::NoFrame);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Button));
    setPalette(colours);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    setDefaultDropAction(Qt::MoveAction);
    setUniformItemSizes(true);
    // Laid out in batches, the items past the first batch would have no place
    // until a timer reached them, and could not be scrolled into view. With
    // one size for all items a single pass is quick for thousands of them.
    setLayoutMode(QListView::SinglePass);
    setResizeMode(QListView::Adjust);
    SetAllocBy(200);
    ApplyViewStyle();
}

TBmpListView::~TBmpListView() = default;

void TBmpListView::AddBitmapItem(const QString& caption, const QImage& bitmap) {
    const QColor background = BackgroundColor();
    const qreal ratio = devicePixelRatioF();
    FModel->Append(caption, MakeScaledThumbnail(bitmap, kLargeSize, background, ratio),
                   MakeScaledThumbnail(bitmap, kSmallSize, background, ratio));
}

void TBmpListView::AddPictureItem(const QString& caption, const TPicture& picture) {
    const qreal ratio = devicePixelRatioF();
    if (ratio <= 1) {
        AddBitmapItem(caption, RenderForThumbnail(picture, BackgroundColor()));
        return;
    }
    // On a scaled screen the thumbnails are drawn at its pixels.
    const QColor background = BackgroundColor();
    FModel->Append(caption, MakeScaledPictureThumbnail(picture, kLargeSize, background, ratio),
                   MakeScaledPictureThumbnail(picture, kSmallSize, background, ratio));
}

void TBmpListView::AddPlaceholderItems(const QStringList& captions) {
    const QColor background = BackgroundColor();
    FModel->AppendPlaceholders(captions,
                               QPixmap::fromImage(MakeThumbnail(QImage(), kLargeSize, background)),
                               QPixmap::fromImage(MakeThumbnail(QImage(), kSmallSize, background)));
}

void TBmpListView::SetThumbnails(int imageIndex, QImage large, QImage small) {
    FModel->SetImages(imageIndex, std::move(large), std::move(small));
}

void TBmpListView::ClearItems() {
    BeginUpdate();
    FModel->Clear();
    EndUpdate();
}

void TBmpListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    if (state() == EditingState && roles == QList<int>{Qt::DecorationRole}) {
        viewport()->update();
        return;
    }
    QListView::dataChanged(topLeft, bottomRight, roles);
}

void TBmpListView::SelectAll() {
    selectAll();
}

void TBmpListView::ClearSelection() {
    clearSelection();
}

int TBmpListView::SelectedIndex() const {
    int first = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        if (first < 0 || range.top() < first)
            first = range.top();
    return first;
}

void TBmpListView::CancelEditing() {
    if (FEditor && SelectedIndex() >= 0)
        closeEditor(FEditor, QAbstractItemDelegate::RevertModelCache);
}

void TBmpListView::CommitEditing() {
    if (FEditor) {
        commitData(FEditor);
        closeEditor(FEditor, QAbstractItemDelegate::NoHint);
    }
}

void TBmpListView::EditCaption(int index, const QString& text) {
    if (!FModel->Valid(index))
        return;
    const QModelIndex item = FModel->index(index);
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
    QAbstractItemView::edit(item);
    if (auto* line = qobject_cast<QLineEdit*>(FEditor.data())) {
        line->setText(text);
        line->selectAll();
    }
}

int TBmpListView::Count() const {
    return FModel->rowCount();
}

QString TBmpListView::Caption(int index) const {
    return FModel->Valid(index) ? FModel->At(index).caption : QString();
}

void TBmpListView::SetCaption(int index, const QString& caption) {
    if (FModel->Valid(index))
        FModel->SetCaption(index, caption);
}

int TBmpListView::ImageIndex(int index) const {
    return FModel->Valid(index) ? FModel->At(index).image : -1;
}

void TBmpListView::SetImageIndex(int index, int imageIndex) {
    if (FModel->Valid(index))
        FModel->SetImage(index, imageIndex);
}

void TBmpListView::DeleteItem(int index) {
    if (FModel->Valid(index))
        FModel->Remove(index);
}

bool TBmpListView::IsSelected(int index) const {
    return FModel->Valid(index) && selectionModel()->isSelected(FModel->index(index));
}

void TBmpListView::SetSelected(int index, bool selected) {
    if (FModel->Valid(index))
        selectionModel()->select(FModel->index(index), selected ? QItemSelectionModel::Select
                                                                : QItemSelectionModel::Deselect);
}

int TBmpListView::SelectedCount() const {
    return static_cast<int>(selectionModel()->selectedIndexes().size());
}

int TBmpListView::FocusedIndex() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TBmpListView::SetFocusedIndex(int index) {
    if (FModel->Valid(index))
        selectionModel()->setCurrentIndex(FModel->index(index), QItemSelectionModel::NoUpdate);
}

void TBmpListView::MakeVisible(int index) {
    if (FModel->Valid(index))
        scrollTo(FModel->index(index));
}

void TBmpListView::Arrange() {
    scheduleDelayedItemsLayout();
}

void TBmpListView::BeginUpdate() {
    if (FUpdateCount++ == 0)
        setUpdatesEnabled(false);
}

void TBmpListView::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        setUpdatesEnabled(true);
}

void TBmpListView::SetAllocBy(int count) {
    FModel->Reserve(count);
}

void TBmpListView::SetViewStyle(int style) {
    if (style < 0 || style > 2 || style == FViewStyle)
        return;
    FViewStyle = style;
    ApplyViewStyle();
}

void TBmpListView::ApplyViewStyle() {
    const QFontMetrics metrics(font());
    if (FViewStyle == 0) {
        setViewMode(QListView::IconMode);
        setMovement(QListView::Static);
        // The view mode keeps a flow set by an earlier style; large icons run
        // across in rows.
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setIconSize(QSize(kLargeSize, kLargeSize));
        setWordWrap(true);
        // Room for the icon and two lines of caption.
        setGridSize(QSize(std::max(76, 6 * metrics.averageCharWidth() + 24),
                          kLargeSize + 8 + 2 * metrics.lineSpacing()));
    } else {
        setViewMode(QListView::ListMode);
        setMovement(QListView::Static);
        setIconSize(QSize(kSmallSize, kSmallSize));
        setWordWrap(false);
        setFlow(FViewStyle == 1 ? QListView::LeftToRight : QListView::TopToBottom);
        setWrapping(true);
        setGridSize(QSize(kSmallCellWidth, std::max(kSmallSize, metrics.height()) + 2));
    }
    setTextElideMode(Qt::ElideRight);
    // A static layout switches dragging and dropping off; the list starts
    // drags of its items and takes files from the desktop, so switch them on
    // again. Drops reach the viewport only when it takes them itself.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    viewport()->setAcceptDrops(true);
    FModel->SetLargeIcons(FViewStyle == 0);
    scheduleDelayedItemsLayout();
}

int TBmpListView::LargeImageCount() const {
    return static_cast<int>(FModel->Large().size());
}

int TBmpListView::SmallImageCount() const {
    return static_cast<int>(FModel->Small().size());
}

QImage TBmpListView::LargeImage(int imageIndex) const {
    if (imageIndex < 0 || imageIndex >= LargeImageCount())
        return {};
    return FModel->Large()[static_cast<std::size_t>(imageIndex)].toImage();
}

QImage TBmpListView::SmallImage(int imageIndex) const {
    if (imageIndex < 0 || imageIndex >= SmallImageCount())
        return {};
    return FModel->Small()[static_cast<std::size_t>(imageIndex)].toImage();
}

QColor TBmpListView::BackgroundColor() const {
    return palette().color(QPalette::Base);
}

QString TBmpListView::DragMimeType() {
    return QStringLiteral("application/x-tavik-image-items");
}

bool TBmpListView::IsItemDrag(const QDropEvent* event) {
    return qobject_cast<const TBmpListView*>(event->source()) &&
           event->mimeData()->hasFormat(DragMimeType());
}

QRect TBmpListView::CaptionRect(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return static_cast<const TBmpListDelegate*>(itemDelegate())->CaptionRect(option, index);
}

bool TBmpListView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (trigger == SelectedClicked && event && event->type() == QEvent::MouseButtonRelease) {
        const QPoint point = static_cast<const QMouseEvent*>(event)->position().toPoint();
        if (!CaptionRect(index).contains(point))
            return false;
    }
    if (index.isValid() && (trigger & editTriggers()) && state() != EditingState) {
        bool allowEdit = true;
        emit Editing(index.row(), allowEdit);
        if (!allowEdit)
            return false;
    }
    return QListView::edit(index, trigger, event);
}

QMimeData* TBmpListView::CreateDragData() const {
    QModelIndexList rows = selectedIndexes();
    if (rows.isEmpty())
        return nullptr;
    std::sort(rows.begin(), rows.end());
    QStringList numbers;
    for (const QModelIndex& row : rows)
        numbers << QString::number(row.row());
    auto* mime = new QMimeData;
    mime->setData(DragMimeType(), numbers.join(QLatin1Char(',')).toLatin1());
    return mime;
}

void TBmpListView::startDrag(Qt::DropActions supportedActions) {
    QMimeData* mime = CreateDragData();
    if (!mime)
        return;
    emit StartDrag(mime);
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    const QModelIndex shown = currentIndex().isValid() ? currentIndex() : selectedIndexes().first();
    const QVariant thumbnail = FModel->data(shown, Qt::DecorationRole);
    if (thumbnail.canConvert<QPixmap>())
        drag->setPixmap(thumbnail.value<QPixmap>());
    // The receiver moves the pictures itself; this list is refreshed by it.
    drag->exec(supportedActions, Qt::MoveAction);
}

void TBmpListView::dragEnterEvent(QDragEnterEvent* event) {
    dragMoveEvent(event);
}

void TBmpListView::dragMoveEvent(QDragMoveEvent* event) {
    // Only files from the desktop are taken; items never move inside the list.
    if (FFileDrop.IsFileDrop(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TBmpListView::dropEvent(QDropEvent* event) {
    if (!FFileDrop.IsFileDrop(event)) {
        event->ignore();
        return;
    }
    FFileDrop.Take(event, this);
}

void TBmpListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    emit Enter();
}

void TBmpListView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    QListView::selectionChanged(selected, deselected);
    emit Change();
}

void TBmpListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    emit Change();
}

} // namespace tavik
