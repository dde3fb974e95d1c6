#pragma once

#include <QByteArray>
#include <memory>

namespace tavik {

class TBitmap;

// The first picture of a raster file image (format is Qt's reader name:
// "png", "jpeg", "gif", "tiff", "webp") as a bitmap. The size is read from the
// header before any pixel: a side past kMaxImportSide throws EPictureImport
// TooLarge; bytes the reader refuses throw EPictureImport Damaged.
std::unique_ptr<TBitmap> BitmapFromRaster(const QByteArray& bytes, const char* format);

} // namespace tavik
