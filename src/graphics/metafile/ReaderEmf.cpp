#include "Bytes.h"
#include "Reader.h"
#include "storage/Exceptions.h"

namespace tavik::metafile {

namespace {

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
    return b.Size() >= 89 && b.U32(0) == Number(EmfRecord::Header) && b.U32(40) == kEmfSignature;
}

EmfFile ReadEmf(std::span<const std::uint8_t> stream) {
    const Bytes b(stream);
    if (!LooksLikeEmf(stream))
        Invalid();
    const std::uint32_t headerSize = b.U32(4);
    if (headerSize < 88 || headerSize % 4 != 0 || headerSize > b.Size())
        Invalid();
    EmfFile file;
    EmfHeader& h = file.header;
    h.bounds = ReadRect(b, 8);
    h.frame = ReadRect(b, 24);
    h.handles = b.U16(56);
    h.device = QSize(b.I32(72), b.I32(76));
    h.millimeters = QSize(b.I32(80), b.I32(84));
    // The extensions count only when nothing else claims their bytes.
    const std::uint32_t nDesc = b.U32(60), offDesc = b.U32(64);
    std::uint64_t firstData = headerSize;
    if (nDesc > 0) {
        if (offDesc < 88 || !Bytes(stream.first(headerSize)).Has(offDesc, 2ull * nDesc))
            Invalid();
        firstData = std::min<std::uint64_t>(firstData, offDesc);
    }
    if (headerSize >= 100) {
        const std::uint32_t cbPixelFormat = b.U32(88), offPixelFormat = b.U32(92);
        if (cbPixelFormat > 0 && offPixelFormat >= 100 &&
            Bytes(stream.first(headerSize)).Has(offPixelFormat, cbPixelFormat))
            firstData = std::min<std::uint64_t>(firstData, offPixelFormat);
    }
    if (headerSize >= 108 && firstData >= 108)
        h.micrometers = QSize(b.I32(100), b.I32(104));

    // A Bytes field larger than the file means a truncated copy: frame what
    // is there, the records themselves are checked against the real end.
    std::uint64_t end = b.U32(48);
    if (end > b.Size() || end < headerSize)
        end = b.Size();
    std::uint64_t at = 0;
    while (at < end) {
        if (end - at < 8)
            Invalid();
        const std::uint32_t type = b.U32(at), size = b.U32(at + 4);
        if (size < 8 || size % 4 != 0 || size > end - at)
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
