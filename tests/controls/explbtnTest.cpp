#include "controls/explbtn.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

const QColor kFace(192, 192, 192);
const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);
const QColor kShadow(0, 0, 0);
const QColor kText(0, 0, 255);

QPalette TestPalette() {
    QPalette pal;
    pal.setColor(QPalette::Button, kFace);
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::Shadow, kShadow);
    pal.setColor(QPalette::Midlight, QColor(223, 223, 223));
    pal.setColor(QPalette::WindowText, kText);
    return pal;
}

QColor At(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y));
}

// ---- pure helpers ----

struct StripCase {
    const char* caption;
    const char* hint;
};

class StripAcceleratorTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripAcceleratorTest, RemovesMarksAndKeepsDoubledAmpersand) {
    EXPECT_EQ(StripAccelerator(QString::fromUtf8(GetParam().caption)),
              QString::fromUtf8(GetParam().hint));
}

INSTANTIATE_TEST_SUITE_P(Captions, StripAcceleratorTest,
                         ::testing::Values(StripCase{"&Add", "Add"},
                                           StripCase{"Save &changes", "Save changes"},
                                           StripCase{"Fish && chips", "Fish & chips"},
                                           StripCase{"&&&x", "&x"}, StripCase{"tail&", "tail"},
                                           StripCase{"", ""}));

struct ShadeCase {
    TExplorerButtonShadingType type;
    int sum;
    QColor expected;
};

// A highlight unlike white, so the two tones can be told apart.
const QColor kHi(250, 250, 200);

class ShadeBitmapTest : public ::testing::TestWithParam<ShadeCase> {};

// A pixel whose red, green and blue add up to sum.
QRgb PixelOfSum(int sum) {
    const int r = std::min(255, sum);
    const int g = std::min(255, sum - r);
    return qRgb(r, g, sum - r - g);
}

TEST_P(ShadeBitmapTest, ThresholdsSplitTheTones) {
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, qRgb(255, 0, 255)); // transparent colour
    img.setPixel(1, 0, PixelOfSum(GetParam().sum));
    const QImage shaded = ShadeBitmap(img, GetParam().type, kHi, kDark);
    EXPECT_EQ(qAlpha(shaded.pixel(0, 0)), 0) << "the transparent colour stays transparent";
    EXPECT_EQ(QColor(shaded.pixel(1, 0)), GetParam().expected) << "sum " << GetParam().sum;
}

using ST = TExplorerButtonShadingType;
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
INSTANTIATE_TEST_SUITE_P(
    Boundaries, ShadeBitmapTest,
    ::testing::Values(ShadeCase{ST::stMedium, 554, kWhite}, ShadeCase{ST::stMedium, 553, kHi},
                      ShadeCase{ST::stMedium, 232, kHi}, ShadeCase{ST::stMedium, 231, kDark},
                      ShadeCase{ST::stMedium, 58, kDark}, ShadeCase{ST::stMedium, 57, kBlack},
                      ShadeCase{ST::stLight, 206, kWhite}, ShadeCase{ST::stLight, 205, kHi},
                      ShadeCase{ST::stLight, 127, kDark}, ShadeCase{ST::stLight, 68, kBlack},
                      ShadeCase{ST::stDark, 336, kWhite}, ShadeCase{ST::stDark, 335, kHi},
                      ShadeCase{ST::stDark, 274, kDark}, ShadeCase{ST::stDark, 175, kBlack},
                      ShadeCase{ST::stDark, 765, kWhite}, ShadeCase{ST::stDark, 0, kBlack}));

TEST(ShadeBitmapAlphaTest, SeeThroughPixelsStaySeeThrough) {
    QImage img(3, 1, QImage::Format_ARGB32);
    img.setPixel(0, 0, qRgba(0, 0, 0, 0));
    img.setPixel(1, 0, qRgba(255, 255, 255, 0)); // invisible white: not a tone
    img.setPixel(2, 0, qRgba(10, 10, 10, 128));
    const QImage shaded = ShadeBitmap(img, ST::stMedium, kHi, kDark);
    EXPECT_EQ(qAlpha(shaded.pixel(1, 0)), 0);
    EXPECT_EQ(shaded.pixel(2, 0), qRgba(0, 0, 0, 128));
}

// ---- behaviour ----

class OfficeButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(200, 60);
        for (int i = 0; i < 3; ++i) {
            buttons[i] = new TOfficeButton(&parent);
            buttons[i]->move(30 * i, 0);
        }
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }
    void Click(TOfficeButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(12, 12)); }

    QWidget parent;
    TOfficeButton* buttons[3] = {};
};

