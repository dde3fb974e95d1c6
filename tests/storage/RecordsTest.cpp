#include "support/StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Records.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tavik {
namespace {

using test::B;
using test::Bytes;

Bytes Record(PictureKind kind, const Bytes& picture) {
    TMemoryStream stream;
    SaveRecord(stream, 0, kind, picture);
    return stream.Bytes();
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(Records, EmptyBitmapWorkedExample) {
    EXPECT_EQ(Record(PictureKind::Bitmap, {}),
              B({'L', 'Z', 'B', 'M', 7, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0x80}));
}

TEST(Records, KindsCarryTheirSignatures) {
    const Bytes picture = test::FromText("abc");
    EXPECT_EQ(Bytes(Record(PictureKind::Icon, picture)).at(3), 'C');
    const Bytes metafile = Record(PictureKind::Metafile, picture);
    EXPECT_EQ(Bytes(metafile.begin(), metafile.begin() + 4), test::FromText("LZMF"));
    for (auto kind : {PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile}) {
        TMemoryStream stream(Record(kind, picture));
        const PictureRecord read = LoadRecord(stream, 0);
        EXPECT_EQ(read.kind, kind);
        EXPECT_EQ(read.stream, picture);
    }
}

TEST(Records, FullBlockEndsWithAnEmptyFinalBlock) {
    const Bytes picture = test::PictureLike(32768);
    const Bytes record = Record(PictureKind::Bitmap, picture);
    EXPECT_EQ(Bytes(record.end() - 3, record.end()), B({0x01, 0x00, 0x80}));
    // U is the stream length, L covers everything after the head.
    EXPECT_EQ(Bytes(record.begin() + 8, record.begin() + 12), B({0x00, 0x80, 0x00, 0x00}));
    const std::uint32_t length = record[4] | record[5] << 8 | record[6] << 16 | record[7] << 24;
    EXPECT_EQ(length + 8, record.size());
    // A record after it must not be swallowed: reading stops at the empty block.
    TMemoryStream stream(Cat(record, Record(PictureKind::Icon, B({1}))));
    EXPECT_EQ(LoadRecord(stream, 0).stream, picture);
    EXPECT_EQ(LoadRecord(stream, static_cast<std::int64_t>(record.size())).stream, B({1}));
}

TEST(Records, LongPicturesRoundTripAcrossBlocks) {
    for (std::size_t size : {32767u, 32769u, 65536u, 100000u}) {
        const Bytes picture = test::PictureLike(size, static_cast<unsigned>(size));
        TMemoryStream stream(Record(PictureKind::Metafile, picture));
        EXPECT_EQ(LoadRecord(stream, 0).stream, picture) << size;
    }
}

TEST(Records, BadSignatureAndNoneKind) {
    TMemoryStream data(Cat(test::FromText("TVD1"), Record(PictureKind::Bitmap, B({1, 2}))));
    try {
        LoadRecord(data, 0);
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bad DAT-file insight signature");
    }
    TMemoryStream empty;
    try {
        SaveRecord(empty, 0, PictureKind::None, B({1}));
        ADD_FAILURE();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bad Picture object format! It's impossible!");
    }
    EXPECT_EQ(empty.Size(), 0);
}

TEST(Records, EveryTruncationIsAReadError) {
    const Bytes record = Record(PictureKind::Bitmap, test::PictureLike(40000));
    for (std::size_t cut = 4; cut < record.size(); cut += (cut < 40 ? 1 : 97)) {
        TMemoryStream stream(Bytes(record.begin(), record.begin() + static_cast<long>(cut)));
        EXPECT_THROW(LoadRecord(stream, 0), EReadError) << "cut " << cut;
    }
}

TEST(Records, DamagedPayloadsAreReadErrors) {
    // Payload length far beyond the stream.
    EXPECT_THROW(
        {
            TMemoryStream s(B({'L', 'Z', 'B', 'M', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
            LoadRecord(s, 0);
        },
        EReadError);
    // Payload shorter than its stream length field.
    EXPECT_THROW(
        {
            TMemoryStream s(B({'L', 'Z', 'I', 'C', 2, 0, 0, 0, 0, 0}));
            LoadRecord(s, 0);
        },
        EReadError);
    // Block length past the payload.
    EXPECT_THROW(
        {
            TMemoryStream s(B({'L', 'Z', 'I', 'C', 7, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0x80}));
            LoadRecord(s, 0);
        },
        EReadError);
    // Only full blocks, no final one.
    Bytes full = Record(PictureKind::Bitmap, test::PictureLike(32768));
    full.resize(full.size() - 3);
    const std::uint32_t length = static_cast<std::uint32_t>(full.size() - 8);
    for (int i = 0; i < 4; ++i)
        full[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    TMemoryStream s(full);
    EXPECT_THROW(LoadRecord(s, 0), EReadError);
}

TEST(Records, FailingStreamGivesWriteError) {
    const Bytes picture = test::PictureLike(50000);
    const std::size_t full = Record(PictureKind::Bitmap, picture).size();
    for (std::size_t limit : {std::size_t{0}, std::size_t{3}, std::size_t{8}, full / 2, full - 1}) {
        test::TFailingStream stream(limit);
        EXPECT_THROW(SaveRecord(stream, 0, PictureKind::Bitmap, picture), EWriteError) << limit;
    }
}

TEST(Records, CopyEqualsLoadAndStoreAndDropsTrailingBytes) {
    const Bytes picture = test::PictureLike(70000);
    const Bytes record = Record(PictureKind::Icon, picture);
    Bytes padded = record;
    padded.insert(padded.end(), {9, 9, 9});
    const std::uint32_t length = static_cast<std::uint32_t>(padded.size() - 8);
    for (int i = 0; i < 4; ++i)
        padded[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    padded[8] = 0x55; // a stream length nobody checks
    for (const Bytes& source : {record, padded}) {
        TMemoryStream stream(Cat(test::FromText("TVD1"), source));
        Bytes out = B({7});
        EXPECT_EQ(CopyRecord(stream, 4, out), record.size());
        EXPECT_EQ(Bytes(out.begin() + 1, out.end()), record);
    }
}

TEST(Records, CopyTakesWellLaidOutRecordsAsTheyAreAndRewritesTheRest) {
    const Bytes picture = test::PictureLike(40000, 4);
    const Bytes good = Record(PictureKind::Bitmap, picture);
    // Damage inside the first block: the layout still agrees, so the copy
    // carries the bytes unchanged without decoding them.
    Bytes damaged = good;
    damaged[14 + 100] ^= 0xFF;
    {
        TMemoryStream stream(damaged);
        Bytes out;
        CopyRecord(stream, 0, out);
        EXPECT_EQ(out, damaged);
    }
    // A stream length that disagrees with the blocks sends the record
    // through decoding, and the copy is what storing the picture writes.
    Bytes odd = good;
    odd[10] = 0x07;
    TMemoryStream stream(odd);
    Bytes out;
    CopyRecord(stream, 0, out);
    EXPECT_EQ(out, good);
}

TEST(Records, AppendReturnsOldSizeAndFlushes) {
    test::TempFolder folder;
    const std::string data = folder / "tavik.dat";
    test::WriteFile(data, test::FromText("TVD1"));
    const Bytes first = test::PictureLike(1234);
    EXPECT_EQ(AppendRecordToFile(data, PictureKind::Bitmap, first), 4);
    const auto second = static_cast<std::int32_t>(test::ReadFile(data).size());
    EXPECT_EQ(second, 4 + static_cast<std::int32_t>(Record(PictureKind::Bitmap, first).size()));
    EXPECT_EQ(AppendRecordToFile(data, PictureKind::Icon, B({5})), second);
    EXPECT_EQ(LoadRecordFromFile(data, 4).stream, first);
    EXPECT_EQ(LoadRecordFromFile(data, second).kind, PictureKind::Icon);
    try {
        LoadRecordFromFile(folder / "missing.dat", 4);
        ADD_FAILURE();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file " + (folder / "missing.dat"));
    }
}

TEST(Records, AppendRefusesToPassTwoGigabytes) {
    test::TempFolder folder;
    const std::string data = folder / "tavik.dat";
    test::WriteFile(data, test::FromText("TVD1"));
    const auto size = std::uintmax_t{0x7FFFFFFF} - 20;
    std::filesystem::resize_file(data, size);
    EXPECT_THROW(AppendRecordToFile(data, PictureKind::Bitmap, test::PictureLike(100)),
                 EWriteError);
    EXPECT_EQ(std::filesystem::file_size(data), size);
    // A record that still fits is accepted right up to the limit.
    std::filesystem::resize_file(data, size - 40);
    EXPECT_EQ(AppendRecordToFile(data, PictureKind::Bitmap, {}),
              static_cast<std::int32_t>(size - 40));
}

} // namespace
} // namespace tavik
