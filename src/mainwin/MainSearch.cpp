#include "mainwin/MainSearch.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/SearchField.h"
#include "controls/explbtn.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/MainForm.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QToolTip>
#include <algorithm>

namespace tavik {
namespace {

// The field's place in the header row: as high as the caption button,
// right-aligned before the progress bar.
constexpr int kFieldTop = 2;
constexpr int kFieldHeight = 19;
constexpr int kFieldWidth = 180;
constexpr int kFieldLeastWidth = 90;
constexpr int kBarSpace = 34 + 10 + 6;
// Typing quickly refills the list once, at the first pause.
constexpr int kTypingPauseMs = 120;

} // namespace

TMainSearch::TMainSearch(TMainForm& form, QWidget* header)
    : FForm(form), FHeader(header), FField(new TSearchField(header)) {
    FField->setObjectName("SearchField");
    FField->hide();
    FTyping.setSingleShot(true);
    FTyping.setInterval(kTypingPauseMs);
    Connect();
}

void TMainSearch::Connect() {
    QObject* context = &FForm.FCommandContext;
    const auto run = [](auto action) { return [action] { RunCommand(action); }; };
    auto* find = new QShortcut(QKeySequence::Find, &FForm);
    connect(find, &QShortcut::activated, context, run([this] { Start(); }));
    connect(FField, &QLineEdit::textEdited, context, [this] { FTyping.start(); });
    connect(&FTyping, &QTimer::timeout, context, run([this] { FillResults(); }));
    connect(FField, &TSearchField::Accepted, context, run([this] {
                TypingDone();
                const int current = FForm.CurrentImageIndex();
                GoTo(current >= 0 ? current : 0);
            }));
    connect(FField, &TSearchField::Cancelled, context, run([this] { Cancel(); }));
    connect(FField, &TSearchField::Leaving, context, run([this] {
                TypingDone();
                TBmpListView* list = FForm.BmpListView;
                if (list->Count() > 0 && list->SelectedIndex() < 0)
                    ShowPicture(0);
                list->setFocus(Qt::TabFocusReason);
            }));
    connect(FForm.BmpListView, &QAbstractItemView::doubleClicked, context,
            run([this] { GoTo(FForm.CurrentImageIndex()); }));
    // Choosing a topic ends the search; the topic list has shown that topic.
    connect(FForm.TopicListBox, &QListWidget::currentRowChanged, context, [this](int row) {
        if (FActive && !FDeselecting && row != -1)
            End();
    });
    FHeader->installEventFilter(this);
    FForm.BmpListView->installEventFilter(this);
    FForm.BmpListView->viewport()->installEventFilter(this);
}

bool TMainSearch::ShowsResults() const {
    return FActive && FForm.CurrentTopic() == -1;
}

std::optional<TNameMatch> TMainSearch::Result(int item) const {
    if (!ShowsResults() || item < 0 || item >= static_cast<int>(FResults.size()))
        return std::nullopt;
    return FResults[item];
}

int TMainSearch::ItemOf(TNameMatch picture) const {
    if (!ShowsResults())
        return -1;
    const auto found = std::find(FResults.begin(), FResults.end(), picture);
    return found == FResults.end() ? -1 : static_cast<int>(found - FResults.begin());
}

void TMainSearch::ShowAgain(const std::vector<TNameMatch>& selected, int focused) {
    FillResults();
    TBmpListView* list = FForm.BmpListView;
    {
        // The preview follows once, after the whole selection is back.
        const QScopedValueRollback<bool> moving(FForm.FMovingImage, true);
        list->ClearSelection();
        int first = -1;
        for (const TNameMatch& picture : selected)
            if (const int item = ItemOf(picture); item != -1) {
                list->SetSelected(item, true);
                first = first == -1 ? item : first;
            }
        list->SetFocusedIndex(focused >= 0 ? std::min(focused, list->Count() - 1) : first);
    }
    const int current = FForm.CurrentImageIndex();
    FForm.RevealImage(current != -1 ? current : list->FocusedIndex());
    FForm.ShowPreview();
}

void TMainSearch::Start() {
    if (!FActive) {
        FForm.BmpListView->CancelEditing();
        FReturnTopic = FForm.CurrentTopic();
        FReturnImage = FForm.CurrentImageIndex();
        FIndexStale = true;
        FActive = true;
        // In the language the start-up chose.
        FField->setPlaceholderText(LoadText(kTextSearchHint));
        FField->setToolTip(LoadText(kTextSearchHint));
        {
            // The topic list empties the image list as for any topic change.
            const QScopedValueRollback<bool> deselecting(FDeselecting, true);
            FForm.SelectTopic(-1);
        }
        PlaceField();
        FField->show();
        FillResults();
        FForm.UpdateTopicCommands();
    }
    FField->setFocus(Qt::ShortcutFocusReason);
    FField->selectAll();
}

void TMainSearch::End() {
    FActive = false;
    FTyping.stop();
    FResults.clear();
    FIndex = TNameIndex();
    FField->hide();
    FForm.UpdateTopicCommands();
}

void TMainSearch::GoTo(int item) {
    const std::optional<TNameMatch> found = Result(item);
    if (!found)
        return;
    End();
    FForm.ShowTopic(found->topic);
    ShowPicture(found->image);
    FForm.BmpListView->setFocus(Qt::OtherFocusReason);
}

void TMainSearch::Cancel() {
    if (!FActive)
        return;
    End();
    FForm.ShowTopic(FReturnTopic < FForm.Topics().Count() ? FReturnTopic : -1);
    ShowPicture(FReturnImage);
    if (FForm.CurrentTopic() >= 0)
        FForm.BmpListView->setFocus(Qt::OtherFocusReason);
}

void TMainSearch::ShowPicture(int index) {
    TBmpListView* list = FForm.BmpListView;
    if (index < 0 || index >= list->Count())
        return;
    list->ClearSelection();
    list->SetSelected(index, true);
    list->SetFocusedIndex(index);
    FForm.RevealImage(index);
    FForm.ShowPreview();
}

void TMainSearch::FillResults() {
    if (!ShowsResults())
        return;
    if (FIndexStale) {
        FIndex = TNameIndex(FForm.Topics(), FForm.FCodePage);
        FIndexStale = false;
    }
    const std::string text = FField->text().toStdString();
    FResults = text.empty() ? std::vector<TNameMatch>() : FIndex.Find(text);
    QStringList names;
    std::vector<std::int32_t> positions;
    names.reserve(static_cast<qsizetype>(FResults.size()));
    positions.reserve(FResults.size());
    for (const TNameMatch& result : FResults) {
        const TBmp& bmp = FForm.Topics().Image(result.topic, result.image);
        names << FForm.NameText(bmp.Name);
        positions.push_back(bmp.Position);
    }
    // Thumbnails come as a topic's do, from the worker threads.
    FForm.FillImageItems(names, std::move(positions), true);
    FForm.ShowPreview();
}

void TMainSearch::TypingDone() {
    // What was typed last counts, even before the pause that shows it.
    if (FTyping.isActive()) {
        FTyping.stop();
        FillResults();
    }
}

void TMainSearch::PlaceField() {
    const int right = FHeader->width() - kBarSpace;
    const int width = std::max(kFieldLeastWidth, std::min(kFieldWidth, right / 2));
    FField->setGeometry(right - width, kFieldTop, width, kFieldHeight);
}

bool TMainSearch::eventFilter(QObject* watched, QEvent* event) {
    bool used = false;
    RunCommand([&] { used = FilterEvent(watched, event); });
    return used || QObject::eventFilter(watched, event);
}

bool TMainSearch::FilterEvent(QObject* watched, QEvent* event) {
    if (watched == FHeader) {
        if (event->type() == QEvent::Resize)
            PlaceField();
        return false;
    }
    if (!ShowsResults())
        return false;
    TBmpListView* list = FForm.BmpListView;
    if (watched == list && event->type() == QEvent::KeyPress && !FForm.CaptionEditorHasFocus()) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            GoTo(FForm.CurrentImageIndex());
            return true;
        case Qt::Key_Escape:
            Cancel();
            return true;
        default:
            return false;
        }
    }
    if (watched == list->viewport() && event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<TNameMatch> found = Result(list->indexAt(help->pos()).row());
        if (!found)
            return false;
        QToolTip::showText(help->globalPos(),
                           FForm.NameText(FForm.Topics().Topics(found->topic).Name), list);
        return true;
    }
    return false;
}

} // namespace tavik

