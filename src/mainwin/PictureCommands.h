#pragma once
// The changes to the pictures of a topic, as the history keeps them. Each is
// made right before it is recorded, from the view and catalogue of that moment.

#include "mainwin/UndoHistory.h"

namespace tavik {

// Pictures appended to a topic from index first on (added from files or
// pasted). Their records stay in the data file when the change is undone.
class TAddPicturesCommand : public TCatalogCommand {
public:
    // pasted: the one picture came from the clipboard (it names the change).
    TAddPicturesCommand(TMainForm& form, TViewState before, int topic, int first, bool pasted);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    int FTopic;
    std::vector<TPictureEntry> FAdded;
};

// A picture entry of a change that takes pictures out of several topics.
struct TPlacedEntry {
    int topic;
    TPictureEntry entry;
};

// The pictures selected in the image list, about to be deleted from their
// topics (one topic, or several when the list shows search results).
class TDeletePicturesCommand : public TCatalogCommand {
public:
    // pictures: in catalogue order.
    TDeletePicturesCommand(TMainForm& form, TViewState before,
                           const std::vector<TNameMatch>& pictures);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    std::vector<TPlacedEntry> FDeleted; // in catalogue order
};

// Picture index of topic, about to be renamed.
class TRenamePictureCommand : public TCatalogCommand {
public:
    TRenamePictureCommand(TMainForm& form, TViewState before, int topic, int index);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;
    void NoteResult() override;

private:
    int SetName(int listed, const std::string& name, const QString& caption);

    int FTopic;
    int FIndex;
    std::string FOldName, FNewName;
    QString FOldCaption, FNewCaption;
};

// Picture index of topic, about to trade places with its neighbour other.
class TMovePictureCommand : public TCatalogCommand {
public:
    TMovePictureCommand(TMainForm& form, TViewState before, int topic, int index, int other);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    int Swap(int listed);

    int FTopic;
    int FIndex;
    int FOther;
};

// The pictures selected in the image list, about to move from their topics
// (one, or several when the list shows search results) to the end of topic
// target, which holds none of them.
class TTransferPicturesCommand : public TCatalogCommand {
public:
    // pictures: in catalogue order.
    TTransferPicturesCommand(TMainForm& form, TViewState before, int target,
                             const std::vector<TNameMatch>& pictures);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    int FTarget;
    std::vector<TPlacedEntry> FMoved; // in catalogue order
};

} // namespace tavik
