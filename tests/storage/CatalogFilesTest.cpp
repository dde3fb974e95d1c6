#include "support/StorageTestSupport.h"

#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace tavik {
namespace {

using test::B;
using test::Bytes;

TEST(CatalogFiles, NamesJoinFolderAndFile) {
    EXPECT_EQ(ListFileName("/data/"), "/data/tavik.lst");
    EXPECT_EQ(DataFileName("/data/"), "/data/tavik.dat");
    EXPECT_EQ(SettingsFileName("/data/"), "/data/tavik.ini");
}

TEST(CatalogFiles, ListFileWorkedExamples) {
    test::TempFolder folder;
    TTopicList topics;
    SaveCatalog(folder.Path(), topics);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), B({0x54, 0x56, 0x4C, 0x31, 0x01, 0x00}));

    TTopic& topic = topics.AddTopic("Abc");
    topic.AddBmp("x", 4);
    topic.AddBmp("y", 300);
    SaveCatalog(folder.Path(), topics);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())),
              B({0x54, 0x56, 0x4C, 0x31, 0x01, 0x06, 0x03, 0x41, 0x62, 0x63, 0x01, 0x06,
                 0x01, 0x78, 0x02, 0x04, 0x06, 0x01, 0x79, 0x03, 0x2C, 0x01, 0x00, 0x00}));

    TTopicList read;
    EXPECT_FALSE(LoadListFile(ListFileName(folder.Path()), read).badSignature);
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.Image(0, 1).Position, 300);
}

TEST(CatalogFiles, FreshFolderGetsOnlyADataFile) {
    test::TempFolder folder;
    TTopicList topics;
    const CatalogOpenResult result = OpenCatalog(folder.Path(), topics);
    EXPECT_TRUE(result.dataFileCreated);
    EXPECT_FALSE(result.badSignature);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), test::FromText("TVD1"));
    EXPECT_FALSE(std::filesystem::exists(ListFileName(folder.Path())));
    EXPECT_EQ(topics.Count(), 0);
}

TEST(CatalogFiles, ShortListFilesAreReadErrors) {
    test::TempFolder folder;
    for (const Bytes& bytes : {Bytes{}, B({'T'}), B({'T', 'V', 'L'})}) {
        test::WriteFile(ListFileName(folder.Path()), bytes);
        TTopicList topics;
        try {
            LoadListFile(ListFileName(folder.Path()), topics);
            ADD_FAILURE();
        } catch (const EReadError& e) {
            EXPECT_STREQ(e.what(), "Stream read error");
        }
    }
}

TEST(CatalogFiles, BadSignatureLeavesTopicsAndKeepsACopy) {
    test::TempFolder folder;
    const Bytes bad = test::FromText("XXXX\x01\x00");
    test::WriteFile(ListFileName(folder.Path()), bad);
    TTopicList topics;
    topics.AddTopic("kept");
    EXPECT_TRUE(OpenCatalog(folder.Path(), topics).badSignature);
    ASSERT_EQ(topics.Count(), 1);
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), bad);

    // Opening again keeps one copy, not a second one of the same bytes.
    OpenCatalog(folder.Path(), topics);
    EXPECT_FALSE(std::filesystem::exists(folder / "tavik-damaged-2.lst"));

    // A save replaces the list; the copy survives it.
    SaveCatalog(folder.Path(), topics);
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), bad);
}

TEST(CatalogFiles, DamagedStreamIsKeptAndThePartReadStays) {
    test::TempFolder folder;
    Bytes bytes =
        B({'T', 'V', 'L', '1', 0x01, 0x06, 0x01, 'A', 0x01, 0x06, 0x01, 'x', 0x02, 0x04, 0x06});
    test::WriteFile(ListFileName(folder.Path()), bytes);
    TTopicList topics;
    EXPECT_THROW(OpenCatalog(folder.Path(), topics), EReadError);
    ASSERT_EQ(topics.Count(), 1);
    EXPECT_EQ(topics.Topics(0).Bmps.Count(), 1);
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), bytes);
    EXPECT_FALSE(std::filesystem::exists(DataFileName(folder.Path())));
}

TEST(CatalogFiles, MissingListFileCannotBeOpened) {
    test::TempFolder folder;
    TTopicList topics;
    EXPECT_THROW(LoadListFile(folder / "nothing.lst", topics), EFOpenError);
}

// A folder with a data file holding dead records between live ones.
struct CompactionFixture : ::testing::Test {
    void SetUp() override {
        CreateDataFile(DataFileName(folder.Path()));
        const std::string data = DataFileName(folder.Path());
        for (int i = 0; i < 6; ++i) {
            pictures.push_back(test::PictureLike(static_cast<std::size_t>(500 + 20000 * i),
                                                 static_cast<unsigned>(i)));
            positions.push_back(AppendRecordToFile(data, PictureKind::Bitmap, pictures.back()));
        }
        // Pictures 1 and 4 are dead; the catalogue order differs from the file order.
        TTopic& a = topics.AddTopic("a");
        a.AddBmp("five", positions[5]);
        a.AddBmp("zero", positions[0]);
        topics.AddTopic("empty");
        TTopic& b = topics.AddTopic("b");
        b.AddBmp("none", 0);
        b.AddBmp("two", positions[2]);
        b.AddBmp("three", positions[3]);
        live = {5, 0, 2, 3};
        SaveCatalog(folder.Path(), topics);
    }

