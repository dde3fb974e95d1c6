#include "support/StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/ValueStream.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::B;
using test::Bytes;

Bytes Encode(const std::function<void(TValueWriter&)>& write) {
    TMemoryStream stream;
    {
        TValueWriter writer(stream);
        write(writer);
        writer.FlushBuffer();
    }
    return stream.Bytes();
}

struct IntegerCase {
    const char* name;
    std::int32_t value;
    Bytes bytes;
};

class IntegerEncoding : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerEncoding, WritesShortestTagAndReadsBack) {
    const auto& c = GetParam();
    EXPECT_EQ(Encode([&](TValueWriter& w) { w.WriteInteger(c.value); }), c.bytes);
    TMemoryStream stream(c.bytes);
    TValueReader reader(stream);
    EXPECT_EQ(reader.ReadInteger(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, IntegerEncoding,
    ::testing::Values(IntegerCase{"Four", 4, B({0x02, 0x04})},
                      IntegerCase{"Max8", 127, B({0x02, 0x7F})},
                      IntegerCase{"Min8", -128, B({0x02, 0x80})},
                      IntegerCase{"From128", 128, B({0x03, 0x80, 0x00})},
                      IntegerCase{"ThreeHundred", 300, B({0x03, 0x2C, 0x01})},
                      IntegerCase{"Max16", 32767, B({0x03, 0xFF, 0x7F})},
                      IntegerCase{"Min16", -32768, B({0x03, 0x00, 0x80})},
                      IntegerCase{"From32768", 32768, B({0x04, 0x00, 0x80, 0x00, 0x00})},
                      IntegerCase{"Below16", -32769, B({0x04, 0xFF, 0x7F, 0xFF, 0xFF})},
                      IntegerCase{"Max32", 2147483647, B({0x04, 0xFF, 0xFF, 0xFF, 0x7F})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValueReader, AcceptsWideTagsForSmallValues) {
    TMemoryStream stream(B({0x03, 0x04, 0x00, 0x04, 0x04, 0x00, 0x00, 0x00, 0x03, 0xFF, 0xFF}));
    TValueReader reader(stream);
    EXPECT_EQ(reader.ReadInteger(), 4);
    EXPECT_EQ(reader.ReadInteger(), 4);
    EXPECT_EQ(reader.ReadInteger(), -1);
}

TEST(ValueWriter, StringLengthChoosesTheTag) {
    EXPECT_EQ(Encode([](TValueWriter& w) { w.WriteString(""); }), B({0x06, 0x00}));
    const std::string s255(255, 'a');
    const std::string s256(256, 'b');
    Bytes long255 = Encode([&](TValueWriter& w) { w.WriteString(s255); });
    ASSERT_EQ(long255.size(), 257u);
    EXPECT_EQ(long255[0], 0x06);
    EXPECT_EQ(long255[1], 0xFF);
    Bytes long256 = Encode([&](TValueWriter& w) { w.WriteString(s256); });
    ASSERT_EQ(long256.size(), 261u);
    EXPECT_EQ(Bytes(long256.begin(), long256.begin() + 5), B({0x0C, 0x00, 0x01, 0x00, 0x00}));

    TMemoryStream stream(long255);
    stream.Seek(stream.Size());
    stream.Write(long256.data(), long256.size());
    stream.Seek(0);
    TValueReader reader(stream);
    EXPECT_EQ(reader.ReadString(), s255);
    EXPECT_EQ(reader.ReadString(), s256);
}

TEST(ValueWriter, BufferedBytesReachTheStreamOnlyWhenFlushedOrFull) {
    TMemoryStream stream;
    TValueWriter writer(stream);
    writer.WriteListBegin();
    EXPECT_EQ(stream.Size(), 0);
    const std::string big(TValueWriter::kBufferSize + 904, 'z');
    writer.WriteString(big);
    EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(TValueWriter::kBufferSize));
    writer.FlushBuffer();
    EXPECT_EQ(stream.Size(), static_cast<std::int64_t>(1 + 5 + big.size()));
}

TEST(ValueWriter, ValuesMeetingTheBuffersEndReadBack) {
    for (std::size_t room = 0; room <= 12; ++room) {
        TMemoryStream stream;
        const Bytes filler(TValueWriter::kBufferSize - room, 0);
        {
            TValueWriter writer(stream);
            writer.Write(filler.data(), filler.size());
            writer.WriteString(std::string(room / 2, 'n'));
            writer.WriteInteger(70000);
            writer.WriteInteger(-300);
            writer.WriteInteger(4);
            writer.WriteString("tail");
            writer.FlushBuffer();
        }
        stream.Seek(static_cast<std::int64_t>(filler.size()));
        TValueReader reader(stream);
        EXPECT_EQ(reader.ReadString(), std::string(room / 2, 'n')) << room;
        EXPECT_EQ(reader.ReadInteger(), 70000) << room;
        EXPECT_EQ(reader.ReadInteger(), -300) << room;
        EXPECT_EQ(reader.ReadInteger(), 4) << room;
        EXPECT_EQ(reader.ReadString(), "tail") << room;
        EXPECT_EQ(reader.BytesLeft(), 0) << room;
    }
}

TEST(ValueWriter, FailingStreamRaisesWriteError) {
    for (std::size_t limit : {0u, 1u, 4095u, 4096u, 4097u, 9000u, 300000u}) {
        test::TFailingStream stream(limit);
        TValueWriter writer(stream);
        const std::string big(400000, 'q');
        try {
            writer.WriteString(big);
            writer.FlushBuffer();
            ADD_FAILURE() << "limit " << limit;
        } catch (const EWriteError& e) {
            EXPECT_STREQ(e.what(), "Stream write error");
        }
    }
}

struct ReadErrorCase {
    const char* name;
    Bytes bytes;
    const char* message;
};

class ValueReaderErrors : public ::testing::TestWithParam<ReadErrorCase> {};

TEST_P(ValueReaderErrors, RaisesTheRightMessage) {
    TMemoryStream stream(GetParam().bytes);
    TValueReader reader(stream);
    TTopicList topics;
    try {
        topics.ReadFrom(reader);
        ADD_FAILURE() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, ValueReaderErrors,
    ::testing::Values(
        ReadErrorCase{"Empty", {}, "Stream read error"},
        ReadErrorCase{"NoListTag", B({0x02, 0x00}), "Invalid property value"},
        ReadErrorCase{"NameNotString", B({0x01, 0x02, 0x05}), "Invalid property value"},
        ReadErrorCase{"PositionNotInteger",
                      B({0x01, 0x06, 0x01, 0x41, 0x01, 0x06, 0x01, 0x78, 0x06}),
                      "Invalid property value"},
        ReadErrorCase{"PositionNotIntegerWithMoreAfter",
                      B({0x01, 0x06, 0x01, 0x41, 0x01, 0x06, 0x01, 0x78, 0x05, 0x04, 0x00, 0x00,
                         0x00, 0x00, 0x00}),
                      "Invalid property value"},
        ReadErrorCase{"ImagesNotList", B({0x01, 0x06, 0x01, 0x41, 0x00}), "Invalid property value"},
        ReadErrorCase{"CutInName", B({0x01, 0x06, 0x05, 0x41}), "Stream read error"},
        ReadErrorCase{"HugeLongStringLength", B({0x01, 0x0C, 0xFF, 0xFF, 0xFF, 0x7F, 0x41}),
                      "Stream read error"},
        ReadErrorCase{"MissingFinalEnd", B({0x01, 0x06, 0x00, 0x01, 0x00}), "Stream read error"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tavik
