#include "storage/ContentHash.h"

#include "support/StorageTestSupport.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

// Counts the bytes read through it, so a test sees which records were read.
class TCountingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = TMemoryStream::Read(buffer, count);
        BytesRead += n;
        return n;
    }
    std::size_t BytesRead = 0;
};

struct Stored {
    PictureKind kind;
    Bytes stream;
};

// A data file holding the pictures one after the other; positions in order.
std::vector<std::int32_t> WriteRecords(TStream& data, const std::vector<Stored>& pictures) {
    std::vector<std::int32_t> positions;
    data.Seek(4);
    for (const Stored& picture : pictures) {
        positions.push_back(static_cast<std::int32_t>(data.Size() < 4 ? 4 : data.Size()));
        SaveRecord(data, positions.back(), picture.kind, picture.stream);
    }
    return positions;
}

TEST(ContentHashes, MatchesOnlyTheSameKindAndBytes) {
    const Bytes star = test::FromText("BMstar-pixels-0123456789");
    const Bytes other = test::FromText("BMstar-pixels-0123456780"); // same size
    TMemoryStream data;
    const auto at = WriteRecords(
        data,
        {{PictureKind::Bitmap, star}, {PictureKind::Bitmap, other}, {PictureKind::Icon, star}});
    TContentHashes hashes;
    const TContentKey key = ContentKeyOf(PictureKind::Bitmap, star);
    EXPECT_TRUE(hashes.Holds(data, at[0], key));
    EXPECT_FALSE(hashes.Holds(data, at[1], key));
    EXPECT_FALSE(hashes.Holds(data, at[2], key));
    // A position that holds no record matches nothing and throws nothing.
    EXPECT_FALSE(hashes.Holds(data, at[0] + 1, key));
}

TEST(ContentHashes, ReadsEachRecordOnceAndOnlyWhatCouldMatch) {
    const Bytes small = test::FromText("BM-small");
    Bytes large(20000);
    for (std::size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<std::uint8_t>(i * 7);
    TCountingStream data;
    const auto at = WriteRecords(
        data,
        {{PictureKind::Bitmap, large}, {PictureKind::Bitmap, small}, {PictureKind::Bitmap, large}});
    TContentHashes hashes;
    const TContentKey smallKey = ContentKeyOf(PictureKind::Bitmap, small);
    data.BytesRead = 0;
    for (const std::int32_t position : at)
        hashes.Holds(data, position, smallKey);
    // The two large records differ in size: only their heads were read.
    EXPECT_LT(data.BytesRead, 200u);

    const TContentKey largeKey = ContentKeyOf(PictureKind::Bitmap, large);
    data.BytesRead = 0;
    EXPECT_TRUE(hashes.Holds(data, at[0], largeKey));
    EXPECT_TRUE(hashes.Holds(data, at[2], largeKey));
    EXPECT_GT(data.BytesRead, 0u);
    data.BytesRead = 0;
    for (int round = 0; round < 3; ++round)
        for (const std::int32_t position : at) {
            hashes.Holds(data, position, largeKey);
            hashes.Holds(data, position, smallKey);
        }
    EXPECT_EQ(data.BytesRead, 0u);

    // After a compaction the same positions hold other records.
    hashes.Clear();
    EXPECT_FALSE(hashes.Holds(data, at[1], largeKey));
    EXPECT_GT(data.BytesRead, 0u);
}

} // namespace
} // namespace tavik
