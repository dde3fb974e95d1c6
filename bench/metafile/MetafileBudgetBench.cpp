#include "graphics/metafile/Metafile.h"
#include "support/WmfBuilder.h"

#include "Ratios.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

// Hostile metafiles of about 1 MB, each drawn as a thumbnail is drawn (into a
// 4096 x 4096 image), against reading the same file (parsing and framing its
// records). Prints, per file, the ratio drawing / reading: the work budget
// keeps it a small factor whatever the records claim. An honest drawing of
// the same size is shown beside them.

namespace {

using namespace tavik::metafile;
using namespace tavik::metafile::testing;

constexpr int kSide = 4096;

std::vector<std::uint8_t> WholePictureShapes() {
    WmfBuilder b(QRect(0, 0, kSide, kSide), 96);
    for (int i = 0; i < 75'000; ++i)
        b.Rec(WmfFunction::Rectangle, {kSide, kSide, 0, 0});
    return b.Finish();
}

std::vector<std::uint8_t> FullObjectTable() {
    WmfBuilder b(QRect(0, 0, kSide, kSide), 96, 65535);
    for (int i = 0; i < 75'000; ++i)
        b.Brush(0, Rgb(255, 0, 0));
    return b.Finish();
}

std::vector<std::uint8_t> HugeText() {
    WmfBuilder b(QRect(0, 0, kSide, kSide), 96);
    b.Font(-kSide).Rec(WmfFunction::SelectObject, {0});
    for (int i = 0; i < 20'000; ++i)
        b.TextOut({0, 0}, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    return b.Finish();
}

std::vector<std::uint8_t> HonestLines() {
    WmfBuilder b(QRect(0, 0, kSide, kSide), 96);
    std::vector<QPoint> points;
    for (int i = 0; i < 64; ++i)
        points.push_back({(i * 997) % kSide, (i * 389) % kSide});
    for (int i = 0; i < 4'000; ++i)
        b.Poly(WmfFunction::Polyline, points);
    return b.Finish();
}

const std::map<std::string, std::vector<std::uint8_t>>& Files() {
    static const std::map<std::string, std::vector<std::uint8_t>> files = {
        {"WholePictureShapes", WholePictureShapes()},
        {"FullObjectTable", FullObjectTable()},
        {"HugeText", HugeText()},
        {"HonestLines", HonestLines()},
    };
    return files;
}

void Read(benchmark::State& state, const std::string& name) {
    const auto& stream = Files().at(name);
    for (auto _ : state)
        benchmark::DoNotOptimize(MetafileDocument::Parse(stream).NaturalSize());
}

void Draw(benchmark::State& state, const std::string& name) {
    const auto& stream = Files().at(name);
    // The format thumbnails are drawn in.
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        const MetafileDocument doc = MetafileDocument::Parse(stream);
        QPainter painter(&image);
        const PlayReport report = doc.Play(painter, QRectF(0, 0, kSide, kSide));
        state.counters["cut short"] = report.cutShort;
        state.counters["work"] = static_cast<double>(report.work);
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const auto& [name, stream] : Files()) {
        benchmark::RegisterBenchmark(("Read/" + name).c_str(), Read, name)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3);
        benchmark::RegisterBenchmark(("Draw/" + name).c_str(), Draw, name)
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3)
            ->Iterations(1)
            ->MeasureProcessCPUTime();
    }
    tavik::bench::RatioReporter reporter(true);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\ndrawing into %d x %d / reading the file:\n", kSide, kSide);
    for (const auto& [name, stream] : Files()) {
        const double read = reporter.Seconds("Read/" + name);
        const double draw = reporter.Seconds("Draw/" + name);
        if (read > 0 && draw > 0)
            std::printf("  %-20s %7zu bytes  %8.1f ms  ratio %.0f\n", name.c_str(), stream.size(),
                        draw * 1000, draw / read);
    }
    return 0;
}
