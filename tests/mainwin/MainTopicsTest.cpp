// The topic commands, through the toolbar, keys, drops and drags.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "storage/Lists.h"

#include <QTest>

namespace tavik::testing {
namespace {

using TopicsTest = MainFormTest;

QPoint RowPoint(const TMarkListBox* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

TEST_F(TopicsTest, AddAppendsAndSelectsTheNewTopic) {
    MakeCatalog({{"A", 2}, {"B", 1}});
    TMainForm& form = Open();
    auto answer = Answer(TypeText("New", PressResult(1)));
    ClickButton("tAddBtn");
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(TopicNames(), QStringList({"A", "B", "New"}));
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(form.ShownTopic(), 2);
    EXPECT_TRUE(ImageNames().isEmpty());
    EXPECT_EQ(Child<TOfficeButton>("TopicBtn")->Caption(), "Topics (3):");
    EXPECT_TRUE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());
}

TEST_F(TopicsTest, AddWithAnEmptyNameAddsNothing) {
    TMainForm& form = Open();
    auto ok = Answer(TypeText("", PressResult(1)));
    ClickButton("tAddBtn");
    EXPECT_TRUE(ok->Answered());
    auto cancel = Answer(TypeText("Ignored", PressResult(2)));
    ClickButton("tAddBtn");
    EXPECT_TRUE(cancel->Answered());
    EXPECT_EQ(form.Topics().Count(), 0);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(TopicsTest, InsertPutsTheTopicAtTheCurrentPlace) {
    MakeCatalog({{"A", 0}, {"B", 0}, {"C", 0}, {"D", 0}});
    TMainForm& form = Open();
    form.SelectTopic(2);
    form.AddTopic("A", true); // a name that exists already is taken as is
    EXPECT_EQ(TopicNames(), QStringList({"A", "B", "A", "C", "D"}));
    EXPECT_EQ(form.CurrentTopic(), 2);
}

TEST_F(TopicsTest, InsertWithoutCurrentTopicAppends) {
    TMainForm& form = Open();
    form.AddTopic("First", true);
    form.AddTopic("Second", true);
    // The second insert had "First" current and went before it.
    EXPECT_EQ(TopicNames(), QStringList({"Second", "First"}));
}

TEST_F(TopicsTest, RenameTakesAnyConfirmedText) {
    MakeCatalog({{"A", 1}, {"B", 1}});
    TMainForm& form = Open();
    form.SelectTopic(1);
    QString initial;
    auto answer =
        Answer(Inspect([&](QWidget* dialog) { initial = dialog->findChild<QLineEdit*>()->text(); },
                       TypeText("", PressResult(1))));
    ClickButton("tRenameBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(initial, "B");
    EXPECT_EQ(TopicNames(), QStringList({"A", ""}));
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_TRUE(form.ListChanged());
}

TEST_F(TopicsTest, RenameWithoutCurrentTopicDoesNothing) {
    TMainForm& form = Open();
    ClickButton("tRenameBtn"); // a dialog would time the test out
    form.SetTopicsActive(false);
    ClickButton("tRenameBtn");
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(TopicsTest, MoveUpAndDownKeepsTheShownTopic) {
    MakeCatalog({{"A", 1}, {"B", 2}, {"C", 3}});
    TMainForm& form = Open();
    form.SelectTopic(1);
    emit form.TopicList()->Click();
    ASSERT_EQ(ImageNames().size(), 2);
    ClickButton("tUpBtn");
    EXPECT_EQ(TopicNames(), QStringList({"B", "A", "C"}));
    EXPECT_EQ(form.CurrentTopic(), 0);
    EXPECT_EQ(form.ShownTopic(), 0);
    EXPECT_EQ(ImageNames().size(), 2); // not refilled: the same topic
    EXPECT_TRUE(form.ListChanged());
    ClickButton("tDownBtn");
    ClickButton("tDownBtn");
    EXPECT_EQ(TopicNames(), QStringList({"A", "C", "B"}));
    EXPECT_EQ(form.Topics().Topics(2).Bmps.Count(), 2);
}

TEST_F(TopicsTest, MovingPastEitherEndChangesNothing) {
    MakeCatalog({{"A", 0}, {"B", 0}});
    TMainForm& form = Open();
    ClickButton("tUpBtn");
    form.SelectTopic(1);
    ClickButton("tDownBtn");
    EXPECT_EQ(TopicNames(), QStringList({"A", "B"}));
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(TopicsTest, DeleteUnmarkedAsksForTheCurrentTopicAndCancelUnmarks) {
    MakeCatalog({{"A", 1}, {"B", 1}, {"C", 1}});
    TMainForm& form = Open();
    form.SelectTopic(1);
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(2)));
    ClickButton("tDeleteBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(question, "Do you really want to delete the selected topic 'B'?");
    EXPECT_EQ(form.TopicList()->MarkedCount(), 0);
    EXPECT_EQ(form.Topics().Count(), 3);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(TopicsTest, DeleteKeyRemovesTheCurrentTopicAndShowsTheNext) {
    MakeCatalog({{"A", 1}, {"B", 1}, {"C", 2}});
    TMainForm& form = Open();
    form.SelectTopic(1);
    auto answer = Answer(PressResult(1));
    QTest::keyClick(form.TopicList(), Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(TopicNames(), QStringList({"A", "C"}));
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_EQ(form.ShownTopic(), 1);
    EXPECT_EQ(ImageNames().size(), 2);
    EXPECT_TRUE(form.ListChanged());
    EXPECT_TRUE(form.DataChanged());

    auto keypad = Answer(PressResult(1));
    QTest::keyClick(form.TopicList(), Qt::Key_Delete, Qt::KeypadModifier);
    EXPECT_EQ(TopicNames(), QStringList({"A"}));
}

TEST_F(TopicsTest, DeleteMarkedTopicsAsksWithTheirCount) {
    MakeCatalog({{"A", 0}, {"B", 0}, {"C", 0}, {"D", 0}, {"E", 0}});
    TMainForm& form = Open();
    form.SelectTopic(3);
    for (int i : {0, 2, 4})
        form.TopicList()->SetChecked(i, true);
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(1)));
    form.DeleteTopics();
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(question, "Do you really want to delete the 3 selected topics?");
    EXPECT_EQ(TopicNames(), QStringList({"B", "D"}));
    EXPECT_EQ(form.CurrentTopic(), 1); // D stays current
    EXPECT_EQ(form.TopicList()->MarkedCount(), 0);
}

TEST_F(TopicsTest, OneMarkedTopicIsNamedInTheQuestion) {
    MakeCatalog({{"A", 0}, {"B", 0}, {"C", 0}});
    TMainForm& form = Open();
    form.SelectTopic(0);
    form.TopicList()->SetChecked(2, true);
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(1)));
    form.DeleteTopics();
    EXPECT_EQ(question, "Do you really want to delete the selected topic 'C'?");
    EXPECT_EQ(TopicNames(), QStringList({"A", "B"}));
}

TEST_F(TopicsTest, DeletingTheLastAndTheOnlyTopic) {
    MakeCatalog({{"A", 1}, {"B", 1}});
    TMainForm& form = Open();
    form.SelectTopic(1);
    auto first = Answer(PressResult(1));
    form.DeleteTopics();
    EXPECT_EQ(form.CurrentTopic(), 0);
    auto second = Answer(PressResult(1));
    form.DeleteTopics();
    EXPECT_TRUE(second->Answered());
    EXPECT_EQ(form.CurrentTopic(), -1);
    EXPECT_TRUE(ImageNames().isEmpty());
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (0):");
}

TEST_F(TopicsTest, ClickingATopicShowsItsPictures) {
    MakeCatalog({{"A", 1}, {"B", 4}});
    TMainForm& form = Open();
    QTest::mouseClick(form.TopicList()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      RowPoint(form.TopicList(), 1) + QPoint(20, 0));
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_EQ(form.ShownTopic(), 1);
    EXPECT_EQ(ImageNames().size(), 4);
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (4):");
}

TEST_F(TopicsTest, FilesDroppedOnATopicAreAddedThere) {
    MakeCatalog({{"A", 1}, {"B", 1}});
    TMainForm& form = Open();
    const QStringList files = {WriteBmpFile(Folder(), "x.bmp", 10, 10),
                               WriteBmpFile(Folder(), "y.bmp", 12, 8)};
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(6)));
    emit form.TopicList()->DropFiles(form.TopicList(), RowPoint(form.TopicList(), 1), files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(question, "Add 2 image(s) to 'B'?");
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "x.bmp", "y.bmp"}));
    // Added files are written to the list file at once.
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(ReadCatalog()->Topics(1).Bmps.Count(), 3);
}

