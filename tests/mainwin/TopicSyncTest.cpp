// The image list always shows the current topic, whatever gesture made it
// current, and the image commands act on the pictures shown.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "storage/Lists.h"

#include <QTest>

namespace tavik::testing {
namespace {

class TopicSyncTest : public MainFormTest {
protected:
    QPoint RowPoint(int row) const {
        const TMarkListBox* list = FForm->TopicList();
        return list->visualItemRect(list->item(row)).center() + QPoint(20, 0);
    }
    QWidget* Topics() const { return FForm->TopicList()->viewport(); }

    // The pictures shown are the current topic's, and the highlighted topic
    // is the current one.
    void ExpectInStep(const char* gesture, int wantedTopic) {
        SCOPED_TRACE(gesture);
        const int current = FForm->CurrentTopic();
        EXPECT_EQ(current, wantedTopic);
        EXPECT_EQ(FForm->ShownTopic(), current);
        QStringList names;
        for (int i = 0; current >= 0 && i < FForm->Topics().Topics(current).Bmps.Count(); ++i)
            names << QString::fromStdString(FForm->Topics().Image(current, i).Name);
        EXPECT_EQ(ImageNames(), names);
        const QList<QListWidgetItem*> highlighted = FForm->TopicList()->selectedItems();
        ASSERT_EQ(highlighted.size(), 1);
        EXPECT_EQ(FForm->TopicList()->row(highlighted.front()), current);
    }
};

TEST_F(TopicSyncTest, EveryGestureThatChangesTheTopicShowsItsPictures) {
    // Picture counts differ, so each topic's list is told apart.
    MakeCatalog({{"A", 1}, {"B", 3}, {"C", 0}, {"D", 2}});
    Open();
    QTest::mouseClick(Topics(), Qt::RightButton, {}, RowPoint(1));
    ExpectInStep("right click", 1);

    QTest::mousePress(Topics(), Qt::LeftButton, {}, RowPoint(2));
    QTest::mouseMove(Topics(), RowPoint(3));
    QTest::mouseRelease(Topics(), Qt::LeftButton, {}, RowPoint(3));
    ExpectInStep("press on one topic, release on another", 3);

    QTest::mouseClick(Topics(), Qt::LeftButton, Qt::ControlModifier, RowPoint(3));
    ExpectInStep("ctrl+click on the current topic", 3);
    QTest::mouseClick(Topics(), Qt::LeftButton, Qt::ControlModifier, RowPoint(0));
    ExpectInStep("ctrl+click on another topic", 0);

    const QPoint below(20, Topics()->height() - 3);
    ASSERT_EQ(FForm->TopicList()->itemAt(below), nullptr);
    QTest::mouseClick(Topics(), Qt::LeftButton, {}, below);
    ExpectInStep("click below the rows", 0);
    QTest::mousePress(Topics(), Qt::LeftButton, {}, RowPoint(1));
    QTest::mouseMove(Topics(), RowPoint(2));
    QTest::mouseMove(Topics(), below);
    QTest::mouseRelease(Topics(), Qt::LeftButton, {}, below);
    ExpectInStep("drag off the end of the rows", 2);

    QTest::keyClick(FForm->TopicList(), Qt::Key_End);
    ExpectInStep("End", 3);
    QTest::keyClick(FForm->TopicList(), Qt::Key_Up);
    ExpectInStep("Up", 2);
}

TEST_F(TopicSyncTest, ImageCommandsActOnThePicturesShown) {
    MakeCatalog({{"A", 3}, {"B", 2}});
    TMainForm& form = Open();
    QTest::mouseClick(Topics(), Qt::RightButton, {}, RowPoint(1));
    TBmpListView* images = form.ImageList();
    ASSERT_EQ(images->Count(), 2);
    QTest::mouseClick(images->viewport(), Qt::LeftButton, {},
                      images->visualRect(images->model()->index(1, 0)).center());
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(1)));
    QTest::keyClick(images, Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(question, "Do you really want to delete the selected image 'p1.bmp'?");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp"}));
    EXPECT_EQ(form.Topics().Topics(0).Bmps.Count(), 3);
    EXPECT_EQ(form.Topics().Topics(1).Bmps.Count(), 1);
}

} // namespace
} // namespace tavik::testing
