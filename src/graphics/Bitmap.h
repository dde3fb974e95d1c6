#pragma once

#include "graphics/Graphic.h"

namespace tavik {

// A bitmap whose stream is a BMP file image, kept exactly as it was read.
// Before Qt decodes it the headers and pixel data are checked (see
// CheckBmpStream), so a malformed file never reaches the decoder.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;

    // A bitmap made from pixels (the clipboard): encoded once as a BMP file
    // image, 24-bit when every pixel is opaque, 32-bit with alpha otherwise,
    // 8-bit with its colour table when the image is indexed. A null image
    // gives an empty bitmap.
    static std::unique_ptr<TBitmap> FromImage(const QImage& image);

    PictureKind Kind() const override { return PictureKind::Bitmap; }
    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    bool Empty() const override { return FStream.empty(); }

    // A transparent bitmap leaves out every pixel of the colour of its
    // bottom-left pixel; pixels with alpha are always blended.
    void Draw(QPainter& painter, QPoint topLeft) const override;
    void StretchDraw(QPainter& painter, const QRect& target) const override;

    const std::vector<std::uint8_t>& Stream() const override { return FStream; }
    // An empty stream gives an empty bitmap. Throws EInvalidGraphic "Bitmap
    // image is not valid" when the checks or the decoder refuse the stream.
    void LoadFromStream(std::span<const std::uint8_t> stream) override;
    std::unique_ptr<TGraphic> Clone() const override;

    // The decoded pixels (null for an empty bitmap).
    const QImage& Image() const { return FImage; }

private:
    const QImage& DrawnImage() const;

    std::vector<std::uint8_t> FStream;
    QImage FImage;
    mutable QImage FTransparentImage; // FImage with the transparent colour cleared
};

// Throws EInvalidGraphic "Bitmap image is not valid" unless stream is a BMP
// file image whose file header ("BM"), info header, bit masks, palette, pixel
// offset and pixel data are consistent and within the size limits.
void CheckBmpStream(std::span<const std::uint8_t> stream);

} // namespace tavik
