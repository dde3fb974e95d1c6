#include "controls/aSplit.h"

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace tavik {
namespace {

// A parent 300 wide: a left column of 100, the bar, and the area beyond it,
// placed by hand (no layout), with the main window's limits.
class SplitterDragTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(300, 200);
        left = new QWidget(&parent);
        left->setGeometry(0, 0, 100, 200);
        bar = new TaSplitter(&parent);
        bar->setGeometry(100, 0, 3, 200);
        bar->SetTopLeftLimit(60);
        bar->SetBottomRightLimit(160);
        right = new QWidget(&parent);
        right->setGeometry(103, 0, 197, 200);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    // Drags the bar by dx pixels and releases it.
    void Drag(int dx) {
        QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 50));
        QTest::mouseMove(bar, QPoint(1 + dx / 2, 50));
        QTest::mouseMove(bar, QPoint(1 + dx, 50));
        QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1 + dx, 50));
    }

    QWidget parent;
    QWidget* left = nullptr;
    TaSplitter* bar = nullptr;
    QWidget* right = nullptr;
};

TEST_F(SplitterDragTest, DragResizesTheControlAndFiresMoved) {
    QSignalSpy moved(bar, &TaSplitter::Moved);
    Drag(20);
    EXPECT_EQ(left->width(), 120);
    EXPECT_EQ(bar->x(), 120) << "the bar stays beside the control";
    EXPECT_EQ(moved.count(), 1);
    EXPECT_FALSE(bar->Dragging());
}

TEST_F(SplitterDragTest, LineFollowsTheMouseAndStopsAtTheLimits) {
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 50));
    QTest::mouseMove(bar, QPoint(11, 50));
    EXPECT_EQ(bar->LineRect(), QRect(110, 0, 3, 200));
    // Maximum: 100 + 197 - 160 = 137.
    QTest::mouseMove(bar, QPoint(151, 50));
    EXPECT_EQ(bar->LineRect(), QRect(137, 0, 3, 200));
    // Minimum: 60.
    QTest::mouseMove(bar, QPoint(-79, 50));
    EXPECT_EQ(bar->LineRect(), QRect(60, 0, 3, 200));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(-79, 50));
    EXPECT_EQ(left->width(), 60);
    EXPECT_TRUE(bar->LineRect().isNull()) << "the line is gone after the drag";
    Drag(300);
    EXPECT_EQ(left->width(), 137);
}

TEST_F(SplitterDragTest, TooSmallParentGivesTheMinimum) {
    right->setGeometry(103, 0, 97, 200); // maximum 100 + 97 - 160 = 37 < 60
    Drag(-10);
    EXPECT_EQ(left->width(), 60);
}

TEST_F(SplitterDragTest, EscapeCancelsButStillFiresMoved) {
    QSignalSpy moved(bar, &TaSplitter::Moved);
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 50));
    QTest::mouseMove(bar, QPoint(21, 50));
    QTest::keyClick(right, Qt::Key_Escape);
    EXPECT_FALSE(bar->Dragging());
    EXPECT_EQ(moved.count(), 1);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(21, 50));
    EXPECT_EQ(left->width(), 100);
    EXPECT_EQ(moved.count(), 1);
}

TEST_F(SplitterDragTest, OnlyTheLeftButtonDragsAndOnlyWithANeighbour) {
    QSignalSpy moved(bar, &TaSplitter::Moved);
    QTest::mousePress(bar, Qt::RightButton, {}, QPoint(1, 50));
    EXPECT_FALSE(bar->Dragging());
    QTest::mouseRelease(bar, Qt::RightButton, {}, QPoint(30, 50));
    left->hide(); // nothing on the bar's left any more
    Drag(20);
    EXPECT_EQ(moved.count(), 0);
    EXPECT_EQ(bar->x(), 100);
}

// Each alignment on a 300 by 300 parent: the control of 100 on the bar's
// side, the bar of 3, the rest beyond it; the drag takes 20 from the rest.
struct AlignCase {
    const char* name;
    TSplitterAlign align;
    QRect control, bar, rest;
    QPoint drag;
    QRect controlAfter, barAfter;
};

class SplitterAlignTest : public ::testing::TestWithParam<AlignCase> {};

TEST_P(SplitterAlignTest, ResizesTheControlOnItsSideAndFollowsIt) {
    const AlignCase& c = GetParam();
    QWidget parent;
    parent.resize(300, 300);
    auto* rest = new QWidget(&parent);
    rest->setGeometry(c.rest);
    auto* control = new QWidget(&parent);
    control->setGeometry(c.control);
    auto* bar = new TaSplitter(&parent);
    bar->SetAlign(c.align);
    bar->setGeometry(c.bar);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(1, 1));
    QTest::mouseMove(bar, QPoint(1, 1) + c.drag);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(1, 1) + c.drag);
    EXPECT_EQ(control->geometry(), c.controlAfter);
    EXPECT_EQ(bar->geometry(), c.barAfter);
    EXPECT_EQ(rest->geometry(), c.rest) << "the rest is the parent's to lay out";
}

