// Start-up, settings, the changed flags, saving and exit of the main window.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"

#include <QFile>
#include <QProgressBar>
#include <QTest>

namespace tavik::testing {
namespace {

using LifecycleTest = MainFormTest;

TEST_F(LifecycleTest, FirstRunOnAFreshFolder) {
    TMainForm& form = Open();
    EXPECT_EQ(ReadFile(FilePath("tavik.dat")), QByteArray("TVD1"));
    EXPECT_FALSE(QFile::exists(FilePath("tavik.lst")));
    EXPECT_TRUE(TopicNames().isEmpty());
    EXPECT_EQ(form.CurrentTopic(), -1);
    EXPECT_EQ(Child<TOfficeButton>("TopicBtn")->Caption(), "Topics (0):");
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (0):");
    EXPECT_FALSE(Child<TOfficeButton>("SaveChangesBtn")->isEnabled());
    // The defaults of a run without settings.
    EXPECT_FALSE(form.CenterPreview());
    EXPECT_FALSE(form.FitPreview());
    EXPECT_EQ(form.ViewStyle(), 0);
    for (const char* name : {"LargeIconsBtn", "SmallIconsBtn", "ListBtn"})
        EXPECT_FALSE(Child<TOfficeButton>(name)->Down()) << name;
    EXPECT_TRUE(form.ShowProgressBar());
    EXPECT_FALSE(Child<QProgressBar>("BmpProgressBar")->isHidden());
    EXPECT_TRUE(form.ShowHourGlass());
    EXPECT_EQ(Child<QWidget>("LeftComboPanel")->width(), 149);
    EXPECT_EQ(Child<QWidget>("PreviewLayoutPanel")->height(), 95);
    EXPECT_TRUE(form.TopicsActive());
    EXPECT_TRUE(Child<TOfficeButton>("TopicBtn")->Down());

    Close();
    // Nothing changed: no list file, but the settings are written.
    EXPECT_FALSE(QFile::exists(FilePath("tavik.lst")));
    ASSERT_TRUE(QFile::exists(FilePath("tavik.ini")));
    const QByteArray ini = ReadFile(FilePath("tavik.ini"));
    EXPECT_FALSE(ini.contains("CenterPreviewImage"));
    EXPECT_TRUE(ini.contains("WDiv=149"));
    EXPECT_TRUE(ini.contains("HDiv=95"));

    // The second start reads the settings: centring defaults to on.
    EXPECT_TRUE(Open().CenterPreview());
}

TEST_F(LifecycleTest, StartsOnTheFirstTopicOfACatalogue) {
    MakeCatalog({{"Flowers", 3}, {"Empty", 0}, {"Cars", 2}});
    TMainForm& form = Open();
    EXPECT_EQ(TopicNames(), QStringList({"Flowers", "Empty", "Cars"}));
    EXPECT_EQ(form.CurrentTopic(), 0);
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "p2.bmp"}));
    EXPECT_EQ(Child<TOfficeButton>("TopicBtn")->Caption(), "Topics (3):");
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (3):");
    EXPECT_FALSE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());
}

