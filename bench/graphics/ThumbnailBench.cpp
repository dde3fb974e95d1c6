// Restoring 1,000 mixed small pictures from a catalogue and making both
// thumbnails of each, against Qt decoding the same 1,000 files from disk.
// The ratio of the two is printed at the end; the target is at most 1.5.
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "storage/CatalogFiles.h"
#include "storage/Records.h"

#include "Ratios.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kPictures = 1000;

struct Catalogue {
    QTemporaryDir dir;
    std::string dataFile;
    std::vector<std::int32_t> positions;
    std::vector<std::pair<QString, QByteArray>> files; // path and Qt format
};

QImage Scene(int w, int h, int seed, bool alpha) {
    QImage image(w, h, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? QColor(0, 0, 0, 0) : QColor::fromHsv(seed * 37 % 360, 60, 240));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor::fromHsv(seed * 91 % 360, 200, 200));
    painter.drawEllipse(QRectF(w * 0.1, h * 0.1, w * 0.8, h * 0.8));
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(0, h - 1, w - 1, 0);
    return image;
}

std::vector<std::uint8_t> IconFile(const QImage& image) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image)) {
        std::fprintf(stderr, "Qt could not write an icon\n");
        std::exit(1);
    }
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

// A mix of 8-, 24- and 32-bit bitmaps and 32-bit icons from 16 x 16 to
// 128 x 128, each written to a file and appended to the data file.
Catalogue& TheCatalogue() {
    static Catalogue* catalogue = [] {
        auto* c = new Catalogue;
        c->dataFile = (c->dir.path() + "/tavik.dat").toStdString();
        tavik::CreateDataFile(c->dataFile);
        const int sizes[] = {16, 24, 32, 48, 64, 100, 128};
        for (int i = 0; i < kPictures; ++i) {
            const int w = sizes[i % 7];
            const int h = sizes[(i / 7) % 7];
            tavik::TTavikPicture picture;
            std::vector<std::uint8_t> bytes;
            QString path;
            QByteArray format;
            if (i % 4 == 3) {
                const int side = std::min(w, h);
                bytes = IconFile(Scene(side, side, i, true));
                picture.Icon().LoadFromStream(bytes);
                path = c->dir.path() + QString("/p%1.ico").arg(i);
                format = "ico";
            } else {
                QImage image = Scene(w, h, i, i % 4 == 2);
                if (i % 4 == 1) {
                    image = image.convertToFormat(QImage::Format_Indexed8);
                }
                picture.SetGraphic(tavik::TBitmap::FromImage(image));
                bytes = picture.Graphic()->Stream();
                path = c->dir.path() + QString("/p%1.bmp").arg(i);
                format = "bmp";
            }
            std::ofstream(path.toStdString(), std::ios::binary)
                .write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
            c->files.emplace_back(path, format);
            c->positions.push_back(picture.AppendToCatalog(c->dataFile));
        }
        return c;
    }();
    return *catalogue;
}

void QtDecodeFromDisk(benchmark::State& state) {
    auto& c = TheCatalogue();
    for (auto _ : state) {
        for (const auto& [path, format] : c.files) {
            QImageReader reader(path, format);
            QImage image = reader.read();
            benchmark::DoNotOptimize(image);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}

void CatalogueThumbnails(benchmark::State& state) {
    auto& c = TheCatalogue();
    const QColor background(0xF0, 0xF0, 0xF0);
    tavik::TTavikPicture picture;
    for (auto _ : state) {
        for (std::int32_t position : c.positions) {
            picture.LoadFromCatalog(c.dataFile, position);
            QImage large = tavik::MakePictureThumbnail(picture, 32, background);
            QImage small = tavik::MakePictureThumbnail(picture, 16, background);
            benchmark::DoNotOptimize(large);
            benchmark::DoNotOptimize(small);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}

// The parts of the thumbnail run, to see where its time goes.
void CatalogueRestoreOnly(benchmark::State& state) {
    auto& c = TheCatalogue();
    for (auto _ : state) {
        for (std::int32_t position : c.positions) {
            auto record = tavik::LoadRecordFromFile(c.dataFile, position);
            benchmark::DoNotOptimize(record);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}

void CatalogueDecodeOnly(benchmark::State& state) {
    auto& c = TheCatalogue();
    tavik::TTavikPicture picture;
    for (auto _ : state) {
        for (std::int32_t position : c.positions) {
            picture.LoadFromCatalog(c.dataFile, position);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}

void ThumbnailsOnly(benchmark::State& state) {
    auto& c = TheCatalogue();
    std::vector<tavik::TTavikPicture> pictures(c.positions.size());
    for (std::size_t i = 0; i < c.positions.size(); ++i) {
        pictures[i].LoadFromCatalog(c.dataFile, c.positions[i]);
    }
    const QColor background(0xF0, 0xF0, 0xF0);
    for (auto _ : state) {
        for (const auto& picture : pictures) {
            QImage large = tavik::MakePictureThumbnail(picture, 32, background);
            QImage small = tavik::MakePictureThumbnail(picture, 16, background);
            benchmark::DoNotOptimize(large);
            benchmark::DoNotOptimize(small);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}

BENCHMARK(ThumbnailsOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(CatalogueRestoreOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(CatalogueDecodeOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(QtDecodeFromDisk)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(CatalogueThumbnails)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TheCatalogue();
    tavik::bench::RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int missed = tavik::bench::PrintRatios(
        reporter, {{"catalogue thumbnails / Qt decode from disk (time)", "CatalogueThumbnails",
                    "QtDecodeFromDisk", false, 1.5, false}});
    benchmark::Shutdown();
    return missed == 0 ? 0 : 1;
}
