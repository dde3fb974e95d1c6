#pragma once
// Little-endian appends and patches for the tests' file builders: the picture
// layer's own helpers (a header of the standard library only).
#include "graphics/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavik::test {

using bytes::Put16;
using bytes::Put32;

// Overwrites the four bytes at `at`, which exist.
inline void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    bytes::Patch32(out, at, v);
}

} // namespace tavik::test
