#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavik::bytes {

// Little-endian reads from a span; the caller has checked that the bytes exist.
inline std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::int16_t I16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(U16(b, at));
}
inline std::int32_t I32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(U32(b, at));
}

// Little-endian appends.
inline void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Little-endian writes over bytes that exist.
inline void Patch16(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Patch32(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
    Patch16(b, at, v & 0xFFFF);
    Patch16(b, at + 2, v >> 16);
}

} // namespace tavik::bytes
