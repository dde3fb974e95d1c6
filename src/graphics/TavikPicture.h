#pragma once

#include "graphics/Picture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavik {

class TRecordAppender;
class TStream;

// The graphic a record's kind and picture stream make. Throws EInvalidGraphic
// "Bad DAT-file insight signature" for PictureKind::None and the kind's
// EInvalidGraphic when the stream does not decode.
std::unique_ptr<TGraphic> GraphicFromRecord(PictureKind kind,
                                            const std::vector<std::uint8_t>& pictureStream);

// The picture through which every picture enters and leaves the data file.
// On every failure below the picture keeps the graphic it had.
class TTavikPicture : public TPicture {
public:
    TTavikPicture() = default;

    // Reads the record at position of the data file fileName. Throws
    // EFOpenError "Cannot open file %s" and the errors of LoadRecord.
    void LoadFromCatalog(const std::string& fileName, std::int32_t position);
    // Appends the picture as a record at the end of the data file fileName and
    // returns its position. Throws EFOpenError, EWriteError and the errors of
    // SaveRecord.
    std::int32_t AppendToCatalog(const std::string& fileName) const;
    // Appends the picture through appender, whose Flush() makes it durable;
    // returns its position. Errors as TRecordAppender::Append.
    std::int32_t AppendToCatalog(TRecordAppender& appender) const;

    // Reads the record at position into the picture. Throws EInvalidGraphic
    // "Bad DAT-file insight signature" for a position that holds no record,
    // EReadError "Stream read error" for a record that ends early or a damaged
    // block, and the kind's EInvalidGraphic when the picture stream does not
    // decode.
    void LoadRecord(TStream& stream, std::int64_t position);
    // Writes the picture as one record at position. Throws EInvalidGraphic
    // "Bad Picture object format! It's impossible!" when the picture holds no
    // graphic (nothing is written), EWriteError when the stream refuses bytes.
    void SaveRecord(TStream& stream, std::int64_t position) const;

private:
    void TakeRecord(PictureKind kind, const std::vector<std::uint8_t>& pictureStream);
    PictureKind KindToStore() const;
};

} // namespace tavik
