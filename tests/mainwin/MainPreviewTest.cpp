// The preview pane and the view window.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/explbtn.h"
#include "mainwin/PictureImage.h"
#include "mainwin/View.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace tavik::testing {
namespace {

class PreviewTest : public MainFormTest {
protected:
    // Opens on a topic holding a 200 x 100 bitmap and a 16 x 16 icon.
    TMainForm& OpenWithPictures(const char* options) {
        // The designed column width gives a pane of 147 x 75.
        WriteSettings(QString::fromLatin1(options) + "WDiv=149\n");
        MakeCatalog({{"A", 0}});
        TMainForm& form = Open();
        form.AddImageFiles({WriteBmpFile(Folder(), "wide.bmp", 200, 100),
                            WriteIcoFile(Folder(), "small.ico", 16, Qt::green)});
        return form;
    }
    QRect PreviewRect() const { return Child<QWidget>("PreviewImage")->geometry(); }
};

struct PreviewRow {
    const char* name;
    const char* options;
    int picture;
    QRect expected;
};

class PreviewLayoutTest : public PreviewTest, public ::testing::WithParamInterface<PreviewRow> {};

TEST_P(PreviewLayoutTest, PlacesThePicture) {
    const PreviewRow& row = GetParam();
    OpenWithPictures(row.options);
    ASSERT_EQ(Child<QWidget>("PreviewPanel")->size(), QSize(147, 75));
    SelectImages({row.picture});
    EXPECT_EQ(PreviewRect(), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PreviewLayoutTest,
    ::testing::Values(PreviewRow{"FitAndCenter",
                                 "[Options]\nFitPreviewImage=1\nCenterPreviewImage=1\n", 0,
                                 QRect(0, 1, 147, 73)},
                      PreviewRow{"CenterWithoutFit",
                                 "[Options]\nFitPreviewImage=0\nCenterPreviewImage=1\n", 0,
                                 QRect(0, 0, 200, 100)},
                      PreviewRow{"SmallIconCentred", "[Options]\nCenterPreviewImage=1\n", 1,
                                 QRect(65, 29, 16, 16)},
                      PreviewRow{"SmallIconAtTheCorner", "[Options]\nCenterPreviewImage=0\n", 1,
                                 QRect(0, 0, 16, 16)}),
    [](const auto& info) { return info.param.name; });

TEST_F(PreviewTest, SizeLabelAndEmptyPreview) {
    TMainForm& form = OpenWithPictures("[Options]\n");
    EXPECT_TRUE(Child<QLabel>("PreviewLabel")->text().isEmpty());
    SelectImages({0});
    EXPECT_EQ(Child<QLabel>("PreviewLabel")->text(), "200 x 100");
    EXPECT_EQ(form.PreviewPicture().Width(), 200);
    form.ImageList()->ClearSelection();
    EXPECT_TRUE(Child<QLabel>("PreviewLabel")->text().isEmpty());
    EXPECT_EQ(form.PreviewPicture().Graphic(), nullptr);
}

TEST_F(PreviewTest, FitButtonTogglesScalingAtOnce) {
    TMainForm& form = OpenWithPictures("[Options]\nCenterPreviewImage=1\n");
    SelectImages({0});
    ASSERT_EQ(Child<QWidget>("PreviewPanel")->size(), QSize(147, 75));
    ClickButton("FitPreviewImageBtn");
    EXPECT_TRUE(form.FitPreview());
    EXPECT_TRUE(Child<TOfficeButton>("FitPreviewImageBtn")->Down());
    EXPECT_TRUE(Child<TPictureImage>("PreviewImage")->Stretch());
    EXPECT_EQ(PreviewRect(), QRect(0, 1, 147, 73));
    ClickButton("FitPreviewImageBtn");
    EXPECT_FALSE(form.FitPreview());
    EXPECT_FALSE(Child<TOfficeButton>("FitPreviewImageBtn")->Down());
    EXPECT_EQ(PreviewRect(), QRect(0, 0, 200, 100));
    EXPECT_EQ(form.CurrentImageIndex(), 0);
}

TEST_F(PreviewTest, ResizingThePaneLaysThePictureOutAgain) {
    OpenWithPictures("[Options]\nCenterPreviewImage=1\n");
    SelectImages({1});
    Child<QWidget>("PreviewPanel")->resize(100, 50);
    EXPECT_EQ(PreviewRect(), QRect(42, 17, 16, 16));
}

TEST_F(PreviewTest, OutOfStepListClearsThePreview) {
    TMainForm& form = OpenWithPictures("[Options]\n");
    SelectImages({0});
    form.Topics().Topics(0).DeleteBmp(1); // the list still shows it
    SelectImages({1});
    EXPECT_TRUE(Child<QLabel>("PreviewLabel")->text().isEmpty());
    EXPECT_EQ(form.PreviewPicture().Graphic(), nullptr);
}

TEST_F(PreviewTest, DoubleClickOpensTheViewWindow) {
    TMainForm& form = OpenWithPictures("[Options]\n");
    TViewForm view(Folder().toStdString() + "/", &form);
    form.SetViewForm(&view);
    SelectImages({1});
    QString title;
    QRect shown;
    auto answer = Answer(Inspect(
        [&](QWidget* dialog) {
            title = dialog->windowTitle();
            shown = dialog->findChild<QWidget*>("ViewImage")->geometry();
        },
        PressKey(Qt::Key_Escape)));
    QTest::mouseDClick(Child<QWidget>("PreviewImage"), Qt::LeftButton);
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(title, "View");
    EXPECT_EQ(shown.size(), QSize(16, 16));
    EXPECT_FALSE(view.isVisible());
}

class ViewWindowTest : public MainFormTest {};

TEST_F(ViewWindowTest, CentresSmallAndScrollsLargePictures) {
    const std::string folder = Folder().toStdString() + "/";
    TViewForm view(folder);
    ASSERT_EQ(view.size(), QSize(345, 219));
    TPicture small;
    small.LoadFromFile(WriteBmpFile(Folder(), "s.bmp", 50, 40).toStdString());
    TPicture large;
    large.LoadFromFile(WriteBmpFile(Folder(), "l.bmp", 1000, 800).toStdString());

    QRect at;
    bool bars = true;
    auto first = Answer(Inspect(
        [&](QWidget*) {
            at = view.ViewImage().geometry();
            bars = view.ViewScrollBox().horizontalScrollBar()->isVisible() ||
                   view.ViewScrollBox().verticalScrollBar()->isVisible();
        },
        PressKey(Qt::Key_Escape)));
    view.ShowPicture(small);
    EXPECT_TRUE(first->Answered());
    EXPECT_EQ(at, QRect(147, 89, 50, 40));
    EXPECT_FALSE(bars);

    bool both = false;
    auto second = Answer(Inspect(
        [&](QWidget*) {
            at = view.ViewImage().geometry();
            both = view.ViewScrollBox().horizontalScrollBar()->isVisible() &&
                   view.ViewScrollBox().verticalScrollBar()->isVisible();
        },
        PressKey(Qt::Key_Escape)));
    view.ShowPicture(large);
    EXPECT_TRUE(second->Answered());
    EXPECT_EQ(at, QRect(0, 0, 1000, 800));
    EXPECT_TRUE(both);
}

TEST_F(ViewWindowTest, PlacementIsKeptInTheSettings) {
    const std::string folder = Folder().toStdString() + "/";
    {
        TViewForm view(folder);
        view.move(60, 70);
        view.resize(400, 300);
    }
    const TIniFile ini(folder + "tavik.ini");
    EXPECT_EQ(ini.ReadString("ViewPlacement", "NormPos", ""), "60,70,460,370");
    TViewForm again(folder);
    EXPECT_EQ(again.pos(), QPoint(60, 70));
    EXPECT_EQ(again.size(), QSize(400, 300));
}

} // namespace
} // namespace tavik::testing
