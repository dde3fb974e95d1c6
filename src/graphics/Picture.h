#pragma once

#include "graphics/Graphic.h"

#include <memory>
#include <string>

namespace tavik {

class TBitmap;
class TIcon;
class TMetafile;

// Holds one graphic (or none). Asking for a kind it does not hold replaces the
// graphic by an empty one of that kind.
class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture& other);
    TPicture& operator=(const TPicture& other);
    virtual ~TPicture() = default;

    // The graphic, or nullptr when the picture holds none.
    const TGraphic* Graphic() const { return FGraphic.get(); }
    void SetGraphic(std::unique_ptr<TGraphic> graphic);

    TBitmap& Bitmap();
    TIcon& Icon();
    TMetafile& Metafile();

    int Width() const;  // 0 without a graphic
    int Height() const; // 0 without a graphic

    // Loads by the file's extension (.bmp, .ico, .emf, .wmf, any case).
    // Throws EInvalidGraphic "Unknown picture file extension (.%s)", EFOpenError
    // and the kind's decoding error; the picture is then unchanged.
    void LoadFromFile(const std::string& fileName);
    // Writes the graphic in the format of its kind; a metafile written under
    // ".wmf" is a placeable Windows metafile, otherwise an enhanced one.
    void SaveToFile(const std::string& fileName) const;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tavik
