#pragma once

#include "storage/NameSearch.h"
#include "storage/Records.h"

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavik {

class TStream;
class TTopicList;

// What identifies a picture as the data file stores it: its kind, the length
// of its picture stream and a 64-bit hash of the stream. Equal keys mean equal
// stored bytes, but for a hash collision (about one in 2^64).
struct TContentKey {
    PictureKind kind = PictureKind::None;
    std::uint32_t size = 0;
    std::uint64_t hash = 0;
    bool operator==(const TContentKey&) const = default;
};

TContentKey ContentKeyOf(PictureKind kind, std::span<const std::uint8_t> pictureStream);

// The keys of the records of one data file, by position, learnt as they are
// asked for and kept for the rest of the run. A record's 12-byte head is read
// the first time it is asked about; its blocks are read and hashed only when
// kind and stream length match the key looked for, and never again after. A
// record that cannot be read matches nothing. Positions of records appended
// later are new, so appending keeps the cache valid; a compaction moves
// records, after which Clear must be called.
class TContentHashes {
public:
    // Whether the record at position of data (the open data file) stores the
    // picture of key.
    bool Holds(TStream& data, std::int32_t position, const TContentKey& key);
    // Forgets every record (after a compaction moved them).
    void Clear() { FRecords.clear(); }

private:
    struct Known {
        bool readable = true;
        bool hashed = false;
        TContentKey key; // kind and size from the head until hashed
    };
    std::unordered_map<std::int32_t, Known> FRecords;
};

// The pictures of topics whose stored bytes are key's, in catalogue order.
// dataFileName is the data file (or the compacted copy waiting to replace
// it, as LoadRecordFromFile reads). Throws EFOpenError when it cannot be
// opened; unreadable records are skipped.
std::vector<TNameMatch> FindStoredCopies(const TTopicList& topics, TContentHashes& hashes,
                                         const std::string& dataFileName, const TContentKey& key);

} // namespace tavik
