// Recovery of pictures from a data file without a usable list file, or that
// the list no longer refers to.
#include "StorageTestSupport.h"
#include "ToolRun.h"

#include "storage/CatalogFiles.h"
#include "storage/Records.h"
#include "storage/Recover.h"

#include <gtest/gtest.h>

#include <memory>

namespace tavik {
namespace {

using test::Bytes;

Bytes RecordBytes(PictureKind kind, const Bytes& stream) {
    TMemoryStream out;
    SaveRecord(out, 0, kind, stream);
    return out.Bytes();
}

Bytes Emf() {
    Bytes emf(120, 0);
    emf[0] = 1;
    emf[40] = 0x20, emf[41] = 0x45, emf[42] = 0x4D, emf[43] = 0x46;
    return emf;
}

struct Picture {
    PictureKind kind;
    Bytes stream;
    std::string name; // what recovery calls it when it is the only topic
};

// A data file of good records with damage between them: a record whose block
// runs past its payload (its frame is whole), bytes that hold no record, and
// a record head whose length runs past the end of the file.
class RecoverTest : public ::testing::Test {
protected:
    void SetUp() override {
        pictures = {
            {PictureKind::Bitmap, test::PictureLike(70000, 1), "Recovered 1.bmp"},
            {PictureKind::Icon, test::PictureLike(900, 2), "Recovered 2.ico"},
            {PictureKind::Metafile, Emf(), "Recovered 3.emf"},
            {PictureKind::Metafile, test::PictureLike(300, 3), "Recovered 4.wmf"},
            {PictureKind::Bitmap, test::PictureLike(40, 4), "Recovered 5.bmp"},
        };
        data = test::FromText("TVD1");
        auto append = [&](const Bytes& bytes) {
            data.insert(data.end(), bytes.begin(), bytes.end());
        };
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            positions.push_back(static_cast<std::int32_t>(data.size()));
            append(RecordBytes(pictures[i].kind, pictures[i].stream));
            if (i == 1) {
                Bytes broken = RecordBytes(PictureKind::Bitmap, test::PictureLike(5000, 5));
                broken[12] = 0xFF, broken[13] = 0xFF; // first block length
                append(broken);
            } else if (i == 2) {
                append(test::FromText("not a record at all, 37 bytes long.."));
            } else if (i == 3) {
                append(test::FromText("LZIC"));
                append(test::B({0xF0, 0xFF, 0xFF, 0x7F, 1, 2, 3}));
            }
        }
        test::WriteFile(DataFileName(folder.Path()), data);
    }

    // Checks the topic holds every readable picture in file order, named by
    // kind, each record giving back its stream byte for byte.
    void ExpectRecovered(const TTopic& topic, const std::vector<std::size_t>& which) {
        ASSERT_EQ(topic.Bmps.Count(), static_cast<int>(which.size()));
        for (std::size_t n = 0; n < which.size(); ++n) {
            const TBmp& bmp = topic.Bmps.Bmps(static_cast<int>(n));
            const Picture& picture = pictures[which[n]];
            EXPECT_EQ(bmp.Position, positions[which[n]]);
            const PictureRecord record =
                LoadRecordFromFile(DataFileName(folder.Path()), bmp.Position);
            EXPECT_EQ(record.kind, picture.kind);
            EXPECT_EQ(record.stream, picture.stream) << bmp.Name;
        }
    }

    std::unique_ptr<TTopicList> LoadList() {
        auto topics = std::make_unique<TTopicList>();
        LoadListFile(ListFileName(folder.Path()), *topics);
        return topics;
    }

    test::TempFolder folder;
    std::vector<Picture> pictures;
    std::vector<std::int32_t> positions;
    Bytes data;
};

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

TEST_F(RecoverTest, TheToolReportsWhatItFoundAndTheProgramReadsTheResult) {
    const test::ToolRun run = test::RunTavikctl("recover " + folder.Path());
    const std::string& out = run.out;
    EXPECT_EQ(run.status, 0) << out << run.err;
    EXPECT_NE(out.find("7 record(s), 5 readable, 2 damaged"), std::string::npos) << out;
    EXPECT_NE(out.find("list file: missing"), std::string::npos) << out;
    ExpectRecovered(LoadList()->Topics(0), {0, 1, 2, 3, 4});
}

} // namespace
} // namespace tavik