    Bytes ExpectedData() const {
        Bytes out = test::FromText("TVD1");
        for (int i : live) {
            TMemoryStream record;
            SaveRecord(record, 0, PictureKind::Bitmap, pictures[static_cast<std::size_t>(i)]);
            out.insert(out.end(), record.Bytes().begin(), record.Bytes().end());
        }
        return out;
    }

    test::TempFolder folder;
    TTopicList topics;
    std::vector<Bytes> pictures;
    std::vector<std::int32_t> positions;
    std::vector<int> live;
};

TEST_F(CompactionFixture, KeepsOnlyLiveRecordsInCatalogueOrder) {
    std::vector<std::pair<int, int>> calls;
    CompactDataFile(folder.Path(), topics,
                    [&](int done, int total) { calls.emplace_back(done, total); });
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), ExpectedData());
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 4}, {2, 4}, {3, 4}, {4, 4}}));
    EXPECT_EQ(topics.Image(0, 0).Position, 4);
    EXPECT_EQ(topics.Image(2, 0).Position, 0);

    // The list file on disk already holds the new positions.
    TTopicList reread;
    LoadListFile(ListFileName(folder.Path()), reread);
    EXPECT_EQ(reread.Image(2, 2).Position, topics.Image(2, 2).Position);
    EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), topics.Image(2, 2).Position).stream,
              pictures[3]);

    // Nothing is left behind in the folder.
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++files;
    EXPECT_EQ(files, 2);
}

TEST_F(CompactionFixture, SharedRecordsAreCopiedTwice) {
    topics.Topics(1).AddBmp("again", positions[0]);
    CompactDataFile(folder.Path(), topics);
    EXPECT_NE(topics.Image(1, 0).Position, topics.Image(0, 1).Position);
    EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), topics.Image(1, 0).Position).stream,
              pictures[0]);
}

TEST_F(CompactionFixture, NoImagesLeavesTheSignatureOnly) {
    TTopicList none;
    none.AddTopic("x");
    int calls = 0;
    CompactDataFile(folder.Path(), none, [&](int, int) { ++calls; });
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), test::FromText("TVD1"));
    EXPECT_EQ(calls, 0);
}

TEST_F(CompactionFixture, DamagedRecordStopsItAndChangesNothing) {
    const Bytes dataBefore = test::ReadFile(DataFileName(folder.Path()));
    const Bytes listBefore = test::ReadFile(ListFileName(folder.Path()));
    topics.Image(2, 2).Position = positions[3] + 1;
    try {
        CompactDataFile(folder.Path(), topics);
        ADD_FAILURE() << "compacted";
    } catch (const EDamagedPicture& e) {
        EXPECT_EQ(e.Picture.topic, 2);
        EXPECT_EQ(e.Picture.image, 2);
        EXPECT_STREQ(e.what(),
                     ("Picture 2 of topic 2 (position " + std::to_string(positions[3] + 1) +
                      ") could not be read: Bad DAT-file insight signature")
                         .c_str());
    }
    EXPECT_EQ(topics.Image(0, 0).Position, positions[5]);
    EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), dataBefore);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), listBefore);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        ++files;
    EXPECT_EQ(files, 2);
}

} // namespace
} // namespace tavik

namespace tavik {
namespace {

using test::Bytes;

TEST_F(CompactionFixture, DamagedBlocksAreCopiedAsTheyAreAndNamed) {
    const Bytes damaged = test::DamagedRecord();
    topics.Topics(1).AddBmp("broken", test::AppendToFile(DataFileName(folder.Path()), damaged));
    const std::vector<DamagedPicture> named = CompactDataFile(folder.Path(), topics);
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].topic, 1);
    EXPECT_EQ(named[0].image, 0);
    EXPECT_EQ(named[0].reason, "Stream read error");
    const Bytes data = test::ReadFile(DataFileName(folder.Path()));
    const auto at = static_cast<std::size_t>(topics.Image(1, 0).Position);
    EXPECT_EQ(Bytes(data.begin() + static_cast<long>(at),
                    data.begin() + static_cast<long>(at + damaged.size())),
              damaged);
    EXPECT_EQ(LoadRecordFromFile(DataFileName(folder.Path()), topics.Image(2, 2).Position).stream,
              pictures[3]);
}

