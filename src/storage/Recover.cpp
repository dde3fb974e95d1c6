#include "storage/Recover.h"

#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Lists.h"
#include "storage/SafeFile.h"
#include "storage/Stream.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace tavik {
namespace {

constexpr std::int64_t kFirstRecord = 4;

PictureKind KindAt(const std::vector<std::uint8_t>& bytes, std::int64_t at) {
    if (at < 0 || at + 4 > static_cast<std::int64_t>(bytes.size()))
        return PictureKind::None;
    for (auto kind : {PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile})
        if (std::memcmp(bytes.data() + at, RecordSignature(kind), 4) == 0)
            return kind;
    return PictureKind::None;
}

// The first record signature at or after from; the file size when none.
std::int64_t NextSignature(const std::vector<std::uint8_t>& bytes, std::int64_t from) {
    const auto size = static_cast<std::int64_t>(bytes.size());
    for (std::int64_t at = from; at + 4 <= size; ++at) {
        // Every signature begins with "LZ": look for that first.
        const void* hit = std::memchr(bytes.data() + at, 'L', static_cast<std::size_t>(size - at));
        if (hit == nullptr)
            break;
        at = static_cast<const std::uint8_t*>(hit) - bytes.data();
        if (KindAt(bytes, at) != PictureKind::None)
            return at;
    }
    return size;
}

std::uint32_t LengthAt(const std::vector<std::uint8_t>& bytes, std::int64_t at) {
    const std::uint8_t* p = bytes.data() + at + 4;
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::vector<std::uint8_t> ReadDataFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::Mode::Read);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.Read(bytes.data(), bytes.size()));
    return bytes;
}

std::string RecoveredName(int number, const std::string& extension) {
    return "Recovered " + std::to_string(number) + extension;
}

} // namespace

std::string PictureExtension(const PictureRecord& record) {
    switch (record.kind) {
    case PictureKind::Bitmap:
        return ".bmp";
    case PictureKind::Icon:
        return ".ico";
    case PictureKind::Metafile: {
        // The test the picture layer makes to tell an enhanced metafile.
        const auto& s = record.stream;
        const bool emf = s.size() >= 89 && s[0] == 1 && s[1] == 0 && s[2] == 0 && s[3] == 0 &&
                         s[40] == 0x20 && s[41] == 0x45 && s[42] == 0x4D && s[43] == 0x46;
        return emf ? ".emf" : ".wmf";
    }
    case PictureKind::None:
        break;
    }
    return "";
}

DataFileScan ScanDataFile(const std::string& fileName) {
    return ScanDataBytes(ReadDataFile(fileName));
}

DataFileScan ScanDataBytes(std::vector<std::uint8_t> fileBytes) {
    TMemoryStream data(std::move(fileBytes));
    const std::vector<std::uint8_t>& bytes = data.Bytes();
    const auto size = static_cast<std::int64_t>(bytes.size());
    DataFileScan scan;
    scan.signatureFound = size >= 4 && std::memcmp(bytes.data(), "TVD1", 4) == 0;

    std::int64_t at = kFirstRecord;
    while (at < size) {
        if (KindAt(bytes, at) == PictureKind::None) {
            const std::int64_t next = NextSignature(bytes, at + 1);
            scan.bytesSkipped += next - at;
            at = next;
            continue;
        }
        ++scan.records;
        try {
            const PictureRecord record = LoadRecord(data, at);
            const std::int64_t recordSize = kRecordHeadSize + LengthAt(bytes, at);
            scan.readable.push_back(
                {static_cast<std::int32_t>(at), recordSize, record.kind, PictureExtension(record)});
            at += recordSize;
            continue;
        } catch (const Exception&) {
            ++scan.damaged;
        }
        // A damaged record whose frame still leads to the next record is
        // stepped over whole; any other damage is searched past.
        std::int64_t next = NextSignature(bytes, at + 1);
        if (at + kRecordHeadSize <= size) {
            const std::int64_t end = at + kRecordHeadSize + LengthAt(bytes, at);
            if (end == size || (end < size && KindAt(bytes, end) != PictureKind::None))
                next = end;
        }
        scan.bytesSkipped += next - at;
        at = next;
    }
    return scan;
}

RecoverResult RecoverCatalog(const std::string& folder, const std::string& topicName) {
    RecoverResult result;
    result.scan = ScanDataFile(DataFileName(folder));

    const std::string listName = ListFileName(folder);
    TTopicList topics;
    result.listFound = FileExists(listName);
    if (result.listFound) {
        try {
            result.listUsable = !LoadListFile(listName, topics).badSignature;
            if (!result.listUsable)
                result.listError = "not a list file (bad signature)";
        } catch (const EReadError& error) {
            result.listError = error.what();
        }
    } else {
        result.listError = "missing";
    }

    std::set<std::int32_t> referenced;
    if (result.listUsable) {
        for (int t = 0; t < topics.Count(); ++t)
            for (int i = 0; i < topics.Topics(t).Bmps.Count(); ++i)
                referenced.insert(topics.Topics(t).Bmps.Bmps(i).Position);
    } else {
        // Nothing of a damaged list is taken over: its copy stays for the user.
        topics.Clear();
    }

    TTopic* topic = nullptr;
    for (int t = 0; t < topics.Count() && topic == nullptr; ++t)
        if (topics.Topics(t).Name == topicName)
            topic = &topics.Topics(t);
    std::vector<const FoundRecord*> toAdd;
    for (const FoundRecord& record : result.scan.readable) {
        if (referenced.count(record.position) != 0)
            ++result.referenced;
        else
            toAdd.push_back(&record);
    }
    if (result.listUsable && toAdd.empty())
        return result;

    if (topic == nullptr)
        topic = &topics.AddTopic(topicName);
    int number = topic->Bmps.Count();
    for (const FoundRecord* record : toAdd)
        topic->AddBmp(RecoveredName(++number, record->extension), record->position);
    result.added = static_cast<int>(toAdd.size());

    if (result.listFound) {
        KeepListFileCopy(folder);
        result.listCopied = true;
    }
    SaveListFile(listName, topics);
    result.listWritten = true;
    return result;
}

} // namespace tavik
