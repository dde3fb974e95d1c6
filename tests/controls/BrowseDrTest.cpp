#include "controls/BrowseDr.h"

#include "support/ModalDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::AnswerNextModal;
using testing::Inspect;
using testing::PressRole;

// ---- path fitting ----

TEST(ShortenPathTest, WorkedExampleDropsOneLeadingFolderAtATime) {
    QStringList tried;
    const QString shown = ShortenPath("/A/B/C/file", [&](const QString& s) {
        tried << s;
        return false;
    });
    EXPECT_EQ(tried, QStringList(
                         {"/A/B/C/file", "/.../B/C/file", "/.../C/file", "/.../file", ".../file"}));
    EXPECT_EQ(shown, "file") << "the last form is shown even when it does not fit";
}

struct FitCase {
    const char* text;
    int maxLength;
    const char* shown;
};

class ShortenPathCases : public ::testing::TestWithParam<FitCase> {};

TEST_P(ShortenPathCases, StopsAtTheFirstFormThatFits) {
    const int max = GetParam().maxLength;
    EXPECT_EQ(ShortenPath(GetParam().text, [&](const QString& s) { return s.size() <= max; }),
              QString(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ShortenPathCases,
    ::testing::Values(
        FitCase{"/home/ann/pictures/icons/a.ico", 30, "/home/ann/pictures/icons/a.ico"},
        FitCase{"/home/ann/pictures/icons/a.ico", 29, "/.../ann/pictures/icons/a.ico"},
        FitCase{"/home/ann/pictures/icons/a.ico", 25, "/.../pictures/icons/a.ico"},
        FitCase{"/home/ann/pictures/icons/a.ico", 10, "/.../a.ico"},
        FitCase{"/home/ann/pictures/icons/a.ico", 9, ".../a.ico"}, FitCase{"/a.ico", 3, "a.ico"},
        FitCase{"relative/name", 5, "name"}));

class CutTextCases : public ::testing::TestWithParam<FitCase> {};

TEST_P(CutTextCases, CutsAtTheEndWithEllipsis) {
    const int max = GetParam().maxLength;
    EXPECT_EQ(CutText(GetParam().text, [&](const QString& s) { return s.size() <= max; }),
              QString(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Texts, CutTextCases,
                         ::testing::Values(FitCase{"Hello world", 11, "Hello world"},
                                           FitCase{"Hello world", 8, "Hello..."},
                                           FitCase{"abc", 2, "..."}, FitCase{"", 0, ""}));

TEST(FitStatusLineTest, OnlyExistingFoldersAreShortenedAsPaths) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString deep = dir.path() + "/pictures/icons/large";
    ASSERT_TRUE(QDir().mkpath(deep));
    const QFontMetrics fm(QApplication::font());
    const int width = fm.horizontalAdvance("/.../icons/large");

    EXPECT_EQ(FitStatusLine(deep, fm, width), "/.../icons/large");
    EXPECT_EQ(FitStatusLine(deep + "/", fm, width), "/.../icons/large")
        << "a trailing separator still leaves the folder's own name";

    const QString missing = deep + "/missing";
    const QString cut = FitStatusLine(missing, fm, width);
    EXPECT_TRUE(cut.endsWith("...")) << cut.toStdString();
    EXPECT_TRUE(missing.startsWith(cut.chopped(3)));
    EXPECT_FALSE(cut.contains("/.../"));
}

TEST(NormalizeFolderTest, DropsTrailingSeparatorsButKeepsTheRoot) {
    EXPECT_EQ(NormalizeFolder("/"), "/");
    EXPECT_EQ(NormalizeFolder("//"), "/");
    EXPECT_EQ(NormalizeFolder("/tmp/"), "/tmp");
    EXPECT_EQ(NormalizeFolder("/tmp"), "/tmp");
    EXPECT_EQ(NormalizeFolder(""), "");
}

TEST(BrowseDirectoryDlgTest, SelectionOfAnExistingFolderGetsASeparator) {
    QTemporaryDir dir;
    TBrowseDirectoryDlg dlg;
    dlg.SetSelection(dir.path());
    EXPECT_EQ(dlg.Selection(), dir.path() + "/");
    dlg.SetSelection(dir.path() + "/nothing");
    EXPECT_EQ(dlg.Selection(), dir.path() + "/nothing");
}

// ---- the running dialog ----

QFileDialog* AsFileDialog(QWidget* w) {
    return qobject_cast<QFileDialog*>(w);
}

TEST(SelectFolderTest, CancelWithoutInitialFolderStartsAtHomeAndGivesNothing) {
    QString title, directory;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            if (auto* label = dialog->findChild<QLabel*>("TitleLabel"))
                title = label->text();
            directory = AsFileDialog(dialog)->directory().absolutePath();
        },
        PressRole(QDialogButtonBox::RejectRole)));
    QString result = "old";
    EXPECT_FALSE(SelectFolder("Select folder for saving group images.", "", result));
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(result, "");
    EXPECT_EQ(title, "Select folder for saving group images.");
    EXPECT_EQ(directory, QDir::homePath());
}

