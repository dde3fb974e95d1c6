#include "controls/MessDlgs.h"
#include "support/ModalDialogs.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using namespace tavik::testing;

QStringList ButtonTexts(const QWidget& dialog) {
    QList<QPushButton*> buttons = dialog.findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton* button : buttons)
        texts << button->text();
    return texts;
}

struct LanguageRow {
    const char* name;
    int language;
    const char16_t* warning;
    const char16_t* confirm;
    const char16_t* buttons; // every button of the full set, '|'-separated
};

class MessageLanguageTest : public ::testing::TestWithParam<LanguageRow> {};

TEST_P(MessageLanguageTest, CaptionsAndButtonsFollowTheLanguage) {
    const LanguageRow& row = GetParam();
    auto warning =
        CreateMessageDialogLang(QStringLiteral("x"), MsgDlgKind::Warning, 0x1FF, row.language);
    EXPECT_EQ(warning->windowTitle(), QString::fromUtf16(row.warning));
    EXPECT_EQ(ButtonTexts(*warning).join(QLatin1Char('|')), QString::fromUtf16(row.buttons));
    auto confirm =
        CreateMessageDialogLang(QStringLiteral("x"), MsgDlgKind::Confirmation, mbOK, row.language);
    EXPECT_EQ(confirm->windowTitle(), QString::fromUtf16(row.confirm));
}

INSTANTIATE_TEST_SUITE_P(
    Languages, MessageLanguageTest,
    ::testing::Values(LanguageRow{"English", 0, u"Warning", u"Confirm",
                                  u"&Yes|&No|OK|Cancel|&Abort|&Retry|&Ignore|&All|&Help"},
                      LanguageRow{"Russian", 1, u"Предупреждение", u"Подтверждение",
                                  u"Да|Нет|OK|Отмена|Стоп|Повтор|Пропустить|Все|Справка"},
                      LanguageRow{"Portuguese", 2, u"Aviso", u"Confirmação",
                                  u"Sim|Não|OK|Cancela|Aborta|Tenta Novamente|Ignora|Tudo|Ajuda"},
                      LanguageRow{"ThreeIsEnglish", 3, u"Warning", u"Confirm",
                                  u"&Yes|&No|OK|Cancel|&Abort|&Retry|&Ignore|&All|&Help"}),
    [](const ::testing::TestParamInfo<LanguageRow>& info) { return std::string(info.param.name); });

TEST(MessageDialogTest, KindsGiveCaptionsAndIcons) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tavik"));
    auto error = CreateMessageDialogLang(QStringLiteral("x"), MsgDlgKind::Error, mbOK, 1);
    EXPECT_EQ(error->windowTitle(), QString::fromUtf16(u"Ошибка"));
    EXPECT_NE(error->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    auto info = CreateMessageDialogLang(QStringLiteral("x"), MsgDlgKind::Information, mbOK, 2);
    EXPECT_EQ(info->windowTitle(), QString::fromUtf16(u"Informação"));
    auto custom = CreateMessageDialogLang(QStringLiteral("x"), MsgDlgKind::Custom, mbOK, 2);
    EXPECT_EQ(custom->windowTitle(), QStringLiteral("Tavik"));
    EXPECT_EQ(custom->findChild<QLabel*>(QStringLiteral("Image")), nullptr);
    // Without an icon the text starts at the left margin.
    auto* text = custom->findChild<QLabel*>(QStringLiteral("Message"));
    auto* ok = custom->findChild<QPushButton*>(QStringLiteral("OK"));
    EXPECT_EQ(text->x(), ok->x());
}

TEST(MessageDialogTest, ShortMessageIsAsWideAsTheButtonRow) {
    auto dialog =
        CreateMessageDialogLang(QStringLiteral("Go?"), MsgDlgKind::Confirmation, mbOKCancel, 0);
    auto* image = dialog->findChild<QLabel*>(QStringLiteral("Image"));
    auto* text = dialog->findChild<QLabel*>(QStringLiteral("Message"));
    auto* ok = dialog->findChild<QPushButton*>(QStringLiteral("OK"));
    auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"));
    ASSERT_TRUE(image && text && ok && cancel);
    const int margin = image->x();
    EXPECT_GT(margin, 0);
    EXPECT_EQ(ok->x(), margin);
    EXPECT_EQ(dialog->width() - (cancel->x() + cancel->width()), margin);
    EXPECT_EQ(ok->width(), cancel->width());
    EXPECT_GT(cancel->x(), ok->x() + ok->width());
    // The text sits right of the icon, not centred.
    EXPECT_GT(text->x(), image->x() + image->width());
    EXPECT_LT(text->x() + text->width(), ok->x() + 2 * ok->width());
    EXPECT_EQ(image->y(), text->y());
    EXPECT_EQ(image->size(), QSize(32, 32));
}

