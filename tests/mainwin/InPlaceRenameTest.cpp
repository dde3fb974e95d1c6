// Renaming a picture in place: only a click on the caption of a selected
// picture starts it, F2 only saves, and only a changed caption counts.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "storage/Lists.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

namespace tavik::testing {
namespace {

class InPlaceRenameTest : public MainFormTest {
protected:
    TBmpListView* Images() const { return FForm->ImageList(); }
    QRect ItemRect(int row) const { return Images()->visualRect(Images()->model()->index(row, 0)); }
    // Large icons: the thumbnail at the top of the cell, the caption below.
    QPoint ImagePoint(int row) const { return ItemRect(row).center() - QPoint(0, 12); }
    QPoint CaptionPoint(int row) const {
        return QPoint(ItemRect(row).center().x(), ItemRect(row).top() + 32 + 12);
    }
    void Click(QPoint point) { QTest::mouseClick(Images()->viewport(), Qt::LeftButton, {}, point); }
    QLineEdit* OpenEditor() const {
        const auto editors = Images()->viewport()->findChildren<QLineEdit*>();
        for (QLineEdit* editor : editors)
            if (editor->isVisible())
                return editor;
        return nullptr;
    }
    // Clicks the caption of the selected picture and waits for the editor.
    QLineEdit* StartEditing(int row) {
        // Lets the list forget an editor it has just closed, as the time
        // between two edits of a user does.
        QCoreApplication::processEvents();
        Click(ImagePoint(row));
        Click(CaptionPoint(row));
        QLineEdit* editor = nullptr;
        EXPECT_TRUE(QTest::qWaitFor([&] { return (editor = OpenEditor()) != nullptr; }));
        return editor;
    }
};

TEST_F(InPlaceRenameTest, F2InTheImageListSavesWithoutStartingARename) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    // Moving selects the picture and makes it the list's current item.
    form.MoveImage(0, 0, false);
    ASSERT_TRUE(form.ListChanged());
    Images()->setFocus();
    QTest::keyClick(Images(), Qt::Key_F2);
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(OpenEditor(), nullptr);
    EXPECT_EQ(ReadCatalog()->Image(0, 0).Name, "p1.bmp");
}

TEST_F(InPlaceRenameTest, OnlyTheCaptionOfASelectedPictureStartsARename) {
    MakeCatalog({{"A", 2}});
    Open();
    QSignalSpy editing(Images(), &TBmpListView::Editing);
    Click(ImagePoint(0));
    Click(ImagePoint(0));
    EXPECT_EQ(editing.count(), 0);
    Click(CaptionPoint(0));
    EXPECT_EQ(editing.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return OpenEditor() != nullptr; }));
}

TEST_F(InPlaceRenameTest, LeavingTheEditorUnchangedChangesNothing) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    QLineEdit* editor = StartEditing(1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenEditor() == nullptr; }));
    EXPECT_FALSE(form.ListChanged());

    editor = StartEditing(1);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("sun.bmp"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return OpenEditor() == nullptr; }));
    EXPECT_TRUE(form.ListChanged());
    EXPECT_EQ(form.Topics().Image(0, 1).Name, "sun.bmp");
}

TEST_F(InPlaceRenameTest, AWindowDestroyedWithAnEditorOpenKeepsTheEdit) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    form.MoveImage(0, 0, false);
    QLineEdit* editor = StartEditing(1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("moon"));
    const std::string typed = editor->text().toStdString();
    Close();
    // The pending changes were saved on the way out, the edit among them.
    const auto list = ReadCatalog();
    ASSERT_EQ(list->Topics(0).Bmps.Count(), 2);
    EXPECT_EQ(list->Image(0, 0).Name, "p1.bmp");
    EXPECT_EQ(list->Image(0, 1).Name, typed);
}

} // namespace
} // namespace tavik::testing
