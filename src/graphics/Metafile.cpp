#include "graphics/Metafile.h"

#include "graphics/Bytes.h"
#include "graphics/metafile/Metafile.h"
#include "storage/Exceptions.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace tavik {

namespace {

constexpr const char* kInvalid = "Metafile is not valid";
constexpr std::uint32_t kEmfSignature = 0x464D4520;
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::size_t kPlaceableSize = 22;
constexpr std::size_t kWmfHeaderSize = 18;
constexpr std::uint16_t kSetWindowOrg = 0x020B;
constexpr std::uint16_t kSetWindowExt = 0x020C;
// A natural size past this is a damaged header, not a picture anyone draws.
constexpr std::int64_t kMaxSide = 32768;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(kInvalid);
}

int ToPixels(std::int64_t units, std::int64_t perInch) {
    if (perInch <= 0) {
        return 0;
    }
    const std::int64_t pixels = (std::llabs(units) * 96 + perInch / 2) / perInch;
    return static_cast<int>(std::min(pixels, kMaxSide));
}

bool IsWmfHeader(std::span<const std::uint8_t> wmf) {
    if (wmf.size() < kWmfHeaderSize) {
        return false;
    }
    const std::uint16_t type = bytes::U16(wmf, 0);
    return (type == 1 || type == 2) && bytes::U16(wmf, 2) == 9;
}

struct Size {
    int width = 0;
    int height = 0;
};

// The frame is in hundredths of a millimetre. An empty frame falls back to the
// bounds, which are reference-device pixels.
Size EmfSize(std::span<const std::uint8_t> emf) {
    const std::int64_t frameW = std::int64_t{bytes::I32(emf, 32)} - bytes::I32(emf, 24);
    const std::int64_t frameH = std::int64_t{bytes::I32(emf, 36)} - bytes::I32(emf, 28);
    if (frameW > 0 && frameH > 0) {
        return {ToPixels(frameW, 2540), ToPixels(frameH, 2540)};
    }
    const std::int64_t boundsW = std::int64_t{bytes::I32(emf, 16)} - bytes::I32(emf, 8) + 1;
    const std::int64_t boundsH = std::int64_t{bytes::I32(emf, 20)} - bytes::I32(emf, 12) + 1;
    if (boundsW > 0 && boundsH > 0) {
        return {static_cast<int>(std::min(boundsW, kMaxSide)),
                static_cast<int>(std::min(boundsH, kMaxSide))};
    }
    return {};
}

Size PlaceableSize(std::span<const std::uint8_t> wmf) {
    const std::int64_t w = std::int64_t{bytes::I16(wmf, 10)} - bytes::I16(wmf, 6);
    const std::int64_t h = std::int64_t{bytes::I16(wmf, 12)} - bytes::I16(wmf, 8);
    const std::int64_t inch = bytes::U16(wmf, 14);
    return {ToPixels(w, inch), ToPixels(h, inch)};
}

void CheckEmf(std::span<const std::uint8_t> emf) {
    const std::uint32_t headerSize = bytes::U32(emf, 4);
    if (headerSize < 88 || headerSize > emf.size()) {
        Invalid();
    }
}

std::int16_t Clamp16(std::int64_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int64_t>(v, -32768, 32767));
}

} // namespace

bool IsEnhancedMetafile(std::span<const std::uint8_t> stream) {
    return stream.size() >= 89 && bytes::U32(stream, 0) == 1 &&
           bytes::U32(stream, 40) == kEmfSignature;
}

