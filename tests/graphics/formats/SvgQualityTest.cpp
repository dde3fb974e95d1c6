// SVG pictures stored as enhanced metafiles: what our player draws from the
// stored metafile against what Qt's SVG renderer draws from the file.
#include "graphics/Bytes.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "graphics/PictureImport.h"
#include "graphics/SvgImport.h"
#include "graphics/metafile/EmfRecorder.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>

namespace tavik {
namespace {

QString SvgPath(const char* name) {
    return QDir(TAVIK_FORMATS_DATA).filePath(QStringLiteral("svg/") + QLatin1String(name));
}

QImage Canvas(QSize size) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

struct Difference {
    double mean = 0;       // mean absolute channel difference, 0..255
    double strayShare = 0; // share of pixels with a channel off by more than 64
};

Difference Compare(const QImage& a, const QImage& b) {
    double sum = 0;
    int stray = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int dr = std::abs(qRed(p) - qRed(q)), dg = std::abs(qGreen(p) - qGreen(q)),
                      db = std::abs(qBlue(p) - qBlue(q));
            sum += dr + dg + db;
            stray += std::max({dr, dg, db}) > 64;
        }
    }
    const double pixels = static_cast<double>(a.width()) * a.height();
    return {sum / (3 * pixels), stray / pixels};
}

class SvgQuality : public ::testing::TestWithParam<const char*> {};

// The measure: mean absolute difference of the colour channels (0..255) and
// the share of pixels off by more than a quarter of the range, both at the
// picture's natural size on white. Edges antialiased differently and text
// hinted at another size stay under these bounds; a missing or misplaced
// shape does not.
TEST_P(SvgQuality, StoredMetafileDrawsWhatTheRendererDraws) {
    QFile file(SvgPath(GetParam()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray svg = file.readAll();

    TMetafile metafile;
    metafile.LoadFromStream(SvgToEmf(svg));
    ASSERT_TRUE(metafile.Enhanced());
    const QSize natural(metafile.Width(), metafile.Height());
    ASSERT_EQ(natural, SvgNaturalSize(svg));

    QImage direct = Canvas(natural);
    {
        QPainter painter(&direct);
        painter.setRenderHint(QPainter::Antialiasing);
        QSvgRenderer(svg).render(&painter, QRectF(QPointF(0, 0), QSizeF(natural)));
    }
    QImage played = Canvas(natural);
    {
        QPainter painter(&played);
        metafile.Draw(painter, QPoint(0, 0));
    }
    const Difference d = Compare(direct, played);
    std::cout << "[ quality  ] " << GetParam() << ": mean " << d.mean << ", stray "
              << d.strayShare * 100 << "%\n";
    EXPECT_LT(d.mean, 6.0);
    EXPECT_LT(d.strayShare, 0.03);
}

INSTANTIATE_TEST_SUITE_P(TestSet, SvgQuality,
                         ::testing::Values("shapes.svg", "curves.svg", "dashes.svg", "text.svg",
                                           "transforms.svg", "clip.svg", "image.svg",
                                           "gradient.svg"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

// The record types of an EMF file image, in order.
std::vector<std::uint32_t> RecordTypes(const std::vector<std::uint8_t>& emf) {
    std::vector<std::uint32_t> types;
    for (std::size_t at = 0; at + 8 <= emf.size();) {
        types.push_back(bytes::U32(emf, at));
        const std::uint32_t size = bytes::U32(emf, at + 4);
        if (size < 8)
            break;
        at += size;
    }
    return types;
}

bool Has(const std::vector<std::uint32_t>& types, std::uint32_t type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

constexpr std::uint32_t kStretchDiBits = 81, kAlphaBlend = 114, kExtTextOutW = 84, kCreateFont = 82,
                        kExtCreatePen = 95, kPolyPolygon = 8;

std::vector<std::uint8_t> Recorded(const char* name) {
    QFile file(SvgPath(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return SvgToEmf(file.readAll());
}

TEST(SvgRecording, ShapesAndSvgTextStayVectors) {
    // Qt's SVG renderer hands text over as glyph outlines: they stay paths.
    for (const char* name :
         {"shapes.svg", "curves.svg", "dashes.svg", "transforms.svg", "clip.svg", "text.svg"}) {
        const auto types = RecordTypes(Recorded(name));
        EXPECT_FALSE(Has(types, kStretchDiBits) || Has(types, kAlphaBlend)) << name;
        EXPECT_TRUE(Has(types, kPolyPolygon)) << name;
    }
    EXPECT_TRUE(Has(RecordTypes(Recorded("dashes.svg")), kExtCreatePen));
}

TEST(SvgRecording, TextDrawnAsTextStaysTextInItsFonts) {
    metafile::EmfPaintDevice device(QSize(200, 60));
    {
        QPainter painter(&device);
        painter.setPen(Qt::darkBlue);
        painter.setFont(QFont("DejaVu Sans", 14));
        painter.drawText(QPointF(5, 20), "Tavik");
        painter.setFont(QFont("DejaVu Serif", 12));
        painter.drawText(QPointF(5, 45), "Serif");
    }
    const auto emf = device.Finish();
    const auto types = RecordTypes(emf);
    EXPECT_EQ(std::count(types.begin(), types.end(), kExtTextOutW), 2);
    EXPECT_EQ(std::count(types.begin(), types.end(), kCreateFont), 2);
    const QByteArray bytes(reinterpret_cast<const char*>(emf.data()),
                           static_cast<qsizetype>(emf.size()));
    // Face names and text are UTF-16 in the records.
    for (const QString& word : {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif"),
                                QStringLiteral("Tavik"), QStringLiteral("Serif")})
        EXPECT_TRUE(bytes.contains(
            QByteArray(reinterpret_cast<const char*>(word.utf16()), 2 * word.size())))
            << word.toStdString();
}

TEST(SvgRecording, ImagesAndGradientsBecomeBitmapsWithTheirAlpha) {
    // The embedded image has half-transparent pixels; the radial gradient is
    // filled at 80 % opacity.
    EXPECT_TRUE(Has(RecordTypes(Recorded("image.svg")), kAlphaBlend));
    EXPECT_TRUE(Has(RecordTypes(Recorded("gradient.svg")), kAlphaBlend));
}

} // namespace
} // namespace tavik
