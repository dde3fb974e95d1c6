// The main window's transfer commands at their edges: nothing to copy or
// paste, cancelled dialogs, and an import that fails half-way.
#include "MainFormFixture.h"

#include "TransferPictures.h"
#include "controls/BmpLV.h"
#include "graphics/TavikPicture.h"
#include "mainwin/Clipboard.h"
#include "mainwin/ErrorReport.h"
#include "storage/CatalogFiles.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace tavik::testing {
namespace {

class TransferTest : public MainFormTest {
protected:
    qint64 DataSize() const { return QFileInfo(FilePath("tavik.dat")).size(); }
};

TEST_F(TransferTest, CopyNeedsASelectedPicture) {
    MakeCatalog({{"A", 2}});
    Open();
    QApplication::clipboard()->setText("kept");
    ClickButton("tCopyBtn");
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");

    SelectImages({1});
    ClickButton("tCopyBtn");
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData()).size(),
              QSize(9, 7));
}

TEST_F(TransferTest, PasteWithoutAPictureOrWithoutANameAddsNothing) {
    MakeCatalog({{"A", 1}});
    Open();
    const qint64 size = DataSize();
    QApplication::clipboard()->setText("only words"); // a dialog would time the test out
    ClickButton("tPasteBtn");

    CopyPictureToClipboard(IconPicture(), Qt::gray, *QApplication::clipboard());
    auto cancel = Answer(PressResult(2));
    ClickButton("tPasteBtn");
    auto empty = Answer(TypeText("", PressResult(1)));
    ClickButton("tPasteBtn");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp"}));
    EXPECT_FALSE(FForm->ListChanged());
    EXPECT_EQ(DataSize(), size);
}

TEST_F(TransferTest, PasteAppendsToTheCurrentTopicAndWaitsForTheSave) {
    MakeCatalog({{"A", 1}, {"B", 0}});
    Open();
    CopyPictureToClipboard(EmfPicture(), Qt::gray, *QApplication::clipboard());
    const QByteArray list = ReadFile(FilePath("tavik.lst"));
    auto ok = Answer(PressResult(1));
    ClickButton("tPasteBtn");
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "NewImage.emf"}));
    EXPECT_TRUE(FForm->ListChanged());
    EXPECT_EQ(ReadFile(FilePath("tavik.lst")), list);
}

TEST_F(TransferTest, ClipboardKeysInTheImageListCopyAndPasteThePicture) {
    MakeCatalog({{"A", 2}});
    Open();
    QWidget* list = FForm->ImageList();
    SelectImages({1});
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_C, Qt::CTRL | Qt::Key_Insert}) {
        QApplication::clipboard()->setText("old");
        QTest::keyClick(list, keys.key(), keys.keyboardModifiers());
        const QMimeData* data = QApplication::clipboard()->mimeData();
        ASSERT_TRUE(data->hasFormat("image/bmp"));
        EXPECT_EQ(qvariant_cast<QImage>(data->imageData()).size(), QSize(9, 7));
    }
    for (const QKeyCombination keys : {Qt::CTRL | Qt::Key_V, Qt::SHIFT | Qt::Key_Insert}) {
        auto ok = Answer(PressResult(1));
        QTest::keyClick(list, keys.key(), keys.keyboardModifiers());
    }
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "p1.bmp", "NewImage.bmp", "NewImage.bmp"}));
}

TEST_F(TransferTest, PasteAddsFilesCopiedInAFileManagerAsDroppedOnes) {
    MakeCatalog({{"A", 1}});
    Open();
    const QString file = WriteBmpFile(Folder(), "copied.bmp", 5, 3);
    auto* data = new QMimeData;
    data->setData("x-special/gnome-copied-files", "copy\n" + QUrl::fromLocalFile(file).toEncoded());
    QApplication::clipboard()->setMimeData(data);
    QString question;
    auto yes = Answer(Inspect([&](QWidget* d) { question = MessageOf(d); }, PressResult(6)));
    ClickButton("tPasteBtn");
    EXPECT_TRUE(question.contains("A")) << question.toStdString();
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp", "copied.bmp"}));
}

