// The image list fills with names at once and gets its thumbnails from worker
// threads: a switch of topic, a damaged picture or a close in the middle of
// that never puts a wrong thumbnail in the list.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "controls/MarkLB.h"
#include "graphics/TavikPicture.h"
#include "mainwin/ErrorReport.h"
#include "mainwin/ThumbnailLoader.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QFile>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>

namespace tavik::testing {
namespace {

constexpr int kPictures = 60;

class ThumbnailLoaderTest : public MainFormTest {
protected:
    // Topic A of kPictures red pictures and topic B of as many blue ones.
    void MakeTwoColourCatalog() {
        const std::string folder = Folder().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList list;
        TTavikPicture picture;
        QTemporaryDir files;
        for (const auto& [name, colour] :
             {std::pair("A", QColor(Qt::red)), std::pair("B", QColor(Qt::blue))}) {
            TTopic& topic = list.AddTopic(name);
            picture.LoadFromFile(WriteBmpFile(files.path(), "p.bmp", 8, 8, colour).toStdString());
            for (int i = 0; i < kPictures; ++i)
                topic.AddBmp("p" + std::to_string(i) + ".bmp",
                             picture.AppendToCatalog(DataFileName(folder)));
        }
        SaveListFile(ListFileName(folder), list);
    }

    QColor Centre(int row) const {
        const TBmpListView* list = FForm->ImageList();
        return list->LargeImage(list->ImageIndex(row)).pixelColor(16, 16);
    }

    void ClickTopic(int row) {
        TMarkListBox* topics = FForm->TopicList();
        QTest::mouseClick(topics->viewport(), Qt::LeftButton, {},
                          topics->visualItemRect(topics->item(row)).center());
    }
};

TEST_F(ThumbnailLoaderTest, SwitchingTopicMidFillLeavesNoThumbnailOfTheOldTopic) {
    MakeTwoColourCatalog();
    FForm = std::make_unique<TMainForm>(FilePath("tavik"));
    // The click comes with the first thumbnail of A, while the rest of A is
    // still being made.
    bool clicked = false;
    QObject::connect(&FForm->Thumbnails(), &TThumbnailLoader::Ready, FForm.get(), [&] {
        if (clicked)
            return;
        clicked = true;
        ASSERT_TRUE(FForm->Thumbnails().Running());
        ClickTopic(1);
    });
    FForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicked; }));
    WaitForFill();
    ASSERT_EQ(FForm->ShownTopic(), 1);
    ASSERT_EQ(FForm->ImageList()->Count(), kPictures);
    for (int row = 0; row < kPictures; ++row)
        ASSERT_EQ(Centre(row), QColor(Qt::blue)) << row;
}

