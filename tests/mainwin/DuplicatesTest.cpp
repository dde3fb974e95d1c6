// Adding a picture whose stored bytes the catalogue already holds.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QDir>
#include <QTest>

namespace tavik::testing {
namespace {

class DuplicatesTest : public MainFormTest {
protected:
    // Sky holds star.bmp and moon.bmp; Shapes is empty. The files for adding
    // are written into a folder of their own.
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(QDir(Folder()).mkdir("in"));
        const std::string folder = Folder().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList list;
        TTopic& sky = list.AddTopic("Sky");
        TTavikPicture picture;
        for (const char* name : {"star", "moon"}) {
            picture.LoadFromFile(Copy(QString(name) + ".bmp", name).toStdString());
            sky.AddBmp(std::string(name) + ".bmp", picture.AppendToCatalog(DataFileName(folder)));
        }
        list.AddTopic("Shapes");
        SaveListFile(ListFileName(folder), list);
    }

    // A file named fileName holding the bytes of picture "star" or "moon".
    QString Copy(const QString& fileName, const QString& picture) const {
        return WriteBmpFile(FilePath("in"), fileName, picture == "star" ? 9 : 7, 5,
                            picture == "star" ? Qt::yellow : Qt::gray);
    }
};

TEST_F(DuplicatesTest, TheSameTopicAsksFirstNamingThePictureItHolds) {
    TMainForm& form = Open();
    ASSERT_EQ(form.CurrentTopic(), 0);
    QString asked;
    auto no = Answer(Inspect([&](QWidget* dialog) { asked = MessageOf(dialog); }, PressResult(7)));
    form.AddImageFiles({Copy("again.bmp", "star")});
    EXPECT_TRUE(no->Answered()) << no->Error().toStdString();
    EXPECT_EQ(asked, "The picture 'again.bmp' is already in this topic as 'star.bmp'. Add it all "
                     "the same?");
    EXPECT_EQ(ImageNames(), QStringList({"star.bmp", "moon.bmp"}));
    EXPECT_EQ(ReadCatalog()->Topics(0).Bmps.Count(), 2);

    auto yes = Answer(PressResult(6));
    form.AddImageFiles({Copy("again.bmp", "star")});
    EXPECT_TRUE(yes->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"star.bmp", "moon.bmp", "again.bmp"}));
}

TEST_F(DuplicatesTest, AnotherTopicAddsAndTellsOncePerCommand) {
    TMainForm& form = Open();
    form.SelectTopic(1);
    QString told;
    int dialogs = 0;
    auto ok = Answer(Inspect(
        [&](QWidget* dialog) {
            ++dialogs;
            told = MessageOf(dialog);
        },
        PressResult(1)));
    form.AddImageFiles({Copy("a.bmp", "star"), Copy("b.bmp", "moon")});
    EXPECT_TRUE(ok->Answered());
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(told, "'a.bmp' is also in the topic 'Sky' as 'star.bmp'.\n"
                    "'b.bmp' is also in the topic 'Sky' as 'moon.bmp'.");
    EXPECT_EQ(ImageNames(), QStringList({"a.bmp", "b.bmp"}));

    // A picture the catalogue does not hold is added without a word.
    form.AddImageFiles({WriteBmpFile(FilePath("in"), "new.bmp", 3, 3, Qt::blue)});
    EXPECT_EQ(ImageNames(), QStringList({"a.bmp", "b.bmp", "new.bmp"}));
}

} // namespace
} // namespace tavik::testing
