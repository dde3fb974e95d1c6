#include "mainwin/TopicCommands.h"

#include "controls/MarkLB.h"
#include "mainwin/MainForm.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

namespace tavik {
namespace {

QString TopicCaption(TMainForm& form, int index) {
    const QListWidgetItem* item = form.TopicList()->item(index);
    return item ? item->text() : QString();
}

TTopicEntry EntryOf(const TTopicList& topics, int index) {
    const TTopic& topic = topics.Topics(index);
    TTopicEntry entry{index, topic.Name, {}};
    for (int i = 0; i < topic.Bmps.Count(); ++i)
        entry.pictures.push_back({i, topic.Bmps.Bmps(i).Name, topic.Bmps.Bmps(i).Position});
    return entry;
}

std::unique_ptr<TTopic> TopicOf(const TTopicEntry& entry) {
    auto topic = std::make_unique<TTopic>(entry.name);
    for (const TPictureEntry& picture : entry.pictures)
        topic->AddBmp(picture.name, picture.position);
    return topic;
}

int PictureCount(const std::vector<TTopicEntry>& topics) {
    int count = 0;
    for (const TTopicEntry& topic : topics)
        count += static_cast<int>(topic.pictures.size());
    return count;
}

std::vector<int> MarkedTopics(TMainForm& form) {
    std::vector<int> marked;
    for (int i = 0; i < form.TopicList()->count(); ++i)
        if (form.TopicList()->IsChecked(i))
            marked.push_back(i);
    return marked;
}

QString CountedText(TMainForm& form, const std::vector<int>& indexes, int oneText, int manyText) {
    const int count = static_cast<int>(indexes.size());
    return count == 1 ? FormatText(LoadText(oneText), {TopicCaption(form, indexes[0])})
                      : FormatText(LoadText(manyText), {count});
}

std::vector<int> IndexesFrom(int first, int end) {
    std::vector<int> indexes;
    for (int i = first; i < end; ++i)
        indexes.push_back(i);
    return indexes;
}

// Where the topic at listed is after topic index was removed (-1: it was).
int AfterRemoval(int listed, int index) {
    if (listed == index)
        return -1;
    return listed > index ? listed - 1 : listed;
}

} // namespace

TAddTopicCommand::TAddTopicCommand(TMainForm& form, TViewState before, int index)
    : TCatalogCommand(form, std::move(before),
                      FormatText(LoadText(kTextChangeAddTopic), {TopicCaption(form, index)}), 0),
      FIndex(index), FName(form.Topics().Topics(index).Name) {}

int TAddTopicCommand::Revert(int listed) {
    Form.Topics().DeleteAndFree(FIndex);
    return AfterRemoval(listed, FIndex);
}

int TAddTopicCommand::Apply(int listed) {
    Form.Topics().Insert(FIndex, std::make_unique<TTopic>(FName));
    return listed >= FIndex ? listed + 1 : listed;
}

TRenameTopicCommand::TRenameTopicCommand(TMainForm& form, TViewState before, int index)
    : TCatalogCommand(form, std::move(before), QString(), 0), FIndex(index),
      FOldName(form.Topics().Topics(index).Name), FOldCaption(TopicCaption(form, index)) {}

void TRenameTopicCommand::NoteResult() {
    FNewName = Form.Topics().Topics(FIndex).Name;
    setText(
        FormatText(LoadText(kTextChangeRenameTopic), {FOldCaption, TopicCaption(Form, FIndex)}));
}

int TRenameTopicCommand::Revert(int listed) {
    Form.Topics().Topics(FIndex).Name = FOldName;
    return listed;
}

int TRenameTopicCommand::Apply(int listed) {
    Form.Topics().Topics(FIndex).Name = FNewName;
    return listed;
}

TMoveTopicCommand::TMoveTopicCommand(TMainForm& form, TViewState before, int index, int other)
    : TCatalogCommand(form, std::move(before),
                      FormatText(LoadText(kTextChangeMoveTopic), {TopicCaption(form, index)}), 0),
      FIndex(index), FOther(other) {}

int TMoveTopicCommand::Revert(int listed) {
    return Swap(listed);
}

int TMoveTopicCommand::Apply(int listed) {
    return Swap(listed);
}

int TMoveTopicCommand::Swap(int listed) {
    // Neighbours: moving either onto the other's place exchanges the two.
    Form.Topics().Move(FIndex, FOther);
    if (listed == FIndex)
        return FOther;
    return listed == FOther ? FIndex : listed;
}

TDeleteTopicsCommand::TDeleteTopicsCommand(TMainForm& form, TViewState before)
    : TCatalogCommand(
          form, std::move(before),
          CountedText(form, MarkedTopics(form), kTextChangeDeleteTopic, kTextChangeDeleteTopics),
          0) {
    for (int index : MarkedTopics(form))
        FDeleted.push_back(EntryOf(form.Topics(), index));
    SetFreedRecords(PictureCount(FDeleted));
}

int TDeleteTopicsCommand::Revert(int) {
    for (const TTopicEntry& entry : FDeleted)
        Form.Topics().Insert(entry.index, TopicOf(entry));
    return -1;
}

int TDeleteTopicsCommand::Apply(int) {
    for (auto entry = FDeleted.rbegin(); entry != FDeleted.rend(); ++entry)
        Form.Topics().DeleteAndFree(entry->index);
    return -1;
}

TImportTopicsCommand::TImportTopicsCommand(TMainForm& form, TViewState before, int first)
    : TCatalogCommand(form, std::move(before),
                      CountedText(form, IndexesFrom(first, form.Topics().Count()),
                                  kTextChangeImportOne, kTextChangeImportMany),
                      0) {
    for (int index = first; index < form.Topics().Count(); ++index)
        FImported.push_back(EntryOf(form.Topics(), index));
    SetFreedRecords(-PictureCount(FImported));
}

int TImportTopicsCommand::Revert(int listed) {
    const int first = FImported.front().index;
    for (int index = Form.Topics().Count() - 1; index >= first; --index)
        Form.Topics().DeleteAndFree(index);
    return listed < first ? listed : -1;
}

int TImportTopicsCommand::Apply(int listed) {
    for (const TTopicEntry& entry : FImported)
        Form.Topics().Add(TopicOf(entry));
    return listed;
}

} // namespace tavik
