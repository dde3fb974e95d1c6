// Repainting the main window, with a topic of 1,000 small pictures listed and
// a metafile in the preview, against copying an image of the window's size:
// the whole window into an image, and on screen only the preview or only one
// thumbnail, as when a window moved over them.
#include "controls/BmpLV.h"
#include "mainwin/MainForm.h"
#include "mainwin/PictureImage.h"

#include "BenchCatalogue.h"
#include "WindowBenchMain.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kPictures = 1000;

tavik::bench::TBenchCatalogue& Shared() {
    static tavik::bench::TBenchCatalogue catalogue(kPictures, true);
    return catalogue;
}

constexpr QSize kWindowSize(1000, 700);

// The main window shown with the first picture, a metafile, in the preview.
class TShownWindow {
public:
    explicit TShownWindow(benchmark::State& state)
        : FForm(QString::fromStdString(Shared().folder + "tavik")) {
        FForm.resize(kWindowSize);
        FForm.show();
        FForm.ImageList()->SetSelected(0, true);
        if (FForm.PreviewPicture().Kind() != tavik::PictureKind::Metafile)
            state.SkipWithError("the preview does not show the metafile");
        // The first paint on screen is not measured.
        QApplication::processEvents();
    }
    tavik::TMainForm& Form() { return FForm; }

private:
    tavik::TMainForm FForm;
};

void BM_RepaintWindow(benchmark::State& state) {
    TShownWindow window(state);
    // Every widget of the window paints itself into one image.
    for (auto _ : state)
        benchmark::DoNotOptimize(window.Form().grab());
}
BENCHMARK(BM_RepaintWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);

void BM_RepaintPreview(benchmark::State& state) {
    TShownWindow window(state);
    auto* preview = window.Form().findChild<tavik::TPictureImage*>("PreviewImage");
    if (!preview || preview->size().isEmpty())
        state.SkipWithError("the preview is not shown");
    for (auto _ : state)
        preview->repaint();
}
BENCHMARK(BM_RepaintPreview)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3);

void BM_RepaintOneThumbnail(benchmark::State& state) {
    TShownWindow window(state);
    tavik::TBmpListView* list = window.Form().ImageList();
    const QRect cell = list->visualRect(list->model()->index(1, 0));
    if (cell.isEmpty())
        state.SkipWithError("the second thumbnail is not shown");
    for (auto _ : state)
        list->viewport()->repaint(cell);
}
BENCHMARK(BM_RepaintOneThumbnail)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3);

void BM_CopyWindowImage(benchmark::State& state) {
    QImage source(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    source.fill(QColor(212, 208, 200));
    QImage target(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.drawImage(0, 0, source);
    }
}
BENCHMARK(BM_CopyWindowImage)->Unit(benchmark::kMillisecond)->MinTime(1.0)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    return tavik::bench::RunWindowBenchmarks(
        argc, argv,
        {{"repainting the window / copying its image (no target)", "BM_RepaintWindow",
          "BM_CopyWindowImage", false, 1e9, false},
         {"repainting the preview / copying the window's image (no target)", "BM_RepaintPreview",
          "BM_CopyWindowImage", false, 1e9, false},
         {"repainting a thumbnail / copying the window's image (no target)",
          "BM_RepaintOneThumbnail", "BM_CopyWindowImage", false, 1e9, false}});
}
