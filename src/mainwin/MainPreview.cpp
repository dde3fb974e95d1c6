// The preview pane and the way into the view window.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/nfPanel.h"
#include "graphics/Bitmap.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "mainwin/DamagedPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/PictureImage.h"
#include "mainwin/View.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QLabel>

namespace tavik {

const TPicture& TMainForm::PreviewPicture() const {
    return PreviewImage->Picture();
}

void TMainForm::ClearPreview() {
    FPreviewDamaged = false;
    PreviewLabel->clear();
    PreviewImage->Clear();
    PreviewImage->setGeometry(0, 0, 0, 0);
}

void TMainForm::ShowPreview() {
    const std::optional<TNameMatch> shown = ListedPicture(CurrentImageIndex());
    if (!shown) {
        ClearPreview();
        return;
    }
    const int topic = shown->topic;
    const int index = shown->image;
    if (index >= FTopics->Topics(topic).Bmps.Count()) {
        // The list and the catalogue are out of step; say so the only way
        // that does not interrupt the user.
        ClearPreview();
        for (int i = 0; i < 3; ++i)
            QApplication::beep();
        return;
    }
    try {
        FWorkPicture->LoadFromCatalog(DataFileName(), FTopics->Image(topic, index).Position);
    } catch (const std::exception& error) {
        // The preview is refreshed from inside the list's own signals, which
        // nothing may leave; the damage is reported after the command.
        ShowDamagedPreview();
        DeferReport(error);
        return;
    }
    FPreviewDamaged = false;
    PreviewLabel->setText(
        QStringLiteral("%1 x %2").arg(FWorkPicture->Width()).arg(FWorkPicture->Height()));
    PreviewImage->SetPicture(*FWorkPicture);
    LayoutPreviewImage(FWorkPicture->Width(), FWorkPicture->Height());
}

void TMainForm::ShowDamagedPreview() {
    // Never the picture shown before: Copy and Save would take it for this one.
    TPicture mark;
    mark.SetGraphic(TBitmap::FromImage(
        DamagedPictureImage(PreviewPanel->palette().color(PreviewPanel->backgroundRole()))));
    PreviewLabel->clear();
    PreviewImage->SetPicture(mark);
    LayoutPreviewImage(mark.Width(), mark.Height());
    FPreviewDamaged = true;
}

void TMainForm::LayoutPreviewImage(int width, int height) {
    int left = 0;
    int top = 0;
    FitRect(width, height, PreviewPanel->width(), PreviewPanel->height(), FFitPreview, false,
            FCenterPreview, left, top);
    PreviewImage->setGeometry(left, top, width, height);
}

void TMainForm::ShowViewWindow(const TPicture& picture) {
    if (FViewForm)
        FViewForm->ShowPicture(picture);
}

} // namespace tavik
