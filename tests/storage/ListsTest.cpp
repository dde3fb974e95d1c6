#include "support/StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/ValueStream.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace tavik {
namespace {

using test::B;
using test::Bytes;

Bytes Write(const TTopicList& topics) {
    TMemoryStream stream;
    TValueWriter writer(stream);
    topics.WriteTo(writer);
    writer.FlushBuffer();
    return stream.Bytes();
}

TEST(CatalogueStream, WorkedExamples) {
    TTopicList topics;
    EXPECT_EQ(Write(topics), B({0x01, 0x00}));

    topics.AddTopic("A").AddBmp("x", 4);
    EXPECT_EQ(Write(topics),
              B({0x01, 0x06, 0x01, 0x41, 0x01, 0x06, 0x01, 0x78, 0x02, 0x04, 0x00, 0x00}));

    TTopicList empties;
    empties.AddTopic("");
    EXPECT_EQ(Write(empties), B({0x01, 0x06, 0x00, 0x01, 0x00, 0x00}));
}

TEST(CatalogueStream, RoundTripKeepsOrderNamesAndPositions) {
    TTopicList topics;
    TTopic& first = topics.AddTopic("first");
    first.AddBmp("a", 4);
    first.AddBmp("", 300);
    first.AddBmp(std::string(300, 'n'), 2000000000);
    topics.AddTopic("second");
    topics.AddTopic("third").AddBmp("z", 0);

    TMemoryStream stream(Write(topics));
    TValueReader reader(stream);
    TTopicList read;
    read.AddTopic("stale");
    read.ReadFrom(reader);
    ASSERT_EQ(read.Count(), 3);
    EXPECT_EQ(read.Topics(0).Name, "first");
    EXPECT_EQ(read.Topics(1).Bmps.Count(), 0);
    EXPECT_EQ(read.Image(0, 1).Position, 300);
    EXPECT_EQ(read.Image(0, 2).Name, std::string(300, 'n'));
    EXPECT_EQ(read.Image(0, 2).Position, 2000000000);
    EXPECT_EQ(read.Image(2, 0).Position, 0);
    EXPECT_EQ(Write(read), Write(topics));
}

// A memory stream that hands out its bytes some at a time, from 1 to 61 a
// read, so that the reader's buffer ends inside every kind of value.
class TTricklingStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::size_t Read(void* buffer, std::size_t count) override {
        FStep = FStep % 61 + 1;
        return TMemoryStream::Read(buffer, std::min(count, FStep));
    }

private:
    std::size_t FStep = 0;
};

TEST(CatalogueStream, NamesAroundTheInlineLimitAndEveryIntegerWidthReadBack) {
    TTopicList topics;
    const std::int32_t positions[] = {4, -128, 300, -32768, 70000, 2147483647};
    for (int n = 0; n < 20; ++n) {
        TTopic& topic = topics.AddTopic("topic " + std::to_string(n));
        for (std::size_t length = 0; length <= TPictureName::kInline + 8; ++length)
            topic.AddBmp(std::string(length, static_cast<char>('a' + (n + length) % 26)),
                         positions[(n + length) % std::size(positions)]);
    }
    const Bytes written = Write(topics);

    TMemoryStream whole(written);
    TTricklingStream trickling(written);
    for (TStream* stream : {static_cast<TStream*>(&whole), static_cast<TStream*>(&trickling)}) {
        TValueReader reader(*stream);
        TTopicList read;
        read.ReadFrom(reader);
        ASSERT_EQ(read.Count(), topics.Count());
        for (int t = 0; t < topics.Count(); ++t) {
            ASSERT_EQ(read.Topics(t).Bmps.Count(), topics.Topics(t).Bmps.Count());
            for (int i = 0; i < topics.Topics(t).Bmps.Count(); ++i) {
                EXPECT_EQ(read.Image(t, i).Name, topics.Image(t, i).Name.View());
                EXPECT_EQ(read.Image(t, i).Position, topics.Image(t, i).Position);
            }
        }
        EXPECT_EQ(Write(read), written);
    }
}

