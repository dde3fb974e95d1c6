#pragma once

#include "graphics/Graphic.h"

namespace tavik {

// An icon whose stream is an ICO file image, kept exactly as it was read. Of
// its entries the one closest to 32 x 32 is shown (the most colours wins a
// tie, then the first); width and height are that entry's. Entries may be
// 1/4/8/24/32-bit bitmaps with an AND mask or PNG images; all draw with their
// transparency. A 6-byte header of type 0 stands for the default icon, drawn
// at 32 x 32.
class TIcon : public TGraphic {
public:
    TIcon() = default;

    PictureKind Kind() const override { return PictureKind::Icon; }
    int Width() const override { return FDefault ? 32 : FImage.width(); }
    int Height() const override { return FDefault ? 32 : FImage.height(); }
    bool Empty() const override { return FStream.empty(); }

    void Draw(QPainter& painter, QPoint topLeft) const override;
    void StretchDraw(QPainter& painter, const QRect& target) const override;

    const std::vector<std::uint8_t>& Stream() const override { return FStream; }
    // An empty stream gives an empty icon. Throws EInvalidGraphic "Icon image
    // is not valid" for a type other than 0 or 1, no entries, a directory
    // entry outside the stream or over the directory, an entry that is not a
    // well-formed bitmap (with a non-zero height) or PNG image, or one the
    // decoder refuses; the icon is then unchanged.
    void LoadFromStream(std::span<const std::uint8_t> stream) override;
    std::unique_ptr<TGraphic> Clone() const override;

    // The shown entry, with alpha (null for an empty icon).
    const QImage& Image() const { return FImage; }
    // The entry closest to the shown entry's size times ratio, decoded (the
    // shown entry itself when ratio <= 1 or no other is closer): what keeps
    // the icon sharp on a scaled screen or enlarged. Draw and StretchDraw use
    // it by the painter's device pixel ratio and the size drawn at. The
    // default icon gives its picture; an empty icon a null image.
    QImage ImageForScale(double ratio) const;
    // Whether the stream stands for the default icon.
    bool IsDefaultIcon() const { return FDefault; }

    // The picture drawn for the default icon instead of the plain built-in
    // one (a null image brings that back). Scaled to 32 x 32 when it has
    // another size.
    static void SetDefaultIconImage(const QImage& image);

private:
    std::vector<std::uint8_t> FStream;
    QImage FImage;
    bool FDefault = false;
};

} // namespace tavik
