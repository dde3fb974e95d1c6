// Finding pictures by name across the topics, driven by the user's keys and
// mouse on the real window.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/Picture.h"
#include "graphics/TavikPicture.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QMimeData>
#include <QTest>
#include <QToolTip>

namespace tavik::testing {
namespace {

class SearchTest : public MainFormTest {
protected:
    // Sky: Étoile, moon, Stär; Shapes: star, circle; Signs: STAR sign. Each
    // picture is as wide as 10 + its place in the catalogue, so a size tells
    // which one a command took.
    void SetUp() override {
        MainFormTest::SetUp();
        const std::string folder = Folder().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList list;
        TTavikPicture picture;
        int made = 0;
        const auto add = [&](TTopic& topic, const QString& name) {
            picture.LoadFromFile(
                WriteBmpFile(Folder(), "source.bmp", 10 + made++, 8).toStdString());
            topic.AddBmp(FromUtf8(name.toStdString(), kCodePageWestern),
                         picture.AppendToCatalog(DataFileName(folder)));
        };
        TTopic& sky = list.AddTopic("Sky");
        add(sky, QString::fromUtf8("Étoile.bmp"));
        add(sky, "moon.bmp");
        add(sky, QString::fromUtf8("Stär.bmp"));
        TTopic& shapes = list.AddTopic("Shapes");
        add(shapes, "star.bmp");
        add(shapes, "circle.bmp");
        add(list.AddTopic("Signs"), "STAR sign.bmp");
        SaveListFile(ListFileName(folder), list);
    }

    QLineEdit* Field() const { return Child<QLineEdit>("SearchField"); }

    // Ctrl+F in the window, then the text typed into the field.
    void Search(const QString& text) {
        QTest::keyClick(FForm->ImageList(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(QTest::qWaitFor([&] { return Field()->isVisible() && Field()->hasFocus(); }));
        QTest::keyClicks(Field(), text);
    }

    // Ctrl+Z where the keys go, once the window is active again after a
    // dialog, as the window manager makes it.
    void Undo() {
        FForm->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : FForm.get(), Qt::Key_Z, Qt::ControlModifier);
    }

    bool Shows(const QStringList& names) const {
        return QTest::qWaitFor([&] { return ImageNames() == names; }, 3000);
    }
};

TEST_F(SearchTest, TypingFindsInEveryTopicAndEscapeGoesBack) {
    TMainForm& form = Open();
    form.SelectTopic(1);
    SelectImages({1});
    ASSERT_EQ(ImageNames(), QStringList({"star.bmp", "circle.bmp"}));

    Search("STAR");
    EXPECT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}))
        << ImageNames().join(", ").toStdString();
    EXPECT_EQ(form.CurrentTopic(), -1);
    // Each keystroke narrows the results; accents and case do not count.
    QTest::keyClicks(Field(), " S");
    EXPECT_TRUE(Shows({"STAR sign.bmp"}));
    Field()->clear();
    QTest::keyClicks(Field(), "ETO");
    EXPECT_TRUE(Shows({QString::fromUtf8("Étoile.bmp")}));

    QTest::keyClick(Field(), Qt::Key_Escape);
    EXPECT_FALSE(Field()->isVisible());
    EXPECT_EQ(form.CurrentTopic(), 1);
    EXPECT_EQ(ImageNames(), QStringList({"star.bmp", "circle.bmp"}));
    EXPECT_EQ(form.CurrentImageIndex(), 1);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(SearchTest, EnterAndDoubleClickGoToThePictureInItsTopic) {
    TMainForm& form = Open();
    Search("sign");
    ASSERT_TRUE(Shows({"STAR sign.bmp"}));
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_FALSE(Field()->isVisible());
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(form.CurrentImageIndex(), 0);
    EXPECT_EQ(form.PreviewPicture().Width(), 15);

    // Enter right after the typing takes what was typed last.
    Search("moo");
    QTest::keyClick(Field(), Qt::Key_Return);
    EXPECT_EQ(form.CurrentTopic(), 0);
    EXPECT_EQ(form.CurrentImageIndex(), 1);

    Search("st");
    ASSERT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    TBmpListView* list = form.ImageList();
    const QPoint second = list->visualRect(list->model()->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.CurrentTopic() == 1; }));
    EXPECT_EQ(ImageNames(), QStringList({"star.bmp", "circle.bmp"}));
    EXPECT_EQ(form.CurrentImageIndex(), 0);
    EXPECT_TRUE(list->IsSelected(0));
    EXPECT_EQ(form.PreviewPicture().Width(), 13);
    EXPECT_FALSE(Field()->isVisible());
}

