#include "mainwin/Progress.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

namespace tavik {
namespace {

class ProgressWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        main.setWindowTitle(QStringLiteral("main"));
        main.show();
        other.show();
        hidden.hide();
        disabled.setEnabled(false);
        disabled.show();
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    }
    QWidget main, other, hidden, disabled;
};

TEST_F(ProgressWindowsTest, DisablesOtherWindowsWhileShown) {
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }));
    {
        TProgressManager progress(QStringLiteral("Tavik"), 3, 0, QStringLiteral("Updating..."));
        EXPECT_FALSE(progress.Form()->isVisible());
        progress.Show();
        EXPECT_TRUE(progress.Form()->isVisible());
        EXPECT_TRUE(progress.Form()->isEnabled());
        EXPECT_FALSE(main.isEnabled());
        EXPECT_FALSE(other.isEnabled());
        EXPECT_TRUE(hidden.isEnabled());
        EXPECT_EQ(progress.Form()->windowTitle(), QStringLiteral("Tavik"));
        EXPECT_EQ(progress.Form()->TextLabel->text(), QStringLiteral("Updating..."));
        // Whatever window got the focus meanwhile, the one active before
        // the operation gets it back.
        main.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; }));
    }
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    EXPECT_FALSE(disabled.isEnabled()); // was disabled before
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }));
}

TEST_F(ProgressWindowsTest, FailureHalfWayRestoresTheWindows) {
    auto operation = [] {
        TProgressManager progress(QStringLiteral("Tavik"), 10, 0, QStringLiteral("Importing..."));
        progress.Show();
        progress.Step();
        throw std::runtime_error("damaged data file");
    };
    EXPECT_THROW(operation(), std::runtime_error);
    EXPECT_TRUE(main.isEnabled());
    EXPECT_TRUE(other.isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &main; }));
}

TEST_F(ProgressWindowsTest, CloseRequestsAreIgnored) {
    TProgressManager progress(QStringLiteral("Tavik"), 2, 0, QStringLiteral("Updating..."));
    progress.Show();
    EXPECT_FALSE(progress.Form()->close());
    QTest::keyClick(progress.Form(), Qt::Key_Escape);
    QTest::keyClick(progress.Form(), Qt::Key_F4, Qt::AltModifier);
    QApplication::processEvents();
    EXPECT_TRUE(progress.Form()->isVisible());
}

struct BarRow {
    const char* name;
    long long max;
    int steps;
    int maximum; // of the bar
    int value;
};

class ProgressBarTest : public ::testing::TestWithParam<BarRow> {};

TEST_P(ProgressBarTest, StepsMoveTheBar) {
    const BarRow& row = GetParam();
    TProgressManager progress(QStringLiteral("Tavik"), row.max, 0, QStringLiteral("x"));
    for (int i = 0; i < row.steps; ++i)
        progress.Step();
    const QProgressBar* bar = progress.Form()->Bar;
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), row.maximum);
    EXPECT_EQ(bar->value(), row.value);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ProgressBarTest,
    ::testing::Values(BarRow{"Fresh", 4, 0, 4, 0}, BarRow{"Half", 4, 2, 4, 2},
                      BarRow{"Full", 4, 4, 4, 4}, BarRow{"PastTheEnd", 4, 9, 4, 4},
                      // An empty range shows an empty bar, not the busy animation.
                      BarRow{"EmptyRange", 0, 0, 1, 0}, BarRow{"EmptyRangeStepped", 0, 3, 1, 0},
                      BarRow{"Widest16Bit", 65535, 65535, 65535, 65535},
                      BarRow{"ScaledHalf", 200000, 100000, 65535, 32767},
                      BarRow{"ScaledPastTheEnd", 70000, 70002, 65535, 65535}),
    [](const ::testing::TestParamInfo<BarRow>& info) { return std::string(info.param.name); });

TEST(ProgressBarTest, NonZeroMinimum) {
    TProgressManager progress(QStringLiteral("Tavik"), 15, 10, QStringLiteral("x"));
    progress.Step();
    EXPECT_EQ(progress.Form()->Bar->maximum(), 5);
    EXPECT_EQ(progress.Form()->Bar->value(), 1);
}

} // namespace
} // namespace tavik
