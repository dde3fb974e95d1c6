#include "Bytes.h"
#include "Layouts.h"
#include "Reader.h"
#include "storage/Exceptions.h"

namespace tavik::metafile {

namespace {

using H = emr::Header;
using R = emr::RecordHeader;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic("Metafile is not valid");
}

QRect ReadRect(const Bytes& b, std::uint64_t at) {
    return QRect(QPoint(b.I32(at), b.I32(at + 4)), QPoint(b.I32(at + 8), b.I32(at + 12)));
}

} // namespace

double EmfHeader::PixelsPerMmX() const {
    if (micrometers.width() > 0 && device.width() > 0)
        return device.width() * 1000.0 / micrometers.width();
    if (millimeters.width() > 0 && device.width() > 0)
        return static_cast<double>(device.width()) / millimeters.width();
    return 96 / 25.4;
}

double EmfHeader::PixelsPerMmY() const {
    if (micrometers.height() > 0 && device.height() > 0)
        return device.height() * 1000.0 / micrometers.height();
    if (millimeters.height() > 0 && device.height() > 0)
        return static_cast<double>(device.height()) / millimeters.height();
    return 96 / 25.4;
}

bool LooksLikeEmf(std::span<const std::uint8_t> stream) {
    const Bytes b(stream);
    return b.Size() > H::kSize && b.U32(H::type) == Number(EmfRecord::Header) &&
           b.U32(H::signature) == kEmfSignature;
}

EmfFile ReadEmf(std::span<const std::uint8_t> stream) {
    const Bytes b(stream);
    if (!LooksLikeEmf(stream))
        Invalid();
    const std::uint32_t headerSize = b.U32(H::size);
    if (headerSize < H::kSize || headerSize % 4 != 0 || headerSize > b.Size())
        Invalid();
    EmfFile file;
    EmfHeader& h = file.header;
    h.bounds = ReadRect(b, H::bounds);
    h.frame = ReadRect(b, H::frame);
    h.handles = b.U16(H::handles);
    h.device = QSize(b.I32(H::device), b.I32(H::device + 4));
    h.millimeters = QSize(b.I32(H::millimeters), b.I32(H::millimeters + 4));
    // The extensions count only when nothing else claims their bytes.
    const std::uint32_t nDesc = b.U32(H::nDescription), offDesc = b.U32(H::offDescription);
    std::uint64_t firstData = headerSize;
    if (nDesc > 0) {
        if (offDesc < H::kSize || !Bytes(stream.first(headerSize)).Has(offDesc, 2ull * nDesc))
            Invalid();
        firstData = std::min<std::uint64_t>(firstData, offDesc);
    }
    if (headerSize >= H::kSizeWithPixelFormat) {
        const std::uint32_t cbPixelFormat = b.U32(H::cbPixelFormat),
                            offPixelFormat = b.U32(H::offPixelFormat);
        if (cbPixelFormat > 0 && offPixelFormat >= H::kSizeWithPixelFormat &&
            Bytes(stream.first(headerSize)).Has(offPixelFormat, cbPixelFormat))
            firstData = std::min<std::uint64_t>(firstData, offPixelFormat);
    }
    if (headerSize >= H::kSizeWithMicrometers && firstData >= H::kSizeWithMicrometers)
        h.micrometers = QSize(b.I32(H::micrometers), b.I32(H::micrometers + 4));

    // A Bytes field larger than the file means a truncated copy: frame what
    // is there, the records themselves are checked against the real end.
    std::uint64_t end = b.U32(H::bytes);
    if (end > b.Size() || end < headerSize)
        end = b.Size();
    std::uint64_t at = 0;
    while (at < end) {
        if (end - at < R::kSize)
            Invalid();
        const std::uint32_t type = b.U32(at + R::type), size = b.U32(at + R::size);
        if (size < R::kSize || size % 4 != 0 || size > end - at)
            Invalid();
        if (file.records.size() >= kMaxRecords)
            Invalid();
        file.records.push_back({type, static_cast<std::uint32_t>(at), size});
        at += size;
        if (type == Number(EmfRecord::Eof))
            break;
    }
    return file;
}

} // namespace tavik::metafile
