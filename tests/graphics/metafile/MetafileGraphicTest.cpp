#include "MetafileTestSupport.h"
#include "graphics/Metafile.h"
#include "storage/Exceptions.h"
#include "support/EmfBuilder.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace tavik::metafile::testing {
namespace {

// The picture layer's metafile draws through the engine and converts for
// saving under the other extension.
TEST(MetafileGraphic, DrawsStretchesAndConverts) {
    EmfBuilder b(QRect(0, 0, 2540, 2540));
    b.Rec(EmfRecord::CreateBrushIndirect, {1, 0, Rgb(255, 0, 0), 0})
        .Rec(EmfRecord::SelectObject, {1})
        .Rec(EmfRecord::SelectObject, {Number(StockObject::NullPen)});
    b.Rec(EmfRecord::Rectangle, {0, 0, 48, 48});
    const auto bytes = b.Finish();
    TMetafile graphic;
    graphic.LoadFromStream(bytes);
    QImage img(192, 96, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter painter(&img);
    graphic.Draw(painter, QPoint(0, 0));
    graphic.StretchDraw(painter, QRect(96, 0, 96, 48));
    painter.end();
    EXPECT_TRUE(Near(img.pixel(40, 40), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(img.pixel(60, 40), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(img.pixel(140, 20), qRgb(255, 0, 0))); // 2:1 horizontally
    EXPECT_TRUE(Near(img.pixel(140, 30), qRgb(255, 255, 255)));

    const auto wmf = graphic.PlaceableWmfImage();
    const auto doc = MetafileDocument::Parse(wmf);
    EXPECT_FALSE(doc.IsEnhanced());
    EXPECT_LT(DifferingPixels(Render(bytes), Render(wmf), 48), 96 * 96 / 100);

    // A stream whose records do not frame is refused on loading.
    auto broken = bytes;
    broken[108 + 4] = 3;
    EXPECT_THROW(graphic.LoadFromStream(broken), EInvalidGraphic);
}

} // namespace
} // namespace tavik::metafile::testing
