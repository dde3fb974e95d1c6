#include "graphics/metafile/Metafile.h"
#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include "Ratios.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <random>

// Thumbnails of 1,000 small metafiles (clip-art-like: shapes, outlines, a
// caption, some with a bitmap) beside thumbnails of the same pictures stored
// as bitmaps of their natural size. Both start from the picture stream, as
// the catalogue does. Prints the ratio metafile / bitmap; the target is 3.

namespace {

using namespace tavik::metafile;
using namespace tavik::metafile::testing;

constexpr int kPictures = 1000;
constexpr int kThumb = 32;

std::vector<std::uint8_t> MakeEmf(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(0, 95), colour(0, 255), shape(0, 3);
    EmfBuilder b(QRect(0, 0, 2540, 2540));
    for (int i = 0; i < 6; ++i) {
        b.Rec(EmfRecord::CreateBrushIndirect, {1, 0, Rgb(colour(rng), colour(rng), colour(rng)), 0})
            .Rec(EmfRecord::SelectObject, {1});
        b.Rec(EmfRecord::CreatePen, {2, 0, 2, 0, Rgb(0, 0, 0)}).Rec(EmfRecord::SelectObject, {2});
        const int x = coord(rng), y = coord(rng);
        switch (shape(rng)) {
        case 0:
            b.Rec(EmfRecord::Rectangle, {x / 2, y / 2, x / 2 + 40, y / 2 + 30});
            break;
        case 1:
            b.Rec(EmfRecord::Ellipse, {x / 2, y / 2, x / 2 + 40, y / 2 + 40});
            break;
        case 2:
            b.Poly16(EmfRecord::Polygon16, {{x, y},
                                            {coord(rng), coord(rng)},
                                            {coord(rng), coord(rng)},
                                            {coord(rng), coord(rng)}});
            break;
        default:
            b.Poly16(EmfRecord::PolyBezier16, {{x, y},
                                               {coord(rng), coord(rng)},
                                               {coord(rng), coord(rng)},
                                               {coord(rng), coord(rng)}});
        }
        b.Rec(EmfRecord::DeleteObject, {1}).Rec(EmfRecord::DeleteObject, {2});
    }
    b.Font(3, -14, 700).Rec(EmfRecord::SelectObject, {3}).Rec(EmfRecord::SetBkMode, {1});
    b.Text({8, 90}, "Clip art");
    return b.Finish();
}

std::vector<std::uint8_t> MakeWmf(std::mt19937& rng) {
    std::uniform_int_distribution<int> coord(0, 95), colour(0, 255);
    WmfBuilder b(QRect(0, 0, 1440, 1440), 1440);
    b.Rec(WmfFunction::SetWindowOrg, {0, 0}).Rec(WmfFunction::SetWindowExt, {96, 96});
    for (int i = 0; i < 6; ++i) {
        b.Brush(0, Rgb(colour(rng), colour(rng), colour(rng))).Rec(WmfFunction::SelectObject, {0});
        b.Pen(0, 1, 0).Rec(WmfFunction::SelectObject, {1});
        const int x = coord(rng), y = coord(rng);
        if (i % 2)
            b.Rec(WmfFunction::Ellipse, {y / 2 + 40, x / 2 + 40, y / 2, x / 2});
        else
            b.Poly(WmfFunction::Polygon,
                   {{x, y}, {coord(rng), coord(rng)}, {coord(rng), coord(rng)}});
        b.Rec(WmfFunction::DeleteObject, {0}).Rec(WmfFunction::DeleteObject, {1});
    }
    if (rng() % 4 == 0) {
        QImage img(16, 16, QImage::Format_RGB32);
        img.fill(QColor::fromRgb(colour(rng), colour(rng), colour(rng)));
        b.StretchDib(QRect(60, 60, 30, 30), QRect(0, 0, 16, 16), img, Number(Rop3::SrcCopy));
    }
    b.Font(-14).Rec(WmfFunction::SelectObject, {0}).Rec(WmfFunction::SetBkMode, {1});
    b.TextOut({8, 80}, "Clip art");
    return b.Finish();
}

struct Data {
    std::vector<std::vector<std::uint8_t>> metafiles;
    std::vector<QByteArray> bitmaps;
};

const Data& Pictures() {
    static const Data data = [] {
        Data d;
        std::mt19937 rng(42);
        for (int i = 0; i < kPictures; ++i) {
            d.metafiles.push_back(i % 2 ? MakeWmf(rng) : MakeEmf(rng));
            // The same picture as a bitmap of its natural size, as a BMP file.
            const MetafileDocument doc = MetafileDocument::Parse(d.metafiles.back());
            QImage img(doc.NaturalSize(), QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter painter(&img);
            doc.Play(painter, QRectF(QPointF(0, 0), doc.NaturalSize()));
            painter.end();
            QByteArray bmp;
            QBuffer buffer(&bmp);
            buffer.open(QIODevice::WriteOnly);
            img.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
            d.bitmaps.push_back(bmp);
        }
        return d;
    }();
    return data;
}

QRectF Fit(QSize natural) {
    const qreal s = std::min(qreal(kThumb) / natural.width(), qreal(kThumb) / natural.height());
    const QSizeF size = QSizeF(natural) * s;
    return QRectF(QPointF((kThumb - size.width()) / 2, (kThumb - size.height()) / 2), size);
}

void BitmapThumbnails(benchmark::State& state) {
    const Data& data = Pictures();
    QImage thumb(kThumb, kThumb, QImage::Format_RGB32);
    for (auto _ : state) {
        for (const QByteArray& bmp : data.bitmaps) {
            const QImage img = QImage::fromData(bmp, "BMP");
            thumb.fill(Qt::white);
            QPainter painter(&thumb);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(Fit(img.size()), img);
        }
        benchmark::DoNotOptimize(thumb.bits());
    }
}

void MetafileThumbnails(benchmark::State& state) {
    const Data& data = Pictures();
    QImage thumb(kThumb, kThumb, QImage::Format_RGB32);
    for (auto _ : state) {
        for (const auto& stream : data.metafiles) {
            const MetafileDocument doc = MetafileDocument::Parse(stream);
            thumb.fill(Qt::white);
            QPainter painter(&thumb);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            doc.Play(painter, Fit(doc.NaturalSize()));
        }
        benchmark::DoNotOptimize(thumb.bits());
    }
}

BENCHMARK(BitmapThumbnails)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(MetafileThumbnails)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Pictures();
    tavik::bench::RatioReporter reporter(true);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const int missed = tavik::bench::PrintRatios(
        reporter, {{"metafile thumbnail / bitmap thumbnail (32 x 32, time)", "MetafileThumbnails",
                    "BitmapThumbnails", false, 3.0, false}});
    benchmark::Shutdown();
    return missed == 0 ? 0 : 1;
}