TEST(PictureName, KeepsItsTextAcrossTheInlineLimitThroughCopiesMovesAndSelfAssignment) {
    for (const std::size_t length :
         {std::size_t{0}, TPictureName::kInline, TPictureName::kInline + 1, std::size_t{300}}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i % 26);
        TPictureName name(text);
        TPictureName copy = name;
        TPictureName moved = std::move(name);
        EXPECT_EQ(copy, text);
        EXPECT_EQ(moved, text);
        EXPECT_TRUE(name.empty());
        // A part of its own text, inline or not.
        moved = moved.View().substr(length / 2);
        EXPECT_EQ(moved, text.substr(length / 2));
        copy = std::move(moved);
        EXPECT_EQ(std::string(copy), text.substr(length / 2));
    }
}

TEST(CatalogueStream, DamageKeepsTopicsReadSoFar) {
    TTopicList topics;
    topics.AddTopic("one").AddBmp("a", 4);
    TTopic& two = topics.AddTopic("two");
    two.AddBmp("b", 40);
    two.AddBmp("c", 80);
    Bytes bytes = Write(topics);
    // Cut inside the second image of "two".
    bytes.resize(bytes.size() - 5);

    TMemoryStream stream(bytes);
    TValueReader reader(stream);
    TTopicList read;
    EXPECT_THROW(read.ReadFrom(reader), EReadError);
    ASSERT_EQ(read.Count(), 2);
    EXPECT_EQ(read.Topics(1).Name, "two");
    EXPECT_EQ(read.Topics(1).Bmps.Count(), 1);
}

TEST(TopicList, ImageCountAndIndexing) {
    TTopicList topics;
    EXPECT_EQ(topics.ImageCount(), 0);
    for (int n : {3, 0, 2}) {
        TTopic& topic = topics.AddTopic("t");
        for (int i = 0; i < n; ++i)
            topic.AddBmp("i", 4 + i);
    }
    EXPECT_EQ(topics.ImageCount(), 5);
    EXPECT_EQ(topics.Image(2, 1).Position, 5);
    EXPECT_THROW(topics.Image(1, 0), EListError);
    topics.Topics(0).DeleteBmp(0);
    EXPECT_EQ(topics.ImageCount(), 4);
    EXPECT_EQ(topics.Image(0, 0).Position, 5);
}

TEST(TopicList, ImagesKeepTheirValuesAcrossManyAddsAndDeletes) {
    // Enough images for several slabs, with freed ones taken again in between.
    TTopicList topics;
    TTopic& first = topics.AddTopic("first");
    TTopic& second = topics.AddTopic("second");
    for (int i = 0; i < 3000; ++i)
        (i % 2 == 0 ? first : second).AddBmp("image number " + std::to_string(i), 4 + i);
    for (int i = first.Bmps.Count() - 1; i >= 0; i -= 2)
        first.DeleteBmp(i);
    for (int i = 3000; i < 5000; ++i)
        second.AddBmp("image number " + std::to_string(i), 4 + i);
    std::set<int> seen;
    for (const TTopic* topic : {&first, &second}) {
        for (int i = 0; i < topic->Bmps.Count(); ++i) {
            const TBmp& bmp = topic->Bmps.Bmps(i);
            EXPECT_EQ(bmp.Name, "image number " + std::to_string(bmp.Position - 4));
            EXPECT_TRUE(seen.insert(bmp.Position).second);
        }
    }
    EXPECT_EQ(seen.size(), 750u + 1500u + 2000u);
    // An image handed out of its list outlives the list.
    std::unique_ptr<TBmp> kept = second.Bmps.Delete(0);
    topics.Clear();
    EXPECT_EQ(kept->Name, "image number 1");
}

} // namespace
} // namespace tavik
