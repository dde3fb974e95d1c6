#include "support/StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Import.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

class ImportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto* f : {&other, &own})
            CreateDataFile(DataFileName(f->Path()));
        const std::string data = DataFileName(other.Path());
        for (int t = 0; t < 3; ++t) {
            TTopic& topic = sourceTopics.AddTopic("topic" + std::to_string(t));
            for (int i = 0; i < t + 1; ++i) {
                const Bytes picture = test::PictureLike(100 + 5000 * static_cast<std::size_t>(i),
                                                        static_cast<unsigned>(t * 10 + i));
                topic.AddBmp("pic" + std::to_string(t) + std::to_string(i),
                             AppendRecordToFile(data, PictureKind::Bitmap, picture));
            }
        }
        SaveCatalog(other.Path(), sourceTopics);
        mine.AddTopic("mine").AddBmp(
            "m", AppendRecordToFile(DataFileName(own.Path()), PictureKind::Icon, Bytes{1, 2}));
    }

    test::TempFolder other;
    test::TempFolder own;
    TTopicList sourceTopics;
    TTopicList mine;
};

TEST_F(ImportFixture, ChosenTopicsArriveInSourceOrderWithTheirPictures) {
    std::string folder = other.Path();
    folder.pop_back(); // a folder name without its separator is completed
    ASSERT_TRUE(HasCatalog(folder));
    TTopicList source;
    EXPECT_FALSE(LoadImportSource(folder, source).badSignature);

    std::vector<std::pair<int, int>> calls;
    const int chosen[] = {2, 0, 2};
    EXPECT_TRUE(ImportTopics(DataFileName(other.Path()), source, chosen, DataFileName(own.Path()),
                             mine, [&](int done, int total) { calls.emplace_back(done, total); }));
    ASSERT_EQ(mine.Count(), 3);
    EXPECT_EQ(mine.Topics(1).Name, "topic0");
    EXPECT_EQ(mine.Topics(2).Name, "topic2");
    EXPECT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls.back(), std::make_pair(4, 4));
    for (int t : {1, 2}) {
        const TTopic& copy = mine.Topics(t);
        const TTopic& original = sourceTopics.Topics(t == 1 ? 0 : 2);
        ASSERT_EQ(copy.Bmps.Count(), original.Bmps.Count());
        for (int i = 0; i < copy.Bmps.Count(); ++i) {
            EXPECT_EQ(copy.Bmps.Bmps(i).Name, original.Bmps.Bmps(i).Name);
            const PictureRecord got =
                LoadRecordFromFile(DataFileName(own.Path()), copy.Bmps.Bmps(i).Position);
            const PictureRecord want =
                LoadRecordFromFile(DataFileName(other.Path()), original.Bmps.Bmps(i).Position);
            EXPECT_EQ(got.kind, want.kind);
            EXPECT_EQ(got.stream, want.stream);
        }
    }
}

TEST_F(ImportFixture, NothingChosenImportsNothing) {
    const Bytes before = test::ReadFile(DataFileName(own.Path()));
    EXPECT_FALSE(
        ImportTopics(DataFileName(other.Path()), sourceTopics, {}, DataFileName(own.Path()), mine));
    EXPECT_EQ(mine.Count(), 1);
    EXPECT_EQ(test::ReadFile(DataFileName(own.Path())), before);
}

TEST_F(ImportFixture, FromOurOwnFolderDuplicates) {
    TTopicList copy;
    LoadImportSource(other.Path(), copy);
    const auto sizeBefore = test::ReadFile(DataFileName(other.Path())).size();
    const int chosen[] = {1};
    EXPECT_TRUE(ImportTopics(DataFileName(other.Path()), copy, chosen, DataFileName(other.Path()),
                             sourceTopics));
    EXPECT_EQ(sourceTopics.Count(), 4);
    EXPECT_GT(test::ReadFile(DataFileName(other.Path())).size(), sizeBefore);
    EXPECT_EQ(
        LoadRecordFromFile(DataFileName(other.Path()), sourceTopics.Image(3, 1).Position).stream,
        LoadRecordFromFile(DataFileName(other.Path()), sourceTopics.Image(1, 1).Position).stream);
}

