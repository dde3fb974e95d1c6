// The image control paints from a cache of the picture over what lies
// beneath it.
#include "TransferPictures.h"

#include "controls/nfPanel.h"
#include "mainwin/PictureImage.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>

namespace tavik::testing {
namespace {

// A Windows metafile whose one rectangle, 12 x 8, inverts what lies beneath.
TPicture InvertingMetafile() {
    using metafile::WmfFunction;
    TPicture picture;
    picture.Metafile().LoadFromStream(
        metafile::testing::WmfBuilder(QRect(0, 0, 12, 8), 96, 0)
            .Rec(WmfFunction::SetRop2, {metafile::Number(metafile::Rop2::Not)})
            .Rec(WmfFunction::Rectangle, {8, 12, 0, 0})
            .Finish());
    return picture;
}

// Every change that shows must reach the cache: the control on its panel
// looks as the picture drawn straight over the panel's colour, also where a
// metafile combines with that colour.
TEST(PictureImageTest, PaintedPictureFollowsEveryChange) {
    TnfPanel panel;
    panel.SetBevelOuter(TPanelBevel::bvNone);
    panel.SetColor(QColor(10, 20, 30));
    panel.resize(40, 30);
    TPictureImage image(&panel);
    image.setGeometry(2, 3, 24, 20);
    const auto painted = [&] {
        return panel.grab(image.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto expected = [&] {
        const qreal ratio = image.devicePixelRatioF();
        QImage out(image.size() * ratio, QImage::Format_RGB32);
        out.setDevicePixelRatio(ratio);
        out.fill(panel.Color());
        if (const TGraphic* graphic = image.Picture().Graphic()) {
            QPainter p(&out);
            if (image.Stretch())
                graphic->StretchDraw(p, image.rect());
            else
                graphic->Draw(p, QPoint(0, 0));
        }
        return out;
    };
    const std::vector<std::function<void()>> changes = {
        [&] { image.SetPicture(BitmapPicture(30, 8)); },
        [&] { image.SetPicture(InvertingMetafile()); },
        [&] { panel.SetColor(QColor(200, 100, 0)); },
        [&] { image.SetStretch(true); },
        [&] { image.resize(30, 12); },
        [&] { image.SetPicture(BitmapPicture(6, 4)); },
        [&] { image.Clear(); },
    };
    EXPECT_EQ(painted(), expected());
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i]();
        EXPECT_EQ(painted(), expected()) << "after change " << i;
    }
}

} // namespace
} // namespace tavik::testing
