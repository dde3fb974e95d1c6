#pragma once

#include "graphics/Graphic.h"

#include <memory>

namespace tavik {

namespace metafile {
class MetafileDocument;
} // namespace metafile

// A metafile whose stream is either an enhanced metafile (EMF) or a Windows
// metafile behind its 22-byte placeable header, kept exactly as read; a
// Windows metafile without that header is given one when it is loaded.
//
// Width and height are pixels at 96 dots per inch, from the EMF frame or from
// the placeable bounding box and inch value.
//
// Drawing and conversion go through the metafile engine (graphics/metafile);
// the stream is parsed once, when it is loaded, and the parsed document
// (immutable) is shared by the copies.
class TMetafile : public TGraphic {
public:
    TMetafile() = default;

    PictureKind Kind() const override { return PictureKind::Metafile; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    bool Empty() const override { return FStream.empty(); }

    void Draw(QPainter& painter, QPoint topLeft) const override;
    void StretchDraw(QPainter& painter, const QRect& target) const override;

    const std::vector<std::uint8_t>& Stream() const override { return FStream; }
    // An empty stream gives an empty metafile. The stream is enhanced when it
    // has at least 89 bytes, its first 32-bit value is 1 and the one at offset
    // 40 is 0x464D4520; otherwise it must be a Windows metafile, with or
    // without the placeable header. Throws EInvalidGraphic "Metafile is not
    // valid" when the headers do not hold; the metafile is then unchanged.
    void LoadFromStream(std::span<const std::uint8_t> stream) override;
    std::unique_ptr<TGraphic> Clone() const override;

    bool Enhanced() const { return FEnhanced; }

    // The picture as an EMF file image, and as a placeable WMF file image:
    // the stream itself when it is already of that format, a conversion
    // otherwise. Empty for an empty metafile.
    std::vector<std::uint8_t> EmfImage() const;
    std::vector<std::uint8_t> PlaceableWmfImage() const;

private:
    // The player's entry point: paints the stream scaled into target.
    void Play(QPainter& painter, const QRectF& target) const;
    // The converter's entry points.
    std::vector<std::uint8_t> ConvertToWmf() const;
    std::vector<std::uint8_t> ConvertToEmf() const;

    std::vector<std::uint8_t> FStream;
    std::shared_ptr<const metafile::MetafileDocument> FDocument; // of FStream
    bool FEnhanced = false;
    int FWidth = 0;
    int FHeight = 0;
};

// True when stream is taken as an enhanced metafile (see LoadFromStream).
bool IsEnhancedMetafile(std::span<const std::uint8_t> stream);

// The placeable WMF file image of a Windows metafile without that header:
// key 0x9AC6CDD7, bounding box from the metafile's window origin and extent
// (empty when it sets none), inch 2540, checksum over the first ten words.
// Throws EInvalidGraphic "Metafile is not valid" when wmf is not a Windows
// metafile.
std::vector<std::uint8_t> AddPlaceableHeader(std::span<const std::uint8_t> wmf);

} // namespace tavik
