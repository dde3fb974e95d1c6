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

    // A result belongs to no current topic: the commands that change one do
    // nothing (no question is asked, which would block here).
    QTest::keyClick(list, Qt::Key_Delete);
    ClickButton("tUpBtn");
    // A click on the selected result's caption would start a rename there:
    // the window refuses it (this handler runs after the window's).
    int asked = 0;
    bool allowed = true;
    const QMetaObject::Connection watch =
        QObject::connect(list, &TBmpListView::Editing, [&](int, bool& allowEdit) {
            ++asked;
            allowed = allowEdit;
        });
    const QRect cell = list->visualRect(list->model()->index(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(cell.center().x(), cell.top() + 32 + 12));
    QObject::disconnect(watch);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(allowed);
    ClickButton("tDeleteBtn");
    EXPECT_EQ(ImageNames(),
              QStringList({QString::fromUtf8("Stär.bmp"), "star.bmp", "STAR sign.bmp"}));
    EXPECT_FALSE(form.ListChanged());
    EXPECT_FALSE(form.DataChanged());
    EXPECT_EQ(form.Topics().ImageCount(), 6);

    // Enter in the list goes to the current result.
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(form.CurrentTopic(), 2);
    EXPECT_EQ(form.CurrentImageIndex(), 0);
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
