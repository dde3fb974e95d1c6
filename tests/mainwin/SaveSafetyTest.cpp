// Saving the catalogue when its files are damaged or refuse to be written.
#include "MainFormFixture.h"

#include "controls/MarkLB.h"
#include "storage/Lists.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>

namespace tavik::testing {
namespace {

using SaveSafetyTest = MainFormTest;

// Arms an answer that keeps the text of a message box and accepts it.
std::shared_ptr<ModalAnswer> ReadMessage(QString& text) {
    return Answer(Inspect(
        [&text](QWidget* dialog) {
            const auto* label = dialog->findChild<QLabel*>("qt_msgbox_label");
            text = label ? label->text() : QString();
        },
        PressRole(QDialogButtonBox::AcceptRole)));
}

void Overwrite(const QString& path, qint64 at, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(at));
    file.write(bytes);
}

TEST_F(SaveSafetyTest, UnreadablePictureNeverBlocksTheOtherChanges) {
    MakeCatalog({{"A", 2}, {"B", 2}});
    const qint64 broken = ReadCatalog()->Image(1, 1).Position;
    Overwrite(FilePath("tavik.dat"), broken, "XXXX");
    const QByteArray data = ReadFile(FilePath("tavik.dat"));
    TMainForm& form = Open();
    SelectImages({0});
    auto confirm = Answer(PressResult(1));
    form.DeleteImages();
    ASSERT_TRUE(confirm->Answered());
    form.AddTopic("C", false);

    QString message;
    try {
        form.SavePendingChanges();
        ADD_FAILURE() << "no report";
    } catch (const Exception& error) {
        message = QString::fromUtf8(error.what());
    }
    EXPECT_TRUE(message.contains("the picture \"p1.bmp\" of topic \"B\" cannot be read"))
        << message.toStdString();
    EXPECT_TRUE(message.contains("The other changes were saved.")) << message.toStdString();
    // The list holds every change and positions that are valid in the data
    // file, which is left as it was for the next save to compact.
    const auto saved = ReadCatalog();
    EXPECT_EQ(saved->Count(), 3);
    EXPECT_EQ(saved->Topics(0).Bmps.Count(), 1);
    EXPECT_EQ(saved->Image(1, 1).Position, broken);
    EXPECT_EQ(ReadFile(FilePath("tavik.dat")), data);
    EXPECT_TRUE(form.DataChanged());
    EXPECT_FALSE(form.ListChanged());
    // The exit save tries the compaction again, and says so again.
    QString atExit;
    auto exitReport = ReadMessage(atExit);
    Close();
    EXPECT_TRUE(atExit.contains("cannot be read")) << atExit.toStdString();
}

TEST_F(SaveSafetyTest, DamagedListIsKeptBeforeTheFirstSaveReplacesIt) {
    MakeCatalog({{"A", 1}});
    Overwrite(FilePath("tavik.lst"), 0, "XXXX");
    const QByteArray bad = ReadFile(FilePath("tavik.lst"));
    // The copy cannot be made while the catalogue opens.
    ASSERT_TRUE(QDir(Folder()).mkdir("tavik-damaged.lst"));
    QString message;
    auto report = ReadMessage(message);
    TMainForm& form = Open();
    EXPECT_TRUE(report->Answered()) << report->Error().toStdString();

    ASSERT_TRUE(QDir(Folder()).rmdir("tavik-damaged.lst"));
    form.AddTopic("New", false);
    QTest::keyClick(form.TopicList(), Qt::Key_F2);
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(ReadFile(FilePath("tavik-damaged.lst")), bad);
    EXPECT_EQ(ReadCatalog()->Count(), 1);
}

TEST_F(SaveSafetyTest, FailedExitSaveSaysThePendingChangesWereNotSaved) {
    MakeCatalog({{"A", 1}});
    const QByteArray list = ReadFile(FilePath("tavik.lst"));
    ASSERT_TRUE(QFile::setPermissions(FilePath("tavik.lst"), QFile::ReadOwner));
    Open().AddTopic("Lost", false);
    QString message;
    auto report = ReadMessage(message);
    Close();
    EXPECT_TRUE(report->Answered()) << report->Error().toStdString();
    EXPECT_TRUE(message.startsWith("Cannot create file " + FilePath("tavik.lst")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith("The pending changes were not saved.")) << message.toStdString();
    EXPECT_EQ(ReadFile(FilePath("tavik.lst")), list);
}

} // namespace
} // namespace tavik::testing