TEST(MessageDialogTest, LongMessageWrapsAtHalfTheScreen) {
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    const QString word = QStringLiteral("catalogue ");
    auto oneLine = CreateMessageDialogLang(word, MsgDlgKind::Warning, mbOK, 0);
    auto dialog = CreateMessageDialogLang(word.repeated(60), MsgDlgKind::Warning, mbOK, 0);
    auto* text = dialog->findChild<QLabel*>(QStringLiteral("Message"));
    auto* line = oneLine->findChild<QLabel*>(QStringLiteral("Message"));
    EXPECT_LE(text->width(), screenWidth / 2);
    EXPECT_GT(text->width(), screenWidth / 2 - QFontMetrics(text->font()).horizontalAdvance(word));
    EXPECT_GE(text->height(), 5 * line->height());
    EXPECT_EQ(dialog->width(),
              text->x() + text->width() + oneLine->findChild<QLabel*>("Image")->x());
    EXPECT_GT(dialog->height(), text->height());
    // What the label paints is what was measured: the last line is inside it.
    EXPECT_EQ(QFontMetrics(text->font())
                  .boundingRect(QRect(0, 0, text->width(), 0), Qt::TextWordWrap, text->text())
                  .height(),
              text->height());
}

struct AnswerRow {
    const char* name;
    MsgDlgButtons buttons;
    int key; // 0: close box
    int expected;
};

class MessageAnswerTest : public ::testing::TestWithParam<AnswerRow> {};

TEST_P(MessageAnswerTest, DefaultAndCancelButtons) {
    const AnswerRow& row = GetParam();
    auto answer = AnswerNextModal(row.key ? PressKey(row.key) : CloseWindow());
    EXPECT_EQ(
        MessageDlgLang(QStringLiteral("Question?"), MsgDlgKind::Confirmation, row.buttons, 0, 0),
        row.expected);
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MessageAnswerTest,
    ::testing::Values(AnswerRow{"YesNoEnter", mbYesNo, Qt::Key_Return, mrYes},
                      AnswerRow{"YesNoEscape", mbYesNo, Qt::Key_Escape, mrNo},
                      AnswerRow{"YesNoCloseBox", mbYesNo, 0, mrCancel},
                      AnswerRow{"OkCancelEnter", mbOKCancel, Qt::Key_Return, mrOk},
                      AnswerRow{"OkCancelEscape", mbOKCancel, Qt::Key_Escape, mrCancel},
                      AnswerRow{"YesCancelEscape", mbYesCancel, Qt::Key_Escape, mrCancel},
                      AnswerRow{"OkOnlyEscape", mbOK, Qt::Key_Escape, mrOk},
                      AnswerRow{"RetryIsDefault", mbAbort | mbRetry, Qt::Key_Return, mrRetry}),
    [](const ::testing::TestParamInfo<AnswerRow>& info) { return std::string(info.param.name); });

TEST(MessageDialogTest, ButtonsReturnTheirResults) {
    for (int result : {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll}) {
        auto answer = AnswerNextModal(PressResult(result));
        EXPECT_EQ(MessageDlgLang(QStringLiteral("?"), MsgDlgKind::Custom, 0xFF, 0, 1), result);
        EXPECT_TRUE(answer->Answered());
    }
}

TEST(MessageDialogTest, EscapeWithoutCancelButtonKeepsTheDialog) {
    bool stillOpen = false;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            stillOpen = dialog->isVisible();
        },
        PressButton(QStringLiteral("Abort"))));
    EXPECT_EQ(MessageDlgLang(QStringLiteral("?"), MsgDlgKind::Error, mbAbort | mbIgnore, 0, 0),
              mrAbort);
    EXPECT_TRUE(stillOpen);
}