TEST_F(TopicsTest, DroppingOutsideTopicsOrAnsweringNo) {
    MakeCatalog({{"A", 1}, {"B", 2}});
    TMainForm& form = Open();
    const QStringList files = {WriteBmpFile(Folder(), "x.bmp", 10, 10)};
    emit form.TopicList()->DropFiles(form.TopicList(), QPoint(5, 500), files);
    EXPECT_EQ(form.CurrentTopic(), 0);
    auto answer = Answer(PressResult(7));
    emit form.TopicList()->DropFiles(form.TopicList(), RowPoint(form.TopicList(), 1), files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_EQ(ImageNames().size(), 2);
    EXPECT_EQ(form.Topics().Topics(1).Bmps.Count(), 2);
}

TEST_F(TopicsTest, PicturesDraggedOntoAnotherTopic) {
    MakeCatalog({{"A", 4}, {"B", 1}});
    TMainForm& form = Open();
    TMarkListBox* topics = form.TopicList();
    bool accept = true;
    emit topics->DragOver(form.ImageList(), RowPoint(topics, 0), accept);
    EXPECT_FALSE(accept); // the current topic refuses
    emit topics->DragOver(topics, RowPoint(topics, 1), accept);
    EXPECT_FALSE(accept); // only pictures from the image list
    emit topics->DragOver(form.ImageList(), RowPoint(topics, 1), accept);
    EXPECT_TRUE(accept);

    SelectImages({1, 3});
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(1)));
    emit topics->DragDrop(form.ImageList(), RowPoint(topics, 1));
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(question, "Do you really want to move the 2 selected images to 'B'?");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p2.bmp"}));
    EXPECT_EQ(form.CurrentTopic(), 0);
    const TTopic& b = form.Topics().Topics(1);
    ASSERT_EQ(b.Bmps.Count(), 3);
    EXPECT_EQ(b.Bmps.Bmps(1).Name, "p1.bmp");
    EXPECT_EQ(b.Bmps.Bmps(2).Name, "p3.bmp");
    EXPECT_TRUE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged()); // the records stay in use
}

TEST_F(TopicsTest, OnePictureDraggedAsksWithItsName) {
    MakeCatalog({{"A", 2}, {"B", 0}});
    TMainForm& form = Open();
    SelectImages({1});
    QString question;
    auto answer = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(2)));
    emit form.TopicList()->DragDrop(form.ImageList(), RowPoint(form.TopicList(), 1));
    EXPECT_EQ(question, "Do you really want to move the selected image 'p1.bmp' to 'B'?");
    EXPECT_EQ(ImageNames().size(), 2);
    EXPECT_FALSE(form.ListChanged());
}

} // namespace
} // namespace tavik::testing
