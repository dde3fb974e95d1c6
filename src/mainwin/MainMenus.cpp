// The context menus of the two lists, and the gestures that open the view
// window on a picture of the list.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/TavikPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "mainwin/View.h"
#include "storage/Lists.h"

#include <QMenu>
#include <algorithm>

namespace tavik {
namespace {

QMenu* NewMenu(QWidget* parent, const char* name) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(name);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    return menu;
}

} // namespace

void TMainForm::ConnectMenus() {
    TopicListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    BmpListView->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject* context = &FCommandContext;
    connect(TopicListBox, &QWidget::customContextMenuRequested, context,
            [this](QPoint point) { RunCommand([&] { TopicListBoxContextMenu(point); }); });
    connect(BmpListView, &QWidget::customContextMenuRequested, context,
            [this](QPoint point) { RunCommand([&] { BmpListViewContextMenu(point); }); });
    connect(BmpListView, &QAbstractItemView::doubleClicked, context,
            [this](const QModelIndex& index) { RunCommand([&] { ViewImage(index.row()); }); });
    // A caption edit that the double click's first click started in the
    // background must not open under the view window.
    connect(BmpListView, &TBmpListView::Editing, context, [this](int, bool& allowEdit) {
        if (FViewForm && FViewForm->isVisible())
            allowEdit = false;
    });
}

QAction* TMainForm::AddMenuCommand(QMenu& menu, int text, bool enabled,
                                   void (TMainForm::*command)(), const QKeySequence& keys) {
    QAction* action = menu.addAction(LoadText(text));
    action->setEnabled(enabled);
    // The keys are shown as a reminder; the lists handle them themselves.
    action->setShortcut(keys);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, &FCommandContext,
            [this, command] { RunCommand([&] { (this->*command)(); }); });
    return action;
}

// The history's own actions: their texts name the change they take back.
void TMainForm::AddHistoryCommands(QMenu& menu) {
    menu.addAction(UndoAction());
    menu.addAction(RedoAction());
    menu.addSeparator();
}

void TMainForm::BmpListViewContextMenu(QPoint point) {
    BmpListView->CancelEditing();
    const int topic = ImageTopic();
    const int image = CurrentImageIndex();
    const int count = BmpListView->Count();
    // A search result is a picture too, but of no topic shown to add to or
    // reorder.
    const bool picture = topic != -1 && image != -1;
    const bool listed = ListedPicture(image).has_value();
    QMenu* menu = NewMenu(this, "ImageListMenu");
    AddHistoryCommands(*menu);
    AddMenuCommand(*menu, kTextViewCaption, picture, &TMainForm::ViewCurrentImage,
                   QKeySequence(Qt::Key_Return));
    menu->addSeparator();
    AddMenuCommand(*menu, kTextCopyHint, listed && !FPreviewDamaged, &TMainForm::tCopyBtnClick,
                   QKeySequence::Copy);
    AddMenuCommand(*menu, kTextPasteHint, topic != -1, &TMainForm::tPasteBtnClick,
                   QKeySequence::Paste);
    menu->addSeparator();
    AddMenuCommand(*menu, kTextRenameHint, listed, &TMainForm::RenameImageFromDialog);
    AddMenuCommand(*menu, kTextDeleteHint, listed, &TMainForm::DeleteImages,
                   QKeySequence(Qt::Key_Delete));
    AddMenuCommand(*menu, kTextSaveImageHint, listed, &TMainForm::tSaveBtnClick);
    menu->addSeparator();
    AddMenuCommand(*menu, kTextMoveUpHint, picture && image > 0, &TMainForm::MoveCurrentImageUp);
    AddMenuCommand(*menu, kTextMoveDownHint, picture && image < count - 1,
                   &TMainForm::MoveCurrentImageDown);
    menu->addSeparator();
    AddMenuCommand(*menu, kTextSelectAll, count > 0, &TMainForm::SelectAllImages,
                   QKeySequence::SelectAll);
    menu->popup(BmpListView->viewport()->mapToGlobal(point));
}

void TMainForm::TopicListBoxContextMenu(QPoint point) {
    const int topic = CurrentTopic();
    const int count = FTopics->Count();
    QMenu* menu = NewMenu(this, "TopicListMenu");
    AddHistoryCommands(*menu);
    AddMenuCommand(*menu, kTextAddHint, true, &TMainForm::AddTopicAtEnd);
    AddMenuCommand(*menu, kTextRenameHint, topic != -1, &TMainForm::RenameTopicFromDialog);
    AddMenuCommand(*menu, kTextDeleteHint, topic != -1, &TMainForm::DeleteTopics,
                   QKeySequence(Qt::Key_Delete));
    menu->addSeparator();
    AddMenuCommand(*menu, kTextMoveUpHint, topic > 0, &TMainForm::MoveCurrentTopicUp);
    AddMenuCommand(*menu, kTextMoveDownHint, topic != -1 && topic < count - 1,
                   &TMainForm::MoveCurrentTopicDown);
    menu->addSeparator();
    AddMenuCommand(*menu, kTextImportHint, true, &TMainForm::ImportBtnClick);
    menu->popup(TopicListBox->viewport()->mapToGlobal(point));
}

void TMainForm::AddTopicAtEnd() {
    AddTopicFromDialog(false);
}

void TMainForm::MoveCurrentTopicUp() {
    MoveTopic(CurrentTopic(), true);
}

void TMainForm::MoveCurrentTopicDown() {
    MoveTopic(CurrentTopic(), false);
}

void TMainForm::MoveCurrentImageUp() {
    MoveImage(ImageTopic(), CurrentImageIndex(), true);
}

void TMainForm::MoveCurrentImageDown() {
    MoveImage(ImageTopic(), CurrentImageIndex(), false);
}

void TMainForm::SelectAllImages() {
    BmpListView->SelectAll();
}

void TMainForm::ViewCurrentImage() {
    ViewImage(CurrentImageIndex());
}

void TMainForm::OpenViewFromPreview() {
    // The preview shows the current picture: the view window can then step
    // through the topic from it.
    if (!FPreviewDamaged && ImageTopic() != -1 && CurrentImageIndex() != -1)
        ViewImage(CurrentImageIndex());
    else
        ShowViewWindow(PreviewImage->Picture());
}

void TMainForm::ViewImage(int index) {
    const int topic = ImageTopic();
    if (!FViewForm || topic == -1 || index < 0 || index >= BmpListView->Count() ||
        index >= FTopics->Topics(topic).Bmps.Count())
        return;
    BmpListView->CancelEditing();
    const int count = std::min(BmpListView->Count(), FTopics->Topics(topic).Bmps.Count());
    const int shown = FViewForm->ShowPictures(count, index, [this, topic](int i) {
        TTavikPicture picture;
        picture.LoadFromCatalog(DataFileName(), FTopics->Image(topic, i).Position);
        return TPicture(picture);
    });
    // The list follows the view window to the picture looked at last.
    if (shown != index && shown >= 0 && shown < BmpListView->Count()) {
        BmpListView->ClearSelection();
        BmpListView->SetSelected(shown, true);
        BmpListView->SetFocusedIndex(shown);
        RevealImage(shown);
    }
}

} // namespace tavik
