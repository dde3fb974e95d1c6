// Opening a topic of 20,000 small pictures. The baseline restores the same
// records and makes their two thumbnails in one thread without any window;
// beside it: the time until the first screenful of thumbnails and until all
// of them have reached the list, on one worker thread and on all of them, and
// how late a 10 ms timer of the window runs meanwhile (the event loop's
// latency while the thumbnails are made).
#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "mainwin/MainForm.h"
#include "mainwin/ThumbnailLoader.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"
#include "storage/Records.h"
#include "storage/Stream.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPictures = 20000;

// One topic of kPictures bitmaps from 16 x 16 to 48 x 48 pixels, written in
// one pass (appending one by one would flush the file 20,000 times).
struct Catalogue {
    QTemporaryDir dir;
    std::string folder;
    std::vector<std::int32_t> positions;

    Catalogue() {
        folder = dir.path().toStdString() + "/";
        tavik::CreateDataFile(tavik::DataFileName(folder));
        tavik::TTopicList topics;
        tavik::TTopic& topic = topics.AddTopic("bench");
        std::vector<std::vector<std::uint8_t>> streams;
        for (int i = 0; i < 33; ++i) {
            QImage image(16 + i, 16 + i, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 37 % 360, 180, 220));
            const QString file = dir.filePath("p.bmp");
            image.save(file, "BMP");
            QFile bmp(file);
            bmp.open(QIODevice::ReadOnly);
            const QByteArray bytes = bmp.readAll();
            streams.emplace_back(bytes.begin(), bytes.end());
        }
        tavik::TFileStream data(tavik::DataFileName(folder), tavik::TFileStream::Mode::ReadWrite);
        for (int i = 0; i < kPictures; ++i) {
            const auto position = static_cast<std::int32_t>(data.Size());
            tavik::SaveRecord(data, position, tavik::PictureKind::Bitmap,
                              streams[static_cast<std::size_t>(i % 33)]);
            positions.push_back(position);
            topic.AddBmp("p" + std::to_string(i) + ".bmp", position);
        }
        data.Flush();
        tavik::SaveListFile(tavik::ListFileName(folder), topics);
    }
};

Catalogue& Shared() {
    static Catalogue catalogue;
    return catalogue;
}

void BM_ThumbnailsOnly(benchmark::State& state) {
    Catalogue& c = Shared();
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

// Arg: worker threads (0: as many as the machine has).
void BM_FillToAllThumbnails(benchmark::State& state) {
    Catalogue& c = Shared();
    tavik::TMainForm form(QString::fromStdString(c.folder + "tavik"));
    form.show();
    tavik::TThumbnailLoader& loader = form.Thumbnails();
    loader.SetMaxThreads(state.range(0) > 0 ? static_cast<int>(state.range(0))
                                            : QThread::idealThreadCount());
    // The first screenful: what the list asks for first.
    const int screenful = 100;
    std::vector<double> lateness;
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
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        QElapsedTimer sinceTick;
        QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
            lateness.push_back(
                std::max(0.0, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6 - 10));
            sinceTick.restart();
        });
        clock.start();
        form.FillImageList();
        sinceTick.start();
        tick.start(10);
        loop.exec();
        QObject::disconnect(ready);
    }
    if (form.ImageList()->Count() != kPictures)
        state.SkipWithError("the list does not hold every picture");
    std::sort(lateness.begin(), lateness.end());
    const double p99 =
        lateness.empty() ? 0 : lateness[std::min(lateness.size() - 1, lateness.size() * 99 / 100)];
    state.counters["first_screen_ms"] = firstScreen / static_cast<double>(state.iterations());
    state.counters["timer_late_p99_ms"] = p99;
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_FillToAllThumbnails)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

// Prints each benchmark's time per iteration against the baseline's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const double t = run.GetAdjustedRealTime();
            if (run.benchmark_name().find("ThumbnailsOnly") != std::string::npos)
                FBaseline = t;
            else if (FBaseline > 0)
                std::printf("ratio %s / thumbnails only: %.2f\n", run.benchmark_name().c_str(),
                            t / FBaseline);
        }
    }

private:
    double FBaseline = 0;
};

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
