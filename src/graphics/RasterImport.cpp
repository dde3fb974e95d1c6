#include "graphics/RasterImport.h"

#include "graphics/Bitmap.h"
#include "graphics/PictureImport.h"
#include "graphics/QtDecode.h"

namespace tavik {

namespace {

[[noreturn]] void TooLarge(QSize size) {
    throw EPictureImport(ImportFailure::TooLarge,
                         "Picture is too large: " + std::to_string(size.width()) + " x " +
                             std::to_string(size.height()) + " pixels (the largest is " +
                             std::to_string(kMaxImportSide) + " x " +
                             std::to_string(kMaxImportSide) + ")",
                         size);
}

bool Oversized(QSize size) {
    return size.width() > kMaxImportSide || size.height() > kMaxImportSide;
}

} // namespace

std::unique_ptr<TBitmap> BitmapFromRaster(const QByteArray& bytes, const char* format) {
    const QImage image = ReadWithQt(bytes, format, [](QSize announced) {
        if (Oversized(announced))
            TooLarge(announced);
    });
    if (image.isNull()) {
        throw EPictureImport(ImportFailure::Damaged,
                             "Picture file is not a valid " +
                                 QByteArray(format).toUpper().toStdString() + " image");
    }
    // Some readers know the size only once they have read the pixels.
    if (Oversized(image.size()))
        TooLarge(image.size());
    return TBitmap::FromImage(image);
}

} // namespace tavik
