// A whole session of the program on a fresh folder, then a second start that
// must find everything as the first one left it.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/TavikPicture.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

namespace tavik::testing {
namespace {

// Picks a format in the group save's second step and confirms it.
ModalAction ChooseFormat(const QString& name) {
    return [=](QWidget* dialog, QString& error) {
        return PressButton(name)(dialog, error) && PressButton("OK")(dialog, error);
    };
}

class EndToEnd : public MainFormTest {
protected:
    void ClickTopic(int row) {
        TMarkListBox* list = FForm->TopicList();
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          rect.center() + QPoint(20, 0));
        ASSERT_EQ(FForm->CurrentTopic(), row);
    }
    std::vector<std::uint8_t> StoredStream(int topic, int image) const {
        TTavikPicture picture;
        picture.LoadFromCatalog(DataFile(), FForm->Topics().Image(topic, image).Position);
        return picture.Graphic()->Stream();
    }
    static std::vector<std::uint8_t> Stream(const QByteArray& bytes) {
        return {bytes.begin(), bytes.end()};
    }
};

TEST_F(EndToEnd, AWholeSessionSurvivesARestartByteForByte) {
    QTemporaryDir files;
    QTemporaryDir other;
    QTemporaryDir out;
    const QString rose = WriteBmpFile(files.path(), "rose.bmp", 20, 10, QColor(200, 0, 0));
    const QString tulip = WriteBmpFile(files.path(), "tulip.bmp", 12, 12, QColor(200, 200, 0));
    const QString star = WriteIcoFile(files.path(), "star.ico", 16, QColor(0, 0, 200));
    const QString owl = WriteBmpFile(files.path(), "owl.bmp", 9, 7, QColor(90, 60, 30));
    {
        // The second catalogue to import from.
        const std::string folder = other.path().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList topics;
        TTavikPicture picture;
        picture.LoadFromFile(owl.toStdString());
        topics.AddTopic("Birds").AddBmp("owl.bmp", picture.AppendToCatalog(DataFileName(folder)));
        SaveListFile(ListFileName(folder), topics);
    }

    TMainForm& form = Open();
    auto flowers = Answer(TypeText("Flowers", PressResult(1)));
    ClickButton("tAddBtn");
    auto misc = Answer(TypeText("Misc", PressResult(1)));
    ClickButton("tAddBtn");
    ASSERT_EQ(TopicNames(), QStringList({"Flowers", "Misc"}));

    // Pictures from files.
    ClickTopic(0);
    form.AddImageFiles({rose, tulip, star});
    ASSERT_EQ(ImageNames(), QStringList({"rose.bmp", "tulip.bmp", "star.ico"}));

    // Copy the icon and paste it into the other topic: it stays an icon.
    SelectImages({2});
    ClickButton("tCopyBtn");
    ClickTopic(1);
    QString proposed;
    // The same picture in another topic is added, and where it also is is told.
    std::shared_ptr<ModalAnswer> toldIcon;
    auto pasteIcon = Answer(AndThen(
        Inspect([&](QWidget* d) { proposed = d->findChild<QLineEdit*>("BitmapNameEdit")->text(); },
                PressResult(1)),
        PressResult(1), &toldIcon));
    ClickButton("tPasteBtn");
    EXPECT_EQ(proposed, "NewImage.ico");
    EXPECT_TRUE(toldIcon && toldIcon->Answered());
    // Copy the rose and paste it under a name of its own.
    ClickTopic(0);
    SelectImages({0});
    ClickButton("tCopyBtn");
    ClickTopic(1);
    std::shared_ptr<ModalAnswer> toldRose;
    auto pasteRose =
        Answer(AndThen(TypeText("rose copy.bmp", PressResult(1)), PressResult(1), &toldRose));
    ClickButton("tPasteBtn");
    EXPECT_TRUE(toldRose && toldRose->Answered());
    ASSERT_EQ(ImageNames(), QStringList({"NewImage.ico", "rose copy.bmp"}));
    EXPECT_EQ(StoredStream(1, 0), Stream(ReadFile(star)));

    // Rename the tulip, move it up, move the icon over, delete the rose.
    ClickTopic(0);
    form.SetTopicsActive(false);
    SelectImages({1});
    auto rename = Answer(TypeText("tulip in spring.bmp", PressResult(1)));
    ClickButton("tRenameBtn");
    // The focus went back to a list when the dialog closed.
    form.SetTopicsActive(false);
    ClickButton("tUpBtn");
    ASSERT_EQ(ImageNames(), QStringList({"tulip in spring.bmp", "rose.bmp", "star.ico"}));
    SelectImages({2});
    auto move = Answer(PressResult(1));
    form.MoveImagesToTopic(1, 0);
    SelectImages({1});
    auto remove = Answer(PressResult(1));
    form.SetTopicsActive(false);
    ClickButton("tDeleteBtn");
    ASSERT_EQ(ImageNames(), QStringList({"tulip in spring.bmp"}));

    // F2 compacts the data file and writes the list file.
    ASSERT_TRUE(form.DataChanged());
    QTest::keyClick(&form, Qt::Key_F2);
    EXPECT_FALSE(form.ListChanged() || form.DataChanged());

    // Import from the second catalogue; the import is saved at once.
    auto import = Answer(ChooseFolder(other.path(), TickAll()));
    ClickButton("ImportBtn");
    ASSERT_EQ(TopicNames(), QStringList({"Flowers", "Misc", "Birds"}));
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(ImageNames(), QStringList({"owl.bmp"}));
    EXPECT_FALSE(form.ListChanged());

    // Save the three pictures of Misc as a group.
    ClickTopic(1);
    SelectImages({0, 1, 2});
    auto group = Answer(ChooseFolder(out.path(), ChooseFormat("Original")));
    ClickButton("tSaveBtn");
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files),
              QStringList({"NewImage.ico", "rose copy.bmp", "star.ico"}));
    EXPECT_EQ(ReadFile(out.filePath("NewImage.ico")), ReadFile(star));
    EXPECT_EQ(ReadFile(out.filePath("star.ico")), ReadFile(star));
    EXPECT_EQ(QImage(out.filePath("rose copy.bmp")).convertToFormat(QImage::Format_RGB32),
              QImage(rose).convertToFormat(QImage::Format_RGB32));

    // The same pictures as PNG; the next group save proposes PNG again.
    auto asPng = Answer(ChooseFolder(out.path(), ChooseFormat("Png")));
    ClickButton("tSaveBtn");
    ASSERT_TRUE(asPng->Answered()) << asPng->Error().toStdString();
    EXPECT_EQ(QDir(out.path()).entryList({"*.png"}, QDir::Files),
              QStringList({"NewImage.png", "rose copy.png", "star.png"}));
    EXPECT_EQ(QImage(out.filePath("rose copy.png")).convertToFormat(QImage::Format_RGB32),
              QImage(rose).convertToFormat(QImage::Format_RGB32));
    bool pngProposed = false;
    auto again = Answer(ChooseFolder(
        out.path(),
        Inspect([&](QWidget* d) { pngProposed = d->findChild<QRadioButton*>("Png")->isChecked(); },
                PressButton("Cancel"))));
    ClickButton("tSaveBtn");
    EXPECT_TRUE(again->Answered());
    EXPECT_TRUE(pngProposed);

    // Quit, and start again.
    Close();
    const QByteArray list = ReadFile(FilePath("tavik.lst"));
    const QByteArray data = ReadFile(FilePath("tavik.dat"));
    ASSERT_TRUE(list.startsWith("TVL1") && data.startsWith("TVD1"));

    Open();
    ASSERT_EQ(TopicNames(), QStringList({"Flowers", "Misc", "Birds"}));
    const std::vector<QStringList> names = {
        {"tulip in spring.bmp"}, {"NewImage.ico", "rose copy.bmp", "star.ico"}, {"owl.bmp"}};
    const std::vector<std::vector<QString>> sources = {{tulip}, {star, "", star}, {owl}};
    for (int topic = 0; topic < 3; ++topic) {
        ClickTopic(topic);
        EXPECT_EQ(ImageNames(), names[topic]);
        for (int image = 0; image < int(sources[topic].size()); ++image) {
            if (!sources[topic][image].isEmpty()) {
                EXPECT_EQ(StoredStream(topic, image), Stream(ReadFile(sources[topic][image])))
                    << topic << "/" << image;
            }
        }
    }
    Close();
    EXPECT_EQ(ReadFile(FilePath("tavik.lst")), list);
    EXPECT_EQ(ReadFile(FilePath("tavik.dat")), data);
}

} // namespace
} // namespace tavik::testing
