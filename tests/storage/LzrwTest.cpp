#include "support/StorageTestSupport.h"

#include "storage/Exceptions.h"
#include "storage/Lzrw.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

namespace tavik {
namespace {

using test::B;
using test::Bytes;

Bytes Compress(const Bytes& input) {
    Bytes out(input.size() + kLzrwSlack);
    TLzrwHashTable table;
    out.resize(static_cast<std::size_t>(
        LzrwCompress(input.data(), static_cast<int>(input.size()), out.data(), table)));
    return out;
}

Bytes Decompress(const Bytes& block) {
    Bytes out(kLzrwMaxBlock);
    out.resize(static_cast<std::size_t>(
        LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data())));
    return out;
}

// The decoding loop written plainly, item by item, as the format reads; empty
// when the block leaves its buffers.
std::optional<Bytes> ReferenceDecode(const Bytes& s) {
    const std::size_t m = s.size();
    if (m == 0)
        return std::nullopt;
    if (s[0] == 0x80) {
        if (m - 1 > kLzrwMaxBlock)
            return std::nullopt;
        return Bytes(s.begin() + 1, s.end());
    }
    if (m < 3)
        return std::nullopt;
    Bytes d;
    std::size_t x = 3;
    unsigned control = s[1] * 256u + s[2];
    int bits = 16;
    while (x < m) {
        if (bits == 0) {
            if (x + 1 >= m)
                return std::nullopt;
            control = s[x] * 256u + s[x + 1];
            x += 2;
            bits = 16;
            if (x >= m)
                break;
        }
        if ((control & 0x8000) == 0) {
            d.push_back(s[x++]);
        } else {
            if (x + 1 >= m)
                return std::nullopt;
            const std::size_t offset = s[x] * 16u + (s[x + 1] >> 4);
            if (offset == 0) {
                if (x + 3 >= m)
                    return std::nullopt;
                const std::size_t count = s[x + 1] * 256u + s[x + 2] + 16;
                d.insert(d.end(), count, s[x + 3]);
                x += 4;
            } else {
                if (offset > d.size())
                    return std::nullopt;
                const std::size_t length = (s[x + 1] & 0x0F) + 3u;
                for (std::size_t k = 0; k < length; ++k)
                    d.push_back(d[d.size() - offset]);
                x += 2;
            }
        }
        if (d.size() > kLzrwMaxBlock)
            return std::nullopt;
        control = (control << 1) & 0xFFFF;
        --bits;
    }
    return d;
}

struct BlockCase {
    const char* name;
    Bytes input;
    Bytes block;
};

class LzrwWorkedExamples : public ::testing::TestWithParam<BlockCase> {};

TEST_P(LzrwWorkedExamples, CompressesToTheBlockAndBack) {
    EXPECT_EQ(Compress(GetParam().input), GetParam().block);
    EXPECT_EQ(Decompress(GetParam().block), GetParam().input);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, LzrwWorkedExamples,
    ::testing::Values(BlockCase{"Empty", {}, B({0x80})}, BlockCase{"OneByte", B({7}), B({0x80, 7})},
                      BlockCase{"TwoBytes", B({7, 9}), B({0x80, 7, 9})},
                      BlockCase{"ThreeLetters", test::FromText("abc"), B({0x80, 0x61, 0x62, 0x63})},
                      BlockCase{"RepeatedAbc", test::FromText("abcabcabcabcabcabc"),
                                B({0x40, 0x10, 0x00, 0x61, 0x62, 0x63, 0x00, 0x3C})},
                      BlockCase{"ZeroRun", Bytes(4096, 0),
                                B({0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 0x00, 0x00})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lzrw, IncompressibleFullBlockIsStored) {
    Bytes input(kLzrwMaxBlock);
    std::mt19937 random(7);
    for (auto& b : input)
        b = static_cast<std::uint8_t>(random());
    const Bytes block = Compress(input);
    ASSERT_EQ(block.size(), static_cast<std::size_t>(kLzrwMaxBlock + 1));
    EXPECT_EQ(block[0], 0x80);
    EXPECT_EQ(Decompress(block), input);
}

TEST(Lzrw, OverlappingMatchRepeatsTheLastBytes) {
    // One literal, then offset 1 length 18: nineteen copies of the byte.
    const Bytes block = B({0x40, 0x40, 0x00, 0x5A, 0x00, 0x1F});
    EXPECT_EQ(Decompress(block), Bytes(19, 0x5A));
    // Offset 2, length 5 after "ab": ababab a.
    EXPECT_EQ(Decompress(B({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x22})), test::FromText("abababa"));
}

TEST(Lzrw, RoundTripsPictureLikeAndEdgeInputs) {
    std::vector<Bytes> inputs = {Bytes(kLzrwMaxBlock, 0xAB),
                                 test::PictureLike(kLzrwMaxBlock),
                                 test::PictureLike(1000, 3),
                                 Bytes(15, 1),
                                 Bytes(16, 1),
                                 Bytes(17, 1),
                                 Bytes(4095 + 16 + 1, 2)};
    // Match lengths past 18 and offsets at the 4095 limit.
    Bytes far = test::PictureLike(9000, 5);
    std::copy(far.begin(), far.begin() + 40, far.begin() + 4095);
    inputs.push_back(far);
    for (const Bytes& input : inputs) {
        const Bytes block = Compress(input);
        EXPECT_LE(block.size(), input.size() + 1);
        EXPECT_EQ(Decompress(block), input) << "size " << input.size();
        EXPECT_EQ(ReferenceDecode(block), input);
    }
}

TEST(Lzrw, CompressesPictureLikeData) {
    const Bytes input = test::PictureLike(kLzrwMaxBlock);
    const Bytes block = Compress(input);
    EXPECT_EQ(block[0], 0x40);
    EXPECT_LT(block.size(), input.size() * 3 / 4);
}

struct DamagedCase {
    const char* name;
    Bytes block;
};

class LzrwDamagedBlocks : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(LzrwDamagedBlocks, AreRejected) {
    Bytes out(kLzrwMaxBlock);
    const Bytes& block = GetParam().block;
    try {
        LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data());
        ADD_FAILURE() << "accepted";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, LzrwDamagedBlocks,
    ::testing::Values(
        DamagedCase{"SizeZero", {}}, DamagedCase{"NoControlWord", B({0x40, 0x00})},
        DamagedCase{"OffsetBeforeStart", B({0x40, 0x80, 0x00, 0x00, 0x10})},
        DamagedCase{"OffsetPastOutput", B({0x40, 0x40, 0x00, 'a', 0x00, 0x20})},
        DamagedCase{"MatchCutShort", B({0x40, 0x40, 0x00, 'a', 0x00})},
        DamagedCase{"RunCutShort", B({0x40, 0x80, 0x00, 0x00, 0x00, 0x00})},
        DamagedCase{"RunsPastTheBlock",
                    B({0x40, 0xFF, 0xFF, 0x00, 0x0F, 0xEF, 1,    0x00, 0x0F, 0xEF, 1,    0x00, 0x0F,
                       0xEF, 1,    0x00, 0x0F, 0xEF, 1,    0x00, 0x0F, 0xEF, 1,    0x00, 0x0F, 0xEF,
                       1,    0x00, 0x0F, 0xEF, 1,    0x00, 0x0F, 0xEF, 1,    0x00, 0x0F, 0xEF, 1})},
        DamagedCase{"ControlWordCutShort", B({0x40, 0x00, 0x00, 1,  2,  3,  4,  5,  6,  7,
                                              8,    9,    10,   11, 12, 13, 14, 15, 16, 0x00})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lzrw, OversizedStoredBlockIsRejected) {
    Bytes block(kLzrwMaxBlock + 2, 0);
    block[0] = 0x80;
    Bytes out(kLzrwMaxBlock);
    EXPECT_THROW(LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data()),
                 EReadError);
}

TEST(Lzrw, ArbitraryBlocksDecodeLikeThePlainLoopOrFail) {
    std::mt19937 random(11);
    Bytes out(kLzrwMaxBlock);
    for (int round = 0; round < 3000; ++round) {
        Bytes block(1 + random() % 60);
        for (auto& b : block)
            b = static_cast<std::uint8_t>(random());
        block[0] = 0x40;
        const auto expected = ReferenceDecode(block);
        try {
            const int n = LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data());
            ASSERT_TRUE(expected.has_value()) << "round " << round;
            EXPECT_EQ(Bytes(out.begin(), out.begin() + n), *expected);
        } catch (const EReadError&) {
            EXPECT_FALSE(expected.has_value()) << "round " << round;
        }
    }
}

TEST(Lzrw, DamagedFullBlocksDecodeLikeThePlainLoopOrFail) {
    // Long blocks reach the decoder's group-at-a-time path, which short random
    // blocks never do.
    Bytes icons;
    for (int i = 0; i < 7; ++i) {
        const Bytes part = i % 2 == 0 ? test::PictureLike(4000, static_cast<unsigned>(i))
                                      : Bytes(4500, static_cast<std::uint8_t>(i));
        icons.insert(icons.end(), part.begin(), part.end());
    }
    std::mt19937 random(5);
    Bytes out(kLzrwMaxBlock);
    for (const Bytes& input : {test::PictureLike(kLzrwMaxBlock, 9), icons}) {
        const Bytes good = Compress(input);
        for (int round = 0; round < 1500; ++round) {
            Bytes block = good;
            for (int flips = 1 + round % 4; flips > 0; --flips)
                block[1 + random() % (block.size() - 1)] ^=
                    static_cast<std::uint8_t>(1 + random() % 255);
            const auto expected = ReferenceDecode(block);
            try {
                const int n =
                    LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data());
                ASSERT_TRUE(expected.has_value()) << "round " << round;
                ASSERT_EQ(Bytes(out.begin(), out.begin() + n), *expected) << "round " << round;
            } catch (const EReadError&) {
                ASSERT_FALSE(expected.has_value()) << "round " << round;
            }
        }
    }
}

// A block of groups decoded a whole group at a time (enough input follows
// them): after a group of 16 literals, or after long runs when the output is
// to be near its end, a group of literals with item among them, then six
// groups of literals.
Bytes FastPathBlock(int literals, const Bytes& item, bool nearTheEnd) {
    Bytes block = {0x40};
    if (nearTheEnd) {
        // Seven runs of the longest kind (4111 bytes each) and nine literals.
        block.insert(block.end(), {0xFE, 0x00});
        for (int i = 0; i < 7; ++i)
            block.insert(block.end(), {0x00, 0x0F, 0xFF, 1});
        block.insert(block.end(), 9, 2);
    } else {
        block.insert(block.end(), {0, 0});
        block.insert(block.end(), 16, 2);
    }
    const unsigned word = 0x8000u >> literals;
    block.insert(block.end(),
                 {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)});
    for (int i = 0; i < 16; ++i) {
        if (i == literals)
            block.insert(block.end(), item.begin(), item.end());
        else
            block.push_back(static_cast<std::uint8_t>('a' + i));
    }
    for (int group = 0; group < 6; ++group) {
        block.insert(block.end(), {0, 0});
        block.insert(block.end(), 16, static_cast<std::uint8_t>('q' + group));
    }
    return block;
}

TEST(Lzrw, FastPathRefusesItemsOneBytePastTheirBounds) {
    auto copyItem = [](int offset) {
        const int key = offset * 16 + 15; // the longest copy
        return B({key >> 8, key & 0xFF});
    };
    for (int literals = 0; literals < 16; ++literals) {
        SCOPED_TRACE(literals);
        // A copy from the very first byte written is whole.
        const Bytes whole = FastPathBlock(literals, copyItem(16 + literals), false);
        ASSERT_TRUE(ReferenceDecode(whole).has_value());
        EXPECT_EQ(Decompress(whole), *ReferenceDecode(whole));
        EXPECT_THROW(Decompress(FastPathBlock(literals, copyItem(17 + literals), false)),
                     EReadError);
        // A run one byte longer than the room left in the block (the
        // sanitizer build sees the byte written past it).
        const int count = kLzrwMaxBlock - (7 * 4111 + 9 + literals) + 1 - 16;
        EXPECT_THROW(Decompress(FastPathBlock(literals, B({0, count >> 8, count & 0xFF, 7}), true)),
                     EReadError);
    }
}

TEST(Lzrw, CopiesPastTheBlockLimitAreRejected) {
    // Sixteen literals, then groups of 16 copies of 18 bytes each, well past
    // the limit (the sanitizer build sees any byte written past it).
    Bytes block = {0x40, 0, 0};
    block.insert(block.end(), 16, 'a');
    for (int group = 0; group < 130; ++group) {
        block.insert(block.end(), {0xFF, 0xFF});
        for (int i = 0; i < 16; ++i)
            block.insert(block.end(), {0x01, 0x0F}); // offset 16, length 18
    }
    ASSERT_FALSE(ReferenceDecode(block).has_value());
    EXPECT_THROW(Decompress(block), EReadError);
}

// Builds a valid block item by item, with a mix the compressor rarely makes:
// copies at every offset class, runs just under and over the decoder's fixed
// steps, long runs, and output that ends close to the block limit.
Bytes RandomItemBlock(std::mt19937& random, int outputGoal) {
    Bytes block = {0x40};
    std::size_t controlAt = 0; // 0 until the first group opens
    int bits = 16;
    std::uint16_t control = 0;
    int y = 0;
    auto writeControl = [&](int used) {
        const auto word = static_cast<std::uint16_t>(control << (16 - used));
        block[controlAt] = static_cast<std::uint8_t>(word >> 8);
        block[controlAt + 1] = static_cast<std::uint8_t>(word);
    };
    while (kLzrwMaxBlock - y >= 40 && y < outputGoal) {
        if (bits == 16) {
            if (controlAt != 0)
                writeControl(16);
            controlAt = block.size();
            block.push_back(0);
            block.push_back(0);
            control = 0;
            bits = 0;
        }
        const unsigned kind = random() % 10;
        const int room = kLzrwMaxBlock - y;
        if (kind < 3 || y == 0) {
            block.push_back(static_cast<std::uint8_t>(random()));
            control = static_cast<std::uint16_t>(control << 1);
            ++y;
        } else if (kind < 5) {
            const int longest = std::min(4095 + 16, room);
            const int length = random() % 8 == 0 ? 16 + static_cast<int>(random() % (longest - 15))
                                                 : 16 + static_cast<int>(random() % 40);
            const int count = std::min(length, longest) - 16;
            block.insert(block.end(),
                         {0, static_cast<std::uint8_t>(count >> 8),
                          static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(random())});
            control = static_cast<std::uint16_t>(control << 1 | 1);
            y += count + 16;
        } else {
            const int limits[] = {3, 8, 16, 32, 4095};
            const int offset = 1 + static_cast<int>(random() % std::min(y, limits[random() % 5]));
            const int length = 3 + static_cast<int>(random() % 16);
            const int key = offset * 16 + length - 3;
            block.push_back(static_cast<std::uint8_t>(key >> 8));
            block.push_back(static_cast<std::uint8_t>(key));
            control = static_cast<std::uint16_t>(control << 1 | 1);
            y += length;
        }
        ++bits;
    }
    if (controlAt != 0)
        writeControl(bits);
    return block;
}

TEST(Lzrw, BuiltBlocksOfEveryItemKindDecodeLikeThePlainLoop) {
    std::mt19937 random(23);
    Bytes out(kLzrwMaxBlock);
    for (int round = 0; round < 200; ++round) {
        const int goal = round % 2 == 0 ? kLzrwMaxBlock : 1000 + static_cast<int>(random() % 20000);
        const Bytes block = RandomItemBlock(random, goal);
        const auto expected = ReferenceDecode(block);
        ASSERT_TRUE(expected.has_value()) << "round " << round;
        const int n = LzrwDecompress(block.data(), static_cast<int>(block.size()), out.data());
        ASSERT_EQ(Bytes(out.begin(), out.begin() + n), *expected) << "round " << round;
    }
}

} // namespace
} // namespace tavik
