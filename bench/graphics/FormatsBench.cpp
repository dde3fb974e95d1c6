// Today's formats in, against Qt doing the least the same job needs:
// - adding 1,000 small PNG files to the catalogue (read, decode, encode as a
//   bitmap, append the record) against Qt decoding the same files from disk
//   and encoding each as a BMP in memory; target at most 1.5 times;
// - an SVG stored as EMF drawn as a 32-pixel thumbnail against Qt's SVG
//   renderer drawing the same SVG into the same thumbnail; target at most 2.
#include "../storage/Ratios.h"
#include "graphics/Picture.h"
#include "graphics/PictureImport.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "storage/CatalogFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

constexpr int kFiles = 1000;

struct PngFolder {
    QTemporaryDir dir;
    std::vector<std::string> paths;
};

// Small opaque and transparent drawings from 16 x 16 to 64 x 64.
PngFolder& Pngs() {
    static PngFolder folder = [] {
        PngFolder f;
        for (int i = 0; i < kFiles; ++i) {
            const int side = 16 + (i * 7) % 49;
            QImage image(side, side, i % 3 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
            image.fill(i % 3 ? QColor::fromHsv(i * 37 % 360, 60, 240) : QColor(0, 0, 0, 0));
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setBrush(QColor::fromHsv(i * 91 % 360, 200, 200));
            painter.drawEllipse(QRectF(side * 0.1, side * 0.1, side * 0.8, side * 0.8));
            painter.end();
            const QString path = f.dir.filePath(QString("p%1.png").arg(i));
            image.save(path, "PNG");
            f.paths.push_back(path.toStdString());
        }
        return f;
    }();
    return folder;
}

void AddPngFiles(benchmark::State& state) {
    PngFolder& pngs = Pngs();
    const std::string dataFile = pngs.dir.filePath("tavik.dat").toStdString();
    tavik::TTavikPicture picture;
    for (auto _ : state) {
        state.PauseTiming();
        tavik::CreateDataFile(dataFile);
        state.ResumeTiming();
        for (const std::string& path : pngs.paths) {
            tavik::ImportPictureFile(picture, path);
            benchmark::DoNotOptimize(picture.AppendToCatalog(dataFile));
        }
    }
}

// The conversion alone, without the appends (each flushed to disk): where
// the time of AddPngFiles goes.
void ImportPngFilesOnly(benchmark::State& state) {
    tavik::TPicture picture;
    for (auto _ : state)
        for (const std::string& path : Pngs().paths)
            tavik::ImportPictureFile(picture, path);
}

void QtDecodeAndEncodeBmp(benchmark::State& state) {
    PngFolder& pngs = Pngs();
    for (auto _ : state) {
        for (const std::string& path : pngs.paths) {
            const QImage image(QString::fromStdString(path));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QImageWriter(&buffer, "bmp").write(image);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
}

struct Svgs {
    std::vector<QByteArray> files;
    std::vector<tavik::TPicture> stored;
};

Svgs& TheSvgs() {
    static Svgs svgs = [] {
        Svgs s;
        const QDir dir(QStringLiteral(TAVIK_FORMATS_DATA "/svg"));
        for (const QString& name : dir.entryList({"*.svg"}, QDir::Files)) {
            QFile file(dir.filePath(name));
            file.open(QIODevice::ReadOnly);
            s.files.push_back(file.readAll());
            tavik::TPicture picture;
            tavik::ImportPictureFile(picture, dir.filePath(name).toStdString());
            s.stored.push_back(picture);
        }
        return s;
    }();
    return svgs;
}

void StoredSvgThumbnails(benchmark::State& state) {
    Svgs& svgs = TheSvgs();
    for (auto _ : state)
        for (const tavik::TPicture& picture : svgs.stored)
            benchmark::DoNotOptimize(tavik::MakePictureThumbnail(picture, 32, Qt::white));
}

// Qt's renderer fitted into the same box, parsing included as for a file.
void QtSvgThumbnails(benchmark::State& state) {
    Svgs& svgs = TheSvgs();
    for (auto _ : state) {
        for (const QByteArray& svg : svgs.files) {
            QSvgRenderer renderer(svg);
            QImage thumbnail(32, 32, QImage::Format_ARGB32);
            thumbnail.fill(Qt::white);
            QSizeF size = renderer.viewBoxF().size();
            size.scale(32, 32, Qt::KeepAspectRatio);
            QPainter painter(&thumbnail);
            renderer.render(
                &painter, QRectF(QPointF((32 - size.width()) / 2, (32 - size.height()) / 2), size));
            benchmark::DoNotOptimize(thumbnail.bits());
        }
    }
}

BENCHMARK(AddPngFiles)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);
BENCHMARK(ImportPngFilesOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);
BENCHMARK(QtDecodeAndEncodeBmp)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Repetitions(3);
BENCHMARK(StoredSvgThumbnails)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3);
BENCHMARK(QtSvgThumbnails)->Unit(benchmark::kMicrosecond)->MinTime(1.0)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    tavik::bench::RatioReporter reporter(false);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int missed = tavik::bench::PrintRatios(
        reporter, {{"adding 1,000 PNG files / Qt decode + BMP encode (time)", "AddPngFiles",
                    "QtDecodeAndEncodeBmp", false, 1.5, false},
                   {"  of which converting the files (no target)", "ImportPngFilesOnly",
                    "QtDecodeAndEncodeBmp", false, 1e9, false},
                   {"SVG stored as EMF, 32-px thumbnail / QSvgRenderer (time)",
                    "StoredSvgThumbnails", "QtSvgThumbnails", false, 2.0, false}});
    benchmark::Shutdown();
    return missed == 0 ? 0 : 1;
}
