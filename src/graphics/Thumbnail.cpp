#include "graphics/Thumbnail.h"

#include "graphics/Bitmap.h"
#include "graphics/Graphic.h"
#include "graphics/Icon.h"
#include "graphics/Picture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace tavik {

namespace {
// src over dst, both unpremultiplied.
QRgb Over(QRgb src, QRgb dst) {
    const int a = qAlpha(src);
    if (a == 255) {
        return src;
    }
    if (a == 0) {
        return dst;
    }
    const int da = qAlpha(dst) * (255 - a) / 255;
    const int outA = a + da;
    auto channel = [&](int s, int d) { return (s * a + d * da + outA / 2) / outA; };
    return qRgba(channel(qRed(src), qRed(dst)), channel(qGreen(src), qGreen(dst)),
                 channel(qBlue(src), qBlue(dst)), outA);
}

// Draws source into target of image by taking, for every target pixel, the
// source pixel under its centre, and blending it over what is there. Point
// sampling is what keeps a thumbnail cheaper than decoding its picture;
// filtering every source pixel would cost more than the decode itself.
void SampleOnto(QImage& image, const QRect& target, const QImage& source, QRgb background) {
    QImage converted;
    const QImage* src = &source;
    const bool direct = source.format() == QImage::Format_RGB32 ||
                        source.format() == QImage::Format_ARGB32 ||
                        source.format() == QImage::Format_Indexed8;
    if (!direct) {
        converted = source.convertToFormat(QImage::Format_ARGB32);
        src = &converted;
    }
    const QImage::Format format = src->format();
    const QList<QRgb> table = src->colorTable();
    const auto sw = static_cast<std::int64_t>(src->width());
    const auto sh = static_cast<std::int64_t>(src->height());
    const int tw = target.width();
    std::vector<int> columns(static_cast<std::size_t>(tw));
    for (int x = 0; x < tw; ++x) {
        columns[static_cast<std::size_t>(x)] = static_cast<int>((2 * x + 1) * sw / (2 * tw));
    }
    const int* column = columns.data();
    for (int y = 0; y < target.height(); ++y) {
        const int sy = static_cast<int>((2 * y + 1) * sh / (2 * target.height()));
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(target.top() + y)) + target.left();
        const uchar* line = src->constScanLine(sy);
        const auto* pixels = reinterpret_cast<const QRgb*>(line);
        if (format == QImage::Format_RGB32) {
            for (int x = 0; x < tw; ++x) {
                out[x] = pixels[column[x]] | 0xFF000000u;
            }
        } else if (format == QImage::Format_Indexed8) {
            for (int x = 0; x < tw; ++x) {
                const uchar index = line[column[x]];
                const QRgb pixel = index < table.size() ? table[index] : 0xFF000000u;
                out[x] = qAlpha(pixel) == 255 ? pixel : Over(pixel, background);
            }
        } else {
            // Most pixels are fully opaque or fully clear; only the rest are blended.
            for (int x = 0; x < tw; ++x) {
                const QRgb pixel = pixels[column[x]];
                const int alpha = qAlpha(pixel);
                out[x] = alpha == 255 ? pixel : alpha == 0 ? background : Over(pixel, background);
            }
        }
    }
}

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
    QImage thumbnail(size, size, QImage::Format_ARGB32);
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
        SampleOnto(thumbnail, QRect(left, top, w, h), source, background.rgba());
    }
    return thumbnail;
}

QSize RenderSize(int width, int height) {
    if (static_cast<std::int64_t>(width) * height <= kMaxRenderPixels) {
        return QSize(width, height);
    }
    const double scale =
        std::sqrt(static_cast<double>(kMaxRenderPixels) / (static_cast<double>(width) * height));
    return QSize(std::max(1, static_cast<int>(width * scale)),
                 std::max(1, static_cast<int>(height * scale)));
}

QImage DrawGraphicInto(const TGraphic& graphic, QSize size, const QColor& fill) {
    // Painting onto premultiplied pixels is several times faster than onto
    // plain ARGB32; on an opaque background both give the same pixels.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    QPainter painter(&image);
    if (size == QSize(graphic.Width(), graphic.Height())) {
        graphic.Draw(painter, QPoint(0, 0));
    } else {
        graphic.StretchDraw(painter, QRect(QPoint(0, 0), size));
    }
    return image;
}

