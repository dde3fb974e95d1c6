// The main window's transfer commands: the clipboard, saving pictures to
// files and importing topics. The work itself is done by their own units.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/BrowseDr.h"
#include "graphics/TavikPicture.h"
#include "mainwin/Clipboard.h"
#include "mainwin/Import.h"
#include "mainwin/Paste.h"
#include "mainwin/PictureCommands.h"
#include "mainwin/PictureImage.h"
#include "mainwin/SaveFiles.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "mainwin/TopicCommands.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace tavik {

void TMainForm::tCopyBtnClick() {
    // The preview may still show a picture after the selection was cleared.
    if (BmpListView->SelectedCount() == 0) {
        return;
    }
    if (FPreviewDamaged) {
        // Tells again why there is nothing to copy.
        ShowPreview();
        return;
    }
    CopyPictureToClipboard(PreviewImage->Picture(), palette().color(QPalette::Button),
                           *QApplication::clipboard());
}

void TMainForm::tPasteBtnClick() {
    const int topic = ImageTopic();
    if (topic == -1) {
        return;
    }
    BmpListView->CancelEditing();
    const TViewState before = CaptureView();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (data == nullptr) {
        return;
    }
    // Files copied in a file manager are added as if they had been dropped.
    if (const QStringList files = CopiedFiles(*data); !files.isEmpty()) {
        BmpListViewDropFiles(nullptr, QPoint(), files);
        return;
    }
    TPicture picture;
    if (!PictureFromMimeData(*data, picture)) {
        return;
    }
    // A name the catalogue's code page cannot hold goes back to the dialog
    // unless the user takes it with "?" in its place.
    QString name;
    do {
        name = AskPasteName(
            picture, [this](const TPicture& shown) { ShowViewWindow(shown); }, this, name);
        if (name.isEmpty()) {
            return;
        }
    } while (!AcceptNameLoss(name));
    QStringList elsewhere;
    if (!AcceptDuplicate(topic, picture, name, elsewhere)) {
        return;
    }
    static_cast<TPicture&>(*FWorkPicture) = picture;
    const int position = FWorkPicture->AppendToCatalog(DataFileName());
    AddImageToTopic(topic, NameBytes(name), true, position);
    FHistory->Record(std::make_unique<TAddPicturesCommand>(
        *this, before, topic, FTopics->Topics(topic).Bmps.Count() - 1, true));
    NoteCopiesElsewhere(elsewhere);
}

void TMainForm::tSaveBtnClick() {
    const std::optional<TNameMatch> shown = ListedPicture(CurrentImageIndex());
    if (!shown) {
        return;
    }
    BmpListView->CancelEditing();
    if (BmpListView->SelectedCount() < 2) {
        if (FPreviewDamaged) {
            // Tells again why there is nothing to save.
            ShowPreview();
            return;
        }
        tavik::SaveImageAs(PreviewImage->Picture(),
                           NameText(FTopics->Image(shown->topic, shown->image).Name), this);
    } else {
        SaveImageGroup();
    }
}

void TMainForm::SaveImageGroup() {
    if (!ListedPicture(CurrentImageIndex())) {
        return;
    }
    QString folder;
    if (!SelectFolder(LoadText(kTextGroupFolder), FSaveGroupFolder, folder) || folder.isEmpty()) {
        return;
    }
    FSaveGroupFolder = folder;
    ExportFormat format = ExportFormat::Original;
    if (!AskGroupFormat(this, format)) {
        return;
    }
    tavik::SaveImageGroup(folder, SelectedGroup(), DataFileName(), FCodePage, format);
}

std::vector<TGroupPicture> TMainForm::SelectedGroup() const {
    std::vector<TGroupPicture> pictures;
    for (const TNameMatch& listed : SelectedPictures())
        if (listed.image < FTopics->Topics(listed.topic).Bmps.Count()) {
            const TBmp& bmp = FTopics->Image(listed.topic, listed.image);
            pictures.push_back({bmp.Name, bmp.Position});
        }
    return pictures;
}

void TMainForm::BmpListViewStartDrag(QMimeData*& data) {
    const TPicture& shown = PreviewImage->Picture();
    if (shown.Graphic() == nullptr || shown.Graphic()->Empty()) {
        return;
    }
    // Other programs get the pictures as files and the shown one as Copy
    // gives it; the topic list still finds the dragged items.
    auto* pictures = new TPictureDragData(shown, palette().color(QPalette::Button), FDragOutFolder,
                                          SelectedGroup(), DataFileName(), FCodePage);
    pictures->setData(TBmpListView::DragMimeType(), data->data(TBmpListView::DragMimeType()));
    delete data;
    data = pictures;
}

void TMainForm::ImportBtnClick() {
    QString folder;
    if (!SelectFolder(LoadText(kTextImportFolder), FImportFolder, folder) || folder.isEmpty()) {
        return;
    }
    FImportFolder = folder;
    const int before = FTopics->Count();
    const TViewState view = CaptureView();
    bool imported = false;
    try {
        imported = ImportTopics(folder, *FTopics, DataFileName(), FLanguage, FCodePage);
    } catch (...) {
        // The topics copied before the failure are in the catalogue and their
        // records in the data file: show them, and keep them for the next save.
        if (FTopics->Count() != before) {
            const int current = CurrentTopic();
            FillTopicList();
            SelectTopic(current);
            SetListChanged(true);
            FHistory->Record(std::make_unique<TImportTopicsCommand>(*this, view, before));
        }
        throw;
    }
    if (!imported) {
        return;
    }
    FillTopicList();
    ShowTopic(FTopics->Count() - 1);
    FHistory->Record(std::make_unique<TImportTopicsCommand>(*this, view, before));
    SaveCatalog();
}

} // namespace tavik
