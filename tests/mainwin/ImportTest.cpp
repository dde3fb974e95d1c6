#include "mainwin/Import.h"

#include "TransferPictures.h"
#include "controls/CheckLB.h"
#include "graphics/TavikPicture.h"
#include "mainwin/Texts.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/StorageTestSupport.h"
#include "support/ModalDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::AnswerNextModal;
using testing::BitmapPicture;
using testing::EmfBytes;
using testing::EmfPicture;
using testing::IconPicture;
using testing::Inspect;
using testing::ModalAction;
using testing::PressResult;

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A catalogue folder: "Flowers" (two pictures), "Empty" (none), "Icons" (one).
struct Catalogue {
    QTemporaryDir dir;
    TTopicList topics;

    std::string Folder() const { return Local(dir.path() + "/"); }
    std::string DataFile() const { return DataFileName(Folder()); }

    Catalogue() {
        CreateDataFile(DataFile());
        Add("Flowers", "rose.bmp", BitmapPicture(6, 4));
        Add("Flowers", "plan.emf", EmfPicture());
        topics.AddTopic("Empty");
        Add("Icons", "star.ico", IconPicture());
        Save();
    }
    void Add(const std::string& topic, const std::string& name, const TPicture& picture) {
        if (topics.Count() == 0 || topics.Topics(topics.Count() - 1).Name != topic) {
            topics.AddTopic(topic);
        }
        TTavikPicture stored;
        static_cast<TPicture&>(stored) = picture;
        topics.Topics(topics.Count() - 1).AddBmp(name, stored.AppendToCatalog(DataFile()));
    }
    void Save() { SaveListFile(ListFileName(Folder()), topics); }
    qint64 DataSize() const { return QFileInfo(QString::fromStdString(DataFile())).size(); }
};

// Ticks the given lines of the chooser (all with -1), then presses result.
ModalAction Choose(std::vector<int> lines, int result = 1, QStringList* shown = nullptr) {
    return [=](QWidget* dialog, QString& error) {
        auto* form = qobject_cast<TImportForm*>(dialog);
        if (form == nullptr) {
            error = "not the chooser";
            return false;
        }
        if (shown != nullptr) {
            for (int i = 0; i < form->NewTopicListBox->count(); ++i) {
                *shown << form->NewTopicListBox->item(i)->text();
            }
        }
        for (int line : lines) {
            if (line < 0) {
                form->SelectAllBtn->click();
            } else {
                form->NewTopicListBox->SetChecked(line, true);
            }
        }
        return PressResult(result)(dialog, error);
    };
}

std::vector<std::uint8_t> StreamAt(const std::string& dataFile, std::int32_t position) {
    TTavikPicture picture;
    picture.LoadFromCatalog(dataFile, position);
    return picture.Graphic()->Stream();
}

class Import : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDataFile(own.DataFile());
        ownTopics.AddTopic("Mine");
    }
    bool Run(const QString& folder) {
        return ImportTopics(folder, ownTopics, own.DataFile(), 0, kCodePageWestern);
    }
    qint64 OwnDataSize() const { return QFileInfo(QString::fromStdString(own.DataFile())).size(); }

    Catalogue other;
    struct Own {
        QTemporaryDir dir;
        std::string DataFile() const { return Local(dir.path() + "/tavik.dat"); }
    } own;
    TTopicList ownTopics;
};

TEST_F(Import, TickedTopicsArriveAtTheEndInSourceOrderWithTheirPictures) {
    auto answer = AnswerNextModal(Choose({2, 0}));
    ASSERT_TRUE(Run(other.dir.path()));
    ASSERT_TRUE(answer->Answered()) << answer->Error().toStdString();
    ASSERT_EQ(ownTopics.Count(), 3);
    EXPECT_EQ(ownTopics.Topics(1).Name, "Flowers");
    EXPECT_EQ(ownTopics.Topics(2).Name, "Icons");
    const TTopic& flowers = ownTopics.Topics(1);
    ASSERT_EQ(flowers.Bmps.Count(), 2);
    EXPECT_EQ(flowers.Bmps.Bmps(0).Name, "rose.bmp");
    EXPECT_EQ(flowers.Bmps.Bmps(1).Name, "plan.emf");
    // The records now live in our data file, right after its signature.
    EXPECT_EQ(flowers.Bmps.Bmps(0).Position, 4);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(StreamAt(own.DataFile(), flowers.Bmps.Bmps(i).Position),
                  StreamAt(other.DataFile(), other.topics.Topics(0).Bmps.Bmps(i).Position));
    }
    EXPECT_EQ(StreamAt(own.DataFile(), ownTopics.Topics(2).Bmps.Bmps(0).Position),
              IconPicture().Graphic()->Stream());
}

