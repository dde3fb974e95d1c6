// Hostile metafiles: files whose records cost little to store but much to
// play must stop at the work their size pays for.
#include "graphics/metafile/Budget.h"
#include "graphics/metafile/Device.h"
#include "graphics/metafile/Metafile.h"
#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include <gtest/gtest.h>

namespace tavik::metafile::testing {
namespace {

const QRectF kTarget(0, 0, 4096, 4096);

// Adds up the areas playback asks to fill, without painting them.
class CountingDevice : public Device {
public:
    double painted = 0; // output pixels inside the target
    std::vector<QColor> fills;
    void SetClip(const QPainterPath*) override {}
    void FillPath(const QPainterPath& path, const BrushSpec& brush, const DrawMode&) override {
        Add(path.controlPointRect());
        fills.push_back(brush.color);
    }
    void StrokePath(const QPainterPath&, const PenSpec&, const DrawMode&) override {}
    void DrawText(const TextRun&, const DrawMode&) override {}
    void DrawImage(const QImage&, const QRectF&, const QTransform& toOutput,
                   std::uint32_t) override {
        Add(toOutput.mapRect(QRectF(0, 0, 1, 1)));
    }

private:
    void Add(const QRectF& r) {
        const QRectF inside = r.intersected(kTarget);
        painted += inside.width() * inside.height();
    }
};

double Allowance(std::size_t bytes) {
    return static_cast<double>(kBaseWork + kWorkPerByte * static_cast<std::int64_t>(bytes));
}

TEST(MetafileBudget, ShapesOverTheWholePictureStopAtWhatTheFileSizePaysFor) {
    WmfBuilder wmf(QRect(0, 0, 100, 100), 96);
    for (int i = 0; i < 100'000; ++i)
        wmf.Rec(WmfFunction::Rectangle, {100, 100, 0, 0}); // a rectangle over the whole picture
    EmfBuilder emf(QRect(0, 0, 2540, 2540));
    for (int i = 0; i < 100'000; ++i)
        emf.Rec(EmfRecord::Ellipse, {0, 0, 96, 96}); // an ellipse filling the picture
    for (const auto& stream : {wmf.Finish(), emf.Finish()}) {
        CountingDevice device;
        const PlayReport report = MetafileDocument::Parse(stream).Play(device, kTarget);
        EXPECT_TRUE(report.cutShort);
        EXPECT_LE(report.work, report.limit);
        EXPECT_LE(device.painted, kAreaPixelsPerWorkUnit * Allowance(stream.size()));
        EXPECT_GT(device.fills.size(), 10u); // what the budget allows is drawn
    }
}

TEST(MetafileBudget, AFullObjectTableCostsNoMorePerObject) {
    // 65,535 objects fill the table; 30,000 more find no slot; then one slot
    // is freed, and the next object must take it.
    WmfBuilder b(QRect(0, 0, 100, 100), 96, 16);
    for (int i = 0; i < 95'535; ++i)
        b.Brush(0, Rgb(255, 0, 0));
    b.Rec(WmfFunction::DeleteObject, {40'000});      // DELETEOBJECT: frees slot 40,000
    b.Brush(0, Rgb(0, 0, 255));                      // takes it
    b.Rec(WmfFunction::SelectObject, {40'000});      // SELECTOBJECT
    b.Rec(WmfFunction::Rectangle, {100, 100, 0, 0}); // RECTANGLE
    const std::vector<std::uint8_t> stream = b.Finish();
    CountingDevice device;
    const PlayReport report = MetafileDocument::Parse(stream).Play(device, kTarget);
    EXPECT_FALSE(report.cutShort);
    EXPECT_LT(report.work, 4 * static_cast<std::int64_t>(stream.size()));
    ASSERT_EQ(device.fills.size(), 1u);
    EXPECT_EQ(device.fills[0], QColor(0, 0, 255));
}

} // namespace
} // namespace tavik::metafile::testing
