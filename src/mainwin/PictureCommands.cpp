#include "mainwin/PictureCommands.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "mainwin/MainForm.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

namespace tavik {
namespace {

QString Caption(TMainForm& form, int index) {
    return form.ImageList()->Caption(index);
}

QString TopicCaption(TMainForm& form, int index) {
    const QListWidgetItem* item = form.TopicList()->item(index);
    return item ? item->text() : QString();
}

void InsertEntries(TBmpList& bmps, const std::vector<TPictureEntry>& entries) {
    for (const TPictureEntry& entry : entries)
        bmps.Insert(entry.index, std::make_unique<TBmp>(entry.name, entry.position));
}

void DeleteEntries(TBmpList& bmps, const std::vector<TPictureEntry>& entries) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
        bmps.DeleteAndFree(entry->index);
}

// The list keeps showing a topic whose pictures a change leaves alone.
int Untouched(int listed, int topic) {
    return listed == topic ? -1 : listed;
}

QString AddText(TMainForm& form, int first, int count, bool pasted) {
    if (pasted)
        return FormatText(LoadText(kTextChangePaste), {Caption(form, first)});
    return count == 1 ? FormatText(LoadText(kTextChangeAddOne), {Caption(form, first)})
                      : FormatText(LoadText(kTextChangeAddMany), {count});
}

QString DeleteText(TMainForm& form, const std::vector<TNameMatch>& pictures) {
    const int count = static_cast<int>(pictures.size());
    if (count != 1)
        return FormatText(LoadText(kTextChangeDeleteMany), {count});
    const TBmp& bmp = form.Topics().Image(pictures[0].topic, pictures[0].image);
    return FormatText(LoadText(kTextChangeDeleteOne), {form.NameText(bmp.Name)});
}

QString TransferText(TMainForm& form, const std::vector<TNameMatch>& pictures, int target) {
    const int count = static_cast<int>(pictures.size());
    const QString topic = TopicCaption(form, target);
    if (count != 1)
        return FormatText(LoadText(kTextChangeTransferMany), {count, topic});
    const TBmp& bmp = form.Topics().Image(pictures[0].topic, pictures[0].image);
    return FormatText(LoadText(kTextChangeTransferOne), {form.NameText(bmp.Name), topic});
}

std::vector<TPlacedEntry> PlacedEntries(TMainForm& form, const std::vector<TNameMatch>& pictures) {
    std::vector<TPlacedEntry> entries;
    for (const TNameMatch& picture : pictures) {
        const TBmp& bmp = form.Topics().Image(picture.topic, picture.image);
        entries.push_back({picture.topic, {picture.image, bmp.Name, bmp.Position}});
    }
    return entries;
}

// Puts the entries back at their places, first to last.
int InsertPlaced(TMainForm& form, const std::vector<TPlacedEntry>& entries, int listed) {
    for (const TPlacedEntry& placed : entries) {
        form.Topics()
            .Topics(placed.topic)
            .Bmps.Insert(placed.entry.index,
                         std::make_unique<TBmp>(placed.entry.name, placed.entry.position));
        listed = Untouched(listed, placed.topic);
    }
    return listed;
}

// Takes the entries out, last to first, so the indexes of the others hold.
int DeletePlaced(TMainForm& form, const std::vector<TPlacedEntry>& entries, int listed) {
    for (auto placed = entries.rbegin(); placed != entries.rend(); ++placed) {
        form.Topics().Topics(placed->topic).Bmps.DeleteAndFree(placed->entry.index);
        listed = Untouched(listed, placed->topic);
    }
    return listed;
}

} // namespace

TAddPicturesCommand::TAddPicturesCommand(TMainForm& form, TViewState before, int topic, int first,
                                         bool pasted)
    : TCatalogCommand(
          form, std::move(before),
          AddText(form, first, form.Topics().Topics(topic).Bmps.Count() - first, pasted),
          first - form.Topics().Topics(topic).Bmps.Count()),
      FTopic(topic) {
    const TBmpList& bmps = form.Topics().Topics(topic).Bmps;
    for (int i = first; i < bmps.Count(); ++i)
        FAdded.push_back({i, bmps.Bmps(i).Name, bmps.Bmps(i).Position});
}

