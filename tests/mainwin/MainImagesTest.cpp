// The image list and the commands on pictures.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QTest>

namespace tavik::testing {
namespace {

using ImagesTest = MainFormTest;

TEST_F(ImagesTest, AddingFilesGoesOnPastAFileThatCannotBeLoaded) {
    MakeCatalog({{"A", 1}});
    TMainForm& form = Open();
    const QString bad = Folder() + "/picture.gif";
    QFile(bad).open(QIODevice::WriteOnly);
    const QStringList files = {WriteBmpFile(Folder(), "one.bmp", 10, 10), bad,
                               WriteIcoFile(Folder(), "three.ico", 16, Qt::blue)};
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(6)));
    form.AddImageFiles(files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Error loading image file: '" + bad + "'.\n\nContinue loading images?");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "one.bmp", "three.ico"}));
    EXPECT_EQ(form.CurrentImageIndex(), -1);
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(ReadCatalog()->Topics(0).Bmps.Count(), 3);
}

TEST_F(ImagesTest, AFailingLastFileIsReportedWithOKOnly) {
    MakeCatalog({{"A", 0}});
    TMainForm& form = Open();
    const QStringList files = {WriteBmpFile(Folder(), "one.bmp", 10, 10), Folder() + "/gone.bmp"};
    QStringList buttons;
    auto answer = Answer(Inspect(
        [&](QWidget* d) {
            for (auto* b : d->findChildren<QPushButton*>())
                buttons << b->objectName();
        },
        PressResult(1)));
    form.AddImageFiles(files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(buttons, QStringList({"OK"}));
    EXPECT_EQ(ImageNames(), QStringList({"one.bmp"}));
}

TEST_F(ImagesTest, StoppingAfterAFailureStillWritesTheList) {
    MakeCatalog({{"A", 0}});
    TMainForm& form = Open();
    const QStringList files = {WriteBmpFile(Folder(), "one.bmp", 10, 10), Folder() + "/bad.txt",
                               WriteBmpFile(Folder(), "two.bmp", 4, 4)};
    auto answer = Answer(PressResult(2));
    form.AddImageFiles(files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"one.bmp"}));
    EXPECT_EQ(ReadCatalog()->Topics(0).Bmps.Count(), 1);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(ImagesTest, FilesDroppedOnTheImageList) {
    MakeCatalog({{"A", 0}, {"B", 0}});
    TMainForm& form = Open();
    const QStringList files = {WriteBmpFile(Folder(), "d.bmp", 20, 20)};
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(6)));
    emit form.ImageList()->DropFiles(form.ImageList(), QPoint(10, 10), files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Add 1 image(s) to 'A'?");
    EXPECT_EQ(ImageNames(), QStringList({"d.bmp"}));
}

TEST_F(ImagesTest, AddButtonWithImagesActiveAndNoTopicDoesNothing) {
    TMainForm& form = Open();
    form.SetTopicsActive(false);
    ClickButton("tAddBtn"); // an open dialog would time the test out
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(ImagesTest, DeletingTheOnlyPicture) {
    MakeCatalog({{"A", 1}});
    TMainForm& form = Open();
    SelectImages({0});
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(1)));
    form.SetTopicsActive(false);
    ClickButton("tDeleteBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Do you really want to delete the selected image 'p0.bmp'?");
    EXPECT_TRUE(ImageNames().isEmpty());
    EXPECT_TRUE(Child<QLabel>("PreviewLabel")->text().isEmpty());
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (0):");
    EXPECT_TRUE(Child<TOfficeButton>("SaveChangesBtn")->isEnabled());
    EXPECT_TRUE(form.DataChanged());
}

TEST_F(ImagesTest, DeletingSeveralKeepsTheOthersInOrder) {
    MakeCatalog({{"A", 5}});
    TMainForm& form = Open();
    SelectImages({1, 3});
    QString message;
    auto answer = Answer(Inspect([&](QWidget* d) { message = MessageOf(d); }, PressResult(1)));
    QTest::keyClick(form.ImageList(), Qt::Key_Delete);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(message, "Do you really want to delete the 2 selected images?");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p2.bmp", "p4.bmp"}));
    const TBmpList& bmps = form.Topics().Topics(0).Bmps;
    ASSERT_EQ(bmps.Count(), 3);
    EXPECT_EQ(bmps.Bmps(1).Name, "p2.bmp");
}

