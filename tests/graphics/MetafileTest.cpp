#include "graphics/Metafile.h"
#include "Builders.h"
#include "graphics/metafile/Records.h"
#include "storage/Exceptions.h"

#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;
using test::Set32;

std::uint16_t Word(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

struct KindRow {
    const char* name;
    std::function<Bytes()> make;
    int expected; // 1 enhanced, 0 Windows metafile, -1 refused
};

class MetafileKinds : public ::testing::TestWithParam<KindRow> {};

TEST_P(MetafileKinds, FollowTheEnhancedRule) {
    TMetafile metafile;
    const Bytes stream = GetParam().make();
    if (GetParam().expected < 0) {
        try {
            metafile.LoadFromStream(stream);
            FAIL() << "accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_STREQ(e.what(), "Metafile is not valid");
        }
        EXPECT_TRUE(metafile.Empty());
        return;
    }
    metafile.LoadFromStream(stream);
    EXPECT_EQ(metafile.Enhanced(), GetParam().expected == 1);
}

Bytes With(Bytes b, const std::function<void(Bytes&)>& change) {
    change(b);
    return b;
}

Bytes Placeable() {
    TMetafile m;
    m.LoadFromStream(test::MakeWmf(true, 0, 0, 2540, 1270));
    return m.Stream();
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, MetafileKinds,
    ::testing::Values(
        KindRow{"Emf", [] { return test::MakeEmf(0, 0, 2540, 2540); }, 1},
        KindRow{"Emf88BytesIsNoEmf",
                [] { return With(test::MakeEmf(0, 0, 1, 1), [](Bytes& b) { b.resize(88); }); }, -1},
        KindRow{"FirstRecordNotAHeader",
                [] {
                    return With(test::MakeEmf(0, 0, 1, 1), [](Bytes& b) {
                        Set32(b, 0, metafile::Number(metafile::EmfRecord::PolyBezier));
                    });
                },
                -1},
        KindRow{"WrongSignature",
                [] { return With(test::MakeEmf(0, 0, 1, 1), [](Bytes& b) { b[40] = 0; }); }, -1},
        KindRow{"EmfHeaderPastEnd",
                [] { return With(test::MakeEmf(0, 0, 1, 1), [](Bytes& b) { Set32(b, 4, 5000); }); },
                -1},
        KindRow{"PlaceableWmf", [] { return Placeable(); }, 0},
        KindRow{"BareWmf", [] { return test::MakeWmf(true, 0, 0, 10, 10); }, 0},
        KindRow{"PlaceableKeyOnly",
                [] { return With(Placeable(), [](Bytes& b) { b.resize(30); }); }, -1},
        KindRow{"PlaceableBadHeader", [] { return With(Placeable(), [](Bytes& b) { b[24] = 7; }); },
                -1},
        KindRow{"BareWmfBadType",
                [] { return With(test::MakeWmf(true, 0, 0, 1, 1), [](Bytes& b) { b[0] = 3; }); },
                -1},
        KindRow{"Text",
                [] {
                    return Bytes{'h', 'e', 'l', 'l', 'o'};
                },
                -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Metafile, EnhancedNeedsAtLeast89Bytes) {
    const Bytes emf = test::MakeEmf(0, 0, 1, 1);
    EXPECT_TRUE(IsEnhancedMetafile(std::span(emf).first(89)));
    EXPECT_FALSE(IsEnhancedMetafile(std::span(emf).first(88)));
}

TEST(Metafile, BareWmfGetsAPlaceableHeader) {
    const Bytes wmf = test::MakeWmf(true, -100, 50, 2540, 1270);
    TMetafile metafile;
    metafile.LoadFromStream(wmf);
    const Bytes& s = metafile.Stream();
    ASSERT_EQ(s.size(), 22 + wmf.size());
    EXPECT_EQ(Word(s, 0) | (Word(s, 2) << 16), 0x9AC6CDD7u);
    EXPECT_EQ(static_cast<std::int16_t>(Word(s, 6)), -100);
    EXPECT_EQ(Word(s, 8), 50);
    EXPECT_EQ(Word(s, 10), 2440);
    EXPECT_EQ(Word(s, 12), 1320);
    EXPECT_EQ(Word(s, 14), 2540);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 20; i += 2) {
        checksum ^= Word(s, i);
    }
    EXPECT_EQ(Word(s, 20), checksum);
    EXPECT_TRUE(std::equal(wmf.begin(), wmf.end(), s.begin() + 22));
    EXPECT_EQ(metafile.Width(), 96);
    EXPECT_EQ(metafile.Height(), 48);
    // Loading its own stream again keeps it byte for byte.
    TMetafile again;
    again.LoadFromStream(s);
    EXPECT_EQ(again.Stream(), s);
}

TEST(Metafile, BareWmfWithoutWindowHasNoSize) {
    TMetafile metafile;
    metafile.LoadFromStream(test::MakeWmf(false, 0, 0, 0, 0));
    EXPECT_EQ(metafile.Width(), 0);
    EXPECT_EQ(metafile.Height(), 0);
    EXPECT_FALSE(metafile.Empty());
}

struct SizeRow {
    const char* name;
    std::function<Bytes()> make;
    int width;
    int height;
};

class MetafileSizes : public ::testing::TestWithParam<SizeRow> {};

TEST_P(MetafileSizes, ArePixelsAt96PerInch) {
    TMetafile metafile;
    metafile.LoadFromStream(GetParam().make());
    EXPECT_EQ(metafile.Width(), GetParam().width);
    EXPECT_EQ(metafile.Height(), GetParam().height);
}

Bytes PlaceableBox(int left, int top, int right, int bottom, int inch) {
    return With(Placeable(), [=](Bytes& b) {
        const int values[] = {left, top, right, bottom, inch};
        for (int i = 0; i < 5; ++i) {
            b[6 + 2 * i] = static_cast<std::uint8_t>(values[i]);
            b[7 + 2 * i] = static_cast<std::uint8_t>(values[i] >> 8);
        }
    });
}

INSTANTIATE_TEST_SUITE_P(
    Metafile, MetafileSizes,
    ::testing::Values(
        SizeRow{"EmfOneInch", [] { return test::MakeEmf(0, 0, 2540, 1270); }, 96, 48},
        SizeRow{"EmfOffsetFrame", [] { return test::MakeEmf(1000, 1000, 1000 + 508, 1000 + 254); },
                19, 10},
        SizeRow{"EmfEmptyFrameUsesBounds", [] { return test::MakeEmf(0, 0, 0, 0); }, 100, 100},
        SizeRow{"WmfTwips", [] { return PlaceableBox(0, 0, 1440, 720, 1440); }, 96, 48},
        SizeRow{"WmfReversedBox", [] { return PlaceableBox(1440, 720, 0, 0, 1440); }, 96, 48},
        SizeRow{"WmfZeroInch", [] { return PlaceableBox(0, 0, 1440, 720, 0); }, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Metafile, OwnFormatIsWrittenUnchanged) {
    TMetafile emf;
    emf.LoadFromStream(test::MakeEmf(0, 0, 100, 100));
    EXPECT_EQ(emf.EmfImage(), emf.Stream());
    TMetafile wmf;
    wmf.LoadFromStream(Placeable());
    EXPECT_EQ(wmf.PlaceableWmfImage(), wmf.Stream());
    EXPECT_TRUE(TMetafile().EmfImage().empty());
}

} // namespace
} // namespace tavik
