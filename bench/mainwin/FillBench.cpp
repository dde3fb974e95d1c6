// Opening a topic of 1,000 small pictures. The baseline restores the same
// records and makes their two thumbnails without any window, so the ratio is
// what the list itself (items, update bracket, progress bar) adds.
#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "mainwin/MainForm.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include "Ratios.h"

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kPictures = 1000;

// One topic of kPictures bitmaps from 16 x 16 to 48 x 48 pixels.
struct Catalogue {
    QTemporaryDir dir;
    std::string folder;
    std::vector<std::int32_t> positions;

    Catalogue() {
        folder = dir.path().toStdString() + "/";
        tavik::CreateDataFile(tavik::DataFileName(folder));
        tavik::TTopicList topics;
        tavik::TTopic& topic = topics.AddTopic("bench");
        tavik::TTavikPicture picture;
        for (int i = 0; i < kPictures; ++i) {
            const int size = 16 + i % 33;
            QImage image(size, size, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 7 % 360, 180, 220));
            const QString file = dir.filePath("p.bmp");
            image.save(file, "BMP");
            picture.LoadFromFile(file.toStdString());
            const std::int32_t position = picture.AppendToCatalog(tavik::DataFileName(folder));
            positions.push_back(position);
            topic.AddBmp("p" + std::to_string(i) + ".bmp", position);
        }
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
BENCHMARK(BM_ThumbnailsOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FillImageList(benchmark::State& state) {
    Catalogue& c = Shared();
    tavik::TMainForm form(QString::fromStdString(c.folder + "tavik"));
    form.show();
    for (auto _ : state)
        form.FillImageList();
    if (form.ImageList()->Count() != kPictures)
        state.SkipWithError("the list does not hold every picture");
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_FillImageList)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tavik::bench::RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tavik::bench::PrintRatios(reporter,
                              {{"filling the image list / thumbnails only (no target)",
                                "BM_FillImageList", "BM_ThumbnailsOnly", false, 1e9, false}});
    benchmark::Shutdown();
    return 0;
}
