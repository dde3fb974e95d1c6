#include "Bytes.h"
#include "Layouts.h"
#include "Reader.h"
#include "storage/Exceptions.h"

#include <algorithm>

namespace tavik::metafile {

namespace {

using P = wmr::Placeable;
using H = wmr::Header;
using R = wmr::RecordHeader;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic("Metafile is not valid");
}

} // namespace

WmfFile ReadWmf(std::span<const std::uint8_t> stream) {
    const Bytes b(stream);
    WmfFile file;
    std::uint64_t at = 0;
    if (b.Size() >= 4 && b.U32(P::key) == kPlaceableKey) {
        if (b.Size() < P::kSize + H::kSize)
            Invalid();
        file.placeable = true;
        // The checksum is advisory: files with a wrong one play everywhere.
        const int left = b.I16(P::left), top = b.I16(P::top), right = b.I16(P::right),
                  bottom = b.I16(P::bottom);
        file.boundingBox = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                                 QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
        file.inch = b.U16(P::inch);
        if (left == right || top == bottom)
            file.inch = 0;
        at = P::kSize;
    }
    if (b.Size() - at < H::kSize)
        Invalid();
    const std::uint16_t type = b.U16(at + H::type), headerWords = b.U16(at + H::headerWords);
    if ((type != 1 && type != 2) || headerWords != H::kWords)
        Invalid();
    file.objects = b.U16(at + H::objects);
    at += H::kSize;
    while (at < b.Size()) {
        // A few trailing bytes too short for a record are padding.
        if (b.Size() - at < R::kSize)
            break;
        const std::uint64_t words = b.U32(at + R::sizeWords);
        const std::uint16_t function = b.U16(at + R::function);
        if (words < 3 || words * 2 > b.Size() - at)
            Invalid();
        if (file.records.size() >= kMaxRecords)
            Invalid();
        file.records.push_back(
            {function, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(words * 2)});
        at += words * 2;
        if (function == Number(WmfFunction::Eof))
            break;
    }
    if (file.records.empty())
        Invalid();
    return file;
}

} // namespace tavik::metafile
