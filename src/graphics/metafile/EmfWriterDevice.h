#pragma once

#include "Device.h"

#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavik::metafile {

// The enhanced metafile writer as an output device: everything drawn on it
// (in canvas units, one per device unit of the header) becomes EMF records.
// Images with alpha are kept as alpha-blended 32-bit bitmaps.
class EmfWriterDevice : public Device {
public:
    // The file image: header, the records drawn so far, end-of-file record.
    // Call once, after the last drawing.
    virtual std::vector<std::uint8_t> Finish() = 0;
};

// A writer for a picture of natural size (96-dpi pixels; the header's frame)
// drawn on a canvas of canvas units (its bounds and device size).
std::unique_ptr<EmfWriterDevice> NewEmfWriter(QSize natural, QSize canvas);

} // namespace tavik::metafile
