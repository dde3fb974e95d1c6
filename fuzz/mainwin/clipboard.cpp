// What another program puts on the clipboard or drops: the first byte picks
// the flavour, the rest are its bytes. Paste either refuses them with
// EInvalidGraphic or gets a picture whose flavours Copy can render; a file
// list gives paths or nothing.
#include "mainwin/Clipboard.h"
#include "../graphics/FuzzApp.h"
#include "storage/Exceptions.h"

#include <QMimeData>
#include <iterator>

namespace {

const char* const kFlavours[] = {
    tavik::kIconMimeType,
    tavik::kOfficeEmfMimeType,
    tavik::kOfficeWmfMimeType,
    "image/x-emf",
    "image/wmf",
    "image/png",
    "image/jpeg",
    "image/bmp",
    "image/x-icon",
    "text/uri-list",
    "x-special/gnome-copied-files",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    tavik::fuzz::StartApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    QMimeData offered;
    offered.setData(
        QLatin1String(kFlavours[data[0] % std::size(kFlavours)]),
        QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1)));
    for (const QString& file : tavik::CopiedFiles(offered)) {
        if (file.isEmpty()) {
            std::abort(); // a local file always has a path
        }
    }
    tavik::TPicture picture;
    try {
        if (!tavik::PictureFromMimeData(offered, picture)) {
            return 0;
        }
    } catch (const tavik::EInvalidGraphic&) {
        return 0;
    }
    if (picture.Graphic() == nullptr) {
        std::abort(); // read, yet nothing to hold
    }
    // Copy's renderings stay small, whatever size the picture announces.
    tavik::PngOf(*picture.Graphic());
    tavik::SvgOf(*picture.Graphic());
    return 0;
}
