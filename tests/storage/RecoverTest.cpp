// Recovery of pictures from a data file without a usable list file, or that
// the list no longer refers to.
#include "support/RecoverFixture.h"

#include "storage/Recover.h"

#include <gtest/gtest.h>

#include <memory>

namespace tavik {
namespace {

using test::Bytes;
using test::RecordBytes;
using test::RecoverTest;

TEST_F(RecoverTest, ScanFindsEveryGoodRecordPastDamageAndCountsTheRest) {
    const DataFileScan scan = ScanDataFile(DataFileName(folder.Path()));
    EXPECT_TRUE(scan.signatureFound);
    EXPECT_EQ(scan.records, 7);
    EXPECT_EQ(scan.damaged, 2);
    ASSERT_EQ(scan.readable.size(), 5u);
    std::int64_t readableBytes = 0;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        EXPECT_EQ(scan.readable[i].position, positions[i]);
        readableBytes +=
            static_cast<std::int64_t>(RecordBytes(pictures[i].kind, pictures[i].stream).size());
    }
    EXPECT_EQ(scan.bytesSkipped, static_cast<std::int64_t>(data.size()) - 4 - readableBytes);
}

// The list file lost, cut short, or overwritten with other bytes.
TEST_F(RecoverTest, WithoutAUsableListEveryReadablePictureGoesIntoOneTopic) {
    TTopicList topics;
    topics.AddTopic("Old").AddBmp("first", positions[0]);
    SaveCatalog(folder.Path(), topics);
    const Bytes whole = test::ReadFile(ListFileName(folder.Path()));
    const Bytes cut(whole.begin(), whole.end() - 4);
    for (const Bytes& list : {Bytes{}, cut, test::FromText("garbage, not a list")}) {
        std::filesystem::remove(DamagedListFileName(folder.Path()));
        if (list.empty())
            std::filesystem::remove(ListFileName(folder.Path()));
        else
            test::WriteFile(ListFileName(folder.Path()), list);

        const RecoverResult result = RecoverCatalog(folder.Path(), "Recovered");
        EXPECT_FALSE(result.listUsable);
        EXPECT_EQ(result.added, 5);
        const auto loaded = LoadList();
        const TTopicList& recovered = *loaded;
        ASSERT_EQ(recovered.Count(), 1);
        EXPECT_EQ(recovered.Topics(0).Name, "Recovered");
        ExpectRecovered(recovered.Topics(0), {0, 1, 2, 3, 4});
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(recovered.Topics(0).Bmps.Bmps(i).Name, pictures[i].name);
        EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), list);
        EXPECT_EQ(test::ReadFile(DataFileName(folder.Path())), data);
    }
}

TEST_F(RecoverTest, WithAListOnlyUnreferencedPicturesJoinTheNamedTopic) {
    TTopicList topics;
    topics.AddTopic("Kept").AddBmp("first", positions[0]);
    topics.AddTopic("Lost").AddBmp("old", positions[2]);
    SaveCatalog(folder.Path(), topics);
    const Bytes oldList = test::ReadFile(ListFileName(folder.Path()));

    const RecoverResult result = RecoverCatalog(folder.Path(), "Lost");
    EXPECT_TRUE(result.listUsable);
    EXPECT_EQ(result.referenced, 2);
    EXPECT_EQ(result.added, 3);
    const auto list = LoadList();
    const TTopicList& recovered = *list;
    ASSERT_EQ(recovered.Count(), 2);
    ExpectRecovered(recovered.Topics(0), {0});
    ExpectRecovered(recovered.Topics(1), {2, 1, 3, 4});
    EXPECT_EQ(recovered.Topics(1).Bmps.Bmps(1).Name, "Recovered 2.ico");
    EXPECT_EQ(recovered.Topics(1).Bmps.Bmps(3).Name, "Recovered 4.bmp");
    EXPECT_EQ(test::ReadFile(DamagedListFileName(folder.Path())), oldList);

    // A second run finds nothing more and leaves the list alone.
    const Bytes afterFirst = test::ReadFile(ListFileName(folder.Path()));
    EXPECT_FALSE(RecoverCatalog(folder.Path(), "Lost").listWritten);
    EXPECT_EQ(test::ReadFile(ListFileName(folder.Path())), afterFirst);
}

} // namespace
} // namespace tavik
