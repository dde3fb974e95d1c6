#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <cstdint>

namespace tavik {

class TGraphic;
class TPicture;

// Where a picture of w x h lands in a box of boxWidth x boxHeight: shrunk
// keeping its aspect ratio (never enlarged), or stretched, then centred; all
// in integer arithmetic whose divisions truncate toward zero (products are
// exact, never wrapped). w and h are changed in place.
void FitRect(int& w, int& h, int boxWidth, int boxHeight, bool shrink, bool stretch, bool center,
             int& left, int& top);

// The size x size thumbnail of source: source itself when it is exactly that
// size, otherwise the background with the source fitted and centred on it
// (each thumbnail pixel is the source pixel under its centre, blended over the
// background).
QImage MakeThumbnail(const QImage& source, int size, const QColor& background);

// The most pixels an image made to draw a picture on may have (64 MB):
// a larger picture is drawn scaled down to fit, keeping its shape.
inline constexpr std::int64_t kMaxRenderPixels = 4096LL * 4096;

// The size a picture of natural size width x height is drawn at: that size
// when it has at most kMaxRenderPixels, else the largest size of the same
// shape that has (never below 1 x 1).
QSize RenderSize(int width, int height);

// graphic drawn onto a premultiplied ARGB image of size filled with fill
// first: at natural size when size is that, else stretched into size.
QImage DrawGraphicInto(const TGraphic& graphic, QSize size, const QColor& fill);

// graphic drawn onto an image of RenderSize(its natural size) filled with
// background first: at natural size, or stretched into the smaller size.
// A null image for an empty graphic.
QImage RenderGraphic(const TGraphic& graphic, const QColor& background);

// The picture as a bitmap for thumbnails: icons and metafiles drawn as
// RenderGraphic draws them, bitmaps as they are, an empty picture as a null
// image.
QImage RenderForThumbnail(const TPicture& picture, const QColor& background);

// MakeThumbnail(RenderForThumbnail(picture, background), size, background),
// pixel for pixel, but an icon is sampled straight from its own pixels rather
// than rendered at natural size first: the way to fill a thumbnail list fast.
QImage MakePictureThumbnail(const TPicture& picture, int size, const QColor& background);

// Thumbnails for a screen of device pixel ratio `ratio`: an image of
// round(size x ratio) pixels that carries the ratio, so that it covers size x
// size points. The picture is fitted at ratio times its natural size: bitmaps
// are sampled as MakeThumbnail samples them, icons and metafiles are drawn
// straight at the thumbnail's pixels (an icon from its entry closest to that
// size), so they stay sharp. A ratio of 1 or less gives exactly
// MakeThumbnail's and MakePictureThumbnail's images.
QImage MakeScaledThumbnail(const QImage& source, int size, const QColor& background, qreal ratio);
QImage MakeScaledPictureThumbnail(const TPicture& picture, int size, const QColor& background,
                                  qreal ratio);

} // namespace tavik
