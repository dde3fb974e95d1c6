#include "storage/ContentHash.h"

#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/RecordHead.h"
#include "storage/SafeFile.h"
#include "storage/Stream.h"

namespace tavik {

TContentKey ContentKeyOf(PictureKind kind, std::span<const std::uint8_t> pictureStream) {
    // FNV-1a over the stream: the size and kind are compared on their own.
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const std::uint8_t byte : pictureStream) {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return {kind, static_cast<std::uint32_t>(pictureStream.size()), hash};
}

bool TContentHashes::Holds(TStream& data, std::int32_t position, const TContentKey& key) {
    auto [at, fresh] = FRecords.try_emplace(position);
    Known& known = at->second;
    try {
        if (fresh) {
            const RecordHead head = ReadRecordHead(data, position);
            known.key.kind = head.kind;
            known.key.size = head.streamSize;
        }
        if (!known.readable || known.key.kind != key.kind || known.key.size != key.size)
            return false;
        if (!known.hashed) {
            const PictureRecord record = LoadRecord(data, position);
            known.key = ContentKeyOf(record.kind, record.stream);
            known.hashed = true;
        }
    } catch (const Exception&) {
        // A damaged record holds no picture anyone could add again.
        known.readable = false;
        return false;
    }
    return known.key == key;
}

std::vector<TNameMatch> FindStoredCopies(const TTopicList& topics, TContentHashes& hashes,
                                         const std::string& dataFileName, const TContentKey& key) {
    const std::string pending = PendingDataFileName(dataFileName);
    TFileStream data(FileExists(pending) ? pending : dataFileName, TFileStream::Mode::Read);
    std::vector<TNameMatch> found;
    for (int t = 0; t < topics.Count(); ++t) {
        const TBmpList& bmps = topics.Topics(t).Bmps;
        for (int i = 0; i < bmps.Count(); ++i)
            if (hashes.Holds(data, bmps.Bmps(i).Position, key))
                found.push_back({t, i});
    }
    return found;
}

} // namespace tavik
