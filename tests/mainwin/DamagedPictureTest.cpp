// A damaged picture is shown as a placeholder and reported once, after the
// command; deleting and moving it work the first time.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/Picture.h"
#include "mainwin/ErrorReport.h"
#include "storage/Lists.h"

#include <QFile>
#include <QTest>

namespace tavik::testing {
namespace {

class DamagedPictureTest : public MainFormTest {
protected:
    // A catalogue of topic A with three pictures, the second one damaged, and
    // an empty topic B; the window is open and the fill's report answered.
    void OpenWithDamagedPicture() {
        MakeCatalog({{"A", 3}, {"B", 0}});
        const auto list = ReadCatalog();
        QFile data(FilePath("tavik.dat"));
        ASSERT_TRUE(data.open(QIODevice::ReadWrite));
        data.seek(list->Image(0, 1).Position);
        data.write("XXXX");
        data.close();
        auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
        Open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    }

    void ClickImage(int row) {
        TBmpListView* images = FForm->ImageList();
        QTest::mouseClick(images->viewport(), Qt::LeftButton, {},
                          images->visualRect(images->model()->index(row, 0)).center());
    }

    // Clicks the damaged picture: the preview drops the picture it showed and
    // the damage is reported once, after the click.
    void SelectDamagedPicture() {
        ClickImage(0);
        ASSERT_EQ(FForm->PreviewPicture().Width(), 8);
        ClickImage(1);
        EXPECT_NE(FForm->PreviewPicture().Width(), 8);
        ASSERT_EQ(PendingReports().size(), 1);
        auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
        ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
        EXPECT_TRUE(PendingReports().isEmpty());
    }
};

TEST_F(DamagedPictureTest, DeleteRemovesItTheFirstTime) {
    OpenWithDamagedPicture();
    SelectDamagedPicture();
    auto answer = Answer(PressResult(1));
    QTest::keyClick(FForm->ImageList(), Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p2.bmp"}));
    EXPECT_EQ(FForm->Topics().Topics(0).Bmps.Count(), 2);
    EXPECT_EQ(FForm->Topics().Image(0, 1).Name, "p2.bmp");
    EXPECT_TRUE(FForm->DataChanged());
    EXPECT_TRUE(PendingReports().isEmpty());
}

TEST_F(DamagedPictureTest, DragToAnotherTopicMovesItOnce) {
    OpenWithDamagedPicture();
    SelectDamagedPicture();
    TMarkListBox* topics = FForm->TopicList();
    auto answer = Answer(PressResult(1));
    emit topics->DragDrop(FForm->ImageList(), topics->visualItemRect(topics->item(1)).center());
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p2.bmp"}));
    ASSERT_EQ(FForm->Topics().Topics(1).Bmps.Count(), 1);
    EXPECT_EQ(FForm->Topics().Image(1, 0).Name, "p1.bmp");
    EXPECT_TRUE(PendingReports().isEmpty());
}

TEST_F(DamagedPictureTest, AFailingHandlerIsReportedAfterItReturns) {
    MakeCatalog({{"A", 1}});
    Open();
    QString text = QStringLiteral("x");
    EXPECT_NO_THROW(emit FForm->ImageList()->Edited(3, text));
    EXPECT_EQ(PendingReports(), QStringList({"Incorrect bmp item in Rename op!"}));
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    EXPECT_EQ(FForm->Topics().Image(0, 0).Name, "p0.bmp");
}

} // namespace
} // namespace tavik::testing
