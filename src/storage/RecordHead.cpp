#include "storage/RecordHead.h"

#include "storage/Exceptions.h"
#include "storage/Stream.h"

#include <cstring>

namespace tavik {
namespace {

std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

} // namespace

RecordHead ReadRecordHead(TStream& stream, std::int64_t position) {
    constexpr int kHeadAndStreamLength = kRecordHeadSize + 4;
    if (position < 0 || stream.Size() - position < kHeadAndStreamLength)
        throw EReadError("Stream read error");
    std::uint8_t head[kHeadAndStreamLength];
    stream.Seek(position);
    stream.ReadBuffer(head, sizeof head);
    RecordHead result;
    for (auto kind : {PictureKind::Bitmap, PictureKind::Icon, PictureKind::Metafile})
        if (std::memcmp(head, RecordSignature(kind), 4) == 0)
            result.kind = kind;
    if (result.kind == PictureKind::None)
        throw EInvalidGraphic("Bad DAT-file insight signature");
    result.payloadSize = GetU32(head + 4);
    result.streamSize = GetU32(head + 8);
    if (result.payloadSize < 4 ||
        static_cast<std::int64_t>(result.payloadSize) > stream.Size() - position - kRecordHeadSize)
        throw EReadError("Stream read error");
    return result;
}

} // namespace tavik
