#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace tavik {

class TStream;

// Tags of the value encoding used by the list file.
enum ValueTag : std::uint8_t {
    vaNull = 0x00,   // end of a list
    vaList = 0x01,   // start of a list
    vaInt8 = 0x02,   // integer, one signed byte follows
    vaInt16 = 0x03,  // integer, 16-bit little-endian follows
    vaInt32 = 0x04,  // integer, 32-bit little-endian follows
    vaString = 0x06, // string, one length byte and the characters follow
    vaLString = 0x0C // string, 32-bit little-endian length and the characters follow
};

// Writes tagged values to a stream through a 256 KiB buffer, so that a list
// file of many pictures costs few writes of the system. The buffer goes
// to the stream when it fills and on FlushBuffer(). Call FlushBuffer() before
// the writer goes: it is the only flush that reports a failure (EWriteError
// "Stream write error"); the destructor's own flush swallows errors, because an
// unflushed writer only happens while another error is already on its way.
class TValueWriter {
public:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    explicit TValueWriter(TStream& stream)
        : FStream(stream), FBuffer(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {}
    ~TValueWriter();
    TValueWriter(const TValueWriter&) = delete;
    TValueWriter& operator=(const TValueWriter&) = delete;

    void Write(const void* bytes, std::size_t n);
    void WriteListBegin() { WriteByte(vaList); }
    void WriteListEnd() { WriteByte(vaNull); }
    // 0x06 + one length byte below 256 characters, 0x0C + 4-byte length above.
    void WriteString(std::string_view s) {
        // A short string that fits the buffer, nearly every one, goes in here.
        if (s.size() < 256 && kBufferSize - FCount >= 2 + s.size()) {
            std::uint8_t* at = &FBuffer[FCount];
            at[0] = vaString;
            at[1] = static_cast<std::uint8_t>(s.size());
            if (!s.empty())
                std::memcpy(at + 2, s.data(), s.size());
            FCount += 2 + s.size();
            return;
        }
        WriteStringSlowly(s);
    }
    // The shortest of 0x02 (1 byte), 0x03 (2 bytes), 0x04 (4 bytes) that holds v.
    void WriteInteger(std::int32_t v) {
        if (kBufferSize - FCount < 5) {
            WriteIntegerSlowly(v);
            return;
        }
        // Straight into the buffer: bytes gathered elsewhere first would be
        // read back as one word, which stalls the processor.
        std::uint8_t* at = &FBuffer[FCount];
        const auto u = static_cast<std::uint32_t>(v);
        at[1] = static_cast<std::uint8_t>(u);
        at[2] = static_cast<std::uint8_t>(u >> 8);
        at[3] = static_cast<std::uint8_t>(u >> 16);
        at[4] = static_cast<std::uint8_t>(u >> 24);
        if (v >= -128 && v <= 127) {
            at[0] = vaInt8;
            FCount += 2;
        } else if (v >= -32768 && v <= 32767) {
            at[0] = vaInt16;
            FCount += 3;
        } else {
            at[0] = vaInt32;
            FCount += 5;
        }
    }
    void FlushBuffer();

private:
    void WriteStringSlowly(std::string_view s);
    void WriteIntegerSlowly(std::int32_t v);
    void WriteByte(std::uint8_t b) {
        if (FCount == kBufferSize)
            FlushBuffer();
        FBuffer[FCount++] = b;
    }

    TStream& FStream;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FCount = 0;
};

// Reads tagged values from a stream through a 64 KiB buffer, starting at
// the stream's current position (and reading ahead of it). Errors, all
// EReadError: a wrong tag is "Invalid property value", a stream that ends
// before the bytes asked for is "Stream read error".
class TValueReader {
public:
    // Large enough that a list file costs few reads of the system.
    static constexpr std::size_t kBufferSize = 64 * 1024;

    explicit TValueReader(TStream& stream)
        : FStream(stream), FBuffer(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize)) {}
    TValueReader(const TValueReader&) = delete;
    TValueReader& operator=(const TValueReader&) = delete;

    void Read(void* bytes, std::size_t n);
    // True when the next byte is 0x00; consumes nothing.
    bool EndOfList() { return PeekByte() == vaNull; }
    // Bytes the stream still holds past what was read; reads them to count.
    std::int64_t BytesLeft();
    void ReadListBegin() { ReadTag(vaList); }
    void ReadListEnd() { ReadTag(vaNull); }
    std::string ReadString();
    // The same string without a copy of its own: valid until the next read.
    std::string_view ReadStringView() {
        // A short string wholly inside the buffer, nearly every one, is
        // handed out here; the rest take the long way.
        if (FCount - FPos >= 2 && FBuffer[FPos] == vaString &&
            FBuffer[FPos + 1] <= FCount - FPos - 2) {
            const std::size_t length = FBuffer[FPos + 1];
            const std::string_view s(reinterpret_cast<const char*>(&FBuffer[FPos + 2]), length);
            FPos += 2 + length;
            return s;
        }
        return ReadStringViewSlowly();
    }
    // Accepts any of the three integer tags; sign-extends to 32 bits.
    std::int32_t ReadInteger() {
        if (FCount - FPos >= 5) {
            const std::uint8_t* at = &FBuffer[FPos];
            switch (at[0]) {
            case vaInt8:
                FPos += 2;
                return static_cast<std::int8_t>(at[1]);
            case vaInt16:
                FPos += 3;
                return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[1] | at[2] << 8));
            case vaInt32:
                FPos += 5;
                return static_cast<std::int32_t>(LittleEndian32(at + 1));
            default:
                break;
            }
        }
        return ReadIntegerSlowly();
    }

private:
    static std::uint32_t LittleEndian32(const std::uint8_t* b) {
        return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
               static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    }
    std::uint8_t ReadByte() {
        if (FPos == FCount)
            Fill();
        return FBuffer[FPos++];
    }
    std::uint8_t PeekByte() {
        if (FPos == FCount)
            Fill();
        return FBuffer[FPos];
    }
    // Refills the empty buffer; throws when the stream has nothing more.
    void Fill();
    void ReadTag(std::uint8_t expected) {
        if (ReadByte() != expected)
            ThrowInvalidValue();
    }
    [[noreturn]] static void ThrowInvalidValue();
    std::string_view ReadStringViewSlowly();
    std::int32_t ReadIntegerSlowly();

    TStream& FStream;
    std::unique_ptr<std::uint8_t[]> FBuffer;
    std::size_t FPos = 0;
    std::size_t FCount = 0;
    std::string FLongString; // a string that straddles the buffer's end
};

} // namespace tavik
