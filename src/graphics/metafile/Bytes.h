#pragma once

#include "graphics/Bytes.h"

#include <cstdint>
#include <cstring>
#include <span>

namespace tavik::metafile {

// A little-endian view of a record's bytes. Every read is bounds-checked:
// a field outside the view reads as 0, so a record that lies about its sizes
// can never make the engine touch memory it does not own. Callers check
// Has() first where a missing field must skip the record.
class Bytes {
public:
    Bytes() = default;
    explicit Bytes(std::span<const std::uint8_t> data) : FData(data) {}

    std::size_t Size() const { return FData.size(); }
    const std::uint8_t* Data() const { return FData.data(); }
    std::span<const std::uint8_t> Span() const { return FData; }

    // True when [offset, offset + length) lies inside the view (64-bit sums).
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= FData.size() && length <= FData.size() - offset;
    }
    // The sub-view [offset, offset + length), empty when it does not fit.
    Bytes Sub(std::uint64_t offset, std::uint64_t length) const {
        if (!Has(offset, length))
            return {};
        return Bytes(
            FData.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length)));
    }

    std::uint8_t U8(std::uint64_t offset) const {
        return Has(offset, 1) ? FData[static_cast<std::size_t>(offset)] : 0;
    }
    // A field that runs past the end reads its bytes inside the view.
    std::uint16_t U16(std::uint64_t offset) const {
        return Has(offset, 2) ? bytes::U16(FData, static_cast<std::size_t>(offset)) : U8(offset);
    }
    std::int16_t I16(std::uint64_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::uint64_t offset) const {
        if (Has(offset, 4))
            return bytes::U32(FData, static_cast<std::size_t>(offset));
        return static_cast<std::uint32_t>(U16(offset)) |
               (static_cast<std::uint32_t>(U16(offset + 2)) << 16);
    }
    std::int32_t I32(std::uint64_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::uint64_t offset) const {
        const std::uint32_t bits = U32(offset);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

private:
    std::span<const std::uint8_t> FData;
};

} // namespace tavik::metafile