TEST(MessageDialogTest, HelpDoesNotClose) {
    bool stillOpen = false;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            auto* form = qobject_cast<TMessageForm*>(dialog);
            ASSERT_NE(form, nullptr);
            QSignalSpy help(form, &TMessageForm::HelpRequested);
            dialog->findChild<QPushButton*>(QStringLiteral("Help"))->click();
            stillOpen = dialog->isVisible();
            EXPECT_EQ(help.count(), 1);
            EXPECT_EQ(help.value(0).value(0).toInt(), 42);
        },
        PressResult(mrOk)));
    EXPECT_EQ(MessageDlgPosLang(QStringLiteral("?"), MsgDlgKind::Information, mbOK | mbHelp, 42, -1,
                                -1, 0),
              mrOk);
    EXPECT_TRUE(stillOpen);
}

TEST(MessageDialogTest, PositionIsCentredUnlessGiven) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QPoint centred, moved, half;
    auto where = [](QPoint& into) {
        return Inspect([&into](QWidget* d) { into = d->frameGeometry().topLeft(); },
                       PressResult(mrOk));
    };
    AnswerNextModal(where(centred));
    MessageDlgLang(QStringLiteral("centre"), MsgDlgKind::Warning, mbOK, 0, 0);
    AnswerNextModal(where(moved));
    MessageDlgPosLang(QStringLiteral("centre"), MsgDlgKind::Warning, mbOK, 0, 10, 20, 0);
    AnswerNextModal(where(half));
    MessageDlgPosLang(QStringLiteral("centre"), MsgDlgKind::Warning, mbOK, 0, 0, -5, 0);
    auto probe = CreateMessageDialogLang(QStringLiteral("centre"), MsgDlgKind::Warning, mbOK, 0);
    EXPECT_EQ(centred, QPoint(screen.width() / 2 - probe->width() / 2,
                              screen.height() / 2 - probe->height() / 2));
    EXPECT_EQ(moved, QPoint(10, 20));
    EXPECT_EQ(half, QPoint(0, centred.y()));
}

TEST(InputDialogTest, ConfirmedAndCancelled) {
    QString value = QStringLiteral("Birds");
    auto same = AnswerNextModal(PressKey(Qt::Key_Return));
    EXPECT_TRUE(InputQueryLang(QStringLiteral("Rename"), QStringLiteral("Name:"), value, 0));
    EXPECT_EQ(value, QStringLiteral("Birds"));
    EXPECT_EQ(same->DialogTitle(), QStringLiteral("Rename"));

    AnswerNextModal(TypeText(QStringLiteral("Fish"), PressResult(mrOk)));
    EXPECT_TRUE(InputQueryLang(QStringLiteral("Rename"), QStringLiteral("Name:"), value, 0));
    EXPECT_EQ(value, QStringLiteral("Fish"));

    AnswerNextModal(TypeText(QStringLiteral("Cats"), PressKey(Qt::Key_Escape)));
    EXPECT_FALSE(InputQueryLang(QStringLiteral("Rename"), QStringLiteral("Name:"), value, 0));
    EXPECT_EQ(value, QStringLiteral("Fish"));

    AnswerNextModal(TypeText(QStringLiteral("Cats"), CloseWindow()));
    EXPECT_EQ(
        InputBoxLang(QStringLiteral("Add"), QStringLiteral("Name:"), QStringLiteral("New"), 0),
        QStringLiteral("New"));
    AnswerNextModal(TypeText(QString::fromUtf16(u"Птицы"), PressResult(mrOk)));
    EXPECT_EQ(InputBoxLang(QStringLiteral("Add"), QStringLiteral("Name:"), QString(), 1),
              QString::fromUtf16(u"Птицы"));
}

TEST(InputDialogTest, LimitsTheTextAndLocalizesCancel) {
    QString cancelText;
    QString selected;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            cancelText = dialog->findChild<QPushButton*>(QStringLiteral("Cancel"))->text();
            selected = dialog->findChild<QLineEdit*>()->selectedText();
        },
        TypeText(QString(300, QLatin1Char('x')), PressResult(mrOk))));
    QString value = QStringLiteral("old name");
    EXPECT_TRUE(InputQueryLang(QStringLiteral("c"), QStringLiteral("p"), value, 2));
    EXPECT_EQ(value.size(), 255);
    EXPECT_EQ(cancelText, QStringLiteral("Cancela"));
    EXPECT_EQ(selected, QStringLiteral("old name"));
}

} // namespace
} // namespace tavik
