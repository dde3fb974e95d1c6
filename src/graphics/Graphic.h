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

    // A transparent bitmap leaves out the pixels of its transparent colour
    // when drawn; icons and metafiles always draw only their own pixels.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value) { FTransparent = value; }

    // "bmp", "ico" or "emf": the extension a file of this kind gets by default.
    std::string DefaultExtension() const;

protected:
    TGraphic() = default;
    TGraphic(const TGraphic&) = default;
    TGraphic& operator=(const TGraphic&) = default;

    bool FTransparent = false;
};

// One file format a kind of picture is written in: its extension (without the
// point) and the description the save dialog shows.
struct PictureFileFormat {
    std::string extension;
    std::string description;
};

// The formats of a kind, the default first: bitmap "bmp"; icon "ico";
// metafile "emf", "wmf". Empty for PictureKind::None.
std::vector<PictureFileFormat> FileFormats(PictureKind kind);

// The first extension of FileFormats(kind); empty for PictureKind::None.
std::string DefaultExtension(PictureKind kind);

// The kind a file extension (without the point, any case) loads as, or
// PictureKind::None for an extension no kind reads.
PictureKind KindOfExtension(const std::string& extension);

} // namespace tavik
