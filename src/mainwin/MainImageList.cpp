// The image list: filling it from the current topic, its count caption, the
// small progress bar and its events.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "graphics/TavikPicture.h"
#include "mainwin/DamagedPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QProgressBar>
#include <optional>

namespace tavik {
namespace {

// Closes the list's update bracket and gives the cursor back however the
// fill ends, so that a failure never leaves the list frozen.
class TFillGuard {
public:
    TFillGuard(TBmpListView& list, bool hourGlass) : FList(list), FHourGlass(hourGlass) {
        FList.BeginUpdate();
        if (FHourGlass)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~TFillGuard() {
        if (FHourGlass)
            QApplication::restoreOverrideCursor();
        FList.EndUpdate();
    }
    TFillGuard(const TFillGuard&) = delete;
    TFillGuard& operator=(const TFillGuard&) = delete;

private:
    TBmpListView& FList;
    bool FHourGlass;
};

// A bar whose maximum equals its minimum shows a busy animation in Qt; a
// one-picture topic gets a range of one step instead.
void SetBarMaximum(QProgressBar& bar, int maximum) {
    bar.setRange(0, maximum > 0 ? maximum : 1);
}

} // namespace

int TMainForm::ImageTopic() const {
    // Should the list ever show another topic than the current one, no image
    // command may act on either of them.
    const int topic = CurrentTopic();
    return topic == FShownTopic && topic < FTopics->Count() ? topic : -1;
}

int TMainForm::CurrentImageIndex() const {
    return BmpListView->SelectedIndex();
}

void TMainForm::UpdateImageCount() {
    BmpBtn->SetCaption(FormatText(LoadText(kTextImagesCaption), {BmpListView->Count()}));
}

void TMainForm::RevealImage(int index) {
    if (index != -1)
        BmpListView->MakeVisible(index);
}

void TMainForm::ArrangeImages() {
    BmpListView->Arrange();
}

void TMainForm::FillImageList() {
    BmpListView->ClearItems();
    const int topic = CurrentTopic();
    FShownTopic = topic;
    if (topic >= 0 && topic < FTopics->Count()) {
        const TBmpList& bmps = FTopics->Topics(topic).Bmps;
        const int n = bmps.Count();
        std::optional<std::string> firstError;
        {
            TFillGuard guard(*BmpListView, FShowHourGlass);
            BmpListView->SetAllocBy(n);
            // An empty topic still ends with a full bar.
            SetBarMaximum(*BmpProgressBar, n > 0 ? n - 1 : 65535);
            for (int i = 0; i < n; ++i) {
                const TBmp& bmp = bmps.Bmps(i);
                try {
                    FWorkPicture->LoadFromCatalog(DataFileName(), bmp.Position);
                    BmpListView->AddPictureItem(NameText(bmp.Name), *FWorkPicture);
                } catch (const Exception& error) {
                    // One damaged record must not hide the pictures after it.
                    if (!firstError)
                        firstError = error.Message();
                    BmpListView->AddBitmapItem(NameText(bmp.Name),
                                               DamagedPictureImage(BmpListView->BackgroundColor()));
                }
                if (FShowProgressBar)
                    BmpProgressBar->setValue(i);
            }
            BmpProgressBar->setValue(BmpProgressBar->maximum());
        }
        UpdateImageCount();
        if (firstError)
            DeferReport(Exception(*firstError));
        return;
    }
    UpdateImageCount();
}

void TMainForm::BmpListViewChange() {
    if (FDestroying || FMovingImage)
        return;
    ShowPreview();
}

void TMainForm::BmpListViewEnter() {
    SetTopicsActive(false);
}

} // namespace tavik