TEST_F(SearchTest, CommandsOnAResultTakeThatPictureAndChangeNothing) {
    TMainForm& form = Open();
    Search("st");
    ASSERT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    // Down moves into the results; the third is the one in Signs.
    QTest::keyClick(Field(), Qt::Key_Down);
    TBmpListView* list = form.ImageList();
    ASSERT_TRUE(list->hasFocus());
    QTest::keyClick(list, Qt::Key_End);
    ASSERT_EQ(form.CurrentImageIndex(), 2);
    EXPECT_EQ(form.PreviewPicture().Width(), 15);
    // Its tool tip names its topic.
    const QPoint third = list->visualRect(list->model()->index(2, 0)).center();
    QHelpEvent help(QEvent::ToolTip, third, list->viewport()->mapToGlobal(third));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), "Signs");

    QApplication::clipboard()->clear();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData()).width(),
              15);

    // A result belongs to no topic shown: adding to one or reordering one is
    // greyed out, and the list's own order stays.
    for (const char* button : {"tUpBtn", "tDownBtn", "tAddBtn", "tPasteBtn"})
        EXPECT_FALSE(Child<QWidget>(button)->isEnabled()) << button;
    ClickButton("tUpBtn");
    EXPECT_EQ(ImageNames(),
              QStringList({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    EXPECT_FALSE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());

    // Enter in the list goes to the current result.
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(form.CurrentImageIndex(), 0);
}

TEST_F(SearchTest, DeleteAndRenameOnResultsChangeTheirTopicsAndUndo) {
    TMainForm& form = Open();
    const std::int32_t starPosition = form.Topics().Image(1, 0).Position;
    Search("st");
    const QStringList all = {QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"};
    ASSERT_TRUE(Shows(all));
    QTest::keyClick(Field(), Qt::Key_Down);
    TBmpListView* list = form.ImageList();
    const auto click = [&](int item, Qt::KeyboardModifiers keys = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, keys,
                          list->visualRect(list->model()->index(item, 0)).center() - QPoint(0, 12));
    };

    // The Delete key on "star.bmp" deletes it from Shapes, and only there.
    click(1);
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(1)));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Do you really want to delete the selected image 'star.bmp'?");
    EXPECT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "STAR sign.bmp"}));
    EXPECT_EQ(form.Topics().Topics(1).Bmps.Count(), 1);
    EXPECT_EQ(form.Topics().Topics(0).Bmps.Count(), 3);
    EXPECT_EQ(form.CurrentImageIndex(), 1);
    EXPECT_EQ(form.PreviewPicture().Width(), 15);
    EXPECT_TRUE(form.ListChanged());
    EXPECT_TRUE(form.DataChanged());

    // Undo puts it back at its place with its record, and the search shows it.
    Undo();
    EXPECT_TRUE(Shows(all));
    EXPECT_TRUE(Field()->isVisible());
    EXPECT_EQ(form.Topics().Image(1, 0).Name, "star.bmp");
    EXPECT_EQ(form.Topics().Image(1, 0).Position, starPosition);
    EXPECT_EQ(form.CurrentImageIndex(), 1);
    EXPECT_FALSE(form.DataChanged());

    // Results of two topics go in one command, and come back in one undo.
    click(2, Qt::ControlModifier);
    answer = Answer(PressResult(1));
    ClickButton("tDeleteBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_TRUE(Shows({QString::fromUtf8("Stär.bmp")}));
    EXPECT_EQ(form.Topics().Topics(2).Bmps.Count(), 0);
    EXPECT_EQ(form.UndoAction()->text(), "Undo delete 2 pictures");
    Undo();
    EXPECT_TRUE(Shows(all));

    // The toolbar's Rename names the result's own picture, in Sky.
    click(0);
    answer = Answer(TypeText("Sun.bmp", PressResult(1)));
    ClickButton("tRenameBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(form.Topics().Image(0, 2).Name, "Sun.bmp");
    EXPECT_EQ(ImageNames(), QStringList({"Sun.bmp", "star.bmp", "STAR sign.bmp"}));
    // Renamed, it is found by its new name only.
    Field()->clear();
    QTest::keyClicks(Field(), "sun");
    EXPECT_TRUE(Shows({"Sun.bmp"}));

    // A click on the selected result's caption renames it in place.
    QTest::keyClick(Field(), Qt::Key_Down);
    ASSERT_EQ(form.CurrentImageIndex(), 0);
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(cell.center().x(), cell.top() + 32 + 12));
    QLineEdit* editor = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QLineEdit* open : list->viewport()->findChildren<QLineEdit*>())
            if (open->isVisible())
                editor = open;
        return editor != nullptr;
    }));
    editor->selectAll();
    QTest::keyClicks(editor, "Sol.bmp");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form.Topics().Image(0, 2).Name == "Sol.bmp"; }));

    // Undone after the search has ended, the rename shows in its topic.
    QTest::keyClick(Field(), Qt::Key_Escape);
    Undo();
    EXPECT_EQ(form.CurrentTopic(), 0);
    EXPECT_EQ(form.Topics().Image(0, 2).Name, "Sun.bmp");
    EXPECT_EQ(form.CurrentImageIndex(), 2);
    EXPECT_TRUE(Child<QWidget>("tUpBtn")->isEnabled());
}

