// The context menus of the two lists, and the gestures that open the view
// window on a picture of the list.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/TavikPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/Texts.h"
#include "mainwin/View.h"
#include "storage/Lists.h"

#include <QMenu>
#include <algorithm>

namespace tavik {
namespace {

// Texts of the menu entries: those of the toolbar's hints and of the windows
// the entries open.
constexpr int kViewText = 17;
constexpr int kImportText = 26;
constexpr int kSelectAllText = 30;
constexpr int kAddText = 53;
constexpr int kDeleteText = 54;
constexpr int kRenameText = 55;
constexpr int kCopyText = 56;
constexpr int kPasteText = 57;
constexpr int kSaveText = 58;
constexpr int kMoveUpText = 59;
constexpr int kMoveDownText = 60;

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

void TMainForm::BmpListViewContextMenu(QPoint point) {
    BmpListView->CancelEditing();
    const int topic = ImageTopic();
    const int image = CurrentImageIndex();
    const int count = BmpListView->Count();
    const bool picture = topic != -1 && image != -1;
    QMenu* menu = NewMenu(this, "ImageListMenu");
    AddMenuCommand(*menu, kViewText, picture, &TMainForm::ViewCurrentImage,
                   QKeySequence(Qt::Key_Return));
    menu->addSeparator();
    AddMenuCommand(*menu, kCopyText, picture && !FPreviewDamaged, &TMainForm::tCopyBtnClick,
                   QKeySequence::Copy);
    AddMenuCommand(*menu, kPasteText, topic != -1, &TMainForm::tPasteBtnClick, QKeySequence::Paste);
    menu->addSeparator();
    AddMenuCommand(*menu, kRenameText, picture, &TMainForm::RenameImageFromDialog);
    AddMenuCommand(*menu, kDeleteText, picture, &TMainForm::DeleteImages,
                   QKeySequence(Qt::Key_Delete));
    AddMenuCommand(*menu, kSaveText, picture, &TMainForm::tSaveBtnClick);
    menu->addSeparator();
    AddMenuCommand(*menu, kMoveUpText, picture && image > 0, &TMainForm::MoveCurrentImageUp);
    AddMenuCommand(*menu, kMoveDownText, picture && image < count - 1,
                   &TMainForm::MoveCurrentImageDown);
    menu->addSeparator();
    AddMenuCommand(*menu, kSelectAllText, count > 0, &TMainForm::SelectAllImages,
                   QKeySequence::SelectAll);
    menu->popup(BmpListView->viewport()->mapToGlobal(point));
}

void TMainForm::TopicListBoxContextMenu(QPoint point) {
    const int topic = CurrentTopic();
    const int count = FTopics->Count();
    QMenu* menu = NewMenu(this, "TopicListMenu");
    AddMenuCommand(*menu, kAddText, true, &TMainForm::AddTopicAtEnd);
    AddMenuCommand(*menu, kRenameText, topic != -1, &TMainForm::RenameTopicFromDialog);
    AddMenuCommand(*menu, kDeleteText, topic != -1, &TMainForm::DeleteTopics,
                   QKeySequence(Qt::Key_Delete));
    menu->addSeparator();
    AddMenuCommand(*menu, kMoveUpText, topic > 0, &TMainForm::MoveCurrentTopicUp);
    AddMenuCommand(*menu, kMoveDownText, topic != -1 && topic < count - 1,
                   &TMainForm::MoveCurrentTopicDown);
    menu->addSeparator();
    AddMenuCommand(*menu, kImportText, true, &TMainForm::ImportBtnClick);
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
