// The gestures of the two lists: their context menus, Enter and double click
// into the view window, Ctrl+A; and the view window's zoom and stepping keys.
// The mouse goes through the window system's path, where a right button
// press becomes a context menu event as on the desktop.
#define QTEST_QPA_MOUSE_HANDLING
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "mainwin/PictureImage.h"
#include "mainwin/View.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTest>
#include <QWheelEvent>

namespace tavik::testing {
namespace {

class GesturesTest : public MainFormTest {
protected:
    TMainForm& OpenWithView() {
        TMainForm& form = Open();
        FView = std::make_unique<TViewForm>(Folder().toStdString() + "/", &form);
        form.SetViewForm(FView.get());
        return form;
    }
    void TearDown() override {
        FView.reset();
        MainFormTest::TearDown();
    }
    TBmpListView* Images() const { return FForm->ImageList(); }
    QPoint ItemPoint(int row) const {
        return Images()->visualRect(Images()->model()->index(row, 0)).center();
    }
    // The context menu opened by the last gesture, once it is up.
    QMenu* OpenedMenu() const {
        QMenu* menu = nullptr;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }));
        return menu;
    }
    static QStringList Entries(const QMenu& menu) {
        QStringList texts;
        for (const QAction* action : menu.actions())
            if (!action->isSeparator())
                texts << action->text() + (action->isEnabled() ? "" : " (off)");
        return texts;
    }
    static void Choose(QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions())
            if (action->text() == text) {
                QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(action).center());
                return;
            }
        ADD_FAILURE() << "no entry " << text.toStdString();
    }

    std::unique_ptr<TViewForm> FView;
};

TEST_F(GesturesTest, RightClickOnAPictureOffersItsCommandsAndRunsThem) {
    MakeCatalog({{"A", 3}});
    Open();
    QTest::mouseClick(Images()->viewport(), Qt::RightButton, {}, ItemPoint(2));
    QMenu* menu = OpenedMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), "ImageListMenu");
    // The picture under the pointer is the one the commands act on: the last
    // one cannot move down.
    EXPECT_EQ(Entries(*menu), QStringList({"Undo (off)", "Redo (off)", "View", "Copy image",
                                           "Paste image", "Rename", "Delete", "Save image as",
                                           "Move item up", "Move item down (off)", "&Select all"}));
    Choose(*menu, "Move item up");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p2.bmp", "p1.bmp"}));
    EXPECT_TRUE(FForm->ListChanged());

    // The menu takes the change back by its name.
    QTest::mouseClick(Images()->viewport(), Qt::RightButton, {}, ItemPoint(0));
    menu = OpenedMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(*menu).mid(0, 2), QStringList({"Undo move 'p2.bmp'", "Redo (off)"}));
    Choose(*menu, "Undo move 'p2.bmp'");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "p2.bmp"}));
}

TEST_F(GesturesTest, RightClickOnATopicOffersTheTopicCommands) {
    MakeCatalog({{"A", 1}, {"B", 1}});
    Open();
    TMarkListBox* topics = FForm->TopicList();
    const QPoint second = topics->visualItemRect(topics->item(1)).center();
    QTest::mouseClick(topics->viewport(), Qt::RightButton, {}, second);
    QMenu* menu = OpenedMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(Entries(*menu), QStringList({"Undo (off)", "Redo (off)", "Add", "Rename", "Delete",
                                           "Move item up", "Move item down (off)", "Import data"}));
    Choose(*menu, "Move item up");
    EXPECT_EQ(TopicNames(), QStringList({"B", "A"}));
}

TEST_F(GesturesTest, EnterAndDoubleClickOpenTheViewWindowOnThatPicture) {
    MakeCatalog({{"A", 3}});
    OpenWithView();
    SelectImages({1});
    Images()->setFocus();
    QSize shown;
    auto enter = Answer(
        Inspect([&](QWidget*) { shown = FView->ViewImage().size(); }, PressKey(Qt::Key_Escape)));
    QTest::keyClick(Images(), Qt::Key_Return);
    ASSERT_TRUE(enter->Answered());
    EXPECT_EQ(shown, QSize(9, 7)); // picture 1 is 8 + 1 x 6 + 1

    int index = -1;
    auto twice =
        Answer(Inspect([&](QWidget*) { index = FView->ShownIndex(); }, PressKey(Qt::Key_Escape)));
    QTest::mouseDClick(Images()->viewport(), Qt::LeftButton, {}, ItemPoint(2));
    ASSERT_TRUE(twice->Answered());
    EXPECT_EQ(index, 2);
}

TEST_F(GesturesTest, ReturnThatEndsACaptionEditOpensNoViewWindow) {
    MakeCatalog({{"A", 2}});
    OpenWithView();
    Images()->EditCaption(1, "renamed");
    auto* editor = Images()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    // Should the view window open, it is closed again and the test fails.
    auto view = AnswerNextModal(PressKey(Qt::Key_Escape));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Images()->Caption(1) == "renamed"; }));
    EXPECT_FALSE(view->Answered());
}

TEST_F(GesturesTest, CtrlASelectsEveryPicture) {
    MakeCatalog({{"A", 3}});
    Open();
    SelectImages({0});
    Images()->setFocus();
    QTest::keyClick(Images(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Images()->SelectedCount(), 3);
}

TEST_F(GesturesTest, ViewWindowZoomsAndStepsThroughTheTopic) {
    MakeCatalog({{"A", 3}});
    OpenWithView();
    SelectImages({0});
    std::vector<double> zooms;
    QSize fitted;
    int last = -1;
    auto answer = Answer(Inspect(
        [&](QWidget* dialog) {
            QWidget* focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            QTest::keyClick(focus, Qt::Key_Plus);
            zooms.push_back(FView->Zoom());
            QTest::keyClick(focus, Qt::Key_Minus);
            QTest::keyClick(focus, Qt::Key_Minus);
            zooms.push_back(FView->Zoom());
            QWidget* viewport = FView->ViewScrollBox().viewport();
            const QPointF at(viewport->rect().center());
            QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &wheel);
            zooms.push_back(FView->Zoom());
            // The zoom holds for the next picture.
            QTest::keyClick(focus, Qt::Key_Right);
            QTest::keyClick(focus, Qt::Key_PageDown);
            last = FView->ShownIndex();
            zooms.push_back(FView->Zoom());
            QTest::keyClick(focus, Qt::Key_0);
            fitted = FView->ViewImage().size();
        },
        PressKey(Qt::Key_Escape)));
    Images()->setFocus();
    QTest::keyClick(Images(), Qt::Key_Return);
    ASSERT_TRUE(answer->Answered());
    EXPECT_EQ(zooms, (std::vector<double>{1.5, 2.0 / 3, 1.0, 1.0}));
    EXPECT_EQ(last, 2);
    // Picture 2 is 10 x 8: fitted to the 219 pixels' height of the window.
    EXPECT_EQ(fitted, QSize(274, 219));
    // The list follows the view to the picture looked at last.
    EXPECT_EQ(FForm->CurrentImageIndex(), 2);
}

} // namespace
} // namespace tavik::testing
