// Raster files through Qt's readers and our size checks: refused with
// EPictureImport, or a bitmap within the size limit that draws.
#include "FuzzApp.h"
#include "graphics/Bitmap.h"
#include "graphics/PictureImport.h"
#include "graphics/RasterImport.h"

#include <QByteArray>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavik::fuzz::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the reader, the rest is the file.
    static const char* const formats[] = {"png", "jpeg", "gif", "tiff", "webp"};
    const char* format = formats[data[0] % 5];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    std::unique_ptr<tavik::TBitmap> bitmap;
    try {
        bitmap = tavik::BitmapFromRaster(bytes, format);
    } catch (const tavik::EPictureImport&) {
        return 0;
    }
    if (bitmap->Width() < 1 || bitmap->Width() > tavik::kMaxImportSide || bitmap->Height() < 1 ||
        bitmap->Height() > tavik::kMaxImportSide) {
        std::abort();
    }
    tavik::fuzz::DrawEverywhere(*bitmap, bitmap->Image());
    return 0;
}
