#pragma once

#include "storage/Exceptions.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace tavik {

class TPicture;

// The largest width and height of a picture taken in from a raster or SVG
// file: the catalogue is one of small pictures.
inline constexpr int kMaxImportSide = 4096;

// Why a picture file was not taken in.
enum class ImportFailure { UnknownFormat, Unreadable, Damaged, TooLarge };

// A picture file refused by ImportPictureFile: the reason, the size for
// TooLarge, and the message of the layer that refused it.
class EPictureImport : public EInvalidGraphic {
public:
    EPictureImport(ImportFailure reason, const std::string& message, QSize size = {})
        : EInvalidGraphic(message), FReason(reason), FSize(size) {}
    ImportFailure Reason() const { return FReason; }
    QSize Size() const { return FSize; }

private:
    ImportFailure FReason;
    QSize FSize;
};

// One family of picture files the catalogue takes in: its name (the same
// in every language, like the save dialog's descriptions) and extensions.
struct ImportFamily {
    QString description;
    QStringList extensions; // lower case, without the point
};

// Bitmaps, icons, metafiles, PNG, JPEG, GIF, TIFF, WebP and SVG.
const std::vector<ImportFamily>& ImportFamilies();

// "*.bmp *.ico ...": the patterns of every family, for an open dialog.
QString ImportPatterns();

// Loads the picture file fileName into picture, chosen by its extension
// (any case): .bmp, .ico, .emf and .wmf as they are; .png, .jpg, .jpeg, .gif
// (first frame), .tif, .tiff and .webp as a bitmap with Qt's pixels (see
// TBitmap::FromImage for its encoding); .svg and .svgz as an enhanced
// metafile of the picture's view box at 96 dots per inch. Throws
// EPictureImport; picture is then unchanged.
void ImportPictureFile(TPicture& picture, const std::string& fileName);

} // namespace tavik
