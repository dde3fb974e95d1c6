// ICO file images: refused with EInvalidGraphic, or decoded and drawable.
#include "FuzzApp.h"
#include "graphics/Icon.h"
#include "graphics/Picture.h"
#include "storage/Exceptions.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavik::fuzz::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavik::TPicture picture;
    try {
        picture.Icon().LoadFromStream({data, size});
    } catch (const tavik::EInvalidGraphic&) {
        return 0;
    }
    const auto& icon = static_cast<const tavik::TIcon&>(*picture.Graphic());
    tavik::fuzz::DrawEverywhere(icon, icon.Image());
    const QImage rendered = tavik::RenderForThumbnail(picture, Qt::white);
    if (tavik::MakePictureThumbnail(picture, 32, Qt::white).size() != QSize(32, 32)) {
        std::abort();
    }
    (void)rendered;
    return 0;
}
