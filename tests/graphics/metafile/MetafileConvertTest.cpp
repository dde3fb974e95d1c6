#include "MetafileTestSupport.h"
#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace tavik::metafile::testing {
namespace {

std::vector<std::uint8_t> ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return std::vector<std::uint8_t>(all.begin(), all.end());
}

// Share of pixels that differ clearly between two renders.
double Difference(const QImage& a, const QImage& b) {
    return static_cast<double>(DifferingPixels(a, b, 48)) / (a.width() * a.height());
}

TEST(MetafileConvert, KeepsTheOriginalBytesForItsOwnKind) {
    EmfBuilder e(QRect(0, 0, 2540, 2540));
    e.Rec(EmfRecord::Rectangle, {0, 0, 50, 50});
    const auto emf = e.Finish();
    EXPECT_EQ(MetafileDocument::Parse(emf).ToEmf(), emf);

    WmfBuilder w(QRect(0, 0, 96, 96), 96);
    w.Rec(WmfFunction::Rectangle, {50, 50, 0, 0});
    const auto wmf = w.Finish();
    EXPECT_EQ(MetafileDocument::Parse(wmf).ToPlaceableWmf(), wmf);
}

TEST(MetafileConvert, GivesAPlainWindowsMetafileItsPlaceableHeader) {
    WmfBuilder plain(QRect(), 0);
    plain.Rec(WmfFunction::SetWindowOrg, {0, 0})
        .Rec(WmfFunction::SetWindowExt, {100, 200})
        .Rec(WmfFunction::Rectangle, {50, 100, 0, 0});
    const auto bytes = plain.Finish();
    const auto placeable = MetafileDocument::Parse(bytes).ToPlaceableWmf();
    ASSERT_EQ(placeable.size(), bytes.size() + 22);
    EXPECT_EQ(placeable[0], 0xD7);
    EXPECT_EQ(placeable[14] | (placeable[15] << 8), 2540);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), placeable.begin() + 22));
    const auto doc = MetafileDocument::Parse(placeable);
    EXPECT_EQ(doc.NaturalSize(), QSize(200, 100));
    EXPECT_LT(Difference(Render(bytes), Render(placeable)), 0.002);

    // Without a window of its own the picture rectangle is stated for it.
    WmfBuilder bare(QRect(), 0);
    bare.Brush(0, Rgb(255, 0, 0))
        .Rec(WmfFunction::SelectObject, {0})
        .Rec(WmfFunction::Rectangle, {70, 90, 10, 30});
    const auto bareBytes = bare.Finish();
    const auto withHeader = MetafileDocument::Parse(bareBytes).ToPlaceableWmf();
    EXPECT_EQ(MetafileDocument::Parse(withHeader).NaturalSize(), QSize(60, 60));
    EXPECT_LT(Difference(Render(bareBytes), Render(withHeader)), 0.002);
}

// Every committed sample survives EMF -> WMF -> EMF (and WMF -> EMF -> WMF)
// looking like itself.
class RoundTrip : public ::testing::TestWithParam<QString> {};

TEST_P(RoundTrip, KeepsTheDrawing) {
    const auto original = ReadFile(DataDir() + "/" + GetParam());
    ASSERT_FALSE(original.empty()) << GetParam().toStdString();
    const auto doc = MetafileDocument::Parse(original);
    const QImage before = Render(original);
    const auto other = doc.IsEnhanced() ? doc.ToPlaceableWmf() : doc.ToEmf();
    const auto otherDoc = MetafileDocument::Parse(other);
    EXPECT_NE(otherDoc.IsEnhanced(), doc.IsEnhanced());
    EXPECT_EQ(otherDoc.NaturalSize(), doc.NaturalSize());
    const auto back = otherDoc.IsEnhanced() ? otherDoc.ToPlaceableWmf() : otherDoc.ToEmf();
    const QImage converted = Render(other), returned = Render(back);
    // Text is redrawn at rounded sizes and advances: a little more drift.
    const double limit = GetParam().contains("text") ? 0.04 : 0.015;
    EXPECT_LT(Difference(before, converted), limit) << GetParam().toStdString();
    EXPECT_LT(Difference(before, returned), limit) << GetParam().toStdString();
    if (qEnvironmentVariableIsSet("TAVIK_SAVE_CONVERTED")) {
        converted.save(QDir::tempPath() + "/conv_" + GetParam() + ".png");
        returned.save(QDir::tempPath() + "/back_" + GetParam() + ".png");
    }
}

std::vector<QString> Samples() {
    std::vector<QString> names;
    for (const QString& n : QDir(DataDir()).entryList({"*.emf", "*.wmf"}, QDir::Files, QDir::Name))
        names.push_back(n);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Samples, RoundTrip, ::testing::ValuesIn(Samples()), [](const auto& info) {
    QString n = info.param;
    return n.replace('.', '_').toStdString();
});

} // namespace
} // namespace tavik::metafile::testing