TEST_F(ImportFixture, BadSignatureGivesAnEmptySource) {
    test::WriteFile(ListFileName(other.Path()), test::FromText("NOPE\x01\x00"));
    TTopicList source;
    source.AddTopic("stale");
    EXPECT_TRUE(LoadImportSource(other.Path(), source).badSignature);
    EXPECT_EQ(source.Count(), 0);
    // The other folder is only read: no copy of its damaged list is made there.
    EXPECT_FALSE(FileExists(DamagedListFileName(other.Path())));
}

TEST_F(ImportFixture, DamagedSourceRecordKeepsWhatWasCopied) {
    sourceTopics.Image(2, 2).Position += 1;
    const int chosen[] = {0, 2};
    try {
        ImportTopics(DataFileName(other.Path()), sourceTopics, chosen, DataFileName(own.Path()),
                     mine);
        ADD_FAILURE() << "imported";
    } catch (const EDamagedPicture& e) {
        EXPECT_EQ(e.Picture.topic, 2);
        EXPECT_EQ(e.Picture.image, 2);
    }
    ASSERT_EQ(mine.Count(), 3);
    EXPECT_EQ(mine.Topics(2).Bmps.Count(), 2);
    EXPECT_EQ(
        LoadRecordFromFile(DataFileName(own.Path()), mine.Image(2, 1).Position).stream,
        LoadRecordFromFile(DataFileName(other.Path()), sourceTopics.Image(2, 1).Position).stream);
}

TEST_F(ImportFixture, DamagedBlocksAreCopiedAsTheyAreAndNamed) {
    const Bytes damaged = test::DamagedRecord();
    sourceTopics.Topics(0).AddBmp("broken",
                                  test::AppendToFile(DataFileName(other.Path()), damaged));
    const int chosen[] = {0};
    std::vector<DamagedPicture> named;
    EXPECT_TRUE(ImportTopics(DataFileName(other.Path()), sourceTopics, chosen,
                             DataFileName(own.Path()), mine, {}, &named));
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].topic, 1);
    EXPECT_EQ(named[0].image, 1);
    EXPECT_EQ(mine.Image(1, 1).Name, "broken");
    const Bytes data = test::ReadFile(DataFileName(own.Path()));
    EXPECT_EQ(Bytes(data.begin() + mine.Image(1, 1).Position, data.end()), damaged);
}

TEST_F(ImportFixture, TopicsWithoutPicturesNeedNoSourceDataFile) {
    TTopicList source;
    source.AddTopic("empty");
    const int chosen[] = {0};
    EXPECT_TRUE(ImportTopics(DataFileName(other.Path()) + ".missing", source, chosen,
                             DataFileName(own.Path()), mine));
    ASSERT_EQ(mine.Count(), 2);
    EXPECT_EQ(mine.Topics(1).Name, "empty");
}

TEST_F(ImportFixture, IndexOutsideTheSourceFailsBeforeCopying) {
    const int chosen[] = {0, 3};
    EXPECT_THROW(ImportTopics(DataFileName(other.Path()), sourceTopics, chosen,
                              DataFileName(own.Path()), mine),
                 EListError);
    EXPECT_EQ(mine.Count(), 1);
}

TEST(ImportFolders, CompletionAndMissingCatalogue) {
    EXPECT_EQ(CompleteFolderName(""), "");
    EXPECT_EQ(CompleteFolderName("/a/b"), "/a/b/");
    EXPECT_EQ(CompleteFolderName("/a/b/"), "/a/b/");
    test::TempFolder empty;
    EXPECT_FALSE(HasCatalog(empty.Path()));
}

} // namespace
} // namespace tavik
