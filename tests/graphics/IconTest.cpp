#include "graphics/Icon.h"
#include "Builders.h"
#include "storage/Exceptions.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;
using test::IconEntry;
using test::Set32;

constexpr QRgb kGrey = 0xFF808080;

QImage DrawOnGrey(const TGraphic& graphic) {
    QImage target(graphic.Width(), graphic.Height(), QImage::Format_RGB32);
    target.fill(kGrey);
    QPainter painter(&target);
    graphic.Draw(painter, QPoint(0, 0));
    return target;
}

class IconEntryKinds : public ::testing::TestWithParam<int> {};

TEST_P(IconEntryKinds, DrawWithTheirTransparency) {
    const Bytes file = test::MakeIco({IconEntry{16, GetParam(), 0xFF2060A0}});
    TIcon icon;
    icon.LoadFromStream(file);
    EXPECT_EQ(icon.Stream(), file);
    ASSERT_EQ(icon.Width(), 16);
    ASSERT_EQ(icon.Height(), 16);
    const QImage drawn = DrawOnGrey(icon);
    EXPECT_EQ(drawn.pixel(0, 0), kGrey);
    EXPECT_EQ(drawn.pixel(1, 0), 0xFF2060A0u);
    EXPECT_EQ(drawn.pixel(15, 15), 0xFF2060A0u);
}

// 0 stands for a PNG-compressed entry.
INSTANTIATE_TEST_SUITE_P(Icon, IconEntryKinds, ::testing::Values(1, 4, 8, 24, 32, 0),
                         [](const auto& info) {
                             return info.param == 0 ? std::string("Png")
                                                    : "Bits" + std::to_string(info.param);
                         });

struct ChoiceRow {
    const char* name;
    std::vector<IconEntry> entries;
    int chosen; // index of the entry that must be shown
};

class IconChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(IconChoice, ShowsTheEntryClosestTo32) {
    const auto& row = GetParam();
    TIcon icon;
    icon.LoadFromStream(test::MakeIco(row.entries));
    const IconEntry& expected = row.entries[static_cast<std::size_t>(row.chosen)];
    EXPECT_EQ(icon.Width(), expected.size);
    EXPECT_EQ(DrawOnGrey(icon).pixel(5, 5), expected.color);
}

