// The commands on the pictures of the current topic.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/MessDlgs.h"
#include "graphics/PictureImport.h"
#include "graphics/TavikPicture.h"
#include "mainwin/MainSearch.h"
#include "mainwin/PictureCommands.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/Records.h"

#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <optional>

namespace tavik {
namespace {

// The part of a path after its last separator, at most 255 characters.
QString PictureNameOf(const QString& path) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/'));
    return path.mid(cut + 1).left(255);
}

QString FailureLine(const QString& file, const EPictureImport& e) {
    switch (e.Reason()) {
    case ImportFailure::UnknownFormat:
        return FormatText(LoadText(kTextAddFailedUnknown), {file});
    case ImportFailure::Unreadable:
        return FormatText(LoadText(kTextAddFailedUnreadable), {file});
    case ImportFailure::Damaged:
        return FormatText(LoadText(kTextAddFailedDamaged), {file});
    case ImportFailure::TooLarge:
        return FormatText(
            LoadText(kTextAddFailedTooLarge),
            {file, e.Size().width(), e.Size().height(), kMaxImportSide, kMaxImportSide});
    }
    return file;
}

// "All pictures (...)" first, then one entry per family.
QStringList OpenFilters() {
    QStringList filters = {
        QStringLiteral("%1 (%2)").arg(LoadText(kTextAllPictures), ImportPatterns())};
    for (const ImportFamily& family : ImportFamilies()) {
        QStringList patterns;
        for (const QString& extension : family.extensions)
            patterns << QStringLiteral("*.") + extension;
        filters << QStringLiteral("%1 (%2)").arg(family.description,
                                                 patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

} // namespace

void TMainForm::AddImagesFromDialog() {
    BmpListView->CancelEditing();
    QFileDialog dialog(this);
    dialog.setObjectName("OpenBmpDialog");
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(OpenFilters());
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    if (dialog.exec() == QDialog::Accepted)
        AddImageFiles(dialog.selectedFiles());
}

void TMainForm::AddImageFiles(const QStringList& files) {
    const int topic = CurrentTopic();
    const TViewState before = CaptureView();
    const int first = topic >= 0 ? FTopics->Topics(topic).Bmps.Count() : 0;
    QStringList failures;
    QStringList elsewhere;
    QStringList addedFiles;
    // Opened with the first picture, so that a data file that cannot be
    // opened is reported per file as before; flushed once for all of them.
    std::optional<TRecordAppender> appender;
    for (const QString& file : files) {
        try {
            ImportPictureFile(*FWorkPicture, QFile::encodeName(file).toStdString());
            if (!AcceptDuplicate(topic, *FWorkPicture, PictureNameOf(file), elsewhere))
                continue;
            if (!appender)
                appender.emplace(DataFileName());
            const int position = FWorkPicture->AppendToCatalog(*appender);
            AddImageToTopic(topic, NameBytes(PictureNameOf(file)), false, position);
            addedFiles << file;
        } catch (const EPictureImport& e) {
            failures << FailureLine(file, e);
        } catch (const Exception& e) {
            failures << FormatText(LoadText(kTextAddFailedOther),
                                   {file, QString::fromStdString(e.Message())});
        }
    }
    if (appender) {
        try {
            appender->Flush();
        } catch (const Exception& e) {
            // The records were cut off the data file: none may stay listed.
            TTopic& shown = FTopics->Topics(topic);
            while (shown.Bmps.Count() > first)
                shown.DeleteBmp(shown.Bmps.Count() - 1);
            for (const QString& file : addedFiles)
                failures << FormatText(LoadText(kTextAddFailedOther),
                                       {file, QString::fromStdString(e.Message())});
            addedFiles.clear();
        }
    }
    const int added = addedFiles.isEmpty() ? -1 : FTopics->Topics(topic).Bmps.Count() - 1;
    if (added >= 0) {
        FillImageList();
        RevealImage(added);
        ShowPreview();
        FHistory->Record(std::make_unique<TAddPicturesCommand>(*this, before, topic, first, false));
    }
    const auto report = [&] {
        if (!failures.isEmpty())
            MessageDlgLang(LoadText(kTextAddFailedHeader) + QStringLiteral("\n\n") +
                               failures.join(QLatin1Char('\n')),
                           MsgDlgKind::Warning, mbOK, 0, FLanguage);
        NoteCopiesElsewhere(elsewhere);
    };
    try {
        SaveCatalog();
    } catch (...) {
        report();
        throw;
    }
    report();
}

void TMainForm::AddImageToTopic(int topic, const std::string& name, bool refresh, int position) {
    const int index = FTopics->Topics(topic).AddBmp(name, position);
    if (refresh) {
        FillImageList();
        RevealImage(index);
        ShowPreview();
    }
    SetListChanged(true);
}

void TMainForm::DeleteImages() {
    const std::optional<TNameMatch> current = ListedPicture(CurrentImageIndex());
    if (!current)
        return;
    BmpListView->CancelEditing();
    const std::vector<TNameMatch> pictures = SelectedPictures();
    const int count = static_cast<int>(pictures.size());
    if (count == 0)
        return;
    const QString question =
        count == 1 ? FormatText(LoadText(kTextDeleteImage),
                                {NameText(FTopics->Image(current->topic, current->image).Name)})
                   : FormatText(LoadText(kTextDeleteImages), {count});
    if (MessageDlgLang(question, MsgDlgKind::Confirmation, mbOKCancel, 0, FLanguage) != mrOk)
        return;
    auto change = std::make_unique<TDeletePicturesCommand>(*this, CaptureView(), pictures);
    if (FSearch && FSearch->ShowsResults()) {
        RemoveSelectedResults(pictures);
    } else {
        const int reveal = RemoveSelectedImages(FTopics->Topics(current->topic).Bmps);
        UpdateImageCount();
        ArrangeImages();
        RevealImage(reveal);
        ShowPreview();
    }
    SetListChanged(true);
    SetDataChanged(true);
    FHistory->Record(std::move(change));
}

void TMainForm::RemoveSelectedResults(const std::vector<TNameMatch>& pictures) {
    // From the last, so that the indexes of the others stay right.
    for (auto picture = pictures.rbegin(); picture != pictures.rend(); ++picture)
        FTopics->Topics(picture->topic).Bmps.DeleteAndFree(picture->image);
    // The result that followed the first one deleted takes its place.
    const int first = CurrentImageIndex();
    FSearch->CatalogChanged();
    FSearch->ShowAgain({}, first);
    if (const int item = BmpListView->FocusedIndex(); item != -1) {
        {
            const QScopedValueRollback<bool> moving(FMovingImage, true);
            BmpListView->SetSelected(item, true);
        }
        ShowPreview();
    }
}

int TMainForm::RemoveSelectedImages(TBmpList& bmps) {
    // Each removal changes the selection; the command shows the preview once
    // afterwards instead of from inside the list's row removal.
    const QScopedValueRollback<bool> moving(FMovingImage, true);
    int k = CurrentImageIndex();
    for (int i = BmpListView->Count() - 1; i >= 0; --i) {
        if (!BmpListView->IsSelected(i))
            continue;
        BmpListView->DeleteItem(i);
        bmps.DeleteAndFree(i);
        if (i < k)
            --k;
    }
    return std::min(k, bmps.Count() - 1);
}

void TMainForm::RenameImage(int topic, int index, const QString& name) {
    if (topic < 0 || topic >= FTopics->Count() || index < 0 ||
        index >= FTopics->Topics(topic).Bmps.Count())
        throw Exception("Incorrect bmp item in Rename op!");
    auto change = std::make_unique<TRenamePictureCommand>(*this, CaptureView(), topic, index);
    TBmp& bmp = FTopics->Image(topic, index);
    bmp.Name = NameBytes(name);
    if (const int item = ListedItem({topic, index}); item != -1)
        BmpListView->SetCaption(item, NameText(bmp.Name));
    if (FSearch)
        FSearch->CatalogChanged();
    SetListChanged(true);
    FHistory->Record(std::move(change));
}

void TMainForm::BmpListViewEdited(int index, QString& text) {
    RenameImageInPlace(index, text);
}

void TMainForm::MoveImage(int topic, int index, bool up) {
    if (topic == -1 || index == -1)
        return;
    FMovingImage = true;
    BmpListView->CancelEditing();
    TBmpList& bmps = FTopics->Topics(topic).Bmps;
    const int other = up ? index - 1 : index + 1;
    if (other >= 0 && other < BmpListView->Count() && other < bmps.Count()) {
        auto change =
            std::make_unique<TMovePictureCommand>(*this, CaptureView(), topic, index, other);
        bmps.Move(index, other);
        SwapImageItems(index, up);
        SetListChanged(true);
        FHistory->Record(std::move(change));
    }
    FMovingImage = false;
}

void TMainForm::SwapImageItems(int a, bool up) {
    const int b = up ? a - 1 : a + 1;
    // The thumbnails stay where they are in the image lists; the items trade
    // captions and image indexes.
    const QString caption = BmpListView->Caption(a);
    const int image = BmpListView->ImageIndex(a);
    BmpListView->SetCaption(a, BmpListView->Caption(b));
    BmpListView->SetImageIndex(a, BmpListView->ImageIndex(b));
    BmpListView->SetCaption(b, caption);
    BmpListView->SetImageIndex(b, image);
    BmpListView->ClearSelection();
    BmpListView->SetSelected(b, true);
    BmpListView->SetFocusedIndex(b);
    RevealImage(b);
}

void TMainForm::MoveImagesToTopic(int target, int source) {
    std::vector<TNameMatch> pictures;
    for (int i = 0; i < BmpListView->Count(); ++i)
        if (BmpListView->IsSelected(i))
            pictures.push_back({source, i});
    if (pictures.empty() || !AskToMove(pictures, target))
        return;
    auto change =
        std::make_unique<TTransferPicturesCommand>(*this, CaptureView(), target, pictures);
    const int reveal = TransferSelectedImages(target, source);
    UpdateImageCount();
    ArrangeImages();
    RevealImage(reveal);
    ShowPreview();
    SetListChanged(true);
    FHistory->Record(std::move(change));
}

void TMainForm::MoveResultsToTopic(int target) {
    std::vector<TNameMatch> pictures = SelectedPictures();
    // The target's own pictures are where they are to go already.
    std::erase_if(pictures, [target](TNameMatch picture) { return picture.topic == target; });
    if (pictures.empty() || !AskToMove(pictures, target))
        return;
    auto change =
        std::make_unique<TTransferPicturesCommand>(*this, CaptureView(), target, pictures);
    TTopic& to = FTopics->Topics(target);
    std::vector<TNameMatch> moved;
    for (const TNameMatch& picture : pictures) {
        const TBmp& bmp = FTopics->Image(picture.topic, picture.image);
        moved.push_back({target, to.AddBmp(bmp.Name, bmp.Position)});
    }
    for (auto picture = pictures.rbegin(); picture != pictures.rend(); ++picture)
        FTopics->Topics(picture->topic).Bmps.DeleteAndFree(picture->image);
    // The results show the pictures moved in their new topic, still selected.
    FSearch->CatalogChanged();
    FSearch->ShowAgain(moved, -1);
    SetListChanged(true);
    FHistory->Record(std::move(change));
}

bool TMainForm::AskToMove(const std::vector<TNameMatch>& pictures, int target) {
    const int count = static_cast<int>(pictures.size());
    const QString targetName = NameText(FTopics->Topics(target).Name);
    const TNameMatch first = pictures.front();
    const QString question =
        count < 2
            ? FormatText(LoadText(kTextMoveImage),
                         {NameText(FTopics->Image(first.topic, first.image).Name), targetName})
            : FormatText(LoadText(kTextMoveImages), {count, targetName});
    return MessageDlgLang(question, MsgDlgKind::Confirmation, mbOKCancel, 0, FLanguage) == mrOk;
}

int TMainForm::TransferSelectedImages(int target, int source) {
    TTopic& to = FTopics->Topics(target);
    TBmpList& from = FTopics->Topics(source).Bmps;
    for (int i = 0; i < BmpListView->Count(); ++i)
        if (BmpListView->IsSelected(i))
            to.AddBmp(from.Bmps(i).Name, from.Bmps(i).Position);
    return RemoveSelectedImages(from);
}

bool TMainForm::CaptionEditorHasFocus() const {
    // The window's own focus: keys can be sent to a window not yet active.
    const QWidget* focus = focusWidget();
    return focus && focus != BmpListView && BmpListView->isAncestorOf(focus);
}

bool TMainForm::BmpListViewKeyDown(QKeyEvent* event) {
    if (CaptionEditorHasFocus())
        return false;
    if (event->key() == Qt::Key_Delete) {
        DeleteImages();
        return true;
    }
    // The desktop's clipboard keys act as the toolbar's Copy and Paste; the
    // list's own Ctrl+C would copy the caption as text.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool control = modifiers == Qt::ControlModifier;
    if (control && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert)) {
        tCopyBtnClick();
        return true;
    }
    if ((control && event->key() == Qt::Key_V) ||
        (modifiers == Qt::ShiftModifier && event->key() == Qt::Key_Insert)) {
        tPasteBtnClick();
        return true;
    }
    if (control && event->key() == Qt::Key_A) {
        SelectAllImages();
        return true;
    }
    if (modifiers == Qt::NoModifier &&
        (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        ViewCurrentImage();
        return true;
    }
    if (event->modifiers() & Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Plus) {
            BmpListView->SelectAll();
            return true;
        }
        if (event->key() == Qt::Key_Minus) {
            BmpListView->ClearSelection();
            return true;
        }
    }
    return false;
}

void TMainForm::BmpListViewDropFiles(QObject*, QPoint, const QStringList& files) {
    if (CurrentTopic() == -1)
        return;
    BmpListView->CancelEditing();
    BringToFront();
    const QString question = FormatText(
        LoadText(kTextAddImages), {files.size(), NameText(FTopics->Topics(CurrentTopic()).Name)});
    if (MessageDlgLang(question, MsgDlgKind::Confirmation, mbYesNo, 0, FLanguage) == mrYes)
        AddImageFiles(files);
}

void TMainForm::BringToFront() {
    raise();
    activateWindow();
}

} // namespace tavik
