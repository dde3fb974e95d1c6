#include "controls/nfPanel.h"

#include <QPaintEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

TEST(NfPanelTest, ResizeRegionCoversTheOldAndNewEdges) {
    TnfPanel panel;
    panel.SetBevelOuter(TPanelBevel::bvRaised);
    panel.SetBevelInner(TPanelBevel::bvLowered);
    panel.SetBevelWidth(2);
    panel.SetBorderWidth(1);
    ASSERT_EQ(panel.FrameWidth(), 5);
    // Width only: strips 6 wide at x 94 (old) and 114 (new).
    EXPECT_EQ(panel.ResizeRegion({100, 50}, {120, 50}),
              QRegion(94, 0, 6, 50) + QRegion(114, 0, 6, 50));
    // Height only: strips 6 high at the old and new bottoms.
    EXPECT_EQ(panel.ResizeRegion({100, 50}, {100, 40}),
              QRegion(0, 44, 100, 6) + QRegion(0, 34, 100, 6));
    EXPECT_TRUE(panel.ResizeRegion({100, 50}, {100, 50}).isEmpty());

    panel.SetBevelOuter(TPanelBevel::bvNone);
    panel.SetBevelInner(TPanelBevel::bvNone);
    panel.SetBorderWidth(0);
    EXPECT_TRUE(panel.ResizeRegion({100, 50}, {120, 60}).isEmpty()) << "no frame, nothing to redo";
}

TEST(NfPanelTest, KeepsContentsOnlyWithoutFullRepaintAndCaption) {
    TnfPanel panel;
    EXPECT_FALSE(panel.testAttribute(Qt::WA_StaticContents));
    panel.SetFullRepaint(false);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_StaticContents));
    panel.SetCaption("Preview");
    EXPECT_FALSE(panel.testAttribute(Qt::WA_StaticContents));
}

TEST(NfPanelTest, EveryResizeIsReported) {
    QWidget parent;
    auto* panel = new TnfPanel(&parent);
    panel->resize(50, 50);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QSignalSpy resized(panel, &TnfPanel::Resize);
    panel->resize(60, 50);
    panel->resize(60, 70);
    panel->move(5, 5);
    EXPECT_EQ(resized.count(), 2);
}

// Records what each paint was asked to cover.
class RecordingPanel : public TnfPanel {
public:
    using TnfPanel::TnfPanel;
    QRegion painted;

protected:
    void paintEvent(QPaintEvent* event) override {
        painted += event->region();
        TnfPanel::paintEvent(event);
    }
};

TEST(NfPanelTest, ShrinkingRepaintsOnlyTheFrameStrip) {
    QWidget parent;
    parent.resize(200, 100);
    auto* panel = new RecordingPanel(&parent);
    panel->SetBorderWidth(2); // with the raised outer bevel: a frame of 3
    panel->setGeometry(0, 0, 100, 50);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->painted.isEmpty(); }));

    panel->SetFullRepaint(false);
    panel->painted = QRegion();
    panel->resize(80, 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->painted.isEmpty(); }));
    EXPECT_EQ(panel->painted, QRegion(76, 0, 4, 50));

    panel->SetFullRepaint(true);
    panel->painted = QRegion();
    panel->resize(70, 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->painted.isEmpty(); }));
    EXPECT_EQ(panel->painted, QRegion(0, 0, 70, 50));
}

TEST(NfPanelTest, PaintsRaisedAndLoweredBevels) {
    QPalette pal;
    pal.setColor(QPalette::Button, QColor(192, 192, 192));
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    TnfPanel panel;
    panel.setPalette(pal);
    panel.resize(20, 20);
    panel.SetBevelInner(TPanelBevel::bvLowered);
    panel.SetBorderWidth(2);
    const QImage img = panel.grab().toImage();
    auto at = [&](int x, int y) { return QColor(img.pixel(x, y)); };
    EXPECT_EQ(at(0, 10), QColor(255, 255, 255)); // outer raised: light left
    EXPECT_EQ(at(19, 10), QColor(128, 128, 128));
    EXPECT_EQ(at(1, 10), QColor(192, 192, 192)); // border
    EXPECT_EQ(at(3, 10), QColor(128, 128, 128)); // inner lowered: dark left
    EXPECT_EQ(at(16, 10), QColor(255, 255, 255));
    EXPECT_EQ(at(10, 10), QColor(192, 192, 192));
}

} // namespace
} // namespace tavik
