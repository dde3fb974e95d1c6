#pragma once
// The changes to the topics of the catalogue, as the history keeps them.

#include "mainwin/UndoHistory.h"

namespace tavik {

// The topic at index, just added (empty).
class TAddTopicCommand : public TCatalogCommand {
public:
    TAddTopicCommand(TMainForm& form, TViewState before, int index);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    int FIndex;
    std::string FName;
};

// Topic index, about to be renamed.
class TRenameTopicCommand : public TCatalogCommand {
public:
    TRenameTopicCommand(TMainForm& form, TViewState before, int index);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;
    void NoteResult() override;

private:
    int FIndex;
    std::string FOldName, FNewName;
    QString FOldCaption;
};

// Topic index, about to trade places with its neighbour other.
class TMoveTopicCommand : public TCatalogCommand {
public:
    TMoveTopicCommand(TMainForm& form, TViewState before, int index, int other);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    int Swap(int listed);

    int FIndex;
    int FOther;
};

// A topic with its pictures, as a change took it out or put it in.
struct TTopicEntry {
    int index = 0;
    std::string name;
    std::vector<TPictureEntry> pictures;
};

// The marked topics of the topic list, about to be deleted with their
// pictures, whose records stay in the data file until the next save.
class TDeleteTopicsCommand : public TCatalogCommand {
public:
    TDeleteTopicsCommand(TMainForm& form, TViewState before);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    std::vector<TTopicEntry> FDeleted; // ascending indexes
};

// The topics from index first to the end, just imported with their pictures,
// whose records were appended for them.
class TImportTopicsCommand : public TCatalogCommand {
public:
    TImportTopicsCommand(TMainForm& form, TViewState before, int first);

protected:
    int Revert(int listed) override;
    int Apply(int listed) override;

private:
    std::vector<TTopicEntry> FImported;
};

} // namespace tavik