TEST_F(ThumbnailLoaderTest, WhatAReplacedRunMadeNeverReachesTheNextOne) {
    MakeTwoColourCatalog();
    const auto list = ReadCatalog();
    const auto positionsOf = [&](int topic) {
        std::vector<std::int32_t> positions;
        for (int i = 0; i < kPictures; ++i)
            positions.push_back(list->Image(topic, i).Position);
        return positions;
    };
    TThumbnailLoader loader;
    loader.SetMaxThreads(1);
    loader.Start(DataFile(), positionsOf(0), Qt::white, kPictures);
    // Every red thumbnail is made and waits for its delivery when the blue
    // run replaces the red one.
    QCoreApplication::sendPostedEvents(&loader);
    loader.WaitForWorkers();
    std::vector<std::string> delivered;
    QObject::connect(&loader, &TThumbnailLoader::Ready, [&](const std::vector<TThumbnail>& made) {
        for (const TThumbnail& thumbnail : made)
            delivered.push_back(thumbnail.large.pixelColor(16, 16).name().toStdString());
    });
    QSignalSpy finished(&loader, &TThumbnailLoader::Finished);
    loader.Start(DataFile(), positionsOf(1), Qt::white, kPictures);
    QCoreApplication::sendPostedEvents(&loader);
    loader.WaitForWorkers();
    QCoreApplication::sendPostedEvents(&loader);
    EXPECT_EQ(delivered, std::vector<std::string>(kPictures, "#0000ff"));
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(ThumbnailLoaderTest, DamagedPicturesMidFillAreMarkedAndReportedOnce) {
    MakeCatalog({{"A", 30}});
    const auto list = ReadCatalog();
    QFile data(FilePath("tavik.dat"));
    ASSERT_TRUE(data.open(QIODevice::ReadWrite));
    for (int spoilt : {12, 20}) {
        data.seek(list->Image(0, spoilt).Position);
        data.write("XXXX");
    }
    data.close();
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    TMainForm& form = Open();
    WaitForFill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    EXPECT_TRUE(PendingReports().isEmpty());
    const QColor mark = Centre(12);
    EXPECT_EQ(Centre(20), mark);
    for (int row : {11, 13, 19, 21})
        EXPECT_NE(Centre(row), mark) << row;
    const auto* bar = Child<QProgressBar>("BmpProgressBar");
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(form.ImageList()->Count(), 30);
}

TEST_F(ThumbnailLoaderTest, ClosingMidFillEndsTheFillAndSavesTheSettings) {
    MakeCatalog({{"A", kPictures}});
    FForm = std::make_unique<TMainForm>(FilePath("tavik"));
    int delivered = 0;
    bool closedMidFill = false;
    // Counted outside the window, so that a delivery after it is gone would
    // show. The close request comes with the first thumbnail.
    QObject context;
    QObject::connect(&FForm->Thumbnails(), &TThumbnailLoader::Ready, &context, [&] {
        if (delivered++ == 0)
            closedMidFill = FForm->Thumbnails().Running() && FForm->close();
    });
    FForm->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return delivered > 0; }));
    EXPECT_TRUE(closedMidFill);
    Close();
    const int atClose = delivered;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, atClose);
    EXPECT_TRUE(QFile::exists(FilePath("tavik.ini")));
}

TEST_F(ThumbnailLoaderTest, SaveMidFillLeavesEveryThumbnailItsOwnPicture) {
    // A large first picture keeps the one worker busy while a picture is
    // deleted and the save moves every later record in the data file.
    const std::string folder = Folder().toStdString() + "/";
    CreateDataFile(DataFileName(folder));
    TTopicList list;
    TTopic& topic = list.AddTopic("A");
    TTavikPicture picture;
    QTemporaryDir files;
    picture.LoadFromFile(
        WriteBmpFile(files.path(), "big.bmp", 2500, 2500, Qt::green).toStdString());
    topic.AddBmp("big.bmp", picture.AppendToCatalog(DataFileName(folder)));
    for (int i = 1; i <= kPictures; ++i) {
        picture.LoadFromFile(
            WriteBmpFile(files.path(), "p.bmp", 8 + i, 6 + i, QColor(4 * i, 100, 150))
                .toStdString());
        topic.AddBmp("p" + std::to_string(i) + ".bmp",
                     picture.AppendToCatalog(DataFileName(folder)));
    }
    SaveListFile(ListFileName(folder), list);

    FForm = std::make_unique<TMainForm>(FilePath("tavik"));
    FForm->Thumbnails().SetMaxThreads(1);
    FForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm.get()));
    SelectImages({1});
    auto confirm = Answer(PressResult(1));
    QTest::keyClick(FForm->ImageList(), Qt::Key_Delete);
    ASSERT_TRUE(confirm->Answered());
    // A picture read at the wrong place would be reported as damaged.
    auto report = Answer(Inspect(
        [](QWidget* dialog) {
            ADD_FAILURE() << dialog->findChild<QLabel*>("qt_msgbox_label")->text().toStdString();
        },
        PressRole(QDialogButtonBox::AcceptRole)));
    QTest::keyClick(FForm->ImageList(), Qt::Key_F2);
    ASSERT_FALSE(FForm->DataChanged());
    WaitForFill();
    EXPECT_TRUE(PendingReports().isEmpty()) << PendingReports().join("; ").toStdString();
    EXPECT_EQ(Centre(0), QColor(Qt::green));
    for (int row = 1; row < kPictures; ++row)
        ASSERT_EQ(Centre(row), QColor(4 * (row + 1), 100, 150)) << row;
}

} // namespace
} // namespace tavik::testing