TEST_F(OfficeButtonTest, GroupLatchesLikeRadioButtons) {
    for (auto* b : buttons)
        b->SetGroupIndex(1);
    QSignalSpy clicks(buttons[1], &TOfficeButton::Click);
    Click(buttons[0]);
    EXPECT_TRUE(buttons[0]->Down());
    Click(buttons[1]);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_FALSE(buttons[0]->Down());
    // Without AllowAllUp a down button stays down but still clicks.
    Click(buttons[1]);
    EXPECT_TRUE(buttons[1]->Down());
    EXPECT_EQ(clicks.count(), 2);
    // AllowAllUp set on one reaches the whole group.
    buttons[0]->SetAllowAllUp(true);
    EXPECT_TRUE(buttons[2]->AllowAllUp());
    Click(buttons[1]);
    EXPECT_FALSE(buttons[1]->Down());
    // SetDown raises the other down button of the group only.
    buttons[2]->SetGroupIndex(2);
    buttons[2]->SetDown(true);
    buttons[0]->SetDown(true);
    buttons[1]->SetDown(true);
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_TRUE(buttons[2]->Down());
    // Leaving the group for group 0 raises it.
    buttons[2]->SetGroupIndex(0);
    EXPECT_FALSE(buttons[2]->Down());
}

TEST_F(OfficeButtonTest, GroupZeroNeverStaysDown) {
    QSignalSpy clicks(buttons[0], &TOfficeButton::Click);
    buttons[0]->SetDown(true);
    EXPECT_FALSE(buttons[0]->Down());
    Click(buttons[0]);
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(OfficeButtonTest, ReleaseOutsideIsNoClickAndNoLatch) {
    buttons[0]->SetGroupIndex(1);
    QSignalSpy clicks(buttons[0], &TOfficeButton::Click);
    QTest::mousePress(buttons[0], Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(buttons[0]->Pressed());
    QTest::mouseRelease(buttons[0], Qt::LeftButton, {}, QPoint(100, 40));
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(buttons[0]->Down());
    EXPECT_FALSE(buttons[0]->Pressed());
}

TEST_F(OfficeButtonTest, DisabledButtonIgnoresPressAndClearsStates) {
    buttons[0]->SetGroupIndex(1);
    buttons[0]->SetDown(true);
    QSignalSpy clicks(buttons[0], &TOfficeButton::Click);
    buttons[0]->SetEnabled(false);
    EXPECT_TRUE(buttons[0]->Down()) << "a grouped button keeps its latch";
    Click(buttons[0]);
    EXPECT_EQ(clicks.count(), 0);
    EXPECT_FALSE(buttons[0]->Pressed());
}

TEST_F(OfficeButtonTest, IconOnlyCaptionBecomesTheHint) {
    TOfficeButton* b = buttons[0];
    b->SetCaption("&Delete");
    EXPECT_EQ(b->Hint(), "Delete");
    b->SetOptions(boPopupMark | boShowBevel);
    EXPECT_EQ(b->Hint(), "");
    b->SetHint("Own hint");
    b->SetOptions(boIconOnly | boShowBevel);
    EXPECT_EQ(b->Hint(), "Own hint") << "a hint of its own is kept";
}

TEST_F(OfficeButtonTest, AcceleratorClicksTheButton) {
    TOfficeButton* b = buttons[0];
    b->SetOptions(boShowBevel);
    b->SetCaption("&Topics");
    QSignalSpy clicks(b, &TOfficeButton::Click);
    parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return parent.isActiveWindow(); }));
    QTest::keyClick(&parent, Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(b->Pressed());
}

TEST_F(OfficeButtonTest, DropDownShowsTheMenuInsteadOfClicking) {
    QMenu menu;
    menu.addAction("one");
    TOfficeButton* b = buttons[0];
    b->SetDropDownMenu(&menu);
    QSignalSpy clicks(b, &TOfficeButton::Click);
    bool seen = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            seen = popup == &menu;
            popup->close();
        }
    });
    closer.start(10);
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(seen);
    EXPECT_FALSE(b->Pressed());
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(clicks.count(), 0);
    // A destroyed menu is forgotten.
    {
        auto* temp = new QMenu;
        b->SetDropDownMenu(temp);
        delete temp;
    }
    EXPECT_EQ(b->DropDownMenu(), nullptr);
}

// ---- painting ----

class OfficeButtonPaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        button.setPalette(TestPalette());
        button.resize(25, 25);
    }
    // An 8 by 8 picture: white (transparent) with a black square at 2..5.
    static QImage Square() {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(Qt::white);
        for (int y = 2; y <= 5; ++y)
            for (int x = 2; x <= 5; ++x)
                img.setPixel(x, y, qRgb(0, 0, 0));
        return img;
    }
    TOfficeButton button;
};

// The face is painted from a cache: every change that shows must reach it.
TEST_F(OfficeButtonPaintTest, PaintedFaceFollowsEveryChange) {
    const auto painted = [&] {
        return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto rendered = [&] { return button.Render().convertToFormat(QImage::Format_RGB32); };
    const std::vector<std::function<void()>> changes = {
        [&] { button.SetBitmap(Square()); },
        [&] {
            button.SetOptions(boShowBevel);
            button.SetCaption("Go");
        },
        [&] {
            button.SetGroupIndex(1);
            button.SetDown(true);
        },
        [&] { button.SetEnabled(false); },
        [&] {
            QPalette pal = TestPalette();
            pal.setColor(QPalette::Button, Qt::yellow);
            button.setPalette(pal);
        },
        [&] { button.resize(40, 30); },
    };
    EXPECT_EQ(painted(), rendered());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i]();
        EXPECT_EQ(painted(), rendered()) << "after change " << i;
    }
}

