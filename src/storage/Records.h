#pragma once

#include "storage/SafeFile.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tavik {

// The kind of a picture record: its 4-byte signature in the data file.
enum class PictureKind : std::uint8_t {
    None = 0,     // not a picture record
    Bitmap = 1,   // "LZBM", the stream is a BMP file image
    Icon = 2,     // "LZIC", the stream is an ICO file image
    Metafile = 3, // "LZMF", the stream is an EMF or a placeable WMF file image
};

// A picture as the data file carries it: its kind and its picture stream.
struct PictureRecord {
    PictureKind kind = PictureKind::None;
    std::vector<std::uint8_t> stream;
};

// Reads the record at position. Throws EInvalidGraphic "Bad DAT-file insight
// signature" for an unknown signature, EReadError "Stream read error" when the
// record ends early or a block is damaged. A payload length larger than what
// is left of the stream is refused before anything is allocated.
PictureRecord LoadRecord(TStream& stream, std::int64_t position);

// Writes kind and picture stream as one record at position: the signature, the
// payload length, the stream length, then 32768-byte blocks through the
// compressor. Throws EInvalidGraphic "Bad Picture object format! It's
// impossible!" for PictureKind::None (nothing written), EWriteError on failure.
void SaveRecord(TStream& stream, std::int64_t position, PictureKind kind,
                std::span<const std::uint8_t> pictureStream);

// Opens fileName, reads the record at position, closes it. While a compacted
// copy of the data file waits to replace it (fileName + ".new", see
// FinishCompactionSwitch), the positions of the catalogue refer to the copy,
// which is read instead. Throws EFOpenError "Cannot open file %s" and the
// errors of LoadRecord.
PictureRecord LoadRecordFromFile(const std::string& fileName, std::int32_t position);

// Appends records at the end of the existing data file fileName for one add
// command: the file is opened once and flushed to disk once, by Flush(), so
// that adding many pictures costs one disk flush, not one each. Records are
// referred to by the list only after Flush() returned.
class TRecordAppender {
public:
    // Completes a waiting compaction switch and opens fileName. Throws
    // EFOpenError, EFCreateError "Cannot create file %s" for a read-only file,
    // and EWriteError while a compaction's switch cannot be completed.
    explicit TRecordAppender(const std::string& fileName, TFileSystem& files = RealFiles());
    // Flushes what Flush() was not called for, ignoring a failure: the list
    // never referred to those records.
    ~TRecordAppender();
    TRecordAppender(const TRecordAppender&) = delete;
    TRecordAppender& operator=(const TRecordAppender&) = delete;

    // Writes kind and picture stream as one record at the end of the file and
    // returns its position (the size before it). A failed write cuts the file
    // back to that size; the records appended before stay. Throws
    // EInvalidGraphic for PictureKind::None, EWriteError, and EWriteError when
    // the record would end past what a 32-bit signed position can address
    // (the file is then unchanged).
    std::int32_t Append(PictureKind kind, std::span<const std::uint8_t> pictureStream);
    // Flushes every record appended so far to disk. On failure the file is
    // cut back to its size at opening, so none of them may be referred to,
    // and EWriteError passes on.
    void Flush();

private:
    void CutBackTo(std::int64_t size);

    std::string FFileName;
    std::unique_ptr<TFile> FFile;
    std::int64_t FFlushedSize = 0;
    std::int64_t FSize = 0;
};

// Appends one record with a TRecordAppender and flushes it; returns its
// position. Errors as TRecordAppender's constructor, Append and Flush.
std::int32_t AppendRecordToFile(const std::string& fileName, PictureKind kind,
                                std::span<const std::uint8_t> pictureStream,
                                TFileSystem& files = RealFiles());

} // namespace tavik

namespace tavik {

// Length of the 8-byte record head (signature and payload length).
inline constexpr int kRecordHeadSize = 8;

// Appends to out a copy of the record at position without decoding the
// picture into a graphic, byte for byte what LoadRecord + SaveRecord would
// write for it. A record laid out as SaveRecord lays it out (block count and
// lengths agree with its stream length and fill its payload) is copied as it
// is, without decoding its blocks: damage inside a block travels with it and
// shows when the picture is read. Any other record is decoded, which checks
// it, and rewritten in that layout (bytes after the final block dropped, the
// stream length recomputed). Returns the number of bytes appended. Errors as
// LoadRecord; out is unchanged after an error. With damage given, a record
// whose extent is known (signature and length) but whose blocks cannot be
// decoded is copied byte for byte as it is, and *damage gets the reason;
// otherwise *damage is cleared.
std::size_t CopyRecord(TStream& stream, std::int64_t position, std::vector<std::uint8_t>& out,
                       std::string* damage = nullptr);

// The signature bytes of a kind ("LZBM", "LZIC", "LZMF"), or nullptr for None.
const char* RecordSignature(PictureKind kind);

} // namespace tavik