std::vector<std::uint8_t> AddPlaceableHeader(std::span<const std::uint8_t> wmf) {
    if (!IsWmfHeader(wmf)) {
        Invalid();
    }
    // The first window origin and extent the records set are the picture's rectangle.
    bool haveOrg = false;
    bool haveExt = false;
    std::int64_t orgX = 0, orgY = 0, extX = 0, extY = 0;
    std::size_t at = kWmfHeaderSize;
    while (at + 6 <= wmf.size() && !(haveOrg && haveExt)) {
        const std::uint64_t words = bytes::U32(wmf, at);
        const std::uint16_t function = bytes::U16(wmf, at + 4);
        if (words < 3 || function == 0 || at + words * 2 > wmf.size()) {
            break;
        }
        if (words >= 5 && function == kSetWindowOrg && !haveOrg) {
            orgY = bytes::I16(wmf, at + 6);
            orgX = bytes::I16(wmf, at + 8);
            haveOrg = true;
        } else if (words >= 5 && function == kSetWindowExt && !haveExt) {
            extY = bytes::I16(wmf, at + 6);
            extX = bytes::I16(wmf, at + 8);
            haveExt = true;
        }
        at += static_cast<std::size_t>(words * 2);
    }
    if (!haveExt) {
        extX = extY = 0;
    }
    std::vector<std::uint8_t> out;
    out.reserve(kPlaceableSize + wmf.size());
    bytes::Put32(out, kPlaceableKey);
    bytes::Put16(out, 0); // handle, always 0 on disk
    bytes::Put16(out, static_cast<std::uint16_t>(Clamp16(orgX)));
    bytes::Put16(out, static_cast<std::uint16_t>(Clamp16(orgY)));
    bytes::Put16(out, static_cast<std::uint16_t>(Clamp16(orgX + extX)));
    bytes::Put16(out, static_cast<std::uint16_t>(Clamp16(orgY + extY)));
    bytes::Put16(out, 2540);
    bytes::Put32(out, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < 10; ++i) {
        checksum ^= bytes::U16(out, i * 2);
    }
    bytes::Put16(out, checksum);
    out.insert(out.end(), wmf.begin(), wmf.end());
    return out;
}

void TMetafile::LoadFromStream(std::span<const std::uint8_t> stream) {
    if (stream.empty()) {
        FStream.clear();
        FDocument.reset();
        FEnhanced = false;
        FWidth = FHeight = 0;
        return;
    }
    // The player's reader frames every record: a stream it refuses is not valid.
    auto document = std::make_shared<const metafile::MetafileDocument>(
        metafile::MetafileDocument::Parse(stream));
    if (IsEnhancedMetafile(stream)) {
        CheckEmf(stream);
        const Size size = EmfSize(stream);
        FStream.assign(stream.begin(), stream.end());
        FDocument = std::move(document);
        FEnhanced = true;
        FWidth = size.width;
        FHeight = size.height;
        return;
    }
    std::vector<std::uint8_t> placeable;
    if (stream.size() >= 4 && bytes::U32(stream, 0) == kPlaceableKey) {
        if (!IsWmfHeader(stream.subspan(std::min(kPlaceableSize, stream.size())))) {
            Invalid();
        }
        placeable.assign(stream.begin(), stream.end());
    } else {
        placeable = AddPlaceableHeader(stream);
    }
    const Size size = PlaceableSize(placeable);
    if (placeable.size() != stream.size())
        document = std::make_shared<const metafile::MetafileDocument>(
            metafile::MetafileDocument::Parse(placeable));
    FStream = std::move(placeable);
    FDocument = std::move(document);
    FEnhanced = false;
    FWidth = size.width;
    FHeight = size.height;
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    return std::make_unique<TMetafile>(*this);
}

void TMetafile::Draw(QPainter& painter, QPoint topLeft) const {
    Play(painter, QRectF(topLeft, QSizeF(FWidth, FHeight)));
}

void TMetafile::StretchDraw(QPainter& painter, const QRect& target) const {
    Play(painter, QRectF(target));
}

std::vector<std::uint8_t> TMetafile::EmfImage() const {
    if (FStream.empty() || FEnhanced) {
        return FStream;
    }
    return ConvertToEmf();
}

std::vector<std::uint8_t> TMetafile::PlaceableWmfImage() const {
    if (FStream.empty() || !FEnhanced) {
        return FStream;
    }
    return ConvertToWmf();
}

void TMetafile::Play(QPainter& painter, const QRectF& target) const {
    if (FDocument) {
        FDocument->Play(painter, target);
    }
}

std::vector<std::uint8_t> TMetafile::ConvertToWmf() const {
    return FDocument->ToPlaceableWmf();
}

std::vector<std::uint8_t> TMetafile::ConvertToEmf() const {
    return FDocument->ToEmf();
}

} // namespace tavik
