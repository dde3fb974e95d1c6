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
    // The kind of the graphic; PictureKind::None without one.
    PictureKind Kind() const;

    // Loads by the file's extension (.bmp, .ico, .emf, .wmf, any case).
    // Throws EInvalidGraphic "Unknown picture file extension (.%s)", EFOpenError
    // and the kind's decoding error; the picture is then unchanged.
    void LoadFromFile(const std::string& fileName);
    // Writes the graphic in the format of its kind; a metafile written under
    // ".wmf" (any case) is a placeable Windows metafile, otherwise an enhanced
    // one. Throws EFCreateError "Cannot create file %s", EWriteError "Stream
    // write error", and the converter's EInvalidGraphic (before the file is
    // touched). Writes nothing when the picture holds no graphic.
    void SaveToFile(const std::string& fileName) const;
    // The bytes SaveToFile writes for fileName.
    std::vector<std::uint8_t> FileImage(const std::string& fileName) const;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tavik