TEST_F(OfficeButtonPaintTest, DownPatternIsACheckerOfHighlightAndFace) {
    button.SetGroupIndex(1);
    button.SetDown(true);
    QImage img = button.Render();
    EXPECT_EQ(At(img, 0, 0), kDark) << "down edge: shadow at the top left";
    EXPECT_EQ(At(img, 24, 24), kLight);
    EXPECT_EQ(At(img, 6, 6), kLight);
    EXPECT_EQ(At(img, 6, 7), kFace);
    EXPECT_EQ(At(img, 7, 6), kFace);
    EXPECT_EQ(At(img, 9, 11), kLight);
    // The normal style keeps the pattern 2 pixels inside its thicker edge.
    button.SetButtonStyle(TNewButtonStyle::bsNormal);
    img = button.Render();
    EXPECT_EQ(At(img, 2, 2), kLight);
    EXPECT_EQ(At(img, 3, 2), kFace);
    EXPECT_EQ(At(img, 1, 1), kShadow);
    button.SetShowDownPattern(false);
    EXPECT_EQ(At(button.Render(), 6, 6), kFace);
}

TEST_F(OfficeButtonPaintTest, FlatButtonHasNoEdgeUntilHot) {
    QImage img = button.Render();
    EXPECT_EQ(At(img, 0, 0), kFace);
    EXPECT_EQ(At(img, 24, 24), kFace);
    button.SetButtonStyle(TNewButtonStyle::bsSoft);
    img = button.Render();
    EXPECT_EQ(At(img, 0, 12), kLight);
    EXPECT_EQ(At(img, 24, 12), kDark);
    button.SetBevelStyle(TButtonBevelStyle::bsLowered);
    img = button.Render();
    EXPECT_EQ(At(img, 0, 12), kDark);
    EXPECT_EQ(At(img, 24, 12), kLight);
}

TEST_F(OfficeButtonPaintTest, DisabledPictureIsEmbossed) {
    button.SetBitmap(Square());
    button.SetEnabled(false);
    const QImage img = button.Render();
    // The picture sits at (8, 8): shadow on the shape, highlight one pixel
    // right and down where the shape does not cover it.
    EXPECT_EQ(At(img, 10, 10), kDark);
    EXPECT_EQ(At(img, 13, 13), kDark);
    EXPECT_EQ(At(img, 14, 14), kLight);
    EXPECT_EQ(At(img, 14, 11), kLight);
    EXPECT_EQ(At(img, 14, 10), kFace);
    EXPECT_EQ(At(img, 9, 9), kFace);
}

TEST_F(OfficeButtonPaintTest, PictureStatesAndDropDownMark) {
    QImage bmp = Square();
    bmp.setPixel(3, 3, qRgb(200, 200, 200)); // sum 600: white when shaded
    button.SetBitmap(bmp);
    QImage img = button.Render();
    EXPECT_EQ(At(img, 10, 10), kBlack);
    EXPECT_EQ(At(img, 11, 11), QColor(200, 200, 200));
    EXPECT_EQ(At(img, 8, 8), kFace) << "the transparent colour shows the face";

    button.SetOptions(button.Options() | boMonoDisplay);
    img = button.Render();
    EXPECT_EQ(At(img, 11, 11), kWhite) << "mouse away: the shaded picture";

    // Pressed pictures move one pixel right and down.
    button.SetOptions(boIconOnly | boPopupMark | boShowBevel);
    button.SetGroupIndex(1);
    button.SetDown(true);
    button.SetShowDownPattern(false);
    img = button.Render();
    EXPECT_EQ(At(img, 10, 10), kFace);
    EXPECT_EQ(At(img, 11, 11), kBlack);

    // With a menu the picture box is 10 wider: picture at x 3, mark after it.
    QMenu menu;
    button.SetDown(false);
    button.SetDropDownMenu(&menu);
    img = button.Render();
    EXPECT_EQ(At(img, 5, 10), kBlack);
    EXPECT_EQ(At(img, 14, 11), kText) << "top row: 7 wide from x 14, one above the middle";
    EXPECT_EQ(At(img, 20, 11), kText);
    EXPECT_EQ(At(img, 21, 11), kFace);
    EXPECT_EQ(At(img, 17, 14), kText);
    EXPECT_EQ(At(img, 16, 14), kFace);
    EXPECT_EQ(At(img, 17, 15), kFace);
}

TEST_F(OfficeButtonPaintTest, CaptionUsesUnselectedColourWhileMouseIsAway) {
    button.resize(60, 25);
    button.SetOptions(boShowBevel);
    button.SetCaption("WWWW");
    button.SetUnselectedFontColor(QColor(255, 0, 0));
    const QImage img = button.Render();
    bool red = false, text = false;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = At(img, x, y);
            red = red || (c.red() > 200 && c.blue() < 100);
            text = text || (c.blue() > 200 && c.red() < 100);
        }
    EXPECT_TRUE(red);
    EXPECT_FALSE(text);
}

} // namespace
} // namespace tavik
