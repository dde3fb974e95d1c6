// Ending the program from outside the window (signals, the session manager)
// and closing the window while a long operation runs.
#include "MainFormFixture.h"

#include "mainwin/CatalogInUse.h"
#include "mainwin/Progress.h"
#include "mainwin/SessionEnd.h"
#include "mainwin/Texts.h"
#include "storage/Lists.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <csignal>

namespace tavik::testing {
namespace {

// A destroyed TSessionEnd leaves the signals ignored, as for the save at the
// program's exit; a TSessionEnd keeps a signal that was ignored before.
void RestoreSignals() {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        std::signal(signal, SIG_DFL);
}

class SessionEndTest : public MainFormTest {
protected:
    void TearDown() override {
        MainFormTest::TearDown();
        RestoreSignals();
    }
};

TEST_F(SessionEndTest, EachSignalClosesTheWindowAndTheExitSavesTheChange) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        TMainForm& form = Open();
        form.AddTopic(QString::number(signal), false);
        {
            const TSessionEnd sessionEnd(form);
            QSignalSpy closed(&form, &TMainForm::Closed);
            ASSERT_EQ(::raise(signal), 0);
            // The handler only wrote to the pipe; the event loop closes.
            EXPECT_EQ(closed.count(), 0);
            ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; })) << signal;
            EXPECT_FALSE(form.isVisible());
        }
        EXPECT_EQ(std::signal(signal, SIG_DFL), SIG_IGN);
        RestoreSignals();
        Close();
        const auto saved = ReadCatalog();
        ASSERT_EQ(saved->Count(), 1);
        EXPECT_EQ(saved->Topics(0).Name, std::to_string(signal));
        EXPECT_TRUE(QFile::exists(FilePath("tavik.ini")));
        QFile::remove(FilePath("tavik.lst"));
    }
}

TEST_F(SessionEndTest, ACloseDuringAProgressWindowWaitsForItsEnd) {
    TMainForm& form = Open();
    const TSessionEnd sessionEnd(form);
    QSignalSpy closed(&form, &TMainForm::Closed);
    auto progress = std::make_unique<TProgressManager>("Tavik", 10, 0, "Updating...");
    progress->Show();
    EXPECT_FALSE(form.close());
    QSignalSpy received(&sessionEnd, &TSessionEnd::SignalReceived);
    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.count() == 1; }));
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(form.isVisible());

    progress.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed.count() >= 1; }));
    EXPECT_FALSE(form.isVisible());
}

TEST_F(SessionEndTest, CommitDataSavesChangesAndSettingsAndKeepsTheWindow) {
    TMainForm& form = Open();
    form.AddTopic("Committed", false);
    form.CommitData();
    EXPECT_FALSE(form.ListChanged());
    EXPECT_EQ(ReadCatalog()->Count(), 1);
    EXPECT_TRUE(QFile::exists(FilePath("tavik.ini")));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(SessionEndTest, CatalogInUseIsToldInTheLanguageOfTheSettings) {
    WriteSettings("[Lang]\nLang=1\n");
    QString message;
    auto answer =
        Answer(Inspect([&](QWidget* dialog) { message = MessageOf(dialog); }, PressResult(1)));
    ReportCatalogInUse(Folder().toStdString() + "/");
    EXPECT_TRUE(message.contains(QString::fromUtf8("открыт другой программой")));
    EXPECT_TRUE(message.contains(Folder()));
    SetLanguageBase(kPortugueseBase);
    EXPECT_TRUE(CatalogInUseText("/x/").startsWith(QString::fromUtf8("O catálogo em '/x/'")));
}

} // namespace
} // namespace tavik::testing
