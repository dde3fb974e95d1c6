// The image list: filling it from the current topic, its count caption, the
// small progress bar and its events.
#include "mainwin/MainForm.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "graphics/Thumbnail.h"
#include "mainwin/DamagedPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/TextIds.h"
#include "mainwin/Texts.h"
#include "mainwin/ThumbnailLoader.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QProgressBar>
#include <vector>

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

// How many items the list shows at once in its current size and style: the
// pictures to make first.
int ScreenfulOf(const TBmpListView& list) {
    const QSize grid = list.gridSize();
    const QSize area = list.viewport()->size();
    if (!grid.isValid() || grid.width() <= 0 || grid.height() <= 0)
        return 0;
    return (area.width() / grid.width() + 1) * (area.height() / grid.height() + 1);
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

void TMainForm::CreateThumbnailLoader() {
    FThumbnails = std::make_unique<TThumbnailLoader>();
    connect(FThumbnails.get(), &TThumbnailLoader::Ready, &FCommandContext,
            [this](const std::vector<TThumbnail>& made) {
                // Not a command of its own: a delivery inside another
                // command's event loop must not end that command's reports.
                try {
                    ShowThumbnails(made);
                } catch (const std::exception& failure) {
                    DeferReport(failure);
                }
            });
    connect(FThumbnails.get(), &TThumbnailLoader::Finished, &FCommandContext,
            [this](const QString& firstError) {
                try {
                    ThumbnailsFinished(firstError);
                } catch (const std::exception& failure) {
                    DeferReport(failure);
                }
            });
}

void TMainForm::FillImageList() {
    const int topic = CurrentTopic();
    FShownTopic = topic;
    QStringList names;
    std::vector<std::int32_t> positions;
    if (topic >= 0 && topic < FTopics->Count()) {
        const TBmpList& bmps = FTopics->Topics(topic).Bmps;
        const int n = bmps.Count();
        names.reserve(n);
        positions.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            const TBmp& bmp = bmps.Bmps(i);
            names << NameText(bmp.Name);
            positions.push_back(bmp.Position);
        }
    }
    FillImageItems(names, std::move(positions), topic >= 0 && topic < FTopics->Count());
}

void TMainForm::FillImageItems(const QStringList& names, std::vector<std::int32_t> positions,
                               bool showProgress) {
    FThumbnails->Cancel();
    BmpListView->ClearItems();
    if (showProgress) {
        const int n = static_cast<int>(names.size());
        TFillGuard guard(*BmpListView, FShowHourGlass);
        BmpListView->AddPlaceholderItems(names);
        // An empty topic still ends with a full bar.
        SetBarMaximum(*BmpProgressBar, n > 0 ? n - 1 : 65535);
        BmpProgressBar->setValue(0);
    }
    UpdateImageCount();
    FThumbnails->Start(DataFileName(), std::move(positions), BmpListView->BackgroundColor(),
                       ScreenfulOf(*BmpListView), BmpListView->devicePixelRatioF());
}

void TMainForm::ShowThumbnails(const std::vector<TThumbnail>& made) {
    QImage damagedLarge;
    QImage damagedSmall;
    for (const TThumbnail& thumbnail : made) {
        if (thumbnail.error.isEmpty()) {
            BmpListView->SetThumbnails(thumbnail.index, thumbnail.large, thumbnail.small);
            continue;
        }
        // The picture keeps a place in the list, marked as damaged.
        if (damagedLarge.isNull()) {
            const QColor background = BmpListView->BackgroundColor();
            const QImage mark = DamagedPictureImage(background);
            damagedLarge = MakeThumbnail(mark, 32, background);
            damagedSmall = MakeThumbnail(mark, 16, background);
        }
        BmpListView->SetThumbnails(thumbnail.index, damagedLarge, damagedSmall);
    }
    if (FShowProgressBar)
        BmpProgressBar->setValue(FThumbnails->Delivered() - 1);
}

void TMainForm::ThumbnailsFinished(const QString& firstError) {
    BmpProgressBar->setValue(BmpProgressBar->maximum());
    // One damaged record is reported once, however many the topic holds.
    if (!firstError.isEmpty())
        DeferReport(Exception(firstError.toStdString()));
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