TEST(SelectFolderTest, ChosenFolderComesBackWithoutTrailingSeparator) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("pictures"));
    const QString folder = dir.path() + "/pictures";
    QStringList selected;
    auto answer = AnswerNextModal(
        Inspect([&](QWidget* dialog) { selected = AsFileDialog(dialog)->selectedFiles(); },
                PressRole(QDialogButtonBox::AcceptRole)));
    QString result;
    EXPECT_TRUE(SelectFolder("title", folder + "/", result));
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(selected, QStringList(folder)) << "the initial folder is selected without its '/'";
    EXPECT_EQ(result, folder);
}

TEST(BrowseDirectoryDlgTest, StatusLineOkButtonCaptionAndSelectionEvents) {
    QTemporaryDir dir;
    const QString deep = dir.path() + "/a-rather-long-folder-name/another-long-folder-name/end";
    ASSERT_TRUE(QDir().mkpath(deep));
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/other"));

    TBrowseDirectoryDlg dlg;
    dlg.SetCaption("Choose");
    dlg.SetEnableOKButton(false);
    dlg.SetStatusText(deep);
    dlg.SetSelection(deep);
    QSignalSpy created(&dlg, &TBrowseDirectoryDlg::Create);
    QSignalSpy changed(&dlg, &TBrowseDirectoryDlg::SelChanged);

    QString status, caption, statusAfter;
    bool okEnabled = true;
    int statusWidth = 0;
    auto answer = AnswerNextModal(Inspect(
        [&](QWidget* dialog) {
            caption = dialog->windowTitle();
            status = dlg.StatusLine()->text();
            statusWidth = dlg.StatusLine()->contentsRect().width();
            for (auto* box : dialog->findChildren<QDialogButtonBox*>())
                for (auto* button : box->buttons())
                    if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                        okEnabled = button->isEnabled();
            dlg.SetShowSelectionInStatus(true);
            dlg.SetSelection(dir.path() + "/other");
            statusAfter = dlg.StatusLine()->text();
        },
        PressRole(QDialogButtonBox::RejectRole)));
    EXPECT_FALSE(dlg.Execute());
    EXPECT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(created.count(), 1);
    EXPECT_EQ(caption, "Choose");
    EXPECT_FALSE(okEnabled);
    const QFontMetrics fm(QApplication::font());
    EXPECT_EQ(status, FitStatusLine(deep, fm, statusWidth));
    EXPECT_LE(fm.horizontalAdvance(status), statusWidth);
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.last().at(1).toString(), dir.path() + "/other");
    EXPECT_TRUE(statusAfter.endsWith("other")) << statusAfter.toStdString();
    EXPECT_EQ(dlg.Selection(), "") << "a cancelled run empties the selection";
}

} // namespace
} // namespace tavik
