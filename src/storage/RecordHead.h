#pragma once

#include "storage/Records.h"

#include <cstdint>

namespace tavik {

class TStream;

// What the first 12 bytes of a record tell without decoding it.
struct RecordHead {
    PictureKind kind = PictureKind::None;
    std::uint32_t payloadSize = 0; // the bytes after the 8-byte head
    std::uint32_t streamSize = 0;  // the picture stream's length, as recorded
};

// Reads the head of the record at position: signature, payload length and
// stream length; the blocks are not read, so damage inside them does not
// show here. Throws EInvalidGraphic "Bad DAT-file insight signature" for an
// unknown signature, EReadError "Stream read error" when the head is cut
// short or the payload would run past the end of the stream.
RecordHead ReadRecordHead(TStream& stream, std::int64_t position);

} // namespace tavik
