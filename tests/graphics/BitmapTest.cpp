#include "graphics/Bitmap.h"
#include "Builders.h"
#include "graphics/QtDecode.h"
#include "storage/Exceptions.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::BmpLayout;
using test::Bytes;

struct VariantRow {
    const char* name;
    BmpLayout layout;
    int tolerance; // per channel: 16-bit pixels lose low bits
};

class BitmapVariants : public ::testing::TestWithParam<VariantRow> {};

bool Near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance && std::abs(qAlpha(a) - qAlpha(b)) <= 1;
}

TEST_P(BitmapVariants, DecodesEveryPixelAndKeepsTheStream) {
    const auto& row = GetParam();
    const Bytes file = test::MakeBmp(row.layout);
    TBitmap bitmap;
    bitmap.LoadFromStream(file);
    ASSERT_EQ(bitmap.Width(), test::kPatternWidth);
    ASSERT_EQ(bitmap.Height(), test::kPatternHeight);
    EXPECT_EQ(bitmap.Stream(), file);
    const QImage image = bitmap.Image().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < test::kPatternHeight; ++y) {
        for (int x = 0; x < test::kPatternWidth; ++x) {
            const QRgb expected =
                test::PatternColor(test::PatternIndex(x, y, row.layout.bitCount), row.layout.alpha);
            EXPECT_TRUE(Near(image.pixel(x, y), expected, row.tolerance))
                << "pixel " << x << "," << y << " is " << std::hex << image.pixel(x, y)
                << " expected " << expected;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bitmap, BitmapVariants,
    ::testing::Values(
        VariantRow{"Mono", {40, 1}, 0}, VariantRow{"Palette4", {40, 4}, 0},
        VariantRow{"Palette8", {40, 8}, 0},
        VariantRow{"Palette8Short", {40, 8, 0, false, false, false, 4}, 0},
        VariantRow{"Rle8", {40, 8, 1}, 0}, VariantRow{"Rle4", {40, 4, 2}, 0},
        VariantRow{"Rgb555", {40, 16}, 8}, VariantRow{"Rgb565", {40, 16, 3, false, true}, 8},
        VariantRow{"Rgb565V3", {56, 16, 3, false, true}, 8}, VariantRow{"Rgb24", {40, 24}, 0},
        VariantRow{"Rgb24TopDown", {40, 24, 0, true}, 0}, VariantRow{"Rgb32NoAlpha", {40, 32}, 0},
        VariantRow{"Rgb32BitFields", {40, 32, 3}, 0},
        VariantRow{"Argb32V4", {108, 32, 3, false, false, true}, 0},
        VariantRow{"Argb32V5", {124, 32, 3, false, false, true}, 0},
        VariantRow{"Palette8TopDown", {40, 8, 0, true}, 0}, VariantRow{"Os2Palette8", {12, 8}, 0},
        VariantRow{"Os2Rgb24", {12, 24}, 0}, VariantRow{"Os2V2Rgb24", {64, 24}, 0},
        VariantRow{"V2Rgb24", {52, 24}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Bitmap, PlainPixelsDecodeAsQtsReaderDecodesThem) {
    for (const BmpLayout& layout : {BmpLayout{40, 24}, BmpLayout{40, 24, 0, true},
                                    BmpLayout{40, 32}, BmpLayout{40, 32, 0, true}}) {
        Bytes file = test::MakeBmp(layout);
        file[14 + 24] = 0x13; // 3859 and 4882 dots per metre
        file[14 + 25] = 0x0F;
        file[14 + 28] = 0x12;
        file[14 + 29] = 0x13;
        TBitmap bitmap;
        bitmap.LoadFromStream(file);
        const QImage expected = DecodeWithQt(file, "bmp").convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(bitmap.Image().format(), QImage::Format_RGB32);
        EXPECT_EQ(bitmap.Image(), expected) << layout.bitCount << " " << layout.topDown;
        EXPECT_EQ(bitmap.Image().dotsPerMeterX(), expected.dotsPerMeterX());
        EXPECT_EQ(bitmap.Image().dotsPerMeterY(), expected.dotsPerMeterY());
    }
}

TEST(Bitmap, EmptyStreamGivesEmptyBitmap) {
    TBitmap bitmap;
    bitmap.LoadFromStream(test::MakeBmp({}));
    bitmap.LoadFromStream({});
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Width(), 0);
    EXPECT_TRUE(bitmap.Stream().empty());
}

QImage Opaque(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            image.setPixel(x, y, qRgb(x * 40, y * 60, 200));
        }
    }
    return image;
}

