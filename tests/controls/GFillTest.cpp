#include "controls/GFill.h"

#include <QSet>
#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

QColor At(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y));
}

TEST(GradientFillTest, ThreeBandsAcrossTenPixels) {
    TGradientFill fill;
    fill.resize(10, 4);
    fill.SetFillDirection(TFillDirection::fdLeftToRight);
    fill.SetNumberOfColors(3);
    fill.SetBeginColor(QColor(0, 0, 0));
    fill.SetEndColor(QColor(200, 100, 0));
    const QImage img = fill.Render();
    // Bands [0, 3), [3, 7), [7, 10): 10 / 3 rounds to 3, 20 / 3 to 7.
    const QColor expected[10] = {{0, 0, 0},     {0, 0, 0},    {0, 0, 0},    {100, 50, 0},
                                 {100, 50, 0},  {100, 50, 0}, {100, 50, 0}, {200, 100, 0},
                                 {200, 100, 0}, {200, 100, 0}};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(At(img, x, 2), expected[x]) << "x " << x;

    // Right to left starts from the end colour.
    fill.SetFillDirection(TFillDirection::fdRightToLeft);
    const QImage reversed = fill.Render();
    EXPECT_EQ(At(reversed, 0, 0), QColor(200, 100, 0));
    EXPECT_EQ(At(reversed, 9, 0), QColor(0, 0, 0));
}

TEST(GradientFillTest, FallingComponentsRoundToNearest) {
    TGradientFill fill;
    fill.resize(3, 8);
    fill.SetNumberOfColors(4);
    fill.SetBeginColor(QColor(200, 100, 50));
    fill.SetEndColor(QColor(0, 0, 0));
    const QImage img = fill.Render();
    // Band 1 of 4 (rows 2 and 3): 200 - 66.7, 100 - 33.3, 50 - 16.7.
    EXPECT_EQ(At(img, 1, 1), QColor(200, 100, 50));
    EXPECT_EQ(At(img, 1, 2), QColor(133, 67, 33));
    EXPECT_EQ(At(img, 1, 3), QColor(133, 67, 33));
    EXPECT_EQ(At(img, 1, 4), QColor(67, 33, 17));
    EXPECT_EQ(At(img, 1, 7), QColor(0, 0, 0));

    fill.SetFillDirection(TFillDirection::fdBottomToTop);
    EXPECT_EQ(At(fill.Render(), 1, 0), QColor(0, 0, 0));
}

TEST(GradientFillTest, OneColourIsASolidStrip) {
    TGradientFill fill;
    fill.resize(20, 20);
    fill.SetNumberOfColors(1);
    const QImage img = fill.Render();
    for (int y = 0; y < 20; y += 5)
        EXPECT_EQ(At(img, 7, y), QColor(0, 0, 255)) << "the default begin colour, pure blue";
    fill.SetNumberOfColors(0);
    EXPECT_EQ(fill.NumberOfColors(), 1);
    fill.SetNumberOfColors(1000);
    EXPECT_EQ(fill.NumberOfColors(), 255);
}

TEST(GradientFillTest, ManyColoursOnANarrowStripSkipEmptyBands) {
    TGradientFill fill;
    fill.resize(100, 3);
    fill.SetFillDirection(TFillDirection::fdLeftToRight);
    fill.SetNumberOfColors(255);
    fill.SetBeginColor(QColor(128, 128, 128));
    fill.SetEndColor(QColor(255, 255, 255));
    const QImage img = fill.Render();
    // Band 0 ends at 100 / 255, rounded to 0: it is empty, and pixel 0 has
    // band 1's colour, 128 + 127 / 254 rounded up.
    EXPECT_EQ(At(img, 0, 1), QColor(129, 129, 129));
    EXPECT_EQ(At(img, 99, 1), QColor(255, 255, 255));
    QSet<QRgb> colours;
    int previous = -1;
    for (int x = 0; x < 100; ++x) {
        colours.insert(img.pixel(x, 1));
        EXPECT_GT(At(img, x, 1).red(), previous) << "every pixel is a later band";
        previous = At(img, x, 1).red();
    }
    EXPECT_EQ(colours.size(), 100);
}

// The strip is painted from a cache: every change that shows must reach it.
TEST(GradientFillTest, PaintedStripFollowsEveryChange) {
    TGradientFill fill;
    fill.resize(12, 9);
    const auto painted = [&] {
        return fill.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const std::vector<std::function<void()>> changes = {
        [&] { fill.SetBeginColor(QColor(250, 0, 0)); },
        [&] { fill.SetEndColor(QColor(0, 250, 0)); },
        [&] { fill.SetFillDirection(TFillDirection::fdLeftToRight); },
        [&] { fill.SetNumberOfColors(3); },
        [&] { fill.resize(20, 9); },
    };
    EXPECT_EQ(painted(), fill.Render());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i]();
        EXPECT_EQ(painted(), fill.Render()) << "after change " << i;
    }
}

} // namespace
} // namespace tavik
