#include "RecordingFiles.h"
#include "support/StorageTestSupport.h"

#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace tavik {
namespace {

using test::Bytes;

struct StepFailure : Exception {
    using Exception::Exception;
};

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDataFile(DataFileName(folder.Path()));
        TTopic& topic = topics.AddTopic("pictures");
        for (int i = 0; i < 5; ++i) {
            const std::string name = "p" + std::to_string(i);
            pictures[name] = test::PictureLike(3000 + 9000 * static_cast<std::size_t>(i),
                                               static_cast<unsigned>(i + 1));
            const auto position =
                AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, pictures[name]);
            if (i % 2 == 0)
                topic.AddBmp(name, position); // odd pictures are dead records
        }
        SaveCatalog(folder.Path(), topics);
        oldList = test::ReadFile(ListFileName(folder.Path()));
        oldData = test::ReadFile(DataFileName(folder.Path()));
    }

    enum class State { Old, New };

    // Opens the folder as start-up does and checks that every picture reads
    // back whole; tells which of the two catalogues it found.
    State OpenedState() {
        TTopicList opened;
        OpenCatalog(folder.Path(), opened);
        EXPECT_EQ(opened.Count(), 1);
        EXPECT_EQ(opened.ImageCount(), 3);
        for (int j = 0; j < opened.Topics(0).Bmps.Count(); ++j) {
            const TBmp& bmp = opened.Image(0, j);
            EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), bmp.Position).stream,
                      pictures[bmp.Name])
                << bmp.Name;
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            const auto name = entry.path().filename().string();
            EXPECT_TRUE(name == "tavik.lst" || name == "tavik.dat") << "left behind: " << name;
        }
        const Bytes data = test::ReadFile(DataFileName(folder.Path()));
        if (data == oldData) {
            EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), oldList);
            return State::Old;
        }
        EXPECT_LT(data.size(), oldData.size());
        return State::New;
    }

    // Runs body in a child process that kills itself before its step number
    // step (counted from 0) reaches the disk.
    void KillChildBefore(const std::function<void(TFileSystem&)>& body, std::size_t step) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            test::TRecordingFiles files;
            files.BeforeStep = [&](const std::string&) {
                if (files.Steps.size() == step)
                    ::raise(SIGKILL);
            };
            try {
                body(files);
            } catch (...) {
                ::_exit(3);
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "step " << step << " never reached";
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
    }

    void RestoreOldFiles() {
        test::WriteFile(ListFileName(folder.Path()), oldList);
        test::WriteFile(DataFileName(folder.Path()), oldData);
    }

    // The steps a whole compaction of topics takes; the folder is put back.
    std::vector<std::string> CompactionSteps() {
        test::TRecordingFiles files;
        TTopicList working;
        LoadListFile(ListFileName(folder.Path()), working);
        CompactDataFile(folder.Path(), working, {}, files);
        RestoreOldFiles();
        return files.Steps;
    }

    // Every picture of working reads back right through its position.
    void ExpectPositionsRead(const TTopicList& working) {
        for (int j = 0; j < working.Topics(0).Bmps.Count(); ++j) {
            const TBmp& bmp = working.Image(0, j);
            EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), bmp.Position).stream,
                      pictures[bmp.Name])
                << bmp.Name;
        }
    }

    test::TempFolder folder;
    TTopicList topics;
    std::map<std::string, Bytes> pictures;
    Bytes oldList;
    Bytes oldData;
};

// The new data file takes its waiting name only once both new files are on
// disk: the step after which a crash must give the new catalogue.
const std::string kDecision = "rename temp tavik.dat.new";

TEST_F(CrashSafety, CompactionKilledBeforeEachStepOpensOldOrNew) {
    const std::vector<std::string> steps = CompactionSteps();
    const auto decision =
        static_cast<std::size_t>(std::find(steps.begin(), steps.end(), kDecision) - steps.begin());
    ASSERT_LT(decision, steps.size());
    for (std::size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE("killed before " + steps[k]);
        RestoreOldFiles();
        KillChildBefore(
            [&](TFileSystem& files) { CompactDataFile(folder.Path(), topics, {}, files); }, k);
        EXPECT_EQ(OpenedState(), k <= decision ? State::Old : State::New);
    }
}

TEST_F(CrashSafety, CompactionKilledWhileCopyingKeepsTheOldCatalogue) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CompactDataFile(folder.Path(), topics, [](int done, int) {
            if (done == 2)
                ::raise(SIGKILL);
        });
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(OpenedState(), State::Old);
}