TEST_F(Import, SelectAllTakesEveryTopicAlsoWithoutPictures) {
    QStringList shown;
    auto answer = AnswerNextModal(Choose({-1}, 1, &shown));
    ASSERT_TRUE(Run(other.dir.path() + "/"));
    EXPECT_EQ(shown, QStringList({"Flowers", "Empty", "Icons"}));
    ASSERT_EQ(ownTopics.Count(), 4);
    EXPECT_EQ(ownTopics.Topics(2).Name, "Empty");
    EXPECT_EQ(ownTopics.Topics(2).Bmps.Count(), 0);

    // A ticked topic without pictures alone is an import too.
    auto again = AnswerNextModal(Choose({1}));
    EXPECT_TRUE(Run(other.dir.path()));
    EXPECT_EQ(ownTopics.Count(), 5);
}

TEST_F(Import, CancelOrNothingTickedChangesNothing) {
    const qint64 size = OwnDataSize();
    auto answer = AnswerNextModal(Choose({0}, 2));
    EXPECT_FALSE(Run(other.dir.path()));
    answer = AnswerNextModal(Choose({}, 1));
    EXPECT_FALSE(Run(other.dir.path()));
    answer = AnswerNextModal(testing::PressKey(Qt::Key_Escape));
    EXPECT_FALSE(Run(other.dir.path()));
    EXPECT_TRUE(answer->Answered());
    EXPECT_EQ(ownTopics.Count(), 1);
    EXPECT_EQ(OwnDataSize(), size);
}

TEST_F(Import, AFolderWithoutACatalogueIsReported) {
    QTemporaryDir empty;
    QString message;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            for (auto* label : dialog->findChildren<QLabel*>()) {
                message += label->text();
            }
        },
        PressResult(1)));
    EXPECT_FALSE(Run(empty.path()));
    EXPECT_EQ(message,
              QStringLiteral("Folder '%1/' doesn't contain Tavik data files!").arg(empty.path()));
    EXPECT_EQ(ownTopics.Count(), 1);
}

TEST_F(Import, AListFileOfAnotherSignatureGivesAnEmptyChooser) {
    QFile list(QString::fromStdString(ListFileName(other.Folder())));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("XXXX\x01\x00", 6);
    list.close();
    QString boxText;
    QStringList shown;
    auto bad = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                boxText = box->text();
                // The chooser comes next.
                static std::shared_ptr<testing::ModalAnswer> chooser;
                chooser = AnswerNextModal(Choose({}, 1, &shown));
            }
        },
        testing::PressButton("OK")));
    EXPECT_FALSE(Run(other.dir.path()));
    EXPECT_EQ(boxText, "Bad data file");
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(ownTopics.Count(), 1);
}

TEST_F(Import, FilesNamedInAnotherCaseAreFound) {
    const QString folder = other.dir.path();
    ASSERT_TRUE(QFile::rename(folder + "/tavik.lst", folder + "/TAVIK.LST"));
    ASSERT_TRUE(QFile::rename(folder + "/tavik.dat", folder + "/Tavik.Dat"));
    EXPECT_EQ(FindFileIgnoringCase(folder, "tavik.lst"), folder + "/TAVIK.LST");
    EXPECT_EQ(FindFileIgnoringCase(folder, "tavik.ini"), "");
    auto answer = AnswerNextModal(Choose({0}));
    ASSERT_TRUE(Run(folder));
    ASSERT_EQ(ownTopics.Count(), 2);
    EXPECT_EQ(StreamAt(own.DataFile(), ownTopics.Topics(1).Bmps.Bmps(1).Position), EmfBytes());
}

