#pragma once

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
    void U16(std::uint32_t v) {
        U8(static_cast<std::uint8_t>(v));
        U8(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void I16(int v) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))); }
    void I32(std::int64_t v) { U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(v))); }
    void Bytes(const std::uint8_t* p, std::size_t n) { FData.insert(FData.end(), p, p + n); }
    void Pad(std::size_t alignment) {
        while (FData.size() % alignment)
            U8(0);
    }
    void Patch32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            FData[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void Patch16(std::size_t at, std::uint32_t v) {
        FData[at] = static_cast<std::uint8_t>(v);
        FData[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }

private:
    std::vector<std::uint8_t> FData;
};

} // namespace tavik::metafile
