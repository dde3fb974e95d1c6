// Names and the catalogue's code page: fixed when the catalogue is made, and
// a typed name that the code page cannot hold is questioned before it loses
// characters.
#include "MainFormFixture.h"

#include "controls/BmpLV.h"
#include "storage/IniFile.h"
#include "storage/Lists.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace tavik::testing {
namespace {

using NamesTest = MainFormTest;

const QString kStar = QString::fromUtf8("Звезда");

TEST_F(NamesTest, ANewCatalogueKeepsItsCodePageWhenTheLanguageChanges) {
    WriteSettings("[Lang]\nLang=1\n");
    TMainForm& form = Open();
    EXPECT_EQ(TIniFile(FilePath("tavik.ini").toStdString()).ReadInteger("Options", "CodePage", 0),
              1251);
    form.AddTopic(kStar, false);
    Close();
    TIniFile ini(FilePath("tavik.ini").toStdString());
    ini.WriteInteger("Lang", "Lang", 0);
    ini.UpdateFile();
    Open();
    EXPECT_EQ(TopicNames(), QStringList({kStar}));
}

TEST_F(NamesTest, AnOlderCatalogueGetsNoCodePageWritten) {
    MakeCatalog({{"A", 0}});
    WriteSettings("[Lang]\nLang=1\n");
    Open();
    Close();
    EXPECT_FALSE(TIniFile(FilePath("tavik.ini").toStdString()).ValueExists("Options", "CodePage"));
}

TEST_F(NamesTest, ATypedNameThatDoesNotFitIsQuestionedAndCanBeEditedAgain) {
    MakeCatalog({{"A", 0}});
    TMainForm& form = Open();
    std::shared_ptr<ModalAnswer> question;
    std::shared_ptr<ModalAnswer> again;
    std::shared_ptr<ModalAnswer> yes;
    QString asked;
    // Each answer is armed while the dialog before it is up, so that it waits
    // for the next one.
    auto rename = Answer(Inspect(
        [&](QWidget*) {
            question = AnswerNextModal(Inspect(
                [&](QWidget* dialog) {
                    asked = MessageOf(dialog);
                    again = AnswerNextModal(Inspect(
                        [&](QWidget* edit) {
                            // No goes back to the name typed.
                            EXPECT_EQ(edit->findChild<QLineEdit*>()->text(), kStar);
                            yes = AnswerNextModal(PressResult(6));
                        },
                        TypeText(QString::fromUtf8("Sol ☀"), PressResult(1))));
                },
                PressResult(7)));
        },
        TypeText(kStar, PressResult(1))));
    ClickButton("tRenameBtn");
    ASSERT_TRUE(question && question->Answered());
    ASSERT_TRUE(again && again->Answered());
    ASSERT_TRUE(yes && yes->Answered());
    EXPECT_TRUE(asked.startsWith("This catalogue keeps names in the code page Windows-1252"));
    EXPECT_TRUE(asked.contains("'" + QString(6, '?') + "'"));
    EXPECT_EQ(TopicNames(), QStringList({"Sol ?"}));
    EXPECT_TRUE(form.ListChanged());
}

TEST_F(NamesTest, APastedPictureWhoseNameDoesNotFitGoesBackToThePasteDialog) {
    MakeCatalog({{"A", 0}});
    Open();
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QApplication::clipboard()->setImage(image);
    std::shared_ptr<ModalAnswer> no;
    std::shared_ptr<ModalAnswer> again;
    auto first = Answer(Inspect(
        [&](QWidget*) {
            no = AnswerNextModal(Inspect(
                [&](QWidget*) {
                    again = AnswerNextModal(Inspect(
                        [&](QWidget* dialog) {
                            EXPECT_EQ(dialog->findChild<QLineEdit*>()->text(), kStar);
                        },
                        TypeText("Sun.bmp", PressResult(1))));
                },
                PressResult(7)));
        },
        TypeText(kStar, PressResult(1))));
    ClickButton("tPasteBtn");
    ASSERT_TRUE(no && no->Answered());
    ASSERT_TRUE(again && again->Answered());
    EXPECT_EQ(ImageNames(), QStringList({"Sun.bmp"}));
}

TEST_F(NamesTest, AnInPlaceRenameThatDoesNotFitIsQuestionedAfterTheEdit) {
    MakeCatalog({{"A", 1}});
    TMainForm& form = Open();
    form.ImageList()->EditCaption(0, kStar);
    auto* editor = form.ImageList()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    auto no = Answer(PressResult(7));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return no->Answered(); }));
    // Back to the editor with the typed name; the caption is unchanged.
    EXPECT_EQ(ImageNames(), QStringList({"p0.bmp"}));
    QLineEdit* reopened = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        reopened = form.ImageList()->viewport()->findChild<QLineEdit*>();
        return reopened && reopened->isVisible();
    }));
    EXPECT_EQ(reopened->text(), kStar);
    auto yes = Answer(PressResult(6));
    QTest::keyClick(reopened, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return yes->Answered(); }));
    EXPECT_EQ(ImageNames(), QStringList({QString(6, '?')}));
}

} // namespace
} // namespace tavik::testing
