#include "storage/NameSearch.h"
#include "storage/CodePage.h"
#include "storage/Lists.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

TEST(NameSearchTest, FoldsCaseAccentsAndLigatures) {
    EXPECT_EQ(FoldForSearch("Éclair À LA Crème"), "eclair a la creme");
    EXPECT_EQ(FoldForSearch("Œuvre Straße Ærø Þing"), "oeuvre strasse aero thing");
    EXPECT_EQ(FoldForSearch("Łódź Šťastný ĲSSEL"), "lodz stastny ijssel");
    EXPECT_EQ(FoldForSearch("ЁЛКА Ёжик Ґанок"), "елка ежик ґанок");
    // Signs, other scripts and broken sequences stay as they are.
    EXPECT_EQ(FoldForSearch("1×2÷3 日本"), "1×2÷3 日本");
    EXPECT_EQ(FoldForSearch("A\xFF"
                            "B\xC3"),
              "a\xFF"
              "b\xC3");
}

class NameIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        TTopic& icons = topics.AddTopic("Icons");
        icons.AddBmp("Star.ico", 4);
        icons.AddBmp("moon.ico", 8);
        icons.AddBmp("starstar.bmp", 12);
        topics.AddTopic("Empty");
        TTopic& russian = topics.AddTopic("Russian");
        russian.AddBmp(FromUtf8("Звёзды.bmp", kCodePageCyrillic), 16);
        russian.AddBmp(FromUtf8("Ёлка.wmf", kCodePageCyrillic), 20);
    }
    TTopicList topics;
};

TEST_F(NameIndexTest, FindsEachPictureOnceInCatalogueOrder) {
    const TNameIndex index(topics, kCodePageCyrillic);
    EXPECT_EQ(index.Count(), 5);
    EXPECT_EQ(index.Find("STAR"), (std::vector<TNameMatch>{{0, 0}, {0, 2}}));
    EXPECT_EQ(index.Find(".bmp"), (std::vector<TNameMatch>{{0, 2}, {2, 0}}));
    EXPECT_EQ(index.Find("звезды"), (std::vector<TNameMatch>{{2, 0}}));
    EXPECT_EQ(index.Find("ЕЛ"), (std::vector<TNameMatch>{{2, 1}}));
    EXPECT_EQ(index.Find("").size(), 5u);
    // A match never runs from one name into the next.
    EXPECT_TRUE(index.Find("icostar").empty());
    EXPECT_TRUE(index.Find(std::string("ico\0moon", 8)).empty());
    EXPECT_TRUE(index.Find("comet").empty());
}

TEST_F(NameIndexTest, ReadsNamesInTheCataloguesCodePage) {
    // The same bytes read as Windows-1252 are Latin letters with accents.
    const TNameIndex western(topics, kCodePageWestern);
    EXPECT_EQ(western.Find("CA¸CAU.BMP"), (std::vector<TNameMatch>{{2, 0}}));
    EXPECT_TRUE(western.Find("звезды").empty());

    TTopicList utf8;
    utf8.AddTopic("U").AddBmp("Crème brûlée.emf", 4);
    EXPECT_EQ(TNameIndex(utf8, kCodePageUtf8).Find("CREME BRULEE").size(), 1u);
}

} // namespace
} // namespace tavik