QImage RenderGraphic(const TGraphic& graphic, const QColor& background) {
    if (graphic.Empty() || graphic.Width() <= 0 || graphic.Height() <= 0) {
        return QImage();
    }
    return DrawGraphicInto(graphic, RenderSize(graphic.Width(), graphic.Height()), background);
}

QImage RenderForThumbnail(const TPicture& picture, const QColor& background) {
    const TGraphic* graphic = picture.Graphic();
    if (!graphic || graphic->Empty()) {
        return QImage();
    }
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        return bitmap->Image();
    }
    const auto* icon = dynamic_cast<const TIcon*>(graphic);
    const QSize natural(graphic->Width(), graphic->Height());
    if (icon && !icon->Image().isNull() && icon->Image().size() == natural) {
        // An icon at natural size is a plain blend; no painter is needed.
        QImage image(natural, QImage::Format_ARGB32);
        image.fill(background);
        SampleOnto(image, image.rect(), icon->Image(), background.rgba());
        return image;
    }
    return RenderGraphic(*graphic, background);
}

} // namespace tavik

namespace tavik {

QImage MakePictureThumbnail(const TPicture& picture, int size, const QColor& background) {
    const auto* icon = dynamic_cast<const TIcon*>(picture.Graphic());
    if (!icon || icon->Image().isNull() || icon->Image().size() == QSize(size, size)) {
        return MakeThumbnail(RenderForThumbnail(picture, background), size, background);
    }
    QImage thumbnail(size, size, QImage::Format_ARGB32);
    thumbnail.fill(background);
    int w = icon->Width();
    int h = icon->Height();
    int left = 0;
    int top = 0;
    FitRect(w, h, size, size, true, false, true, left, top);
    if (w > 0 && h > 0) {
        SampleOnto(thumbnail, QRect(left, top, w, h), icon->Image(), background.rgba());
    }
    return thumbnail;
}

namespace {

// The device pixels of a thumbnail of size points, filled with background.
QImage BlankThumbnail(int size, const QColor& background, qreal ratio) {
    const int side = std::max(1, static_cast<int>(std::lround(size * ratio)));
    QImage thumbnail(side, side, QImage::Format_ARGB32);
    thumbnail.fill(background);
    return thumbnail;
}

// Where a picture of width x height points lands on thumbnail, in its pixels.
QRect FittedTarget(int width, int height, const QImage& thumbnail, qreal ratio) {
    auto scaled = [ratio](int side) {
        return static_cast<int>(std::clamp(std::llround(side * ratio), 1LL, 1LL << 30));
    };
    int w = scaled(width);
    int h = scaled(height);
    int left = 0;
    int top = 0;
    FitRect(w, h, thumbnail.width(), thumbnail.height(), true, false, true, left, top);
    return QRect(left, top, w, h);
}

} // namespace

QImage MakeScaledThumbnail(const QImage& source, int size, const QColor& background, qreal ratio) {
    if (ratio <= 1) {
        return MakeThumbnail(source, size, background);
    }
    QImage thumbnail = BlankThumbnail(size, background, ratio);
    if (!source.isNull()) {
        const QRect target = FittedTarget(source.width(), source.height(), thumbnail, ratio);
        if (!target.isEmpty()) {
            SampleOnto(thumbnail, target, source, background.rgba());
        }
    }
    thumbnail.setDevicePixelRatio(ratio);
    return thumbnail;
}

QImage MakeScaledPictureThumbnail(const TPicture& picture, int size, const QColor& background,
                                  qreal ratio) {
    if (ratio <= 1) {
        return MakePictureThumbnail(picture, size, background);
    }
    const TGraphic* graphic = picture.Graphic();
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(graphic)) {
        return MakeScaledThumbnail(bitmap->Image(), size, background, ratio);
    }
    QImage thumbnail = BlankThumbnail(size, background, ratio);
    if (graphic && !graphic->Empty() && graphic->Width() > 0 && graphic->Height() > 0) {
        const QRect target = FittedTarget(graphic->Width(), graphic->Height(), thumbnail, ratio);
        if (!target.isEmpty()) {
            QPainter painter(&thumbnail);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            graphic->StretchDraw(painter, target);
        }
    }
    thumbnail.setDevicePixelRatio(ratio);
    return thumbnail;
}

} // namespace tavik