INSTANTIATE_TEST_SUITE_P(
    Icon, IconChoice,
    ::testing::Values(
        ChoiceRow{
            "Exact32AmongOthers",
            {{16, 32, 0xFFFF0000}, {48, 32, 0xFF00FF00}, {32, 8, 0xFF0000FF}, {64, 32, 0xFFFFFF00}},
            2},
        ChoiceRow{"MoreColoursWinATie",
                  {{32, 4, 0xFFFF0000}, {32, 24, 0xFF00FF00}, {32, 8, 0xFF0000FF}},
                  1},
        ChoiceRow{"NearerOfTwoSizes", {{16, 32, 0xFFFF0000}, {40, 8, 0xFF00FF00}}, 1},
        ChoiceRow{"EqualDistanceMoreColours", {{24, 8, 0xFFFF0000}, {40, 32, 0xFF00FF00}}, 1},
        ChoiceRow{"FirstOfFullTie", {{48, 8, 0xFFFF0000}, {16, 8, 0xFF00FF00}}, 0},
        ChoiceRow{"PngEntryCounts", {{16, 8, 0xFFFF0000}, {32, 0, 0xFF00FF00}}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Icon, DefaultIconHeaderDrawsTheProgramIconAt32) {
    const Bytes file = {0, 0, 0, 0, 0, 0};
    TIcon icon;
    icon.LoadFromStream(file);
    EXPECT_TRUE(icon.IsDefaultIcon());
    EXPECT_EQ(icon.Stream(), file);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    QImage own(32, 32, QImage::Format_ARGB32);
    own.fill(0xFF123456);
    TIcon::SetDefaultIconImage(own);
    EXPECT_EQ(DrawOnGrey(icon).pixel(31, 31), 0xFF123456u);
    TIcon::SetDefaultIconImage(QImage());
    EXPECT_NE(DrawOnGrey(icon).pixel(16, 16), 0xFF123456u);
}

TEST(Icon, EmptyStreamGivesEmptyIcon) {
    TIcon icon;
    icon.LoadFromStream(test::MakeIco({IconEntry{}}));
    icon.LoadFromStream({});
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(icon.Width(), 0);
}

// Offsets in a one-entry icon: directory entry at 6 (length at 14, offset at
// 18), the DIB at 22 (height at 30, bit count at 36, colours used at 54).
Bytes One8Bit() {
    return test::MakeIco({IconEntry{16, 8, 0xFF2060A0}});
}

struct BadIconRow {
    const char* name;
    std::function<Bytes()> make;
};

class BadIcons : public ::testing::TestWithParam<BadIconRow> {};

TEST_P(BadIcons, AreRefusedAndLeaveTheIconAlone) {
    const Bytes good = One8Bit();
    TIcon icon;
    icon.LoadFromStream(good);
    try {
        icon.LoadFromStream(GetParam().make());
        FAIL() << "accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Icon image is not valid");
    }
    EXPECT_EQ(icon.Stream(), good);
    EXPECT_EQ(icon.Width(), 16);
}

Bytes With(Bytes b, const std::function<void(Bytes&)>& change) {
    change(b);
    return b;
}

INSTANTIATE_TEST_SUITE_P(
    Icon, BadIcons,
    ::testing::Values(
        BadIconRow{"ShortHeader",
                   [] {
                       return Bytes{0, 0, 1, 0};
                   }},
        BadIconRow{"CursorType", [] { return With(One8Bit(), [](Bytes& b) { b[2] = 2; }); }},
        BadIconRow{"ReservedSet", [] { return With(One8Bit(), [](Bytes& b) { b[0] = 1; }); }},
        BadIconRow{"NoEntries", [] { return With(One8Bit(), [](Bytes& b) { b[4] = 0; }); }},
        BadIconRow{"DirectoryPastEnd",
                   [] { return With(One8Bit(), [](Bytes& b) { b[4] = 200; }); }},
        BadIconRow{"EntryPastEnd",
                   [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 14, 100000); }); }},
        BadIconRow{"OffsetPastEnd",
                   [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 18, 0xFFFFFFF0u); }); }},
        BadIconRow{"EntryOverDirectory",
                   [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 18, 6); }); }},
        BadIconRow{"ZeroLengthEntry",
                   [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 14, 0); }); }},
        BadIconRow{"ZeroHeight", [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 30, 0); }); }},
        BadIconRow{"OddHeight", [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 30, 31); }); }},
        BadIconRow{"HugeWidth",
                   [] { return With(One8Bit(), [](Bytes& b) { Set32(b, 26, 1000000); }); }},
        BadIconRow{"SixteenBits", [] { return With(One8Bit(), [](Bytes& b) { b[36] = 16; }); }},
        BadIconRow{"IndexOutOfPalette",
                   [] {
                       return With(One8Bit(), [](Bytes& b) {
                           Set32(b, 54, 2);
                           b[22 + 40 + 8] = 7;
                       });
                   }},
        BadIconRow{"MaskMissing",
                   [] {
                       return With(One8Bit(), [](Bytes& b) {
                           b.resize(b.size() - 8);
                           Set32(b, 14, static_cast<std::uint32_t>(b.size() - 22));
                       });
                   }},
        BadIconRow{"PngZeroWidth",
                   [] {
                       return With(test::MakeIco({IconEntry{16, 0}}),
                                   [](Bytes& b) { Set32(b, 22 + 16, 0); });
                   }},
        BadIconRow{
            "PngHuge",
            [] {
                return With(test::MakeIco({IconEntry{16, 0}}), [](Bytes& b) { b[22 + 16] = 0x7F; });
            }},
        BadIconRow{"PngGarbage",
                   [] {
                       return With(test::MakeIco({IconEntry{16, 0}}), [](Bytes& b) {
                           for (std::size_t i = 22 + 33; i < b.size(); ++i)
                               b[i] = 0x5A;
                       });
                   }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadIconTruncation, EveryCutIsRefused) {
    const Bytes file = test::MakeIco({IconEntry{16, 8}, IconEntry{32, 4}});
    for (std::size_t n = 1; n < file.size(); ++n) {
        TIcon icon;
        EXPECT_THROW(icon.LoadFromStream(std::span(file).first(n)), EInvalidGraphic) << n;
    }
}

} // namespace
} // namespace tavik
