// Repainting the whole main window, with a topic of 1,000 small pictures
// listed and a metafile in the preview, against copying an image of the
// window's size.
#include "controls/BmpLV.h"
#include "mainwin/MainForm.h"

#include "BenchCatalogue.h"
#include "Ratios.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPictures = 1000;

tavik::bench::TBenchCatalogue& Shared() {
    static tavik::bench::TBenchCatalogue catalogue(kPictures, true);
    return catalogue;
}

constexpr QSize kWindowSize(1000, 700);

void BM_RepaintWindow(benchmark::State& state) {
    tavik::bench::TBenchCatalogue& c = Shared();
    tavik::TMainForm form(QString::fromStdString(c.folder + "tavik"));
    form.resize(kWindowSize);
    form.show();
    form.ImageList()->SetSelected(0, true);
    if (form.PreviewPicture().Kind() != tavik::PictureKind::Metafile)
        state.SkipWithError("the preview does not show the metafile");
    // Every widget of the window paints itself into one image.
    for (auto _ : state)
        benchmark::DoNotOptimize(form.grab());
}
BENCHMARK(BM_RepaintWindow)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);

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
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tavik::bench::RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tavik::bench::PrintRatios(reporter,
                              {{"repainting the window / copying its image (no target)",
                                "BM_RepaintWindow", "BM_CopyWindowImage", false, 1e9, false}});
    benchmark::Shutdown();
    return 0;
}