namespace tavik {

std::optional<TNameMatch> TMainForm::ListedPicture(int item) const {
    if (FSearch && FSearch->ShowsResults())
        return FSearch->Result(item);
    const int topic = ImageTopic();
    if (topic == -1 || item == -1)
        return std::nullopt;
    return TNameMatch{topic, item};
}

int TMainForm::ListedItem(TNameMatch picture) const {
    if (FSearch && FSearch->ShowsResults())
        return FSearch->ItemOf(picture);
    const bool shown = picture.topic == ImageTopic() && picture.topic != -1;
    return shown && picture.image < BmpListView->Count() ? picture.image : -1;
}

std::vector<TNameMatch> TMainForm::SelectedPictures() const {
    std::vector<TNameMatch> pictures;
    for (int i = 0; i < BmpListView->Count(); ++i)
        if (BmpListView->IsSelected(i))
            if (const std::optional<TNameMatch> picture = ListedPicture(i))
                pictures.push_back(*picture);
    return pictures;
}

void TMainForm::UpdateTopicCommands() {
    const bool results = FSearch && FSearch->ShowsResults();
    for (TOfficeButton* button : {tUpBtn, tDownBtn, tAddBtn, tPasteBtn})
        button->SetEnabled(!results);
}

} // namespace tavik
