// BMP file images: refused with EInvalidGraphic, or decoded and drawable.
#include "FuzzApp.h"
#include "graphics/Bitmap.h"
#include "storage/Exceptions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavik::fuzz::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavik::TBitmap bitmap;
    try {
        bitmap.LoadFromStream({data, size});
    } catch (const tavik::EInvalidGraphic&) {
        return 0;
    }
    if (size > 0 && (bitmap.Width() < 1 || bitmap.Height() < 1)) {
        std::abort(); // accepted, yet nothing to show
    }
    tavik::fuzz::DrawEverywhere(bitmap, bitmap.Image());
    bitmap.SetTransparent(true);
    tavik::fuzz::DrawEverywhere(bitmap, bitmap.Image());
    return 0;
}
