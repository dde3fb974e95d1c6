#include "MetafileTestSupport.h"
#include "storage/Exceptions.h"
#include "support/EmfBuilder.h"
#include "support/LittleEndian.h"
#include "support/WmfBuilder.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace tavik::metafile::testing {
namespace {

std::vector<std::uint8_t> SampleEmf() {
    EmfBuilder b(QRect(0, 0, 2540, 1270));
    b.Rec(EmfRecord::CreateBrushIndirect, {1, 0, Rgb(255, 0, 0), 0})
        .Rec(EmfRecord::SelectObject, {1});
    b.Poly16(EmfRecord::Polygon16, {{0, 0}, {90, 0}, {45, 40}});
    b.Font(2, -12).Rec(EmfRecord::SelectObject, {2});
    b.Text({5, 30}, "Hi", 0, QRect(), {6, 6});
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(Qt::blue);
    b.StretchDib(QRect(50, 10, 20, 20), QRect(0, 0, 3, 3), img, Number(Rop3::SrcCopy));
    b.PolyPoly16(EmfRecord::PolyPolygon16,
                 {{{1, 1}, {5, 1}, {5, 5}}, {{10, 10}, {20, 10}, {20, 20}}});
    b.ClipRegion({QRect(0, 0, 40, 40)}, 1);
    return b.Finish();
}

std::vector<std::uint8_t> SampleWmf() {
    WmfBuilder b(QRect(0, 0, 1440, 720), 1440);
    b.Brush(0, Rgb(0, 255, 0)).Rec(WmfFunction::SelectObject, {0});
    b.Poly(WmfFunction::Polygon, {{0, 0}, {1000, 0}, {500, 700}});
    b.Font(-200).Rec(WmfFunction::SelectObject, {1});
    b.ExtTextOut({100, 300}, "Hi", 2, QRect(0, 0, 300, 300), {100, 100});
    QImage img(3, 3, QImage::Format_RGB32);
    img.fill(Qt::blue);
    b.StretchDib(QRect(800, 100, 300, 300), QRect(0, 0, 3, 3), img, Number(Rop3::SrcCopy));
    b.Region({QRect(0, 0, 500, 500)}).Rec(WmfFunction::SelectClipRegion, {2});
    b.PolyPolygon({{{0, 0}, {100, 0}, {100, 100}}});
    return b.Finish();
}

TEST(MetafileReader, RecognisesBothKindsAndTheirSizes) {
    const auto emf = MetafileDocument::Parse(SampleEmf());
    EXPECT_TRUE(emf.IsEnhanced());
    EXPECT_EQ(emf.NaturalSize(), QSize(96, 48));
    const auto wmf = MetafileDocument::Parse(SampleWmf());
    EXPECT_FALSE(wmf.IsEnhanced());
    EXPECT_EQ(wmf.NaturalSize(), QSize(96, 48));

    // Without the placeable header the first window gives the size.
    WmfBuilder plain(QRect(), 0);
    plain.Rec(WmfFunction::SetWindowOrg, {-10, -20})
        .Rec(WmfFunction::SetWindowExt, {50, 120})
        .Rec(WmfFunction::Rectangle, {40, 100, 0, 0});
    const auto doc = MetafileDocument::Parse(plain.Finish());
    EXPECT_EQ(doc.NaturalSize(), QSize(120, 50));

    // Nor a window: the bounds of the drawing.
    WmfBuilder bare(QRect(), 0);
    bare.Rec(WmfFunction::Rectangle, {70, 90, 10, 30});
    EXPECT_EQ(MetafileDocument::Parse(bare.Finish()).NaturalSize(), QSize(60, 60));
}

struct BadCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> make;
};

class BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadInput, IsNotAValidMetafile) {
    try {
        MetafileDocument::Parse(GetParam().make());
        FAIL() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), "Metafile is not valid");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Framing, BadInput,
    ::testing::Values(BadCase{"empty", [] { return std::vector<std::uint8_t>(); }},
                      BadCase{"garbage", [] { return std::vector<std::uint8_t>(200, 0x41); }},
                      BadCase{"emf_header_size_not_multiple_of_4",
                              [] {
                                  auto d = SampleEmf();
                                  test::Set32(d, 4, 110);
                                  return d;
                              }},
                      BadCase{"emf_header_larger_than_file",
                              [] {
                                  auto d = SampleEmf();
                                  test::Set32(d, 4, static_cast<std::uint32_t>(d.size() + 4));
                                  return d;
                              }},
                      BadCase{"emf_record_size_not_multiple_of_4",
                              [] {
                                  auto d = SampleEmf();
                                  test::Set32(d, 108 + 4, 26);
                                  return d;
                              }},
                      BadCase{"emf_record_smaller_than_its_header",
                              [] {
                                  auto d = SampleEmf();
                                  test::Set32(d, 108 + 4, 4);
                                  return d;
                              }},
                      BadCase{"emf_record_past_the_end",
                              [] {
                                  auto d = SampleEmf();
                                  test::Set32(d, 108 + 4, 0x7FFFFFF0);
                                  return d;
                              }},
                      BadCase{"wmf_short",
                              [] { return std::vector<std::uint8_t>{1, 0, 9, 0, 0, 3}; }},
                      BadCase{"wmf_bad_header_words",
                              [] {
                                  auto d = SampleWmf();
                                  d[22 + 2] = 10;
                                  return d;
                              }},
                      BadCase{"wmf_record_of_two_words",
                              [] {
                                  auto d = SampleWmf();
                                  test::Set32(d, 40, 2);
                                  return d;
                              }},
                      BadCase{"wmf_record_past_the_end",
                              [] {
                                  auto d = SampleWmf();
                                  test::Set32(d, 40, 0x10000000);
                                  return d;
                              }},
                      BadCase{"placeable_without_header",
                              [] {
                                  auto d = SampleWmf();
                                  d.resize(30);
                                  return d;
                              }}),
    [](const auto& info) { return std::string(info.param.name); });