TEST(BitmapFromImage, OpaqueBecomes24Bit) {
    const auto bitmap = TBitmap::FromImage(Opaque(5, 3));
    const auto& s = bitmap->Stream();
    ASSERT_GE(s.size(), 54u);
    EXPECT_EQ(s[28], 24);
    EXPECT_EQ(s.size(), 54u + 16 * 3); // rows of 15 bytes padded to 16
    EXPECT_EQ(bitmap->Image().convertToFormat(QImage::Format_RGB32), Opaque(5, 3));
}

TEST(BitmapFromImage, AlphaIsKeptIn32Bit) {
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    image.setPixel(1, 1, qRgba(200, 100, 50, 128));
    image.setPixel(2, 0, qRgba(0, 0, 0, 0));
    const auto bitmap = TBitmap::FromImage(image);
    EXPECT_EQ(bitmap->Stream()[28], 32);
    const QImage back = bitmap->Image().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(back.pixel(1, 1), qRgba(200, 100, 50, 128));
    EXPECT_EQ(qAlpha(back.pixel(2, 0)), 0);
    EXPECT_EQ(back.pixel(0, 0), qRgba(10, 20, 30, 255));
}

// The pixels kept from the image are those its stream decodes to, so that a
// picture looks the same before and after it went through the catalogue.
TEST(BitmapFromImage, KeptPixelsAreWhatTheStreamDecodesTo) {
    QImage alpha(7, 3, QImage::Format_ARGB32_Premultiplied);
    alpha.fill(qRgba(40, 80, 120, 200));
    alpha.setPixel(6, 2, qRgba(0, 0, 0, 0));
    for (const QImage& image :
         {Opaque(7, 3), alpha, alpha.convertToFormat(QImage::Format_RGB888)}) {
        const auto bitmap = TBitmap::FromImage(image);
        TBitmap decoded;
        decoded.LoadFromStream(bitmap->Stream());
        EXPECT_EQ(bitmap->Image().format(), decoded.Image().format());
        EXPECT_EQ(bitmap->Image(), decoded.Image());
    }
}

TEST(BitmapFromImage, IndexedKeepsItsPalette) {
    QImage image(3, 2, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255), qRgb(1, 2, 3)});
    image.fill(1);
    image.setPixel(2, 1, 2);
    const auto bitmap = TBitmap::FromImage(image);
    const auto& s = bitmap->Stream();
    EXPECT_EQ(s[28], 8);
    EXPECT_EQ(s[46], 3); // three colours used
    EXPECT_EQ(bitmap->Image().pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(bitmap->Image().pixel(2, 1), qRgb(1, 2, 3));
}

TEST(BitmapFromImage, NullImageGivesEmptyBitmap) {
    EXPECT_TRUE(TBitmap::FromImage(QImage())->Empty());
}

QImage DrawOnGrey(const TGraphic& graphic) {
    QImage target(graphic.Width() + 2, graphic.Height() + 2, QImage::Format_RGB32);
    target.fill(qRgb(128, 128, 128));
    QPainter painter(&target);
    graphic.Draw(painter, QPoint(1, 1));
    return target;
}

TEST(BitmapDraw, TransparentLeavesOutTheBottomLeftColour) {
    TBitmap bitmap;
    bitmap.LoadFromStream(test::MakeBmp({40, 24}));
    // Bottom-left of the pattern is index 3, white, which also appears at (3, 0).
    EXPECT_EQ(DrawOnGrey(bitmap).pixel(4, 1), qRgb(255, 255, 255));
    bitmap.SetTransparent(true);
    const QImage drawn = DrawOnGrey(bitmap);
    EXPECT_EQ(drawn.pixel(4, 1), qRgb(128, 128, 128));
    EXPECT_EQ(drawn.pixel(1, 3), qRgb(128, 128, 128));
    EXPECT_EQ(drawn.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(BitmapDraw, StretchDrawFillsTheTarget) {
    TBitmap bitmap;
    bitmap.LoadFromStream(test::MakeSolidBmp8(2, 2));
    QImage target(20, 10, QImage::Format_RGB32);
    target.fill(Qt::black);
    QPainter painter(&target);
    bitmap.StretchDraw(painter, QRect(5, 0, 10, 10));
    painter.end();
    EXPECT_EQ(target.pixel(5, 0), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(target.pixel(14, 9), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(target.pixel(4, 5), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(15, 5), qRgb(0, 0, 0));
}

} // namespace
} // namespace tavik