INSTANTIATE_TEST_SUITE_P(Alignments, SplitterAlignTest,
                         ::testing::Values(AlignCase{"left",
                                                     TSplitterAlign::alLeft,
                                                     {0, 0, 100, 300},
                                                     {100, 0, 3, 300},
                                                     {103, 0, 197, 300},
                                                     {20, 0},
                                                     {0, 0, 120, 300},
                                                     {120, 0, 3, 300}},
                                           AlignCase{"right",
                                                     TSplitterAlign::alRight,
                                                     {200, 0, 100, 300},
                                                     {197, 0, 3, 300},
                                                     {0, 0, 197, 300},
                                                     {-20, 0},
                                                     {180, 0, 120, 300},
                                                     {177, 0, 3, 300}},
                                           AlignCase{"top",
                                                     TSplitterAlign::alTop,
                                                     {0, 0, 300, 100},
                                                     {0, 100, 300, 3},
                                                     {0, 103, 300, 197},
                                                     {0, 20},
                                                     {0, 0, 300, 120},
                                                     {0, 120, 300, 3}},
                                           AlignCase{"bottom",
                                                     TSplitterAlign::alBottom,
                                                     {0, 200, 300, 100},
                                                     {0, 197, 300, 3},
                                                     {0, 0, 300, 197},
                                                     {0, -20},
                                                     {0, 180, 300, 120},
                                                     {0, 177, 300, 3}}),
                         [](const ::testing::TestParamInfo<AlignCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(SplitterTest, MinimumFollowsTheLimitOfTheResizedSide) {
    TaSplitter bar;
    bar.SetAlign(TSplitterAlign::alBottom);
    bar.SetTopLeftLimit(120);
    EXPECT_EQ(bar.MinSize(), 20);
    bar.SetBottomRightLimit(50);
    EXPECT_EQ(bar.MinSize(), 50);
    bar.SetAlign(TSplitterAlign::alLeft);
    bar.SetTopLeftLimit(0);
    EXPECT_EQ(bar.TopLeftLimit(), 1);
    EXPECT_EQ(bar.MinSize(), 1);
}

// A bottom-aligned bar in a layout: the preview below it grows upwards.
TEST(SplitterTest, BottomBarInALayoutSetsTheFixedHeight) {
    QWidget parent;
    parent.resize(100, 400);
    auto* layout = new QVBoxLayout(&parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* list = new QWidget;
    auto* bar = new TaSplitter;
    bar->SetAlign(TSplitterAlign::alBottom);
    bar->SetTopLeftLimit(120);
    bar->SetBottomRightLimit(50);
    auto* preview = new QWidget;
    preview->setFixedHeight(80);
    layout->addWidget(list, 1);
    layout->addWidget(bar);
    layout->addWidget(preview);
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    ASSERT_EQ(bar->height(), 3);
    ASSERT_EQ(list->height(), 317);

    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 1));
    QTest::mouseMove(bar, QPoint(5, -29));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5, -29));
    EXPECT_EQ(preview->height(), 110);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->height() == 287; })) << list->height();

    // Maximum: 110 + 287 - 120 = 277.
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(5, 1));
    QTest::mouseMove(bar, QPoint(5, -400));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(5, -400));
    EXPECT_EQ(preview->height(), 277);
}

TEST(SplitterPaintTest, BevelFramesInHighlightAndShadow) {
    QPalette pal;
    pal.setColor(QPalette::Button, QColor(192, 192, 192));
    pal.setColor(QPalette::Light, QColor(255, 255, 255));
    pal.setColor(QPalette::Dark, QColor(128, 128, 128));
    TaSplitter bar;
    bar.setPalette(pal);
    const QColor face(192, 192, 192), hi(255, 255, 255), sh(128, 128, 128);

    bar.resize(5, 40);
    QImage img = bar.grab().toImage();
    const QColor vertical[5] = {sh, face, sh, face, hi};
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(QColor(img.pixel(x, 20)), vertical[x]) << "column " << x;
    bar.resize(3, 40);
    img = bar.grab().toImage();
    EXPECT_EQ(QColor(img.pixel(0, 0)), sh);
    EXPECT_EQ(QColor(img.pixel(1, 0)), face);
    EXPECT_EQ(QColor(img.pixel(2, 39)), hi);

    bar.SetAlign(TSplitterAlign::alTop);
    bar.resize(40, 5);
    img = bar.grab().toImage();
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(QColor(img.pixel(20, y)), vertical[y]) << "row " << y;

    bar.SetBeveled(false);
    bar.SetColor(QColor(10, 20, 30));
    img = bar.grab().toImage();
    EXPECT_EQ(QColor(img.pixel(20, 0)), QColor(10, 20, 30));
    EXPECT_EQ(QColor(img.pixel(20, 4)), QColor(10, 20, 30));
}

} // namespace
} // namespace tavik
