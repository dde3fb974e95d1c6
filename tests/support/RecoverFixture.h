#pragma once
// A data file of good records with damage between them, for the recovery
// tests of the storage layer and of tavikctl.
#include "support/StorageTestSupport.h"

#include "storage/CatalogFiles.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <memory>

namespace tavik::test {

inline Bytes RecordBytes(PictureKind kind, const Bytes& stream) {
    TMemoryStream out;
    SaveRecord(out, 0, kind, stream);
    return out.Bytes();
}

inline Bytes Emf() {
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
            {PictureKind::Bitmap, PictureLike(70000, 1), "Recovered 1.bmp"},
            {PictureKind::Icon, PictureLike(900, 2), "Recovered 2.ico"},
            {PictureKind::Metafile, Emf(), "Recovered 3.emf"},
            {PictureKind::Metafile, PictureLike(300, 3), "Recovered 4.wmf"},
            {PictureKind::Bitmap, PictureLike(40, 4), "Recovered 5.bmp"},
        };
        data = FromText("TVD1");
        auto append = [&](const Bytes& bytes) {
            data.insert(data.end(), bytes.begin(), bytes.end());
        };
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            positions.push_back(static_cast<std::int32_t>(data.size()));
            append(RecordBytes(pictures[i].kind, pictures[i].stream));
            if (i == 1) {
                Bytes broken = RecordBytes(PictureKind::Bitmap, PictureLike(5000, 5));
                broken[12] = 0xFF, broken[13] = 0xFF; // first block length
                append(broken);
            } else if (i == 2) {
                append(FromText("not a record at all, 37 bytes long.."));
            } else if (i == 3) {
                append(FromText("LZIC"));
                append(B({0xF0, 0xFF, 0xFF, 0x7F, 1, 2, 3}));
            }
        }
        WriteFile(DataFileName(folder.Path()), data);
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

    TempFolder folder;
    std::vector<Picture> pictures;
    std::vector<std::int32_t> positions;
    Bytes data;
};

} // namespace tavik::test
