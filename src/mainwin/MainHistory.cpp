// The main window's side of the undo history: its actions, and the view that
// each step of the history shows again.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "mainwin/MainSearch.h"
#include "mainwin/UndoHistory.h"
#include "storage/Lists.h"

#include <QScopedValueRollback>
#include <algorithm>

namespace tavik {

QAction* TMainForm::UndoAction() const {
    return FHistory->UndoAction();
}

QAction* TMainForm::RedoAction() const {
    return FHistory->RedoAction();
}

TViewState TMainForm::CaptureView() const {
    TViewState view;
    view.topic = CurrentTopic();
    for (int i = 0; i < TopicListBox->count(); ++i)
        if (TopicListBox->IsChecked(i))
            view.markedTopics.push_back(i);
    if (FSearch && FSearch->ShowsResults()) {
        view.searching = true;
        for (int i = 0; i < BmpListView->Count(); ++i)
            if (BmpListView->IsSelected(i))
                view.selectedImages.push_back(i);
        view.results = SelectedPictures();
        view.focusedImage = BmpListView->FocusedIndex();
        if (!view.results.empty())
            view.homeTopic = view.results.front().topic;
        return view;
    }
    // A selection in a list of another topic's pictures is not this topic's.
    if (ImageTopic() == view.topic && view.topic >= 0) {
        for (int i = 0; i < BmpListView->Count(); ++i)
            if (BmpListView->IsSelected(i))
                view.selectedImages.push_back(i);
        view.focusedImage = BmpListView->FocusedIndex();
    }
    return view;
}

void TMainForm::ShowView(const TViewState& view, bool keepImages) {
    BmpListView->CancelEditing();
    FillTopicList();
    for (int marked : view.markedTopics)
        TopicListBox->SetChecked(marked, true);
    // A view without a topic, shown while the search is open, is its results.
    if (view.searching || (view.topic == -1 && FSearch && FSearch->IsOpen())) {
        ShowSearchView(view);
        return;
    }
    ShowTopicView(view, keepImages);
}

void TMainForm::ShowSearchView(const TViewState& view) {
    FSearch->CatalogChanged();
    if (FSearch->IsOpen()) {
        FSearch->ShowAgain(view.results, view.focusedImage);
        return;
    }
    // The search has ended since: the change is shown in its topic.
    TViewState home;
    home.topic = view.homeTopic;
    home.markedTopics = view.markedTopics;
    for (const TNameMatch& picture : view.results)
        if (picture.topic == view.homeTopic)
            home.selectedImages.push_back(picture.image);
    ShowTopicView(home, false);
}

void TMainForm::ShowTopicView(const TViewState& view, bool keepImages) {
    const int topic = std::min(view.topic, FTopics->Count() - 1);
    if (keepImages) {
        // Set first, so the list's change of current row finds nothing to do.
        FShownTopic = topic;
        SelectTopic(topic);
    } else {
        ShowTopic(topic);
    }
    {
        // The preview follows once, after the whole selection is back.
        const QScopedValueRollback<bool> moving(FMovingImage, true);
        BmpListView->ClearSelection();
        for (int selected : view.selectedImages)
            BmpListView->SetSelected(selected, true);
        BmpListView->SetFocusedIndex(view.focusedImage);
    }
    UpdateImageCount();
    RevealImage(view.selectedImages.empty() ? view.focusedImage : view.selectedImages.front());
    ShowPreview();
}

} // namespace tavik
