#pragma once

#include "storage/Records.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavik::tools {

// Turns stored pictures into the files of an export format other than their
// own: "png" (every picture as PNG) or "svg" (metafiles as SVG, the others as
// PNG). It runs the picture layer on the offscreen platform while it lives.
class ExportConverter {
public:
    virtual ~ExportConverter() = default;

    // A picture file: its extension (with the point) and bytes.
    struct File {
        std::string extension;
        std::vector<std::uint8_t> bytes;
    };
    // Throws the picture layer's EInvalidGraphic when the record's picture
    // stream does not decode.
    virtual File Convert(const PictureRecord& record) const = 0;

    // The converter for --format: nullptr for none or "original", a converter
    // for "png" and "svg"; throws UsageError for any other name.
    static std::unique_ptr<ExportConverter> For(const std::optional<std::string>& format);
};

} // namespace tavik::tools