TEST_F(TransferTest, CancelledGroupFolderKeepsTheLastOne) {
    MakeCatalog({{"A", 3}});
    Open();
    QTemporaryDir out;
    FForm->SaveGroupFolder() = out.path();
    SelectImages({0, 2});
    QString shown;
    auto cancel = Answer(Inspect(
        [&](QWidget* d) { shown = qobject_cast<QFileDialog*>(d)->selectedFiles().value(0); },
        PressRole(QDialogButtonBox::RejectRole)));
    ClickButton("tSaveBtn");
    EXPECT_EQ(shown, out.path());
    EXPECT_EQ(FForm->SaveGroupFolder(), out.path());
    EXPECT_TRUE(QDir(out.path()).isEmpty());
}

TEST_F(TransferTest, QtsOwnDialogsSpeakTheProgramsLanguage) {
    const std::pair<int, QString> languages[] = {
        {1, QString::fromUtf16(u"Отмена")}, {2, "Cancelar"}, {0, "Cancel"}};
    for (const auto& [language, cancel] : languages) {
        WriteSettings(QStringLiteral("[Lang]\nLang=%1\n").arg(language));
        MakeCatalog({{"A", 2}});
        Open();
        SelectImages({0, 1});
        QString shown;
        auto answer = Answer(Inspect(
            [&](QWidget* dialog) {
                shown = dialog->findChild<QDialogButtonBox*>()
                            ->button(QDialogButtonBox::Cancel)
                            ->text();
            },
            PressRole(QDialogButtonBox::RejectRole)));
        ClickButton("tSaveBtn");
        answer.reset();
        EXPECT_EQ(shown, cancel) << language;
        Close();
    }
}

TEST_F(TransferTest, AnImportThatFailsHalfWayShowsAndKeepsWhatItCopied) {
    MakeCatalog({{"A", 1}});
    QTemporaryDir other;
    {
        // "Good" has a readable picture, "Bad" one that points into nothing.
        const std::string folder = other.path().toStdString() + "/";
        CreateDataFile(DataFileName(folder));
        TTopicList topics;
        TTavikPicture picture;
        static_cast<TPicture&>(picture) = BitmapPicture();
        topics.AddTopic("Good").AddBmp("g.bmp", picture.AppendToCatalog(DataFileName(folder)));
        topics.AddTopic("Bad").AddBmp("b.bmp", 1);
        SaveListFile(ListFileName(folder), topics);
    }
    Open();
    FForm->ImportFolder() = other.path();
    std::shared_ptr<ModalAnswer> chooser;
    auto folder = Answer(Inspect(
        [&](QWidget*) {
            chooser = AnswerNextModal(
                Inspect([](QWidget* d) { d->findChild<QPushButton*>("SelectAllBtn")->click(); },
                        PressResult(1)));
        },
        PressRole(QDialogButtonBox::AcceptRole)));
    ClickButton("ImportBtn");
    ASSERT_TRUE(chooser && chooser->Answered());
    // The failure is reported once the command has returned, naming the
    // picture that stopped the import.
    ASSERT_EQ(PendingReports().size(), 1);
    EXPECT_TRUE(
        PendingReports()[0].contains(QStringLiteral("the picture \"b.bmp\" of topic \"Bad\"")))
        << PendingReports()[0].toStdString();
    auto report = Answer(PressRole(QDialogButtonBox::AcceptRole));
    ASSERT_TRUE(QTest::qWaitFor([&] { return report->Answered(); }));
    // Both topics arrived, the second without its picture, and they show.
    EXPECT_EQ(TopicNames(), QStringList({"A", "Good", "Bad"}));
    EXPECT_EQ(FForm->Topics().Topics(1).Bmps.Count(), 1);
    EXPECT_EQ(FForm->Topics().Topics(2).Bmps.Count(), 0);
    EXPECT_EQ(FForm->CurrentTopic(), 0);
    // The list file waits for the next save, which keeps them.
    EXPECT_TRUE(FForm->ListChanged());
    Close();
    EXPECT_EQ(ReadCatalog()->Count(), 3);
}

} // namespace
} // namespace tavik::testing