TEST_F(LifecycleTest, WrongSignatureIsReportedAndLeavesTheCatalogueEmpty) {
    MakeCatalog({{"A", 1}});
    const QByteArray bad = "XXXX\x01\x00";
    {
        QFile file(FilePath("tavik.lst"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bad);
    }
    QString message;
    auto answer = Answer(Inspect(
        [&](QWidget* dialog) {
            message = dialog->findChild<QLabel*>("qt_msgbox_label")
                          ? dialog->findChild<QLabel*>("qt_msgbox_label")->text()
                          : QString();
        },
        PressRole(QDialogButtonBox::AcceptRole)));
    TMainForm& form = Open();
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(message, "Bad data file");
    EXPECT_TRUE(TopicNames().isEmpty());
    EXPECT_TRUE(form.TopicsActive());
    Close();
    EXPECT_EQ(ReadFile(FilePath("tavik.lst")), bad);
}

TEST_F(LifecycleTest, DamagedListLeavesTheWindowOpenWithTopicsUnfilled) {
    MakeCatalog({{"A", 1}, {"B", 1}});
    QByteArray list = ReadFile(FilePath("tavik.lst"));
    list.chop(9); // into the second topic
    {
        QFile file(FilePath("tavik.lst"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(list);
    }
    QFile::remove(FilePath("tavik.dat"));
    auto answer = Answer(PressRole(QDialogButtonBox::AcceptRole));
    TMainForm& form = Open();
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    // The topics read before the damage are in the catalogue, but the list
    // is not filled, the data file not created, the topic list not active.
    EXPECT_GE(form.Topics().Count(), 1);
    EXPECT_TRUE(TopicNames().isEmpty());
    EXPECT_FALSE(QFile::exists(FilePath("tavik.dat")));
    EXPECT_EQ(Child<TOfficeButton>("TopicBtn")->Caption(), "Topics (%d):");
}

struct SettingsRow {
    const char* name;
    const char* ini;
    int language;
    const char* addHint;
    int viewStyle;
    int leftWidth;
};

class SettingsReadTest : public MainFormTest, public ::testing::WithParamInterface<SettingsRow> {};

TEST_P(SettingsReadTest, ReadsTheOptions) {
    const SettingsRow& row = GetParam();
    WriteSettings(QString::fromUtf8(row.ini));
    TMainForm& form = Open();
    EXPECT_EQ(form.Language(), row.language);
    EXPECT_EQ(Child<TOfficeButton>("tAddBtn")->Hint(), QString::fromUtf8(row.addHint));
    EXPECT_EQ(form.ViewStyle(), row.viewStyle);
    const char* buttons[] = {"LargeIconsBtn", "SmallIconsBtn", "ListBtn"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Child<TOfficeButton>(buttons[i])->Down(), i == row.viewStyle) << buttons[i];
    EXPECT_EQ(Child<QWidget>("LeftComboPanel")->width(), row.leftWidth);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SettingsReadTest,
    ::testing::Values(
        SettingsRow{"Russian", "[Lang]\nLang=1\n", 1, "Добавить", 0, 150},
        SettingsRow{"Portuguese", "[Lang]\nLang=2\n", 2, "Incluir", 0, 150},
        SettingsRow{"UnknownIsEnglish", "[Lang]\nLang=7\n", 7, "Add", 0, 150},
        SettingsRow{"LowByteOnly", "[Lang]\nLang=257\n", 1, "Добавить", 0, 150},
        SettingsRow{"MissingKeyIsEnglish", "[Options]\nMultipleViewStyle=2\n", 0, "Add", 2, 150},
        SettingsRow{"StyleOutOfRangePressesNone", "[Options]\nMultipleViewStyle=5\n", 0, "Add", 5,
                    150},
        SettingsRow{"HexadecimalWidth", "[Options]\r\nWDiv=0x96\r\n", 0, "Add", 0, 150},
        SettingsRow{"DollarWidth", "[Options]\nWDiv=$64\n", 0, "Add", 0, 100},
        SettingsRow{"UnparsableWidth", "[Options]\nWDiv=wide\n", 0, "Add", 0, 150}),
    [](const auto& info) { return info.param.name; });

TEST_F(LifecycleTest, MinimizedPlacementOpensNormal) {
    WriteSettings("[Placement]\nShowCmd=2\nNormPos=20,30,620,530\n");
    TMainForm& form = Open();
    EXPECT_FALSE(form.isMinimized());
    EXPECT_EQ(form.pos(), QPoint(20, 30));
    EXPECT_EQ(form.size(), QSize(600, 500));
}

TEST_F(LifecycleTest, SettingsRoundTrip) {
    TMainForm& form = Open();
    form.setGeometry(40, 50, 640, 480);
    ClickButton("FitPreviewImageBtn");
    ClickButton("ListBtn");
    form.SetShowProgressBar(false);
    Child<QWidget>("LeftComboPanel")->resize(180, 10);
    Child<QWidget>("PreviewLayoutPanel")->resize(10, 120);
    Close();

    TMainForm& again = Open();
    EXPECT_TRUE(again.FitPreview());
    EXPECT_TRUE(Child<TOfficeButton>("FitPreviewImageBtn")->Down());
    EXPECT_EQ(again.ViewStyle(), 2);
    EXPECT_TRUE(Child<TOfficeButton>("ListBtn")->Down());
    EXPECT_FALSE(again.ShowProgressBar());
    EXPECT_TRUE(Child<QProgressBar>("BmpProgressBar")->isHidden());
    EXPECT_EQ(Child<QWidget>("LeftComboPanel")->width(), 180);
    EXPECT_EQ(Child<QWidget>("PreviewLayoutPanel")->height(), 120);
    EXPECT_EQ(again.size(), QSize(640, 480));
    // Keys never written stay as the user left them.
    const TIniFile ini(FilePath("tavik.ini").toStdString());
    EXPECT_EQ(ini.ReadString("Options", "ShowHourGlassCursor", "none"), "none");
}

TEST_F(LifecycleTest, SaveButtonFollowsBothFlags) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    auto* save = Child<TOfficeButton>("SaveChangesBtn");
    form.SetListChanged(true);
    EXPECT_TRUE(save->isEnabled());
    form.SetDataChanged(true);
    form.SetListChanged(false);
    EXPECT_TRUE(save->isEnabled()); // the data flag still holds it
    form.SetDataChanged(false);
    EXPECT_FALSE(save->isEnabled());
}

TEST_F(LifecycleTest, SaveButtonCompactsThenWritesTheList) {
    MakeCatalog({{"A", 3}});
    TMainForm& form = Open();
    const qint64 before = QFileInfo(FilePath("tavik.dat")).size();
    SelectImages({0});
    auto answer = Answer(PressResult(1));
    QTest::keyClick(form.ImageList(), Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_TRUE(form.ListChanged());
    EXPECT_TRUE(form.DataChanged());
    ClickButton("SaveChangesBtn");
    EXPECT_FALSE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());
    EXPECT_FALSE(Child<TOfficeButton>("SaveChangesBtn")->isEnabled());
    EXPECT_LT(QFileInfo(FilePath("tavik.dat")).size(), before);
    const auto saved = ReadCatalog();
    ASSERT_EQ(saved->Topics(0).Bmps.Count(), 2);
    EXPECT_EQ(saved->Image(0, 0).Name, "p1.bmp");
    EXPECT_EQ(saved->Image(0, 0).Position, 4); // compacted to the front
    // The saved catalogue still shows its pictures.
    Close();
    Open();
    EXPECT_EQ(ImageNames(), QStringList({"p1.bmp", "p2.bmp"}));
}

TEST_F(LifecycleTest, F2SavesPendingChanges) {
    TMainForm& form = Open();
    form.AddTopic("New", false);
    ASSERT_TRUE(form.ListChanged());
    QTest::keyClick(form.TopicList(), Qt::Key_F2);
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(ReadCatalog()->Count(), 1);
}

TEST_F(LifecycleTest, ExitSavesWithoutAsking) {
    Open().AddTopic("Kept", false);
    Close(); // a question would fail here: nothing answers it
    const auto saved = ReadCatalog();
    ASSERT_EQ(saved->Count(), 1);
    EXPECT_EQ(saved->Topics(0).Name, "Kept");
}

TEST_F(LifecycleTest, FailingExitSaveIsReportedAndTheSettingsAreStillWritten) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    SelectImages({0});
    auto confirm = Answer(PressResult(1));
    form.DeleteImages();
    ASSERT_TRUE(confirm->Answered());
    // The compaction at exit cannot read the pictures any more; the list is
    // saved all the same.
    QFile::remove(FilePath("tavik.dat"));
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    Close();
    EXPECT_TRUE(report->Answered());
    EXPECT_TRUE(QFile::exists(FilePath("tavik.ini")));
    EXPECT_EQ(ReadCatalog()->Topics(0).Bmps.Count(), 1);
}

} // namespace
} // namespace tavik::testing
