// Repainting the whole main window, with a topic of 1,000 small pictures
// listed and a metafile in the preview, against copying an image of the
// window's size.
#include "controls/BmpLV.h"
#include "graphics/SvgImport.h"
#include "graphics/TavikPicture.h"
#include "mainwin/MainForm.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include "Ratios.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
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
        // First a metafile, the picture the preview shows.
        const std::vector<std::uint8_t> emf = tavik::SvgToEmf(
            "<svg xmlns='http://www.w3.org/2000/svg' width='200' height='150'>"
            "<rect x='10' y='10' width='180' height='130' fill='#4080c0' stroke='black'/>"
            "<circle cx='100' cy='75' r='50' fill='#e0a020'/>"
            "<path d='M20 140 C60 20 140 20 180 140' fill='none' stroke='red' stroke-width='4'/>"
            "<text x='30' y='40' font-size='20'>Tavik</text></svg>");
        const std::int32_t metafile = tavik::AppendRecordToFile(tavik::DataFileName(folder),
                                                                tavik::PictureKind::Metafile, emf);
        positions.push_back(metafile);
        topic.AddBmp("m.emf", metafile);
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

constexpr QSize kWindowSize(1000, 700);

void BM_RepaintWindow(benchmark::State& state) {
    Catalogue& c = Shared();
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
