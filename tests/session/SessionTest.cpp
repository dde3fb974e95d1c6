// The real program and the real tool on a real X server, as separate
// processes: a second program on a catalogue in use, the end of a desktop
// session after an unsaved paste, a close request during a save.
#include "DesktopDriver.h"

#include "storage/CatalogFiles.h"
#include "storage/Lists.h"
#include "storage/Records.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <X11/keysym.h>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace tavik::session {
namespace {

std::vector<std::uint8_t> BmpBytes(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return {bytes.begin(), bytes.end()};
}

struct ToolRun {
    int status = -1;
    QString err;
};

ToolRun Tavikctl(const QStringList& arguments) {
    QProcess tool;
    tool.start(TAVIKCTL_PATH, arguments);
    tool.waitForFinished();
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

class SessionTest : public ::testing::Test {
protected:
    // Topics of small BMP pictures, named "p<i>.bmp".
    void MakeCatalog(const std::vector<std::pair<std::string, int>>& topics) {
        CreateDataFile(DataFileName(folder));
        TTopicList list;
        for (const auto& [name, count] : topics) {
            TTopic& topic = list.AddTopic(name);
            for (int i = 0; i < count; ++i)
                topic.AddBmp(
                    "p" + std::to_string(i) + ".bmp",
                    AppendRecordToFile(DataFileName(folder), PictureKind::Bitmap,
                                       BmpBytes(8 + i % 9, 6, QColor(i * 3 % 256, 90, 40))));
        }
        SaveCatalog(folder, list);
    }

    std::unique_ptr<TTopicList> ReadCatalog() const {
        auto topics = std::make_unique<TTopicList>();
        LoadListFile(ListFileName(folder), *topics);
        return topics;
    }

    // The Delete key in the main window, where the topic list is active, and
    // the question answered: the first topic goes.
    static void DeleteFirstTopic(TavikProcess& tavik, WindowId main) {
        TypeKey(main, "Delete");
        const WindowId confirm = tavik.WaitForWindow("^Confirm$");
        ASSERT_NE(confirm, 0u);
        TypeKey(confirm, "Return");
        ASSERT_TRUE(tavik.WaitForNoWindow("^Confirm$"));
    }

    std::uintmax_t DataSize() const { return std::filesystem::file_size(DataFileName(folder)); }

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
};

TEST_F(SessionTest, ASecondProgramOnACatalogueInUseSaysSoAndTheToolRefusesToChangeIt) {
    MakeCatalog({{"Topic", 2}});
    TavikProcess first(folder);
    ASSERT_NE(first.WaitForWindow("^Tavik$"), 0u);
    {
        TavikProcess second(folder);
        const WindowId message = second.WaitForWindow("^Warning$");
        ASSERT_NE(message, 0u) << "the second program opened no warning";
        TypeKey(message, "Return");
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.ExitCode(), 1);
        EXPECT_TRUE(second.ErrorOutput().contains("open in another program"));
    }
    const QString where = QString::fromStdString(folder);
    const ToolRun compact = Tavikctl({"compact", where});
    EXPECT_EQ(compact.status, 1);
    EXPECT_TRUE(compact.err.contains("open in another program")) << compact.err.toStdString();
    EXPECT_EQ(Tavikctl({"list", where}).status, 0);

    first.Signal(SIGTERM);
    ASSERT_TRUE(first.WaitForExit());
    EXPECT_EQ(first.ExitCode(), 0);
    EXPECT_EQ(Tavikctl({"compact", where}).status, 0);
}

TEST_F(SessionTest, TheEndOfTheSessionAfterAPasteSavesThePicture) {
    MakeCatalog({{"Topic", 1}});
    const auto before = DataSize();
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(image);

    TavikProcess tavik(folder);
    const WindowId main = tavik.WaitForWindow("^Tavik$");
    ASSERT_NE(main, 0u);
    ClickAt(main, 281, 15); // the paste button of the toolbar
    const WindowId paste = tavik.WaitForWindow("^Paste image$");
    ASSERT_NE(paste, 0u);
    TypeKey(paste, "Return");
    ASSERT_TRUE(QTest::qWaitFor([&] { return DataSize() > before; }, 20000));

    tavik.Signal(SIGTERM);
    ASSERT_TRUE(tavik.WaitForExit());
    EXPECT_FALSE(tavik.Crashed());
    EXPECT_EQ(tavik.ExitCode(), 0);
    const auto topics = ReadCatalog();
    ASSERT_EQ(topics->Topics(0).Bmps.Count(), 2);
    const std::int32_t position = topics->Topics(0).Bmps.Bmps(1).Position;
    EXPECT_EQ(position, static_cast<std::int32_t>(before));
    const PictureRecord record = LoadRecordFromFile(DataFileName(folder), position);
    const QImage saved =
        QImage::fromData(record.stream.data(), static_cast<int>(record.stream.size()));
    EXPECT_EQ(saved.size(), QSize(20, 10));
    EXPECT_TRUE(std::filesystem::exists(SettingsFileName(folder)));
}

TEST_F(SessionTest, TheEndOfTheSessionWhileADialogWaitsStillEndsTheProgram) {
    MakeCatalog({{"Topic", 1}});
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(image);
    TavikProcess tavik(folder);
    const WindowId main = tavik.WaitForWindow("^Tavik$");
    ASSERT_NE(main, 0u);
    ClickAt(main, 281, 15);
    ASSERT_NE(tavik.WaitForWindow("^Paste image$"), 0u);

    tavik.Signal(SIGTERM);
    ASSERT_TRUE(tavik.WaitForExit()) << "the open dialog kept the program running";
    EXPECT_EQ(tavik.ExitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(SettingsFileName(folder)));
    EXPECT_EQ(ReadCatalog()->Topics(0).Bmps.Count(), 1);
}

TEST_F(SessionTest, ALostDisplayConnectionStillSavesTheListChanges) {
    MakeCatalog({{"Gone", 1}, {"Kept", 2}});
    TavikProcess tavik(folder);
    const WindowId main = tavik.WaitForWindow("^Tavik$");
    ASSERT_NE(main, 0u);
    ASSERT_NO_FATAL_FAILURE(DeleteFirstTopic(tavik, main));

    // The X server closes the program's connection, as when it ends.
    Xdotool({"windowkill", QString::number(main)});
    ASSERT_TRUE(tavik.WaitForExit());
    EXPECT_FALSE(tavik.Crashed());
    const auto topics = ReadCatalog();
    ASSERT_EQ(topics->Count(), 1);
    EXPECT_EQ(topics->Topics(0).Bmps.Count(), 2);
}

TEST_F(SessionTest, ACloseRequestDuringTheSaveWaitsForItAndThenEndsTheProgram) {
    MakeCatalog({{"Gone", 1}, {"Kept", 80}});
    const auto before = DataSize();
    TavikProcess tavik(folder);
    const WindowId main = tavik.WaitForWindow("^Tavik$");
    ASSERT_NE(main, 0u);
    ASSERT_NO_FATAL_FAILURE(DeleteFirstTopic(tavik, main));

    // F2 starts the save; the close request is already waiting behind it and
    // arrives while the progress window is up.
    tavik.Signal(SIGSTOP);
    SendKeyThenCloseRequest(main, XK_F2);
    tavik.Signal(SIGCONT);
    ASSERT_TRUE(tavik.WaitForExit()) << "the program did not end after its window closed";
    EXPECT_FALSE(tavik.Crashed());
    EXPECT_EQ(tavik.ExitCode(), 0);
    EXPECT_TRUE(std::filesystem::exists(SettingsFileName(folder)));
    const auto topics = ReadCatalog();
    ASSERT_EQ(topics->Count(), 1);
    EXPECT_EQ(topics->Topics(0).Bmps.Count(), 80);
    EXPECT_LT(DataSize(), before);
}

} // namespace
} // namespace tavik::session

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