TEST(CatalogFiles, BytesAfterTheListEndMakeItDamaged) {
    test::TempFolder folder;
    TTopicList topics;
    topics.AddTopic("a").AddBmp("x", 0);
    SaveCatalog(folder.Path(), topics);
    EXPECT_FALSE(PreserveDamagedListFile(folder.Path()));
    Bytes bytes = test::ReadFile(ListFileName(folder.Path()));
    // One damaged byte that ends the topic list early leaves the rest behind.
    const Bytes rest = {0x06, 0x01, 'b', 0x01, 0x00, 0x00};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    test::WriteFile(ListFileName(folder.Path()), bytes);

    TTopicList read;
    EXPECT_THROW(OpenCatalog(folder.Path(), read), EReadError);
    EXPECT_EQ(read.Count(), 1);
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), bytes);
    std::filesystem::remove(DamagedListFileName(folder.Path()));
    EXPECT_TRUE(PreserveDamagedListFile(folder.Path()));
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), bytes);
}

TEST(CatalogFiles, MissingDataFileIsNotMadeAgainUnderAListThatUsesIt) {
    test::TempFolder folder;
    TTopicList topics;
    topics.AddTopic("a").AddBmp("x", 0);
    SaveCatalog(folder.Path(), topics);
    TTopicList read;
    OpenCatalog(folder.Path(), read); // no stored picture: a new data file is fine
    EXPECT_TRUE(FileExists(DataFileName(folder.Path())));

    std::filesystem::remove(DataFileName(folder.Path()));
    topics.Topics(0).AddBmp("y", 4);
    SaveCatalog(folder.Path(), topics);
    TTopicList again;
    try {
        OpenCatalog(folder.Path(), again);
        ADD_FAILURE() << "opened";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot open file " + DataFileName(folder.Path()), 0),
                  0u)
            << e.what();
    }
    EXPECT_FALSE(std::filesystem::exists(DataFileName(folder.Path())));
}

std::filesystem::perms ModeOf(const std::string& name) {
    return std::filesystem::status(name).permissions();
}

TEST_F(CompactionFixture, ReadOnlyFilesAreRefusedAndRightsKept) {
    using std::filesystem::perms;
    const std::string list = ListFileName(folder.Path());
    const std::string data = DataFileName(folder.Path());
    const Bytes listBefore = test::ReadFile(list);
    std::filesystem::permissions(list, perms::owner_read | perms::group_read);
    try {
        SaveCatalog(folder.Path(), topics);
        ADD_FAILURE() << "saved";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.what(), "Cannot create file " + list);
    }
    EXPECT_THROW(CompactDataFile(folder.Path(), topics), EFCreateError);
    EXPECT_EQ(test::ReadFile(list), listBefore);
    EXPECT_EQ(ModeOf(list), perms::owner_read | perms::group_read);

    std::filesystem::permissions(data, perms::owner_read);
    EXPECT_THROW(AppendRecordToFile(data, PictureKind::Icon, Bytes{1}), EFCreateError);

    // Writable again, with rights of the user's choosing: every replace keeps them.
    const perms listMode = perms::owner_read | perms::owner_write | perms::group_read;
    const perms dataMode = perms::owner_read | perms::owner_write;
    std::filesystem::permissions(list, listMode);
    std::filesystem::permissions(data, dataMode);
    SaveCatalog(folder.Path(), topics);
    EXPECT_EQ(ModeOf(list), listMode);
    CompactDataFile(folder.Path(), topics);
    EXPECT_EQ(ModeOf(list), listMode);
    EXPECT_EQ(ModeOf(data), dataMode);
}

// Refuses new files the way a read-only folder does.
class TFolderRefusingFiles : public TFileSystem {
public:
    std::string MakeTempFile(const std::string&) override {
        return TFileSystem::MakeTempFile("/proc/");
    }
};

TEST_F(CompactionFixture, FailedWritesNameTheCauseAndTheCatalogueFile) {
    TFileStream full("/dev/full", TFileStream::Mode::ReadWrite);
    try {
        full.WriteBuffer("x", 1);
        ADD_FAILURE() << "written";
    } catch (const EWriteError& e) {
        EXPECT_STREQ(e.what(), "Stream write error: No space left on device");
    }

    TFolderRefusingFiles refusing;
    for (const auto& save : std::vector<std::function<void()>>{
             [&] { SaveCatalog(folder.Path(), topics, refusing); },
             [&] { CompactDataFile(folder.Path(), topics, {}, refusing); }}) {
        try {
            save();
            ADD_FAILURE() << "saved";
        } catch (const EFCreateError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Cannot create file " + folder.Path() + "tavik.", 0), 0u)
                << message;
            EXPECT_NE(message.find("folder /proc/"), std::string::npos) << message;
            EXPECT_EQ(message.find("~tvk"), std::string::npos) << message;
        }
    }

    // A list file that cannot be replaced is named, not the new file meant for it.
    const std::string list = ListFileName(folder.Path());
    std::filesystem::remove(list);
    std::filesystem::create_directory(list);
    try {
        SaveCatalog(folder.Path(), topics);
        ADD_FAILURE() << "saved";
    } catch (const EWriteError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot replace file " + list + ": ", 0), 0u)
            << e.what();
    }
}

} // namespace
} // namespace tavik
