#include "storage/ValueStream.h"

#include "storage/Exceptions.h"
#include "storage/Stream.h"

#include <cstring>

namespace tavik {

TValueWriter::~TValueWriter() {
    try {
        FlushBuffer();
    } catch (const Exception&) {
    }
}

void TValueWriter::FlushBuffer() {
    if (FCount == 0)
        return;
    const std::size_t n = FCount;
    FCount = 0;
    FStream.WriteBuffer(FBuffer.get(), n);
}

void TValueWriter::Write(const void* bytes, std::size_t n) {
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    while (n > 0) {
        if (FCount == kBufferSize)
            FlushBuffer();
        const std::size_t chunk = std::min(n, kBufferSize - FCount);
        std::memcpy(FBuffer.get() + FCount, in, chunk);
        FCount += chunk;
        in += chunk;
        n -= chunk;
    }
}

void TValueWriter::WriteStringSlowly(std::string_view s) {
    if (s.size() < 256) {
        const std::uint8_t head[2] = {vaString, static_cast<std::uint8_t>(s.size())};
        Write(head, 2);
    } else {
        const auto n = static_cast<std::uint32_t>(s.size());
        const std::uint8_t head[5] = {
            vaLString, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        Write(head, 5);
    }
    Write(s.data(), s.size());
}

void TValueWriter::WriteIntegerSlowly(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    if (v >= -128 && v <= 127) {
        const std::uint8_t b[2] = {vaInt8, static_cast<std::uint8_t>(u)};
        Write(b, 2);
    } else if (v >= -32768 && v <= 32767) {
        const std::uint8_t b[3] = {vaInt16, static_cast<std::uint8_t>(u),
                                   static_cast<std::uint8_t>(u >> 8)};
        Write(b, 3);
    } else {
        const std::uint8_t b[5] = {
            vaInt32, static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
            static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
        Write(b, 5);
    }
}

std::int64_t TValueReader::BytesLeft() {
    auto left = static_cast<std::int64_t>(FCount - FPos);
    FPos = FCount;
    while (const std::size_t n = FStream.Read(FBuffer.get(), kBufferSize))
        left += static_cast<std::int64_t>(n);
    FPos = FCount = 0;
    return left;
}

void TValueReader::Fill() {
    FPos = 0;
    FCount = FStream.Read(FBuffer.get(), kBufferSize);
    if (FCount == 0)
        throw EReadError("Stream read error");
}

void TValueReader::Read(void* bytes, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(bytes);
    while (n > 0) {
        if (FPos == FCount)
            Fill();
        const std::size_t chunk = std::min(n, FCount - FPos);
        std::memcpy(out, FBuffer.get() + FPos, chunk);
        FPos += chunk;
        out += chunk;
        n -= chunk;
    }
}

void TValueReader::ThrowInvalidValue() {
    throw EReadError("Invalid property value");
}

std::string TValueReader::ReadString() {
    return std::string(ReadStringView());
}

std::string_view TValueReader::ReadStringViewSlowly() {
    std::size_t length = 0;
    const std::uint8_t tag = ReadByte();
    if (tag == vaString) {
        length = ReadByte();
    } else if (tag == vaLString) {
        std::uint8_t b[4];
        Read(b, 4);
        length = LittleEndian32(b);
    } else {
        ThrowInvalidValue();
    }
    if (length <= FCount - FPos) {
        const std::string_view s(reinterpret_cast<const char*>(FBuffer.get() + FPos), length);
        FPos += length;
        return s;
    }
    FLongString.clear();
    // A damaged length must not allocate gigabytes before the stream runs dry:
    // grow the string only as the bytes actually arrive.
    while (length > 0) {
        if (FPos == FCount)
            Fill();
        const std::size_t chunk = std::min(length, FCount - FPos);
        FLongString.append(reinterpret_cast<const char*>(FBuffer.get() + FPos), chunk);
        FPos += chunk;
        length -= chunk;
    }
    return FLongString;
}

std::int32_t TValueReader::ReadIntegerSlowly() {
    const std::uint8_t tag = ReadByte();
    if (tag == vaInt8)
        return static_cast<std::int8_t>(ReadByte());
    if (tag == vaInt16) {
        const std::uint8_t lo = ReadByte();
        const std::uint8_t hi = ReadByte();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
    }
    if (tag == vaInt32) {
        std::uint8_t b[4];
        Read(b, 4);
        return static_cast<std::int32_t>(LittleEndian32(b));
    }
    ThrowInvalidValue();
}

} // namespace tavik