TEST_F(CrashSafety, CompactionFailingAtEachStepKeepsMemoryAndDiskInStep) {
    const std::vector<std::string> steps = CompactionSteps();
    for (std::size_t k = 0; k < steps.size(); ++k) {
        SCOPED_TRACE("failed at " + steps[k]);
        RestoreOldFiles();
        TTopicList working;
        LoadListFile(ListFileName(folder.Path()), working);
        test::TRecordingFiles files;
        bool fired = false;
        files.BeforeStep = [&](const std::string& step) {
            if (!fired && files.Steps.size() == k) {
                fired = true; // once: the clean-up after the failure runs as it would
                throw StepFailure("injected at " + step);
            }
        };
        bool failed = false;
        try {
            CompactDataFile(folder.Path(), working, {}, files);
        } catch (const StepFailure&) {
            failed = true;
        }
        // Whatever the outcome, the positions in memory read the right pictures.
        ExpectPositionsRead(working);
        EXPECT_EQ(failed, OpenedState() == State::Old);
    }
}

TEST_F(CrashSafety, SwitchFailingBeforeTheListRenameIsTakenBack) {
    TTopicList working;
    LoadListFile(ListFileName(folder.Path()), working);
    test::TRecordingFiles files;
    files.BeforeStep = [](const std::string& step) {
        if (step == "rename tavik.lst.new tavik.lst")
            throw StepFailure(step);
    };
    EXPECT_THROW(CompactDataFile(folder.Path(), working, {}, files), StepFailure);
    ExpectPositionsRead(working);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), oldData);
    EXPECT_EQ(OpenedState(), State::Old);
}

TEST_F(CrashSafety, SwitchStuckAfterTheListRenameRefusesWritesUntilDone) {
    TTopicList working;
    LoadListFile(ListFileName(folder.Path()), working);
    bool stuck = true;
    test::TRecordingFiles files;
    files.BeforeStep = [&](const std::string& step) {
        if (stuck && step == "rename tavik.dat.new tavik.dat")
            throw StepFailure(step);
    };
    EXPECT_THROW(CompactDataFile(folder.Path(), working, {}, files), EWriteError);
    // Memory and the list file on disk agree on the new positions, and they
    // read the right pictures meanwhile.
    ExpectPositionsRead(working);
    const Bytes listOnDisk = test::ReadFile(ListFileName(folder.Path()));

    working.AddTopic("later");
    EXPECT_THROW(SaveCatalog(folder.Path(), working, files), EWriteError);
    EXPECT_THROW(
        AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, Bytes{1, 2}, files),
        EWriteError);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), listOnDisk);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), oldData);

    stuck = false;
    SaveCatalog(folder.Path(), working, files);
    working.Topics(1).AddBmp(
        "p9", AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, Bytes{1, 2}));
    pictures["p9"] = Bytes{1, 2};
    EXPECT_FALSE(std::filesystem::exists(DataFileName(folder.Path()) + ".new"));
    ExpectPositionsRead(working);
    EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), working.Image(1, 0).Position).stream,
              pictures["p9"]);
}

TEST_F(CrashSafety, CompactionOnAFullDiskChangesNothing) {
    for (std::int64_t limit : {0, 3, 4, 100, 5000, 20000}) {
        SCOPED_TRACE(limit);
        TTopicList working;
        LoadListFile(ListFileName(folder.Path()), working);
        const std::int32_t before = working.Image(0, 1).Position;
        test::TRecordingFiles files;
        files.WriteLimit = limit;
        EXPECT_THROW(CompactDataFile(folder.Path(), working, {}, files), EWriteError);
        EXPECT_EQ(working.Image(0, 1).Position, before);
        EXPECT_EQ(OpenedState(), State::Old);
    }
}

TEST_F(CrashSafety, ListSaveKilledOrFailedAtEachStepKeepsOldOrNew) {
    topics.AddTopic("added");
    test::TRecordingFiles recorded;
    SaveCatalog(folder.Path(), topics, recorded);
    const auto renamed = static_cast<std::size_t>(recorded.IndexOf("rename temp tavik.lst"));
    for (std::size_t k = 0; k < recorded.Steps.size(); ++k) {
        SCOPED_TRACE(recorded.Steps[k]);
        test::WriteFile(ListFileName(folder.Path()), oldList);
        KillChildBefore([&](TFileSystem& files) { SaveCatalog(folder.Path(), topics, files); }, k);
        const Bytes afterKill = test::ReadFile(ListFileName(folder.Path()));
        EXPECT_EQ(afterKill == oldList, k <= renamed);

        test::WriteFile(ListFileName(folder.Path()), oldList);
        test::TRecordingFiles files;
        bool fired = false;
        files.BeforeStep = [&](const std::string& step) {
            if (!fired && files.Steps.size() == k) {
                fired = true;
                throw StepFailure(step);
            }
        };
        EXPECT_THROW(SaveCatalog(folder.Path(), topics, files), StepFailure);
        const Bytes afterFailure = test::ReadFile(ListFileName(folder.Path()));
        EXPECT_EQ(afterFailure == oldList, k <= renamed);

        // Start-up clears the leftovers and reads a whole list either way.
        TTopicList opened;
        OpenCatalog(folder.Path(), opened);
        EXPECT_GE(opened.Count(), 1);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                                std::filesystem::directory_iterator()),
                  2);
    }
}

