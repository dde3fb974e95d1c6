#include "graphics/Graphic.h"

#include <algorithm>
#include <cctype>

namespace tavik {

std::string TGraphic::DefaultExtension() const {
    return tavik::DefaultExtension(Kind());
}

std::vector<PictureFileFormat> FileFormats(PictureKind kind) {
    switch (kind) {
    case PictureKind::Bitmap:
        return {{"bmp", "Bitmaps"}};
    case PictureKind::Icon:
        return {{"ico", "Icons"}};
    case PictureKind::Metafile:
        return {{"emf", "Enhanced Metafiles"}, {"wmf", "Metafiles"}};
    case PictureKind::None:
        break;
    }
    return {};
}

std::string DefaultExtension(PictureKind kind) {
    const auto formats = FileFormats(kind);
    return formats.empty() ? std::string() : formats.front().extension;
}

PictureKind KindOfExtension(const std::string& extension) {
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (PictureKind kind : {PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile}) {
        for (const auto& format : FileFormats(kind)) {
            if (format.extension == lower) {
                return kind;
            }
        }
    }
    return PictureKind::None;
}

} // namespace tavik
