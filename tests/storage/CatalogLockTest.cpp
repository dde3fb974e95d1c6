// The catalogue lock between programs: the lock itself, the tool's writing
// commands against a lock held by another process, and reading commands that
// must never rename or delete anything.
#include "StorageTestSupport.h"
#include "ToolRun.h"

#include "storage/CatalogFiles.h"
#include "storage/CatalogLock.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace tavik {
namespace {

using test::Bytes;
using test::RunTavikctl;
using test::ToolRun;

// Every file of a folder with its bytes.
std::map<std::string, Bytes> FolderContents(const std::string& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files[entry.path().filename().string()] = test::ReadFile(entry.path().string());
    return files;
}

Bytes Bitmap(std::size_t size, unsigned seed) {
    Bytes bmp = test::FromText("BM");
    const Bytes body = test::PictureLike(size, seed);
    bmp.insert(bmp.end(), body.begin(), body.end());
    return bmp;
}

class CatalogLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDataFile(DataFileName(folder.Path()));
        TTopic& topic = topics.AddTopic("Topic");
        AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Icon, Bytes{0, 0, 1, 0});
        for (unsigned i = 0; i < 3; ++i)
            topic.AddBmp("p" + std::to_string(i),
                         AppendRecordToFile(DataFileName(folder.Path()), PictureKind::Bitmap,
                                            Bitmap(3000 + i, i + 1)));
        topic.DeleteBmp(1); // leaves a dead record for compact to drop
        SaveCatalog(folder.Path(), topics);
        test::WriteFile(folder / "picture.bmp", Bitmap(500, 9));
    }

    test::TempFolder folder;
    TTopicList topics;
};

TEST_F(CatalogLockTest, TwoHoldersExcludeEachOtherUntilTheFirstLetsGo) {
    {
        const TCatalogLock first(folder.Path());
        ASSERT_TRUE(first.Held()) << first.Reason();
        const TCatalogLock second(folder.Path());
        EXPECT_EQ(second.LockState(), TCatalogLock::State::HeldElsewhere);
    }
    const TCatalogLock again(folder.Path());
    EXPECT_TRUE(again.Held());
    const TCatalogLock missing(folder / "no-such-folder/");
    EXPECT_EQ(missing.LockState(), TCatalogLock::State::Unsupported);
    EXPECT_NE(missing.Reason().find("no-such-folder"), std::string::npos);
}

TEST_F(CatalogLockTest, WritingCommandsRefuseWhileAnotherProgramHoldsTheLock) {
    const auto before = FolderContents(folder.Path());
    {
        const TCatalogLock held(folder.Path());
        ASSERT_TRUE(held.Held());
        for (const std::string& command :
             {"compact " + folder.Path(),
              "add " + folder.Path() + " --topic New " + (folder / "picture.bmp"),
              "recover " + folder.Path()}) {
            const ToolRun run = RunTavikctl(command);
            EXPECT_EQ(run.status, 1) << command;
            EXPECT_NE(run.err.find("open in another program"), std::string::npos) << run.err;
        }
        EXPECT_EQ(FolderContents(folder.Path()), before);
    }
    const ToolRun compact = RunTavikctl("compact " + folder.Path());
    EXPECT_EQ(compact.status, 0) << compact.err;
    EXPECT_LT(test::ReadFile(DataFileName(folder.Path())).size(), before.at("tavik.dat").size());
}

// A compaction stopped after its list switch: the new list file is in place,
// the new data file still lies beside the old one.
TEST_F(CatalogLockTest, ReadingCommandsReadAnInterruptedSwitchAndRenameNothing) {
    const Bytes oldData = test::ReadFile(DataFileName(folder.Path()));
    CompactDataFile(folder.Path(), topics);
    std::filesystem::rename(DataFileName(folder.Path()), folder / "tavik.dat.new");
    test::WriteFile(DataFileName(folder.Path()), oldData);
    const auto before = FolderContents(folder.Path());

    const TCatalogLock held(folder.Path());
    ASSERT_TRUE(held.Held());
    const ToolRun list = RunTavikctl("list " + folder.Path());
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.find("ERROR"), std::string::npos) << list.out;
    EXPECT_NE(list.err.find("interrupted"), std::string::npos);
    const ToolRun check = RunTavikctl("check " + folder.Path());
    EXPECT_EQ(check.status, 0) << check.out;
    const ToolRun extract =
        RunTavikctl("extract " + folder.Path() + " 0 1 -o " + (folder / "out.bmp"));
    EXPECT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(test::ReadFile(folder / "out.bmp"), Bitmap(3002, 3));
    std::filesystem::remove(folder / "out.bmp");
    EXPECT_EQ(FolderContents(folder.Path()), before);
}

} // namespace
} // namespace tavik