int TAddPicturesCommand::Revert(int listed) {
    DeleteEntries(Form.Topics().Topics(FTopic).Bmps, FAdded);
    return Untouched(listed, FTopic);
}

int TAddPicturesCommand::Apply(int listed) {
    InsertEntries(Form.Topics().Topics(FTopic).Bmps, FAdded);
    return Untouched(listed, FTopic);
}

TDeletePicturesCommand::TDeletePicturesCommand(TMainForm& form, TViewState before,
                                               const std::vector<TNameMatch>& pictures)
    : TCatalogCommand(form, std::move(before), DeleteText(form, pictures),
                      static_cast<int>(pictures.size())),
      FDeleted(PlacedEntries(form, pictures)) {}

int TDeletePicturesCommand::Revert(int listed) {
    return InsertPlaced(Form, FDeleted, listed);
}

int TDeletePicturesCommand::Apply(int listed) {
    return DeletePlaced(Form, FDeleted, listed);
}

TRenamePictureCommand::TRenamePictureCommand(TMainForm& form, TViewState before, int topic,
                                             int index)
    : TCatalogCommand(form, std::move(before), QString(), 0), FTopic(topic), FIndex(index),
      FOldName(form.Topics().Image(topic, index).Name), FOldCaption(form.NameText(FOldName)) {}

void TRenamePictureCommand::NoteResult() {
    FNewName = Form.Topics().Image(FTopic, FIndex).Name;
    FNewCaption = Form.NameText(FNewName);
    setText(FormatText(LoadText(kTextChangeRename), {FOldCaption, FNewCaption}));
}

int TRenamePictureCommand::Revert(int listed) {
    return SetName(listed, FOldName, FOldCaption);
}

int TRenamePictureCommand::Apply(int listed) {
    return SetName(listed, FNewName, FNewCaption);
}

int TRenamePictureCommand::SetName(int listed, const std::string& name, const QString& caption) {
    Form.Topics().Image(FTopic, FIndex).Name = name;
    if (listed == FTopic)
        Form.ImageList()->SetCaption(FIndex, caption);
    return listed;
}

TMovePictureCommand::TMovePictureCommand(TMainForm& form, TViewState before, int topic, int index,
                                         int other)
    : TCatalogCommand(form, std::move(before),
                      FormatText(LoadText(kTextChangeMove), {Caption(form, index)}), 0),
      FTopic(topic), FIndex(index), FOther(other) {}

int TMovePictureCommand::Revert(int listed) {
    return Swap(listed);
}

int TMovePictureCommand::Apply(int listed) {
    return Swap(listed);
}

int TMovePictureCommand::Swap(int listed) {
    // Neighbours: moving either onto the other's place exchanges the two.
    Form.Topics().Topics(FTopic).Bmps.Move(FIndex, FOther);
    if (listed == FTopic) {
        // As the command itself does: the items trade captions and thumbnails.
        TBmpListView& list = *Form.ImageList();
        const QString caption = list.Caption(FIndex);
        const int image = list.ImageIndex(FIndex);
        list.SetCaption(FIndex, list.Caption(FOther));
        list.SetImageIndex(FIndex, list.ImageIndex(FOther));
        list.SetCaption(FOther, caption);
        list.SetImageIndex(FOther, image);
    }
    return listed;
}

TTransferPicturesCommand::TTransferPicturesCommand(TMainForm& form, TViewState before, int target,
                                                   const std::vector<TNameMatch>& pictures)
    : TCatalogCommand(form, std::move(before), TransferText(form, pictures, target), 0),
      FTarget(target), FMoved(PlacedEntries(form, pictures)) {}

int TTransferPicturesCommand::Revert(int listed) {
    TBmpList& to = Form.Topics().Topics(FTarget).Bmps;
    for (std::size_t i = 0; i < FMoved.size(); ++i)
        to.DeleteAndFree(to.Count() - 1);
    return InsertPlaced(Form, FMoved, Untouched(listed, FTarget));
}

int TTransferPicturesCommand::Apply(int listed) {
    TTopic& to = Form.Topics().Topics(FTarget);
    for (const TPlacedEntry& placed : FMoved)
        to.AddBmp(placed.entry.name, placed.entry.position);
    return DeletePlaced(Form, FMoved, Untouched(listed, FTarget));
}

} // namespace tavik
