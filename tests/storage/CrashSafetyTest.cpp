#include "StorageTestSupport.h"

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

const std::vector<std::string> kCompactionSteps = {"compact:data-written", "compact:list-written",
                                                   "compact:committed", "compact:list-switched",
                                                   "compact:data-switched"};
const std::vector<std::string> kReplaceSteps = {"replace:temp-written", "replace:renamed"};

struct StepFailure : Exception {
    using Exception::Exception;
};

// Every test leaves the process-wide seams as it found them.
struct SeamGuard {
    ~SeamGuard() {
        SetSaveStepHook({});
        SetSaveWriteLimit(-1);
    }
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

    // Runs body in a child process that kills itself at the named step.
    void KillChildAt(const std::function<void()>& body, const std::string& step) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetSaveStepHook([&](std::string_view reached) {
                if (reached == step)
                    ::raise(SIGKILL);
            });
            try {
                body();
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

    test::TempFolder folder;
    TTopicList topics;
    std::map<std::string, Bytes> pictures;
    Bytes oldList;
    Bytes oldData;
    SeamGuard guard;
};

TEST_F(CrashSafety, CompactionKilledAtEachStepOpensOldOrNew) {
    std::vector<State> states;
    for (const auto& step : kCompactionSteps) {
        SCOPED_TRACE(step);
        test::WriteFile(ListFileName(folder.Path()), oldList);
        test::WriteFile(DataFileName(folder.Path()), oldData);
        KillChildAt([&] { CompactDataFile(folder.Path(), topics); }, step);
        states.push_back(OpenedState());
    }
    // Before the switch is decided the old catalogue stays; after, the new one.
    EXPECT_EQ(states,
              (std::vector<State>{State::Old, State::Old, State::New, State::New, State::New}));
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
    for (const auto& step : kCompactionSteps) {
        SCOPED_TRACE(step);
        test::WriteFile(ListFileName(folder.Path()), oldList);
        test::WriteFile(DataFileName(folder.Path()), oldData);
        TTopicList working;
        LoadListFile(ListFileName(folder.Path()), working);
        SetSaveStepHook([&](std::string_view reached) {
            if (reached == step)
                throw StepFailure("injected at " + step);
        });
        bool failed = false;
        try {
            CompactDataFile(folder.Path(), working);
        } catch (const StepFailure&) {
            failed = true;
        }
        SetSaveStepHook({});
        // Whatever the outcome, the positions in memory read the right pictures.
        for (int j = 0; j < working.Topics(0).Bmps.Count(); ++j) {
            const TBmp& bmp = working.Image(0, j);
            EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), bmp.Position).stream,
                      pictures[bmp.Name]);
        }
        const State state = OpenedState();
        EXPECT_EQ(failed, state == State::Old);
    }
}

TEST_F(CrashSafety, CompactionOnAFullDiskChangesNothing) {
    for (std::int64_t limit : {0, 3, 4, 100, 5000, 20000}) {
        SCOPED_TRACE(limit);
        TTopicList working;
        LoadListFile(ListFileName(folder.Path()), working);
        const std::int32_t before = working.Image(0, 1).Position;
        SetSaveWriteLimit(limit);
        EXPECT_THROW(CompactDataFile(folder.Path(), working), EWriteError);
        SetSaveWriteLimit(-1);
        EXPECT_EQ(working.Image(0, 1).Position, before);
        EXPECT_EQ(OpenedState(), State::Old);
    }
}

TEST_F(CrashSafety, ListSaveKilledOrFailedAtEachStepKeepsOldOrNew) {
    topics.AddTopic("added");
    for (const auto& step : kReplaceSteps) {
        SCOPED_TRACE(step);
        test::WriteFile(ListFileName(folder.Path()), oldList);
        KillChildAt([&] { SaveCatalog(folder.Path(), topics); }, step);
        const Bytes afterKill = test::ReadFile(ListFileName(folder.Path()));
        EXPECT_TRUE(afterKill == oldList || step == "replace:renamed");

        test::WriteFile(ListFileName(folder.Path()), oldList);
        SetSaveStepHook([&](std::string_view reached) {
            if (reached == step)
                throw StepFailure(step);
        });
        EXPECT_THROW(SaveCatalog(folder.Path(), topics), StepFailure);
        SetSaveStepHook({});
        const Bytes afterFailure = test::ReadFile(ListFileName(folder.Path()));
        EXPECT_EQ(afterFailure == oldList, step == "replace:temp-written");

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
    SetSaveWriteLimit(-1);
    for (std::int64_t limit = 0; limit < 5100; limit += (limit < 64 ? 1 : 255)) {
        SetSaveWriteLimit(limit);
        EXPECT_THROW(SaveCatalog(folder.Path(), topics), EWriteError) << limit;
        EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), oldList);
    }
    SetSaveWriteLimit(-1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()),
                            std::filesystem::directory_iterator()),
              2);
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
