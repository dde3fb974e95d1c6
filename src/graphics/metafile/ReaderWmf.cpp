#include "Bytes.h"
#include "Reader.h"
#include "storage/Exceptions.h"

#include <algorithm>

namespace tavik::metafile {

namespace {

[[noreturn]] void Invalid() {
    throw EInvalidGraphic("Metafile is not valid");
}

} // namespace

WmfFile ReadWmf(std::span<const std::uint8_t> stream) {
    const Bytes b(stream);
    WmfFile file;
    std::uint64_t at = 0;
    if (b.Size() >= 4 && b.U32(0) == kPlaceableKey) {
        if (b.Size() < 40)
            Invalid();
        file.placeable = true;
        // The checksum is advisory: files with a wrong one play everywhere.
        const int left = b.I16(6), top = b.I16(8), right = b.I16(10), bottom = b.I16(12);
        file.boundingBox = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                                 QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
        file.inch = b.U16(14);
        if (left == right || top == bottom)
            file.inch = 0;
        at = 22;
    }
    if (b.Size() - at < 18)
        Invalid();
    const std::uint16_t type = b.U16(at), headerWords = b.U16(at + 2);
    if ((type != 1 && type != 2) || headerWords != 9)
        Invalid();
    file.objects = b.U16(at + 10);
    at += 18;
    while (at < b.Size()) {
        // A few trailing bytes too short for a record are padding.
        if (b.Size() - at < 6)
            break;
        const std::uint64_t words = b.U32(at);
        const std::uint16_t function = b.U16(at + 4);
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
