#pragma once

#include <QColor>
#include <QImage>

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

// The picture as a bitmap for thumbnails: icons and metafiles drawn at natural
// size onto the background, bitmaps as they are, an empty picture as a null
// image.
QImage RenderForThumbnail(const TPicture& picture, const QColor& background);

// MakeThumbnail(RenderForThumbnail(picture, background), size, background),
// pixel for pixel, but an icon is sampled straight from its own pixels rather
// than rendered at natural size first: the way to fill a thumbnail list fast.
QImage MakePictureThumbnail(const TPicture& picture, int size, const QColor& background);

} // namespace tavik
