#include "storage/Records.h"

#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Lzrw.h"
#include "storage/Stream.h"

#include <array>
#include <cstring>
#include <limits>

namespace tavik {
namespace {

// Work buffers keep the block codec's limit plus the slack the compressor needs.
constexpr std::size_t kWorkBufferSize = kLzrwMaxBlock + 16;

[[noreturn]] void ReadError() {
    throw EReadError("Stream read error");
}

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v >> 16));
    out.push_back(static_cast<std::uint8_t>(v >> 24));
}

PictureKind KindOf(const std::uint8_t* signature) {
    for (auto kind : {PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile})
        if (std::memcmp(signature, RecordSignature(kind), 4) == 0)
            return kind;
    return PictureKind::None;
}

struct RawRecord {
    PictureKind kind = PictureKind::None;
    std::vector<std::uint8_t> payload;
};

// Reads the signature and the payload; the payload length is checked against
// what is left of the stream before anything is allocated for it.
RawRecord ReadRawRecord(TStream& stream, std::int64_t position) {
    if (position < 0)
        ReadError();
    stream.Seek(position);
    std::uint8_t head[kRecordHeadSize];
    stream.ReadBuffer(head, 4);
    RawRecord record;
    record.kind = KindOf(head);
    if (record.kind == PictureKind::None)
        throw EInvalidGraphic("Bad DAT-file insight signature");
    stream.ReadBuffer(head + 4, 4);
    const std::uint32_t length = GetU32(head + 4);
    const std::int64_t left = stream.Size() - position - kRecordHeadSize;
    if (static_cast<std::int64_t>(length) > left)
        ReadError();
    record.payload.resize(length);
    stream.ReadBuffer(record.payload.data(), length);
    return record;
}

// Walks the blocks of a payload, decoding each into scratch; calls sink with
// every decoded block. Returns the payload bytes the blocks take (the stream
// length field included), so that trailing bytes can be told apart.
template <class Sink>
std::size_t DecodeBlocks(const std::vector<std::uint8_t>& payload, Sink&& sink) {
    if (payload.size() < 4)
        ReadError();
    std::array<std::uint8_t, kWorkBufferSize> scratch;
    std::size_t at = 4;
    for (;;) {
        if (payload.size() - at < 2)
            ReadError();
        const std::size_t k = payload[at] | payload[at + 1] << 8;
        at += 2;
        if (payload.size() - at < k)
            ReadError();
        const int n = LzrwDecompress(payload.data() + at, static_cast<int>(k), scratch.data());
        at += k;
        sink(scratch.data(), n);
        if (n != kLzrwMaxBlock)
            return at;
    }
}

} // namespace

const char* RecordSignature(PictureKind kind) {
    switch (kind) {
    case PictureKind::Bitmap:
        return "LZBM";
    case PictureKind::Icon:
        return "LZIC";
    case PictureKind::Metafile:
        return "LZMF";
    case PictureKind::None:
        break;
    }
    return nullptr;
}

PictureRecord LoadRecord(TStream& stream, std::int64_t position) {
    RawRecord raw = ReadRawRecord(stream, position);
    PictureRecord record;
    record.kind = raw.kind;
    DecodeBlocks(raw.payload, [&](const std::uint8_t* data, int n) {
        record.stream.insert(record.stream.end(), data, data + n);
    });
    return record;
}

// True when the payload is laid out exactly as SaveRecord lays out a stream of
// its recorded length: one block per 32768 bytes plus the final one, filling
// the payload to its end, stored blocks of the right lengths. Such a payload
// is copied as it is; the block contents are not decoded.
bool IsCanonicalPayload(const std::vector<std::uint8_t>& payload) {
    if (payload.size() < 4)
        return false;
    const std::uint32_t streamLength = GetU32(payload.data());
    const std::size_t blocks = streamLength / kLzrwMaxBlock + 1;
    std::size_t at = 4;
    for (std::size_t i = 0; i < blocks; ++i) {
        if (payload.size() - at < 2)
            return false;
        const std::size_t k = payload[at] | payload[at + 1] << 8;
        at += 2;
        if (k == 0 || payload.size() - at < k)
            return false;
        const std::size_t input = i + 1 < blocks ? kLzrwMaxBlock : streamLength % kLzrwMaxBlock;
        if (payload[at] == 0x80 ? k - 1 != input : k > input)
            return false;
        at += k;
    }
    return at == payload.size();
}

namespace {

std::size_t CopyRecordAsItIs(const RawRecord& raw, std::vector<std::uint8_t>& out) {
    const std::size_t before = out.size();
    out.insert(out.end(), RecordSignature(raw.kind), RecordSignature(raw.kind) + 4);
    PutU32(out, static_cast<std::uint32_t>(raw.payload.size()));
    out.insert(out.end(), raw.payload.begin(), raw.payload.end());
    return out.size() - before;
}

} // namespace

