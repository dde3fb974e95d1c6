// Opening a topic of 20,000 small pictures. The baseline restores the same
// records and makes their two thumbnails in one thread without any window;
// beside it: the fill done whole on the event loop, picture by picture (how
// the list was filled before the worker threads), and the fill of today: the
// time until the first screenful of thumbnails and until all of them have
// reached the list, on one worker thread and on all of them. Each fill
// reports how late a 10 ms timer of the window runs meanwhile (the event
// loop's latency while the thumbnails are made).
#include "BenchCatalogue.h"
#include "WindowBenchMain.h"

#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "mainwin/MainForm.h"
#include "mainwin/ThumbnailLoader.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"
#include "storage/Records.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kPictures = 20000;

tavik::bench::TBenchCatalogue& Shared() {
    static tavik::bench::TBenchCatalogue catalogue(kPictures, false);
    return catalogue;
}

void BM_ThumbnailsOnly(benchmark::State& state) {
    tavik::bench::TBenchCatalogue& c = Shared();
    tavik::TTavikPicture picture;
    const QColor background(212, 208, 200);
    for (auto _ : state) {
        for (std::int32_t position : c.positions) {
            picture.LoadFromCatalog(tavik::DataFileName(c.folder), position);
            const QImage source = tavik::RenderForThumbnail(picture, background);
            benchmark::DoNotOptimize(tavik::MakeThumbnail(source, 32, background));
            benchmark::DoNotOptimize(tavik::MakeThumbnail(source, 16, background));
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_ThumbnailsOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

// Lateness of a 10 ms timer of the event loop: started with start(), read
// after the run by p99().
class TimerLateness {
public:
    void start(QObject* context) {
        FTick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&FTick, &QTimer::timeout, context, [this] {
            FLateness.push_back(
                std::max(0.0, static_cast<double>(FSinceTick.nsecsElapsed()) / 1e6 - 10));
            FSinceTick.restart();
        });
        FSinceTick.start();
        FTick.start(10);
    }
    void stop() { FTick.stop(); }
    double p99() {
        std::sort(FLateness.begin(), FLateness.end());
        return FLateness.empty()
                   ? 0
                   : FLateness[std::min(FLateness.size() - 1, FLateness.size() * 99 / 100)];
    }

private:
    QTimer FTick;
    QElapsedTimer FSinceTick;
    std::vector<double> FLateness;
};

// Every picture restored and both thumbnails made on the event loop, one item
// after the other, as the list was filled before the worker threads.
void BM_FillOnTheEventLoop(benchmark::State& state) {
    tavik::bench::TBenchCatalogue& c = Shared();
    tavik::TMainForm form(QString::fromStdString(c.folder + "tavik"));
    form.show();
    form.Thumbnails().Cancel();
    tavik::TBmpListView& list = *form.ImageList();
    tavik::TTavikPicture picture;
    TimerLateness lateness;
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(0, &loop, [&] {
            list.ClearItems();
            list.BeginUpdate();
            list.SetAllocBy(kPictures);
            for (int i = 0; i < kPictures; ++i) {
                picture.LoadFromCatalog(tavik::DataFileName(c.folder),
                                        c.positions[static_cast<std::size_t>(i)]);
                list.AddPictureItem(QStringLiteral("p%1.bmp").arg(i), picture);
            }
            list.EndUpdate();
            // A timer, so that the overdue tick comes before the loop ends.
            QTimer::singleShot(20, &loop, &QEventLoop::quit);
        });
        lateness.start(&loop);
        loop.exec();
        lateness.stop();
    }
    if (list.Count() != kPictures)
        state.SkipWithError("the list does not hold every picture");
    state.counters["timer_late_p99_ms"] = lateness.p99();
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_FillOnTheEventLoop)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// Arg: worker threads (0: as many as the machine has).
void BM_FillToAllThumbnails(benchmark::State& state) {
    tavik::bench::TBenchCatalogue& c = Shared();
    tavik::TMainForm form(QString::fromStdString(c.folder + "tavik"));
    form.show();
    tavik::TThumbnailLoader& loader = form.Thumbnails();
    loader.SetMaxThreads(state.range(0) > 0 ? static_cast<int>(state.range(0))
                                            : QThread::idealThreadCount());
    // The first screenful: what the list asks for first.
    const int screenful = 100;
    TimerLateness lateness;
    double firstScreen = 0;
    for (auto _ : state) {
        loader.WaitForWorkers();
        QCoreApplication::processEvents();
        QEventLoop loop;
        QElapsedTimer clock;
        bool screenShown = false;
        const auto ready = QObject::connect(&loader, &tavik::TThumbnailLoader::Ready, &loop, [&] {
            if (!screenShown && loader.Delivered() >= screenful) {
                screenShown = true;
                firstScreen += static_cast<double>(clock.nsecsElapsed()) / 1e6;
            }
        });
        QObject::connect(&loader, &tavik::TThumbnailLoader::Finished, &loop, &QEventLoop::quit);
        clock.start();
        form.FillImageList();
        lateness.start(&loop);
        loop.exec();
        lateness.stop();
        QObject::disconnect(ready);
    }
    if (form.ImageList()->Count() != kPictures)
        state.SkipWithError("the list does not hold every picture");
    state.counters["first_screen_ms"] = firstScreen / static_cast<double>(state.iterations());
    state.counters["timer_late_p99_ms"] = lateness.p99();
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_FillToAllThumbnails)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // Times against making the thumbnails alone; the fill on all threads
    // should take no longer than the fill on the event loop did.
    return tavik::bench::RunWindowBenchmarks(
        argc, argv,
        {{"fill on the event loop / thumbnails only (no target)", "BM_FillOnTheEventLoop",
          "BM_ThumbnailsOnly", false, 1e9, false},
         {"all thumbnails, one worker / thumbnails only (no target)", "BM_FillToAllThumbnails/1",
          "BM_ThumbnailsOnly", false, 1e9, false},
         {"all thumbnails, all workers / thumbnails only (no target)", "BM_FillToAllThumbnails/0",
          "BM_ThumbnailsOnly", false, 1e9, false},
         {"all thumbnails, all workers / fill on the event loop", "BM_FillToAllThumbnails/0",
          "BM_FillOnTheEventLoop", false, 1.0, false}});
}
