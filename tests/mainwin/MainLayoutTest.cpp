// Layout, the active list, keys and the toolbar.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/aSplit.h"
#include "controls/explbtn.h"

#include <QProgressBar>
#include <QScreen>
#include <QTest>

namespace tavik::testing {
namespace {

using LayoutTest = MainFormTest;

struct ButtonRow {
    const char* name;
    int left;
    const char* hint;
};

class ToolbarTest : public MainFormTest, public ::testing::WithParamInterface<ButtonRow> {};

TEST_P(ToolbarTest, PlaceAndHint) {
    const ButtonRow& row = GetParam();
    Open();
    auto* button = Child<TOfficeButton>(row.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(row.left, 3, 25, 25));
    EXPECT_EQ(button->Hint(), QString::fromUtf8(row.hint));
    EXPECT_FALSE(button->Bitmap().isNull());
    EXPECT_FALSE(button->DisabledBitmap().isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ToolbarTest,
    ::testing::Values(
        ButtonRow{"SaveChangesBtn", 7, "Save changes"}, ButtonRow{"ImportBtn", 32, "Import data"},
        ButtonRow{"FitPreviewImageBtn", 64, "Fit preview image on/off"},
        ButtonRow{"tUpBtn", 105, "Move item up"}, ButtonRow{"tDownBtn", 130, "Move item down"},
        ButtonRow{"tAddBtn", 162, "Add"}, ButtonRow{"tDeleteBtn", 187, "Delete"},
        ButtonRow{"tRenameBtn", 212, "Rename"}, ButtonRow{"tCopyBtn", 244, "Copy image"},
        ButtonRow{"tPasteBtn", 269, "Paste image"}, ButtonRow{"tSaveBtn", 294, "Save image as"},
        ButtonRow{"LargeIconsBtn", 335, "Large icons"},
        ButtonRow{"SmallIconsBtn", 360, "Small icons"}, ButtonRow{"ListBtn", 385, "List"},
        ButtonRow{"HelpBtn", 425, "About Tavik"}),
    [](const auto& info) { return info.param.name; });

TEST_F(LayoutTest, TransferCommandsAreEnabled) {
    Open();
    for (const char* name : {"tCopyBtn", "tPasteBtn", "tSaveBtn", "ImportBtn"})
        EXPECT_TRUE(Child<TOfficeButton>(name)->isEnabled()) << name;
}

TEST_F(LayoutTest, DesignedSizes) {
    TMainForm& form = Open();
    // The designed font: 8-point sans-serif.
    QFont designed = form.font();
    designed.setPointSize(8);
    form.setFont(designed);
    ASSERT_LE(QFontMetrics(designed).height(), 13);
    form.resize(479, 412);
    EXPECT_EQ(Child<QWidget>("ToolbarPanel")->geometry(), QRect(0, 0, 479, 32));
    EXPECT_EQ(Child<QWidget>("LeftComboPanel")->geometry(), QRect(0, 32, 149, 380));
    EXPECT_EQ(Child<QWidget>("TopicBtn")->geometry(), QRect(6, 4, 137, 18));
    const int topicHeight = 380 - 95 - 3;
    EXPECT_EQ(Child<QWidget>("TopicPanel")->height(), topicHeight);
    EXPECT_EQ(form.TopicList()->geometry(), QRect(6, 24, 137, topicHeight - 29));
    EXPECT_EQ(Child<QWidget>("VSplitter")->geometry(), QRect(0, topicHeight, 149, 3));
    EXPECT_EQ(Child<QWidget>("PreviewLayoutPanel")->geometry(), QRect(0, 285, 149, 95));
    EXPECT_EQ(Child<QWidget>("HSplitter")->geometry(), QRect(149, 32, 2, 380));
    EXPECT_EQ(Child<QWidget>("ExtViewPanel")->geometry(), QRect(151, 32, 328, 380));
    EXPECT_EQ(Child<QWidget>("HdrBtnPanel")->geometry(), QRect(0, 0, 328, 23));
    EXPECT_EQ(form.ImageList()->geometry(), QRect(0, 23, 328, 357));
    EXPECT_EQ(form.minimumSize(), QSize(453, 412) - (form.frameGeometry().size() - form.size()));
}

TEST_F(LayoutTest, RowsAndHeadersMakeRoomForTheFont) {
    MakeCatalog({{"gjpqy", 1}});
    TMainForm& form = Open();
    for (int points : {9, 10, 12}) {
        QFont font = form.font();
        font.setPointSize(points);
        form.setFont(font);
        const int line = QFontMetrics(font).height();
        auto* topicBtn = Child<QWidget>("TopicBtn");
        EXPECT_GE(form.TopicList()->visualItemRect(form.TopicList()->item(0)).height(), line)
            << points;
        EXPECT_GE(topicBtn->height(), line + 4) << points;
        EXPECT_GT(form.TopicList()->y(), topicBtn->geometry().bottom()) << points;
        const QRect bmpBtn = Child<QWidget>("BmpBtn")->geometry();
        EXPECT_EQ(bmpBtn.height(), topicBtn->height()) << points;
        EXPECT_EQ(form.ImageList()->y(), bmpBtn.bottom() + 2) << points;
        const QRect label = Child<QWidget>("PreviewLabel")->geometry();
        EXPECT_GE(label.height(), line) << points;
        EXPECT_EQ(Child<QWidget>("PreviewPanel")->y(), label.bottom() + 4) << points;
    }
}

TEST_F(LayoutTest, APlaceAndColumnsSavedForALargerScreenAreBroughtBack) {
    WriteSettings("[Placement]\nNormPos=9000,9000,9600,9500\n[Options]\nWDiv=5000\nHDiv=5000\n");
    TMainForm& form = Open();
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(form.pos(), form.size())))
        << form.pos().x() << "," << form.pos().y();
    const QRect images = Child<QWidget>("ExtViewPanel")->geometry();
    EXPECT_GE(images.width(), 160);
    EXPECT_EQ(images.right(), form.width() - 1);
    EXPECT_GE(Child<QWidget>("TopicPanel")->height(), 120);
    EXPECT_LE(Child<QWidget>("PreviewLayoutPanel")->geometry().bottom(),
              Child<QWidget>("LeftComboPanel")->height() - 1);
}

TEST_F(LayoutTest, HeaderFollowsTheImagePanelWidth) {
    Open();
    Child<QWidget>("ExtViewPanel")->resize(200, 300);
    EXPECT_EQ(Child<QWidget>("BmpBtn")->width(), 190);
    EXPECT_EQ(Child<QProgressBar>("BmpProgressBar")->geometry(), QRect(156, 10, 34, 6));
}

TEST_F(LayoutTest, SplitterResizesTheLeftColumn) {
    TMainForm& form = Open();
    form.resize(600, 450);
    auto* splitter = Child<TaSplitter>("HSplitter");
    QTest::mousePress(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(1, 100));
    QTest::mouseMove(splitter, QPoint(41, 100));
    QTest::mouseRelease(splitter, Qt::LeftButton, Qt::NoModifier, QPoint(41, 100));
    EXPECT_EQ(Child<QWidget>("LeftComboPanel")->width(), 189);
    EXPECT_EQ(Child<QWidget>("ExtViewPanel")->geometry().left(), 191);
    EXPECT_EQ(Child<QWidget>("TopicBtn")->width(), 177);
}

TEST_F(LayoutTest, FocusDecidesTheActiveList) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ClickButton("BmpBtn");
    EXPECT_TRUE(form.ImageList()->hasFocus());
    EXPECT_FALSE(form.TopicsActive());
    EXPECT_TRUE(Child<TOfficeButton>("BmpBtn")->Down());
    EXPECT_FALSE(Child<TOfficeButton>("TopicBtn")->Down());
    QTest::keyClick(form.ImageList(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(form.TopicList()->hasFocus());
    EXPECT_TRUE(form.TopicsActive());
    QTest::keyClick(form.TopicList(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(form.ImageList()->hasFocus());
    EXPECT_FALSE(form.TopicsActive());
}

TEST_F(LayoutTest, CtrlTabWithoutAListFocusedFlipsTheActiveList) {
    TMainForm& form = Open();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.setFocus();
    ASSERT_TRUE(form.TopicsActive());
    QTest::keyClick(&form, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_FALSE(form.TopicsActive());
    EXPECT_FALSE(form.TopicList()->hasFocus());
    EXPECT_FALSE(form.ImageList()->hasFocus());
}

TEST_F(LayoutTest, DispatchFollowsTheActiveList) {
    MakeCatalog({{"A", 2}, {"B", 0}});
    TMainForm& form = Open();
    // Topics active: Down moves the topic.
    ClickButton("tDownBtn");
    EXPECT_EQ(TopicNames(), QStringList({"B", "A"}));
    // Images active: Down moves the picture.
    SelectImages({0});
    form.SetTopicsActive(false);
    ClickButton("tDownBtn");
    EXPECT_EQ(TopicNames(), QStringList({"B", "A"}));
    EXPECT_EQ(ImageNames(), QStringList({"p1.bmp", "p0.bmp"}));
}

TEST_F(LayoutTest, HelpShowsTheCounts) {
    MakeCatalog({{"A", 2}, {"B", 3}});
    Open();
    QString title;
    QStringList texts;
    auto answer = Answer(Inspect(
        [&](QWidget* dialog) {
            title = dialog->windowTitle();
            for (auto* label : dialog->findChildren<QLabel*>())
                texts << label->text();
        },
        PressKey(Qt::Key_Escape)));
    ClickButton("HelpBtn");
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(title, "About Tavik");
    EXPECT_TRUE(texts.contains("2")) << texts.join('|').toStdString();
    EXPECT_TRUE(texts.contains("5")) << texts.join('|').toStdString();
}

} // namespace
} // namespace tavik::testing
