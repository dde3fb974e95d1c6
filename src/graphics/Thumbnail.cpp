#include "graphics/Thumbnail.h"

#include "graphics/Bitmap.h"
#include "graphics/Picture.h"

#include <QPainter>
#include <cmath>
#include <cstdint>

namespace tavik {

namespace {
// Icons and metafiles are rendered at natural size before being shrunk; past
// this many pixels a metafile is rendered straight at a smaller size of the
// same shape instead, which gives the same thumbnail without the memory.
constexpr std::int64_t kMaxRenderPixels = 4096LL * 4096;
} // namespace

void FitRect(int& w, int& h, int boxWidth, int boxHeight, bool shrink, bool stretch, bool center,
             int& left, int& top) {
    left = 0;
    top = 0;
    // Products are taken in 64 bits so that a huge picture cannot wrap into a
    // negative size; the quotient truncates toward zero like the 32-bit rule
    // and equals it whenever the 32-bit product fits.
    auto mulDiv = [](int a, int b, int c) {
        return c == 0 ? 0 : static_cast<int>(std::int64_t{a} * b / c);
    };
    if (shrink) {
        if (w > boxWidth) {
            h = mulDiv(h, boxWidth, w);
            w = boxWidth;
        }
        if (h > boxHeight) {
            w = mulDiv(w, boxHeight, h);
            h = boxHeight;
        }
    } else if (stretch) {
        w = boxWidth;
        h = boxHeight;
    }
    if (center) {
        left = std::max(0, (boxWidth - w) / 2);
        top = std::max(0, (boxHeight - h) / 2);
    }
}

QImage MakeThumbnail(const QImage& source, int size, const QColor& background) {
    if (source.width() == size && source.height() == size) {
        return source;
    }
    QImage thumbnail(size, size, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(background);
    if (source.isNull()) {
        return thumbnail;
    }
    int w = source.width();
    int h = source.height();
    int left = 0;
    int top = 0;
    FitRect(w, h, size, size, true, false, true, left, top);
    if (w > 0 && h > 0) {
        QPainter painter(&thumbnail);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.drawImage(QRect(left, top, w, h), source);
    }
    return thumbnail;
}

QImage RenderForThumbnail(const TPicture& picture, const QColor& background) {
    const TGraphic* graphic = picture.Graphic();
    if (!graphic || graphic->Empty()) {
        return QImage();
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        return bitmap->Image();
    }
    int w = graphic->Width();
    int h = graphic->Height();
    if (w <= 0 || h <= 0) {
        return QImage();
    }
    if (static_cast<std::int64_t>(w) * h > kMaxRenderPixels) {
        const double scale =
            std::sqrt(static_cast<double>(kMaxRenderPixels) / (static_cast<double>(w) * h));
        w = std::max(1, static_cast<int>(w * scale));
        h = std::max(1, static_cast<int>(h * scale));
    }
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    if (w == graphic->Width() && h == graphic->Height()) {
        graphic->Draw(painter, QPoint(0, 0));
    } else {
        graphic->StretchDraw(painter, QRect(0, 0, w, h));
    }
    return image;
}

} // namespace tavik