// Every truncation and every single-byte corruption of the samples either
// parses and plays, or is refused: never a crash, never a hang.
TEST(MetafileReader, SurvivesEveryTruncationAndCorruption) {
    QImage img(32, 32, QImage::Format_RGB32);
    for (const auto& sample : {SampleEmf(), SampleWmf()}) {
        for (std::size_t n = 0; n <= sample.size(); ++n) {
            std::vector<std::uint8_t> cut(sample.begin(), sample.begin() + static_cast<long>(n));
            try {
                const auto doc = MetafileDocument::Parse(cut);
                QPainter painter(&img);
                doc.Play(painter, QRectF(0, 0, 32, 32));
            } catch (const EInvalidGraphic&) {
            }
        }
        for (std::size_t at = 0; at < sample.size(); ++at) {
            for (std::uint8_t value :
                 {std::uint8_t(0x00), std::uint8_t(0xFF), std::uint8_t(0x80)}) {
                std::vector<std::uint8_t> bad = sample;
                bad[at] = value;
                try {
                    const auto doc = MetafileDocument::Parse(bad);
                    QPainter painter(&img);
                    doc.Play(painter, QRectF(0, 0, 32, 32));
                    (void)doc.ToEmf();
                } catch (const EInvalidGraphic&) {
                }
            }
        }
    }
}

// Records whose counts, offsets or indices lie are skipped, and what follows
// them still draws.
TEST(MetafileReader, SkipsLyingRecordsAndDrawsTheRest) {
    EmfBuilder b(QRect(0, 0, 2540, 2540));
    b.Rec(EmfRecord::Polygon, {0, 0, 0, 0, 0x7FFFFFFF, 1, 2});              // huge point count
    b.Rec(EmfRecord::PolyPolygon, {0, 0, 0, 0, 2, 3, 0x7FFFFFFF, 1, 0, 0}); // counts past the total
    b.Rec(EmfRecord::StretchDiBits,
          {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 80, 0x7FFFFFF0, 80, 4, 0, Number(Rop3::SrcCopy), 10, 10});
    b.Rec(EmfRecord::ExtTextOutW, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0x40000000, 76, 0, 0, 0, 0, 0, 0});
    b.Rec(EmfRecord::SelectObject, {0x80000009})
        .Rec(EmfRecord::DeleteObject, {0x7FFF})
        .Rec(EmfRecord::RestoreDc, {-50})
        .Rec(EmfRecord::SetWindowExtEx, {0, 0});
    b.Rec(EmfRecord::CreateBrushIndirect, {1, 0, Rgb(255, 0, 0), 0})
        .Rec(EmfRecord::SelectObject, {1})
        .Rec(EmfRecord::SelectObject, {Number(StockObject::NullPen)});
    b.Rec(EmfRecord::Rectangle, {0, 0, 96, 96});
    const QImage img = Render(b.Finish());
    EXPECT_TRUE(Near(img.pixel(48, 48), qRgb(255, 0, 0)));

    WmfBuilder w(QRect(0, 0, 96, 96), 96);
    w.Rec(WmfFunction::Polygon, {0x7FFF, 1, 2});                  // more points than bytes
    w.Rec(WmfFunction::PolyPolygon, {3, 1000, 1000, 1000, 1, 2}); // poly-polygon counts that lie
    w.Rec(WmfFunction::TextOut, {0x7FFF, 0x4141});                // text longer than the record
    w.Rec(WmfFunction::StretchDib,
          {0x20, 0xCC, 0, 1, 1, 0, 0, 96, 96, 0, 0, 40, 0, 1000, 0}); // DIB cut short
    w.Rec(WmfFunction::SelectObject, {40})
        .Rec(WmfFunction::RestoreDc, {-9})
        .Rec(WmfFunction::RestoreDc, {0});
    w.Brush(0, Rgb(255, 0, 0))
        .Rec(WmfFunction::SelectObject, {0})
        .Pen(5, 0, 0)
        .Rec(WmfFunction::SelectObject, {1});
    w.Rec(WmfFunction::Rectangle, {96, 96, 0, 0});
    const QImage wimg = Render(w.Finish());
    EXPECT_TRUE(Near(wimg.pixel(48, 48), qRgb(255, 0, 0)));
}

} // namespace
} // namespace tavik::metafile::testing

namespace tavik::metafile::testing {
namespace {

// Inputs the fuzzers once broke the engine with: each must now parse or be
// refused cleanly, and play and convert without fault.
TEST(MetafileReader, FuzzFindingsStayFixed) {
    const QDir dir(DataDir() + "/fuzz");
    const QStringList names = dir.entryList(QDir::Files);
    EXPECT_FALSE(names.isEmpty());
    QImage img(64, 64, QImage::Format_RGB32);
    for (const QString& name : names) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray all = file.readAll();
        const std::vector<std::uint8_t> bytes(all.begin(), all.end());
        try {
            const auto doc = MetafileDocument::Parse(bytes);
            QPainter painter(&img);
            doc.Play(painter, QRectF(0, 0, 64, 64));
            (void)(doc.IsEnhanced() ? doc.ToPlaceableWmf() : doc.ToEmf());
            EXPECT_GE(doc.NaturalSize().width(), 1) << name.toStdString();
        } catch (const EInvalidGraphic&) {
        }
    }
}

} // namespace
} // namespace tavik::metafile::testing
