#pragma once

#include "graphics/Bytes.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace tavik::metafile {

// Little-endian byte sink with patchable fields for the record writers.
class ByteWriter {
public:
    std::vector<std::uint8_t>& Data() { return FData; }
    std::size_t Size() const { return FData.size(); }
    void U8(std::uint8_t v) { FData.push_back(v); }
    void U16(std::uint32_t v) { bytes::Put16(FData, v); }
    void U32(std::uint32_t v) { bytes::Put32(FData, v); }
    void I16(int v) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    void I32(std::int64_t v) { U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(v))); }
    void Bytes(const std::uint8_t* p, std::size_t n) { FData.insert(FData.end(), p, p + n); }
    void Pad(std::size_t alignment) {
        while (FData.size() % alignment)
            U8(0);
    }
    void Patch32(std::size_t at, std::uint32_t v) { bytes::Patch32(FData, at, v); }
    void Patch16(std::size_t at, std::uint32_t v) { bytes::Patch16(FData, at, v); }

private:
    std::vector<std::uint8_t> FData;
};

} // namespace tavik::metafile
