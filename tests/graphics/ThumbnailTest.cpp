#include "graphics/Thumbnail.h"
#include "Builders.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Picture.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

struct FitRow {
    const char* name;
    int w, h, boxW, boxH;
    bool shrink, stretch, center;
    int expectW, expectH, expectLeft, expectTop;
};

class FitRectCases : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitRectCases, GiveTheWorkedResult) {
    const auto& r = GetParam();
    int w = r.w, h = r.h, left = -1, top = -1;
    FitRect(w, h, r.boxW, r.boxH, r.shrink, r.stretch, r.center, left, top);
    EXPECT_EQ(w, r.expectW);
    EXPECT_EQ(h, r.expectH);
    EXPECT_EQ(left, r.expectLeft);
    EXPECT_EQ(top, r.expectTop);
}

INSTANTIATE_TEST_SUITE_P(
    Thumbnail, FitRectCases,
    ::testing::Values(
        FitRow{"ExactFit", 32, 32, 32, 32, true, false, true, 32, 32, 0, 0},
        FitRow{"Wide100x50In32", 100, 50, 32, 32, true, false, true, 32, 16, 0, 8},
        FitRow{"Wide100x50In16", 100, 50, 16, 16, true, false, true, 16, 8, 0, 4},
        FitRow{"SmallIsCentredNotEnlarged", 10, 10, 32, 32, true, false, true, 10, 10, 11, 11},
        FitRow{"SmallIn16", 10, 10, 16, 16, true, false, true, 10, 10, 3, 3},
        FitRow{"ThinTruncatesToZeroWidth", 1, 1000, 32, 32, true, false, true, 0, 32, 16, 0},
        FitRow{"BothStepsApply", 64, 200, 32, 32, true, false, true, 10, 32, 11, 0},
        FitRow{"HeightStepUsesNewWidth", 300, 100, 32, 8, true, false, true, 25, 8, 3, 0},
        FitRow{"OddMarginTruncates", 7, 7, 32, 32, true, false, true, 7, 7, 12, 12},
        FitRow{"NoCentre", 100, 50, 32, 32, true, false, false, 32, 16, 0, 0},
        FitRow{"StretchIgnoredWhenShrinking", 10, 10, 32, 20, true, true, false, 10, 10, 0, 0},
        FitRow{"StretchFillsTheBox", 10, 10, 32, 20, false, true, true, 32, 20, 0, 0},
        FitRow{"NegativeMarginBecomesZero", 100, 50, 32, 32, false, false, true, 100, 50, 0, 0},
        FitRow{"NegativeQuotientTruncatesTowardZero", 64, -3, 32, 32, true, false, true, 32, -1, 0,
               16},
        // 60000 x 50000 does not fit in 32 bits; the result must still be exact.
        FitRow{"LargeProductDoesNotWrap", 60000, 60000, 60000, 50000, true, false, false, 50000,
               50000, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

constexpr QRgb kBackground = 0xFFC0C0C0;

TEST(MakeThumbnail, ExactSizeIsUsedUnchanged) {
    QImage source(32, 32, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    const QImage thumb = MakeThumbnail(source, 32, kBackground);
    EXPECT_EQ(thumb, source);
    EXPECT_EQ(qAlpha(thumb.pixel(3, 3)), 0); // no background was put under it
    EXPECT_EQ(MakeThumbnail(source, 16, kBackground).pixel(3, 3), kBackground);
}

TEST(MakeThumbnail, WidePictureIsShrunkAndCentred) {
    QImage source(100, 50, QImage::Format_RGB32);
    source.fill(Qt::red);
    const QImage large = MakeThumbnail(source, 32, kBackground);
    ASSERT_EQ(large.size(), QSize(32, 32));
    EXPECT_EQ(large.pixel(0, 7), kBackground);
    EXPECT_EQ(large.pixel(0, 8), 0xFFFF0000u);
    EXPECT_EQ(large.pixel(31, 23), 0xFFFF0000u);
    EXPECT_EQ(large.pixel(31, 24), kBackground);
    const QImage small = MakeThumbnail(source, 16, kBackground);
    EXPECT_EQ(small.pixel(0, 3), kBackground);
    EXPECT_EQ(small.pixel(0, 4), 0xFFFF0000u);
    EXPECT_EQ(small.pixel(15, 11), 0xFFFF0000u);
    EXPECT_EQ(small.pixel(15, 12), kBackground);
}

TEST(MakeThumbnail, ThinPictureShowsOnlyTheBackground) {
    QImage source(1, 1000, QImage::Format_RGB32);
    source.fill(Qt::red);
    const QImage thumb = MakeThumbnail(source, 32, kBackground);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            ASSERT_EQ(thumb.pixel(x, y), kBackground) << x << "," << y;
        }
    }
}

TEST(RenderForThumbnail, SmallIconSitsOnTheBackgroundAtNaturalSize) {
    TPicture picture;
    picture.Icon().LoadFromStream(test::MakeIco({test::IconEntry{10, 32, 0xFF0000FF}}));
    const QImage rendered = RenderForThumbnail(picture, kBackground);
    ASSERT_EQ(rendered.size(), QSize(10, 10));
    EXPECT_EQ(rendered.pixel(0, 0), kBackground); // the icon's transparent pixel
    const QImage large = MakeThumbnail(rendered, 32, kBackground);
    EXPECT_EQ(large.pixel(10, 11), kBackground);
    EXPECT_EQ(large.pixel(11, 11), kBackground); // the hole in the mask
    EXPECT_EQ(large.pixel(12, 11), 0xFF0000FFu);
    EXPECT_EQ(large.pixel(20, 20), 0xFF0000FFu);
    EXPECT_EQ(large.pixel(21, 21), kBackground);
    const QImage small = MakeThumbnail(rendered, 16, kBackground);
    EXPECT_EQ(small.pixel(4, 3), 0xFF0000FFu);
    EXPECT_EQ(small.pixel(12, 12), 0xFF0000FFu);
    EXPECT_EQ(small.pixel(13, 13), kBackground);
}

TEST(RenderForThumbnail, BitmapsAsTheyAreAndEmptyAsNull) {
    TPicture picture;
    EXPECT_TRUE(RenderForThumbnail(picture, kBackground).isNull());
    picture.Bitmap();
    EXPECT_TRUE(RenderForThumbnail(picture, kBackground).isNull());
    EXPECT_EQ(MakeThumbnail(QImage(), 16, kBackground).pixel(8, 8), kBackground);
    picture.Bitmap().LoadFromStream(test::MakeBmp({}));
    EXPECT_EQ(RenderForThumbnail(picture, kBackground).size(), QSize(5, 3));
}

// The fast path must give exactly what rendering first and shrinking gives.
TEST(MakePictureThumbnail, EqualsRenderingThenShrinking) {
    for (int side : {10, 16, 20, 32, 48, 100}) {
        TPicture picture;
        picture.Icon().LoadFromStream(test::MakeIco({test::IconEntry{side, 32, 0xFF0080FF}}));
        const QImage rendered = RenderForThumbnail(picture, kBackground);
        for (int size : {32, 16}) {
            EXPECT_EQ(
                MakePictureThumbnail(picture, size, kBackground)
                    .convertToFormat(QImage::Format_ARGB32),
                MakeThumbnail(rendered, size, kBackground).convertToFormat(QImage::Format_ARGB32))
                << side << " into " << size;
        }
    }
    TPicture bitmap;
    bitmap.Bitmap().LoadFromStream(test::MakeBmp({}));
    EXPECT_EQ(MakePictureThumbnail(bitmap, 16, kBackground),
              MakeThumbnail(bitmap.Bitmap().Image(), 16, kBackground));
}

// On a screen of ratio 2 the thumbnail has twice the pixels and the icon is
// drawn from its entry of that size, not enlarged from the 32-pixel one.
TEST(MakeScaledPictureThumbnail, UsesTheScreensPixelsAndTheLargerIconEntry) {
    TPicture icon;
    icon.Icon().LoadFromStream(
        test::MakeIco({test::IconEntry{32, 32, 0xFFFF0000, test::IconHole::None},
                       test::IconEntry{64, 32, 0xFF0000FF, test::IconHole::None}}));
    const QImage scaled = MakeScaledPictureThumbnail(icon, 32, kBackground, 2.0);
    EXPECT_EQ(scaled.size(), QSize(64, 64));
    EXPECT_EQ(scaled.devicePixelRatio(), 2.0);
    EXPECT_EQ(scaled.pixel(32, 32), 0xFF0000FFu);
    EXPECT_EQ(MakeScaledPictureThumbnail(icon, 32, kBackground, 1.0).pixel(16, 16), 0xFFFF0000u);
    EXPECT_EQ(MakeScaledPictureThumbnail(icon, 16, kBackground, 1.5).size(), QSize(24, 24));

    // A small bitmap keeps its place at ratio 2: 5 x 3 points in the middle.
    TPicture bitmap;
    bitmap.Bitmap().LoadFromStream(test::MakeBmp({}));
    const QImage small = MakeScaledPictureThumbnail(bitmap, 16, kBackground, 2.0);
    ASSERT_EQ(small.size(), QSize(32, 32));
    EXPECT_EQ(small.pixel(10, 12), kBackground);
    EXPECT_NE(small.pixel(11, 13), kBackground);
    EXPECT_NE(small.pixel(20, 18), kBackground);
    EXPECT_EQ(small.pixel(21, 19), kBackground);
}

} // namespace
} // namespace tavik
