#pragma once

#include "storage/Records.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QPainter;

namespace tavik {

// A picture of one kind that keeps its original picture stream (the exact
// bytes of its .bmp/.ico/.emf/.wmf file image) and decodes it for drawing.
// Saving writes those bytes back unchanged.
class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual PictureKind Kind() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;

    // Draws at natural size with the top left corner at topLeft.
    virtual void Draw(QPainter& painter, QPoint topLeft) const = 0;
    // Draws scaled into target.
    virtual void StretchDraw(QPainter& painter, const QRect& target) const = 0;

    // The picture stream; empty for an empty graphic.
    virtual const std::vector<std::uint8_t>& Stream() const = 0;
    // Replaces the graphic by the picture in stream. Throws EInvalidGraphic
    // with the kind's text ("Bitmap image is not valid", ...); the graphic is
    // then unchanged.
    virtual void LoadFromStream(std::span<const std::uint8_t> stream) = 0;

    virtual std::unique_ptr<TGraphic> Clone() const = 0;
};

} // namespace tavik
