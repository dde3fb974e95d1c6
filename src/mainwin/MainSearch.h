#pragma once

#include "storage/NameSearch.h"

#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

class QWidget;

namespace tavik {

class TMainForm;
class TSearchField;

// Finding pictures by name across all topics. Ctrl+F opens a field in the
// image list's header, right of its caption; while it is open no topic is
// current and the image list shows the pictures whose names hold the typed
// text, each with its topic's name as tool tip. Enter or a double click goes
// to the picture in its topic; Escape goes back to the topic shown before;
// choosing a topic ends the search there.
//
// Searching changes nothing of the catalogue. Commands that read pictures
// (preview, Copy, Save, dragging out) act on the results in their own
// topics, as do Delete and Rename; the commands that add to a topic or
// reorder one need it to be current, so they are greyed out on results.
class TMainSearch : public QObject {
    Q_OBJECT
public:
    // The field goes on header, the image list's header row.
    TMainSearch(TMainForm& form, QWidget* header);

    // Opens the field (or selects its text) and puts the focus in it.
    void Start();
    // Goes to result item in its topic: the topic selected, the picture
    // selected, scrolled into view and previewed.
    void GoTo(int item);
    // Closes the field and shows the topic shown before, with its picture.
    void Cancel();

    // Whether the field is open; the list shows results unless a command
    // has just chosen a topic.
    bool IsOpen() const { return FActive; }
    // Whether the image list shows results.
    bool ShowsResults() const;
    // The picture that item stands for while the list shows results.
    std::optional<TNameMatch> Result(int item) const;
    // The result item that stands for picture, -1 when none does.
    int ItemOf(TNameMatch picture) const;

    // The catalogue has changed: the names are indexed again at the next
    // search.
    void CatalogChanged() { FIndexStale = true; }
    // Searches again for the text in the field, then selects the results
    // that are selected (pictures in their topics) and focuses item focused
    // (-1: the first of them).
    void ShowAgain(const std::vector<TNameMatch>& selected, int focused);
    TSearchField* Field() const { return FField; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Connect();
    void PlaceField();
    void FillResults();
    // Fills the list now when typing has not paused since the last change.
    void TypingDone();
    // Closes the field and forgets the results; the list is left as it is.
    void End();
    void ShowPicture(int index);
    bool FilterEvent(QObject* watched, QEvent* event);

    TMainForm& FForm;
    QWidget* FHeader;
    TSearchField* FField;
    QTimer FTyping; // a pause in the typing refills the list
    TNameIndex FIndex;
    std::vector<TNameMatch> FResults;
    bool FActive = false;
    bool FIndexStale = false;
    bool FDeselecting = false;
    int FReturnTopic = -1;
    int FReturnImage = -1;
};

} // namespace tavik
