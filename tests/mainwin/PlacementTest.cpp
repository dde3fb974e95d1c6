#include "mainwin/Placement.h"

#include "storage/IniFile.h"

#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace tavik {
namespace {

struct NumbersRow {
    const char* name;
    const char* text;
    std::array<int, 4> expected;
};

class PlacementNumbersTest : public ::testing::TestWithParam<NumbersRow> {};

TEST_P(PlacementNumbersTest, ParsesOrDefaults) {
    const NumbersRow& row = GetParam();
    EXPECT_EQ(ParsePlacementNumbers(row.text, {-7, -8, -9, -10}), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PlacementNumbersTest,
    ::testing::Values(NumbersRow{"Commas", "10,20,300,400", {10, 20, 300, 400}},
                      NumbersRow{"Blanks", "10 20  300 400", {10, 20, 300, 400}},
                      NumbersRow{"Negative", "-32000,-32000,-1,-1", {-32000, -32000, -1, -1}},
                      NumbersRow{"MissingTail", "5,6", {5, 6, -9, -10}},
                      NumbersRow{"Unparsable", "5,x,7,8", {5, -8, 7, 8}},
                      NumbersRow{"Empty", "", {-7, -8, -9, -10}},
                      NumbersRow{"TooLarge", "99999999999,1,2,3", {-7, 1, 2, 3}}),
    [](const auto& info) { return info.param.name; });

TEST(PlacementTest, ShowCommandsMapToThreeStates) {
    for (int cmd : {1, 5, 9, 0, 4, 7, 42})
        EXPECT_EQ(ShowStateOf(cmd), 1) << cmd;
    for (int cmd : {2, 6})
        EXPECT_EQ(ShowStateOf(cmd), 2) << cmd;
    EXPECT_EQ(ShowStateOf(3), 3);
}

TEST(PlacementTest, AWindowOffEveryScreenOrTooLargeComesBackWhole) {
    const QList<QRect> screens = {QRect(0, 0, 1920, 1050), QRect(1920, 0, 1280, 1000)};
    // On the second screen: stays.
    EXPECT_EQ(BringOnScreen(QRect(2000, 100, 400, 300), screens), QRect(2000, 100, 400, 300));
    // Its monitor is gone: onto the first screen.
    EXPECT_EQ(BringOnScreen(QRect(4000, 100, 400, 300), screens), QRect(1520, 100, 400, 300));
    // Saved at a larger scale: shrunk to the screen it overlaps most.
    EXPECT_EQ(BringOnScreen(QRect(-50, -20, 2500, 1400), screens), QRect(0, 0, 1920, 1050));
    // Hanging over the bottom edge: lifted.
    EXPECT_EQ(BringOnScreen(QRect(2100, 900, 400, 300), screens), QRect(2100, 700, 400, 300));
}

TEST(PlacementTest, SplitPositionsLeaveTheOtherSideInReach) {
    EXPECT_EQ(FitSplitPosition(150, 479, 2, 160), 150);
    EXPECT_EQ(FitSplitPosition(5000, 479, 2, 160), 317);
    EXPECT_EQ(FitSplitPosition(-20, 479, 2, 160), 0);
    EXPECT_EQ(FitSplitPosition(150, 100, 2, 160), 0);
}

class PlacementIniTest : public ::testing::Test {
protected:
    std::string IniName() const { return FDir.filePath("tavik.ini").toStdString(); }
    QTemporaryDir FDir;
};

TEST_F(PlacementIniTest, RoundTripKeepsGeometryAndUnusedKeys) {
    {
        TIniFile ini(IniName());
        ini.WriteInteger("P", "Flags", 2);
        ini.WriteString("P", "MinMaxPos", "-1,-1,-8,-8");
        ini.WriteString("P", "NormPos", "30,40,530,440");
        ini.WriteInteger("P", "ShowCmd", 1);
        ini.UpdateFile();
    }
    QWidget window;
    ReadPlacement(TIniFile(IniName()), "P", window);
    EXPECT_EQ(window.pos(), QPoint(30, 40));
    EXPECT_EQ(window.size(), QSize(500, 400));
    {
        TIniFile ini(IniName());
        WritePlacement(ini, "Q", window);
        ini.UpdateFile();
    }
    const TIniFile ini(IniName());
    EXPECT_EQ(ini.ReadInteger("Q", "Flags", 0), 2);
    EXPECT_EQ(ini.ReadString("Q", "MinMaxPos", ""), "-1,-1,-8,-8");
    EXPECT_EQ(ini.ReadString("Q", "NormPos", ""), "30,40,530,440");
    EXPECT_EQ(ini.ReadInteger("Q", "ShowCmd", 0), 1);
    EXPECT_EQ(ini.ReadString("Q", "Visible", ""), "0");
}

TEST_F(PlacementIniTest, EmptyOrInvertedRectangleKeepsTheWindow) {
    {
        TIniFile ini(IniName());
        ini.WriteString("A", "NormPos", "300,40,200,440");
        ini.UpdateFile();
    }
    QWidget window;
    window.setGeometry(11, 12, 130, 140);
    ReadPlacement(TIniFile(IniName()), "A", window);
    EXPECT_EQ(window.geometry(), QRect(11, 12, 130, 140));
    ReadPlacement(TIniFile(IniName()), "Missing", window);
    EXPECT_EQ(window.geometry(), QRect(11, 12, 130, 140));
}

TEST_F(PlacementIniTest, MaximizedStateIsRestoredAndWritten) {
    {
        TIniFile ini(IniName());
        ini.WriteString("A", "NormPos", "10,10,310,210");
        ini.WriteInteger("A", "ShowCmd", 3);
        ini.UpdateFile();
    }
    QWidget window;
    ReadPlacement(TIniFile(IniName()), "A", window);
    EXPECT_TRUE(window.windowState() & Qt::WindowMaximized);
    TIniFile ini(IniName());
    WritePlacement(ini, "B", window);
    EXPECT_EQ(ini.ReadInteger("B", "ShowCmd", 0), 3);
}

} // namespace
} // namespace tavik
