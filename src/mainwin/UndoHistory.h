#pragma once
// The history of the changes made to the catalogue since it was last saved,
// for undo and redo.

#include "storage/NameSearch.h"

#include <QObject>
#include <QString>
#include <QUndoCommand>
#include <QUndoStack>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;

namespace tavik {

class TMainForm;

// What the two lists show: the current topic, the marked topics, and the
// selected and focused pictures of the image list.
struct TViewState {
    int topic = -1;
    std::vector<int> markedTopics;
    std::vector<int> selectedImages;
    int focusedImage = -1;
    // The image list showed search results (topic is -1); results are the
    // selected ones, as pictures of their topics.
    bool searching = false;
    std::vector<TNameMatch> results;
    // The topic to show for such a view once the search has ended.
    int homeTopic = -1;
};

// A picture entry as a change took it out of a topic or put it in.
struct TPictureEntry {
    int index = 0;
    std::string name;
    std::int32_t position = 0;
};

// One change to the catalogue, recorded right after the form has made it.
// The first redo() finds it made; later ones make it again from what was
// recorded, and undo() takes it back. Each then shows the lists as they were
// after (redo) or before (undo) the change.
class TCatalogCommand : public QUndoCommand {
public:
    // before: the view before the change. freedRecords: records of the data
    // file that the change leaves without an entry (deleted pictures), or,
    // negative, that it takes into use (added pictures, whose records were
    // appended for it and so were in use from the start).
    TCatalogCommand(TMainForm& form, TViewState before, const QString& text, int freedRecords);

    // Called once the form has made the change: notes the view after it.
    void Recorded();

    void undo() final;
    void redo() final;

protected:
    // Take the change back / make it again in the catalogue. listed is the
    // topic whose pictures the image list holds (-1: none); they return the
    // index of that topic afterwards when its pictures in the list are still
    // right (updated in place where needed), else -1 and the list is refilled.
    virtual int Revert(int listed) = 0;
    virtual int Apply(int listed) = 0;
    // The moment to note what the form's change made (a new name).
    virtual void NoteResult() {}
    // For a change whose records are known only once its entries are read.
    void SetFreedRecords(int count) { FFreedRecords = count; }

    TMainForm& Form;

private:
    void Step(bool forward);

    TViewState FBefore;
    TViewState FAfter;
    int FFreedRecords;
    bool FRecording = true;
};

// The form's history: a stack of changes, the Undo and Redo actions of the
// window (Ctrl+Z; Ctrl+Shift+Z and Ctrl+Y), and the two changed flags as they
// follow from it. The list flag is set unless the list file holds the state
// the history stands at; the data flag is set when the data file holds a
// record no entry uses: deleted pictures, and added ones that were undone.
class TCatalogHistory : public QObject {
public:
    explicit TCatalogHistory(TMainForm& form);

    // Takes a change the form has just made.
    void Record(std::unique_ptr<TCatalogCommand> command);
    // Forgets every change (after the catalogue was loaded or saved); the
    // flags the form has now are those of the state reached.
    void Clear();
    // The list file now holds the catalogue as it stands.
    void MarkListSaved();

    void Undo();
    void Redo();
    bool CanUndo() const { return FStack.canUndo(); }
    bool CanRedo() const { return FStack.canRedo(); }
    int Count() const { return FStack.count(); }

    QAction* UndoAction() const { return FUndoAction; }
    QAction* RedoAction() const { return FRedoAction; }

    // For the commands: records of the data file left without an entry.
    void AddFreedRecords(int count) { FFreedRecords += count; }
    // A command that could not be taken back or made again: the history no
    // longer matches the catalogue and is dropped once the step has ended.
    void StepFailed() { FBroken = true; }

private:
    void AfterStep();
    void UpdateActions();
    void SyncFlags();

    TMainForm& FForm;
    QUndoStack FStack;
    QAction* FUndoAction = nullptr;
    QAction* FRedoAction = nullptr;
    int FFreedRecords = 0;
    bool FDataChangedAtStart = false;
    bool FBroken = false;
};

} // namespace tavik
