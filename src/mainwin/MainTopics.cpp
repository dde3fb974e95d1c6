// The topic list and the commands on topics.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/MessDlgs.h"
#include "controls/explbtn.h"
#include "mainwin/MainSearch.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "mainwin/TopicCommands.h"
#include "storage/Lists.h"

#include <QKeyEvent>
#include <algorithm>

namespace tavik {

int TMainForm::CurrentTopic() const {
    return TopicListBox->currentRow();
}

void TMainForm::SelectTopic(int index) {
    TopicListBox->setCurrentRow(index);
}

int TMainForm::TopicAt(QPoint point) const {
    const QListWidgetItem* item = TopicListBox->itemAt(point);
    return item ? TopicListBox->row(item) : -1;
}

void TMainForm::FillTopicList() {
    TopicListBox->setUpdatesEnabled(false);
    const QSignalBlocker blocker(TopicListBox);
    TopicListBox->clear();
    for (int i = 0; i < FTopics->Count(); ++i)
        TopicListBox->addItem(NameText(FTopics->Topics(i).Name));
    TopicListBox->setUpdatesEnabled(true);
    TopicBtn->SetCaption(FormatText(LoadText(kTextTopicsCaption), {TopicListBox->count()}));
}

void TMainForm::TopicListBoxClick() {
    // Connected to every change of the list's current row, whatever made it
    // (a press, a drag, a right click, a key), so the pictures shown are
    // always the current topic's.
    const int index = CurrentTopic();
    if (index == FShownTopic)
        return;
    FShownTopic = index;
    FillImageList();
    ShowPreview();
}

void TMainForm::ShowTopic(int index) {
    // Set first, so the list's change of current row finds nothing to do.
    FShownTopic = index;
    SelectTopic(index);
    FillImageList();
    ShowPreview();
}

void TMainForm::AddTopic(const QString& name, bool insert) {
    const TViewState before = CaptureView();
    auto topic = std::make_unique<TTopic>(NameBytes(name));
    const int current = CurrentTopic();
    // Without a current topic there is no place to insert at: the new topic
    // is appended, as without Ctrl.
    const bool inserting = insert && current >= 0;
    if (inserting)
        FTopics->Insert(current, std::move(topic));
    else
        FTopics->Add(std::move(topic));
    FillTopicList();
    ShowTopic(inserting ? current : FTopics->Count() - 1);
    SetListChanged(true);
    FHistory->Record(std::make_unique<TAddTopicCommand>(*this, before, CurrentTopic()));
}

void TMainForm::RenameTopic(int index, const QString& name) {
    auto change = std::make_unique<TRenameTopicCommand>(*this, CaptureView(), index);
    FTopics->Topics(index).Name = NameBytes(name);
    TopicListBox->item(index)->setText(NameText(FTopics->Topics(index).Name));
    SelectTopic(index);
    SetListChanged(true);
    FHistory->Record(std::move(change));
}

void TMainForm::MoveTopic(int index, bool up) {
    if (index == -1)
        return;
    const int other = up ? index - 1 : index + 1;
    std::unique_ptr<TMoveTopicCommand> change;
    if (other >= 0 && other < FTopics->Count()) {
        change = std::make_unique<TMoveTopicCommand>(*this, CaptureView(), index, other);
        FTopics->Move(index, other);
        const QSignalBlocker blocker(TopicListBox);
        QListWidgetItem* item = TopicListBox->takeItem(index);
        TopicListBox->insertItem(other, item);
        SelectTopic(other);
        SetListChanged(true);
    }
    FShownTopic = CurrentTopic();
    if (change)
        FHistory->Record(std::move(change));
}

void TMainForm::DeleteTopics() {
    int current = CurrentTopic();
    if (current == -1)
        return;
    const TViewState before = CaptureView();
    const int marked = TopicListBox->MarkedCount();
    QString question;
    if (marked >= 2) {
        question = FormatText(LoadText(kTextDeleteTopics), {marked});
    } else {
        // One marked topic that is not the current one is the one removed, so
        // the question names it rather than the current topic.
        int named = current;
        for (int i = 0; marked == 1 && i < TopicListBox->count(); ++i)
            if (TopicListBox->IsChecked(i))
                named = i;
        question = FormatText(LoadText(kTextDeleteTopic), {NameText(FTopics->Topics(named).Name)});
    }
    if (marked == 0)
        TopicListBox->SetChecked(current, true);
    if (MessageDlgLang(question, MsgDlgKind::Confirmation, mbOKCancel, 0, FLanguage) != mrOk) {
        if (marked == 0)
            TopicListBox->SetChecked(current, false);
        return;
    }
    auto change = std::make_unique<TDeleteTopicsCommand>(*this, before);
    for (int i = TopicListBox->count() - 1; i >= 0; --i) {
        if (!TopicListBox->IsChecked(i))
            continue;
        FTopics->DeleteAndFree(i);
        if (i < current)
            --current;
    }
    FillTopicList();
    ShowTopic(std::min(current, FTopics->Count() - 1));
    SetListChanged(true);
    SetDataChanged(true);
    FHistory->Record(std::move(change));
}

void TMainForm::TopicListBoxKeyDown(QKeyEvent* event) {
    // The keypad's Delete key comes with the keypad modifier.
    if (event->key() == Qt::Key_Delete && (event->modifiers() & ~Qt::KeypadModifier) == 0)
        DeleteTopics();
}

void TMainForm::TopicListBoxDropFiles(QObject*, QPoint point, const QStringList& files) {
    const int topic = TopicAt(point);
    if (topic < 0)
        return;
    BmpListView->CancelEditing();
    ShowTopic(topic);
    BringToFront();
    const QString question =
        FormatText(LoadText(kTextAddImages), {files.size(), NameText(FTopics->Topics(topic).Name)});
    if (MessageDlgLang(question, MsgDlgKind::Confirmation, mbYesNo, 0, FLanguage) == mrYes)
        AddImageFiles(files);
}

void TMainForm::TopicListBoxDragOver(QObject* source, QPoint point, bool& accept) {
    const int topic = TopicAt(point);
    if (source != BmpListView || topic < 0) {
        accept = false;
        return;
    }
    // Search results go to any topic that does not hold them all already.
    if (FSearch && FSearch->ShowsResults()) {
        const std::vector<TNameMatch> dragged = SelectedPictures();
        accept = std::any_of(dragged.begin(), dragged.end(),
                             [topic](TNameMatch picture) { return picture.topic != topic; });
        return;
    }
    const int shown = ImageTopic();
    accept = shown >= 0 && topic != shown;
}

void TMainForm::TopicListBoxDragDrop(QObject* source, QPoint point) {
    if (source != BmpListView)
        return;
    const int target = TopicAt(point);
    if (target < 0)
        return;
    if (FSearch && FSearch->ShowsResults()) {
        MoveResultsToTopic(target);
        return;
    }
    // The pictures dragged are those shown.
    const int shown = ImageTopic();
    if (shown >= 0 && target != shown && CurrentImageIndex() >= 0)
        MoveImagesToTopic(target, shown);
}

} // namespace tavik