TEST_F(ImagesTest, CancelledDeleteKeepsEverything) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    SelectImages({0});
    auto answer = Answer(PressResult(2));
    form.DeleteImages();
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ImageNames().size(), 2);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(ImagesTest, RenameByDialogAcceptsAnEmptyName) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    SelectImages({1});
    form.SetTopicsActive(false);
    auto answer = Answer(TypeText("", PressResult(1)));
    ClickButton("tRenameBtn");
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", ""}));
    EXPECT_EQ(form.Topics().Image(0, 1).Name, "");
    EXPECT_TRUE(form.ListChanged());
}

TEST_F(ImagesTest, RenameInPlaceAndOnAMissingItem) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    QString text = QStringLiteral("sun.bmp");
    emit form.ImageList()->Edited(0, text);
    EXPECT_EQ(ImageNames(), QStringList({"sun.bmp", "p1.bmp"}));
    EXPECT_EQ(form.Topics().Image(0, 0).Name, "sun.bmp");
    EXPECT_THROW(form.RenameImage(0, 2, "x"), Exception);
    EXPECT_EQ(form.Topics().Image(0, 1).Name, "p1.bmp");
}

TEST_F(ImagesTest, MoveUpAndDownSwapsNeighbours) {
    MakeCatalog({{"A", 3}});
    TMainForm& form = Open();
    SelectImages({0, 1});
    form.SetTopicsActive(false);
    ClickButton("tDownBtn");
    EXPECT_EQ(ImageNames(), QStringList({"p1.bmp", "p0.bmp", "p2.bmp"}));
    // Only the current picture moved, and it is the only selection now.
    EXPECT_EQ(form.ImageList()->SelectedCount(), 1);
    EXPECT_EQ(form.CurrentImageIndex(), 1);
    EXPECT_EQ(form.Topics().Image(0, 1).Name, "p0.bmp");
    ClickButton("tUpBtn");
    ClickButton("tUpBtn"); // at the top: nothing more
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "p2.bmp"}));
}

TEST_F(ImagesTest, MovingPastEitherEndDoesNotMarkTheCatalogue) {
    MakeCatalog({{"A", 2}});
    TMainForm& form = Open();
    form.MoveImage(0, 0, true);
    form.MoveImage(0, 1, false);
    EXPECT_FALSE(form.ListChanged());
}

TEST_F(ImagesTest, KeypadPlusAndMinusSelect) {
    MakeCatalog({{"A", 4}});
    TMainForm& form = Open();
    QTest::keyClick(form.ImageList(), Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(form.ImageList()->SelectedCount(), 4);
    QTest::keyClick(form.ImageList(), Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(form.ImageList()->SelectedCount(), 0);
}

TEST_F(ImagesTest, ViewStylesKeepTheItems) {
    MakeCatalog({{"A", 3}});
    TMainForm& form = Open();
    const QStringList before = ImageNames();
    ClickButton("ListBtn");
    EXPECT_EQ(form.ViewStyle(), 2);
    EXPECT_TRUE(Child<TOfficeButton>("ListBtn")->Down());
    ClickButton("LargeIconsBtn");
    EXPECT_EQ(form.ViewStyle(), 0);
    EXPECT_FALSE(Child<TOfficeButton>("ListBtn")->Down());
    EXPECT_EQ(ImageNames(), before);
}

TEST_F(ImagesTest, EmptyTopicFillsToAFullBar) {
    MakeCatalog({{"A", 0}});
    Open();
    const auto* bar = Child<QProgressBar>("BmpProgressBar");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(Child<TOfficeButton>("BmpBtn")->Caption(), "Images (0):");
}

TEST_F(ImagesTest, DamagedPictureGetsAPlaceholderAndTheFillGoesOn) {
    MakeCatalog({{"A", 4}});
    // Spoil the second picture's record signature.
    const auto list = ReadCatalog();
    {
        QFile data(FilePath("tavik.dat"));
        ASSERT_TRUE(data.open(QIODevice::ReadWrite));
        data.seek(list->Image(0, 1).Position);
        data.write("XXXX");
    }
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    TMainForm& form = Open();
    EXPECT_TRUE(report->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form.ImageList()->updatesEnabled());
    EXPECT_TRUE(form.TopicsActive()); // the start-up went on
}

} // namespace
} // namespace tavik::testing