TEST_F(CrashSafety, ListSaveFailingAfterEveryByteCountLeavesTheOldFile) {
    topics.AddTopic(std::string(5000, 'x'));
    for (std::int64_t limit = 0; limit < 5100; limit += (limit < 64 ? 1 : 255)) {
        test::TRecordingFiles files;
        files.WriteLimit = limit;
        EXPECT_THROW(SaveCatalog(folder.Path(), topics, files), EWriteError) << limit;
        EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), oldList);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);
}

// Data reaches the disk before the rename that makes it the file, and the
// folder entry after it.
TEST_F(CrashSafety, SavesFlushDataBeforeTheRenameAndTheFolderAfter) {
    test::TRecordingFiles files;
    SaveCatalog(folder.Path(), topics, files);
    EXPECT_EQ(files.Steps, (std::vector<std::string>{"create temp", "write temp", "flush temp",
                                                     "rename temp tavik.lst", "sync"}));

    files.Steps.clear();
    CompactDataFile(folder.Path(), topics, {}, files);
    EXPECT_EQ(files.Steps, (std::vector<std::string>{"create temp", "write temp", "flush temp",
                                                     "create tavik.lst.new", "write tavik.lst.new",
                                                     "flush tavik.lst.new", "sync", kDecision,
                                                     "sync", "rename tavik.lst.new tavik.lst",
                                                     "rename tavik.dat.new tavik.dat", "sync"}));

    files.Steps.clear();
    AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, Bytes{7}, files);
    EXPECT_EQ(files.Steps,
              (std::vector<std::string>{"open tavik.dat", "write tavik.dat", "flush tavik.dat"}));

    // An add command's pictures cost one flush together.
    files.Steps.clear();
    TRecordAppender appender(DataFileName(folder.Path()), files);
    for (std::uint8_t b = 0; b < 3; ++b)
        appender.Append(PictureKind::Icon, Bytes{b});
    appender.Flush();
    EXPECT_EQ(files.Steps,
              (std::vector<std::string>{"open tavik.dat", "write tavik.dat", "flush tavik.dat"}));
}

TEST_F(CrashSafety, FailedAppendCutsTheDataFileBack) {
    for (const std::string failing : {"write", "flush"}) {
        SCOPED_TRACE(failing);
        test::TRecordingFiles files;
        if (failing == "write")
            files.WriteLimit = 100;
        else
            files.BeforeStep = [](const std::string& step) {
                if (step == "flush tavik.dat")
                    throw EWriteError("Stream write error: Input/output error");
            };
        try {
            AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, pictures["p2"],
                               files);
            ADD_FAILURE() << "appended";
        } catch (const EWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("Stream write error: "), std::string::npos);
        }
        EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), oldData);
    }
    // A failed flush drops every record of the add command, none of which
    // the list may refer to.
    test::TRecordingFiles files;
    files.BeforeStep = [](const std::string& step) {
        if (step == "flush tavik.dat")
            throw EWriteError("Stream write error: Input/output error");
    };
    TRecordAppender appender(DataFileName(folder.Path()), files);
    appender.Append(PictureKind::Icon, pictures["p2"]);
    appender.Append(PictureKind::Icon, pictures["p1"]);
    EXPECT_THROW(appender.Flush(), EWriteError);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), oldData);
}

TEST_F(CrashSafety, RecoveryRollsBackOrFinishesByWhatIsOnDisk) {
    // A new list file alone: the switch was never decided.
    test::WriteFile(ListFileName(folder.Path()) + ".new", test::FromText("TVL1\x01\x00"));
    EXPECT_EQ(RecoverInterruptedCompaction(folder.Path()), RecoveryAction::RolledBack);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), oldList);

    // Both new files: finish the switch.
    TTopicList compacted;
    LoadListFile(ListFileName(folder.Path()), compacted);
    CompactDataFile(folder.Path(), compacted);
    const Bytes newList = test::ReadFile(ListFileName(folder.Path()));
    const Bytes newData = test::ReadFile(DataFileName(folder.Path()));
    test::WriteFile(ListFileName(folder.Path()) + ".new", newList);
    test::WriteFile(DataFileName(folder.Path()) + ".new", newData);
    test::WriteFile(ListFileName(folder.Path()), oldList);
    test::WriteFile(DataFileName(folder.Path()), oldData);
    EXPECT_EQ(RecoverInterruptedCompaction(folder.Path()), RecoveryAction::Finished);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), newList);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), newData);
    EXPECT_EQ(RecoverInterruptedCompaction(folder.Path()), RecoveryAction::None);
}

} // namespace
} // namespace tavik