TEST_F(Import, FromTheOwnFolderDuplicatesTopicsAndRecords) {
    const qint64 before = other.DataSize();
    TTopicList& topics = other.topics;
    auto answer = AnswerNextModal(Choose({0}));
    ASSERT_TRUE(ImportTopics(other.dir.path(), topics, other.DataFile(), 0, kCodePageWestern));
    ASSERT_EQ(topics.Count(), 4);
    EXPECT_EQ(topics.Topics(3).Name, "Flowers");
    EXPECT_GT(topics.Topics(3).Bmps.Bmps(0).Position, topics.Topics(2).Bmps.Bmps(0).Position);
    EXPECT_GT(other.DataSize(), before);
    EXPECT_EQ(StreamAt(other.DataFile(), topics.Topics(3).Bmps.Bmps(0).Position),
              StreamAt(other.DataFile(), topics.Topics(0).Bmps.Bmps(0).Position));
}

TEST_F(Import, NamesAreShownInTheCataloguesCodePage) {
    other.topics.Topics(0).Name = FromUtf8("Цветы", kCodePageCyrillic);
    other.Save();
    QStringList shown;
    auto answer = AnswerNextModal(Choose({}, 2, &shown));
    EXPECT_FALSE(ImportTopics(other.dir.path(), ownTopics, own.DataFile(), 1, kCodePageCyrillic));
    EXPECT_EQ(shown.value(0), QString::fromUtf8("Цветы"));
}

TEST_F(Import, ABrokenPictureStopsTheCopyKeepingWhatWasCopied) {
    // The "Icons" picture points into the data file's signature.
    other.topics.Topics(2).Bmps.Bmps(0).Position = 1;
    other.Save();
    QWidget window;
    window.show();
    auto answer = AnswerNextModal(Choose({0, 2}));
    EXPECT_THROW(Run(other.dir.path()), Exception);
    ASSERT_EQ(ownTopics.Count(), 3);
    EXPECT_EQ(ownTopics.Topics(1).Bmps.Count(), 2);
    EXPECT_EQ(ownTopics.Topics(2).Bmps.Count(), 0);
    // The progress window is gone and the other windows work again.
    EXPECT_TRUE(window.isEnabled());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(top->isVisible() && top != &window) << top->objectName().toStdString();
    }
}

TEST_F(Import, DamagedPicturesArriveAsTheyWereAndAreNamed) {
    const std::vector<std::uint8_t> damaged = test::DamagedRecord();
    other.topics.Topics(2).AddBmp("broken.ico", test::AppendToFile(other.DataFile(), damaged));
    other.Save();
    QString message;
    std::shared_ptr<testing::ModalAnswer> report;
    auto answer = AnswerNextModal([&](QWidget* dialog, QString& error) {
        // The warning follows the chooser.
        report = AnswerNextModal(Inspect(
            [&](QWidget* box) { message = box->findChild<QLabel*>("qt_msgbox_label")->text(); },
            testing::PressRole(QDialogButtonBox::AcceptRole)));
        return Choose({2})(dialog, error);
    });
    ASSERT_TRUE(Run(other.dir.path()));
    ASSERT_TRUE(answer->Answered()) << answer->Error().toStdString();
    ASSERT_TRUE(report && QTest::qWaitFor([&] { return report->Answered(); }));
    EXPECT_TRUE(message.contains("the picture \"broken.ico\" of topic \"Icons\""))
        << message.toStdString();
    const auto data = test::ReadFile(own.DataFile());
    EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + ownTopics.Image(1, 1).Position, data.end()),
              damaged);
}

TEST(ImportForm, StartsUntickedOnTheFirstLineAndSelectsAll) {
    TImportForm form;
    form.SetTopicNames({"One", "Two", "Three"});
    EXPECT_TRUE(form.CheckedIndices().empty());
    form.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }));
    EXPECT_EQ(form.NewTopicListBox->currentRow(), 0);
    form.NewTopicListBox->SetChecked(1, true);
    EXPECT_EQ(form.CheckedIndices(), std::vector<int>({1}));
    QTest::mouseClick(form.SelectAllBtn, Qt::LeftButton);
    EXPECT_EQ(form.CheckedIndices(), std::vector<int>({0, 1, 2}));
    // Pressing it again keeps every line ticked.
    QTest::mouseClick(form.SelectAllBtn, Qt::LeftButton);
    EXPECT_EQ(form.CheckedIndices(), std::vector<int>({0, 1, 2}));
    form.NewTopicListBox->SetChecked(2, false);
    form.grab().save(QDir::tempPath() + "/import-chooser.png");
}

} // namespace
} // namespace tavik
