// The image list and the commands on pictures.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "controls/explbtn.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace tavik::testing {
namespace {

using ImagesTest = MainFormTest;

TEST_F(ImagesTest, AddingFilesReportsEveryFailureOnceAtTheEndAndAddsTheOthers) {
    MakeCatalog({{"A", 1}});
    TMainForm& form = Open();
    const QString unknown = Folder() + "/notes.txt";
    const QString damaged = Folder() + "/broken.gif";
    const QString large = Folder() + "/wide.png";
    const QString missing = Folder() + "/gone.bmp";
    QFile(unknown).open(QIODevice::WriteOnly);
    QFile(damaged).open(QIODevice::WriteOnly);
    QImage wide(4100, 2, QImage::Format_RGB32);
    wide.fill(Qt::green);
    ASSERT_TRUE(wide.save(large));
    QImage photo(6, 4, QImage::Format_RGB32);
    photo.fill(Qt::red);
    ASSERT_TRUE(photo.save(Folder() + "/photo.PNG"));
    QFile svg(Folder() + "/shape.svg");
    ASSERT_TRUE(svg.open(QIODevice::WriteOnly));
    svg.write("<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 20 10'><rect width='20' "
              "height='10' fill='blue'/></svg>");
    svg.close();
    const QStringList files = {unknown,       WriteBmpFile(Folder(), "one.bmp", 10, 10),
                               damaged,       Folder() + "/photo.PNG",
                               large,         missing,
                               svg.fileName()};
    QString message;
    QStringList buttons;
    auto answer = Answer(Inspect(
        [&](QWidget* d) {
            message = MessageOf(d);
            for (auto* b : d->findChildren<QPushButton*>())
                buttons << b->objectName();
        },
        PressResult(1)));
    form.AddImageFiles(files);
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(buttons, QStringList({"OK"}));
    EXPECT_EQ(message, "These files were not added:\n\n" + unknown + ": unknown picture format\n" +
                           damaged + ": the file is damaged\n" + large +
                           ": too large (4100 × 2 pixels; the largest is 4096 × 4096)\n" + missing +
                           ": the file cannot be read");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "one.bmp", "photo.PNG", "shape.svg"}));
    EXPECT_EQ(form.CurrentImageIndex(), -1);
    EXPECT_FALSE(form.ListChanged());
    const auto saved = ReadCatalog();
    ASSERT_EQ(saved->Topics(0).Bmps.Count(), 4);
}

TEST_F(ImagesTest, OpenDialogListsAllPicturesFirstThenEachFamily) {
    MakeCatalog({{"A", 0}});
    TMainForm& form = Open();
    QStringList filters;
    auto answer = Answer(Inspect(
        [&](QWidget* d) { filters = static_cast<QFileDialog*>(d)->nameFilters(); }, CloseWindow()));
    form.AddImagesFromDialog();
    EXPECT_TRUE(answer->Answered());
    ASSERT_EQ(filters.size(), 10);
    EXPECT_EQ(filters[0], "All pictures (*.bmp *.ico *.emf *.wmf *.png *.jpg *.jpeg *.gif *.tif "
                          "*.tiff *.webp *.svg *.svgz)");
    EXPECT_EQ(filters[3], "Metafiles (*.emf *.wmf)");
    EXPECT_EQ(filters[9], "SVG (*.svg *.svgz)");
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
    // The thumbnails are made after the window has opened; the report follows.
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "p2.bmp", "p3.bmp"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(form.ImageList()->updatesEnabled());
    EXPECT_TRUE(form.TopicsActive()); // the start-up went on
}

} // namespace
} // namespace tavik::testing
