#pragma once

#include "storage/Records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavik {

// One readable picture record found in a data file.
struct FoundRecord {
    std::int32_t position = 0; // where its signature starts
    std::int64_t size = 0;     // its bytes in the file, head included
    PictureKind kind = PictureKind::None;
    std::string extension; // ".bmp", ".ico", ".emf" or ".wmf", by its picture stream
};

// What a scan of a data file found. Bytes are counted from offset 4 (after the
// signature); every one of them is either in a readable record or skipped.
struct DataFileScan {
    bool signatureFound = false; // the file begins with "TVD1"
    int records = 0;             // record heads found: readable + damaged
    int damaged = 0;             // heads whose record does not read back whole
    std::int64_t bytesSkipped = 0;
    std::vector<FoundRecord> readable; // in file order
};

// Walks a data file from offset 4 for picture records without the list file:
// at each record signature ("LZBM", "LZIC", "LZMF") the whole record is
// decoded as LoadRecord reads it; a readable record is taken and the walk goes
// on after it. A damaged record whose length leads to another signature or to
// the end of the file is stepped over; otherwise (and after bytes that hold no
// signature) the walk searches byte by byte for the next signature, so that
// good records after damage are still found. The file is read whole into
// memory and never written. Throws EFOpenError "Cannot open file %s".
DataFileScan ScanDataFile(const std::string& fileName);
// The same walk over the bytes of a data file.
DataFileScan ScanDataBytes(std::vector<std::uint8_t> bytes);

// The extension a picture file of this record would have: by kind, and for a
// metafile by whether its stream is an enhanced metafile.
std::string PictureExtension(const PictureRecord& record);

// What RecoverCatalog did.
struct RecoverResult {
    DataFileScan scan;
    bool listFound = false;  // the folder had a list file
    bool listUsable = false; // and it read back whole
    std::string listError;   // why it was not usable (empty when it was)
    bool listCopied = false; // the old list was kept as a damaged copy
    int referenced = 0;      // readable records the old list refers to
    int added = 0;           // pictures put into the topic
    bool listWritten = false;
};

// Gives back the pictures of a data folder (ending in "/") whose list file is
// lost or damaged, or which the list does not refer to (deleted, or added and
// never saved, until the next compaction). The caller holds the folder's
// TCatalogLock. Scans "tavik.dat" (ScanDataFile), then:
// - with no usable list file (missing, bad signature, a read error), writes a
//   new one holding one topic named topicName with every readable record in
//   file order;
// - with a usable list file, adds the readable records that no picture refers
//   to, in file order, to the topic named topicName (made at the end of the
//   list when there is none); the list is rewritten only when one was added.
// The pictures are named "Recovered 1.bmp", "Recovered 2.ico", ... (numbers
// go on after the topic's pictures). Before a list file is replaced it is
// kept as a damaged copy (KeepListFileCopy). "tavik.dat" is never written.
// Throws EFOpenError for a missing data file and the errors of the copy and of
// SaveListFile; the old list file then stays.
RecoverResult RecoverCatalog(const std::string& folder, const std::string& topicName);

} // namespace tavik