std::size_t CopyRecord(TStream& stream, std::int64_t position, std::vector<std::uint8_t>& out,
                       std::string* damage) {
    if (damage != nullptr)
        damage->clear();
    RawRecord raw = ReadRawRecord(stream, position);
    if (IsCanonicalPayload(raw.payload))
        return CopyRecordAsItIs(raw, out);
    // Anything else is decoded, which checks it, and written the way
    // SaveRecord would write it.
    std::uint32_t streamLength = 0;
    std::size_t used = 0;
    try {
        used = DecodeBlocks(raw.payload, [&](const std::uint8_t*, int n) { streamLength += n; });
    } catch (const EReadError& error) {
        if (damage == nullptr)
            throw;
        // Nothing that was there is dropped: a later repair may still get
        // something out of the bytes.
        *damage = error.what();
        return CopyRecordAsItIs(raw, out);
    }
    const std::size_t before = out.size();
    out.insert(out.end(), RecordSignature(raw.kind), RecordSignature(raw.kind) + 4);
    PutU32(out, static_cast<std::uint32_t>(used));
    PutU32(out, streamLength);
    out.insert(out.end(), raw.payload.begin() + 4, raw.payload.begin() + static_cast<long>(used));
    return out.size() - before;
}

void SaveRecord(TStream& stream, std::int64_t position, PictureKind kind,
                std::span<const std::uint8_t> pictureStream) {
    const char* signature = RecordSignature(kind);
    if (signature == nullptr)
        throw EInvalidGraphic("Bad Picture object format! It's impossible!");
    if (pictureStream.size() > std::numeric_limits<std::uint32_t>::max() / 2)
        throw EWriteError("Stream write error");

    std::vector<std::uint8_t> record(signature, signature + 4);
    record.resize(kRecordHeadSize);
    PutU32(record, static_cast<std::uint32_t>(pictureStream.size()));
    std::array<std::uint8_t, kWorkBufferSize> packed;
    TLzrwHashTable table;
    std::size_t at = 0;
    for (;;) {
        const int r =
            static_cast<int>(std::min<std::size_t>(kLzrwMaxBlock, pictureStream.size() - at));
        const int k = LzrwCompress(pictureStream.data() + at, r, packed.data(), table);
        record.push_back(static_cast<std::uint8_t>(k));
        record.push_back(static_cast<std::uint8_t>(k >> 8));
        record.insert(record.end(), packed.data(), packed.data() + k);
        at += static_cast<std::size_t>(r);
        if (r < kLzrwMaxBlock)
            break;
    }
    const auto length = static_cast<std::uint32_t>(record.size() - kRecordHeadSize);
    for (int i = 0; i < 4; ++i)
        record[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    stream.Seek(position);
    stream.WriteBuffer(record.data(), record.size());
}

PictureRecord LoadRecordFromFile(const std::string& fileName, std::int32_t position) {
    const std::string pending = PendingDataFileName(fileName);
    TFileStream file(FileExists(pending) ? pending : fileName, TFileStream::Mode::Read);
    return LoadRecord(file, position);
}

TRecordAppender::TRecordAppender(const std::string& fileName, TFileSystem& files)
    : FFileName(fileName) {
    FinishCompactionSwitch(FolderOf(fileName), files);
    RefuseReadOnlyFile(fileName);
    FFile = files.Open(fileName, TFileStream::Mode::ReadWrite);
    FFlushedSize = FSize = FFile->Size();
}

TRecordAppender::~TRecordAppender() {
    if (FSize == FFlushedSize)
        return;
    try {
        FFile->Flush();
    } catch (const Exception&) {
    }
}

std::int32_t TRecordAppender::Append(PictureKind kind,
                                     std::span<const std::uint8_t> pictureStream) {
    TMemoryStream record;
    SaveRecord(record, 0, kind, pictureStream);
    const std::int64_t position = FSize;
    if (position + record.Size() > std::numeric_limits<std::int32_t>::max())
        throw EWriteError("The data file " + FFileName +
                          " cannot grow past 2 GB; the picture was not added");
    try {
        FFile->Seek(position);
        FFile->WriteBuffer(record.Bytes().data(), record.Bytes().size());
    } catch (const Exception&) {
        // A torn tail would only be dead bytes, but nothing refers to them:
        // give the file back its old length.
        CutBackTo(position);
        throw;
    }
    FSize = position + record.Size();
    return static_cast<std::int32_t>(position);
}

void TRecordAppender::Flush() {
    if (FSize == FFlushedSize)
        return;
    try {
        FFile->Flush();
    } catch (const Exception&) {
        CutBackTo(FFlushedSize);
        throw;
    }
    FFlushedSize = FSize;
}

void TRecordAppender::CutBackTo(std::int64_t size) {
    FSize = size;
    if (FFile->Truncate(size)) {
        try {
            FFile->Flush();
        } catch (const Exception&) {
        }
    }
}

std::int32_t AppendRecordToFile(const std::string& fileName, PictureKind kind,
                                std::span<const std::uint8_t> pictureStream, TFileSystem& files) {
    TRecordAppender appender(fileName, files);
    const std::int32_t position = appender.Append(kind, pictureStream);
    appender.Flush();
    return position;
}

} // namespace tavik