TEST_F(SearchTest, ResultsDroppedOnATopicMoveThereFromTheirTopics) {
    TMainForm& form = Open();
    Search("st");
    ASSERT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    QTest::keyClick(Field(), Qt::Key_Down);
    TBmpListView* list = form.ImageList();
    TMarkListBox* topics = form.TopicList();
    const QPoint signs = topics->visualItemRect(topics->item(2)).center();
    // Signs holds the third already: it takes no drop of that one alone.
    SelectImages({2});
    bool accept = true;
    emit topics->DragOver(list, signs, accept);
    EXPECT_FALSE(accept);

    SelectImages({0, 1, 2});
    emit topics->DragOver(list, signs, accept);
    EXPECT_TRUE(accept);
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(1)));
    emit topics->DragDrop(list, signs);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Do you really want to move the 2 selected images to 'Signs'?");
    EXPECT_EQ(form.Topics().Topics(0).Bmps.Count(), 2);
    EXPECT_EQ(form.Topics().Topics(1).Bmps.Count(), 1);
    ASSERT_EQ(form.Topics().Topics(2).Bmps.Count(), 3);
    EXPECT_EQ(form.Topics().Image(2, 2).Name, "star.bmp");
    // The results follow the pictures to their new topic, still selected.
    EXPECT_TRUE(Shows({"STAR sign.bmp", QString::fromUtf8("Stär.bmp"), "star.bmp"}));
    EXPECT_FALSE(list->IsSelected(0));
    EXPECT_TRUE(list->IsSelected(1) && list->IsSelected(2));
    EXPECT_EQ(list->FocusedIndex(), 1);
    EXPECT_TRUE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());

    Undo();
    EXPECT_TRUE(Shows({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    EXPECT_EQ(form.Topics().Image(0, 2).Name, "St\xe4r.bmp");
    EXPECT_EQ(form.Topics().Image(1, 0).Name, "star.bmp");
    EXPECT_EQ(form.Topics().Topics(2).Bmps.Count(), 1);
}

TEST_F(SearchTest, ChoosingATopicEndsTheSearch) {
    TMainForm& form = Open();
    Search("o");
    ASSERT_TRUE(Shows({QString::fromUtf8("Étoile.bmp"), "moon.bmp"}));
    TMarkListBox* topics = form.TopicList();
    QTest::mouseClick(topics->viewport(), Qt::LeftButton, {},
                      topics->visualItemRect(topics->item(2)).center());
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(ImageNames(), QStringList({"STAR sign.bmp"}));
    EXPECT_FALSE(Field()->isVisible());
}

} // namespace
} // namespace tavik::testing
