#include "storage/Lzrw.h"

#include "storage/Exceptions.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>

namespace tavik {
namespace {

constexpr int kMaxOffset = 4095;
constexpr int kMaxMatch = 18;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;

[[noreturn]] void DamagedBlock() {
    throw EReadError("Stream read error");
}

// A whole group of 16 items can be decoded without checking the input when
// this much input is left (16 runs of 4 bytes, plus the 16-byte literal copy
// that may start after the last of them), and without checking the output for
// anything but runs when this much room is left (16 items of up to 18 bytes,
// plus the slack of the fixed-size copies, at most 32 bytes).
constexpr int kFastInput = 16 * 4 + 16;
constexpr int kFastRoom = 16 * 18 + 32;
// Output that must precede a group decoded whole: a copy item can then test
// its offset against both the output written and the fixed 16-byte step in
// one comparison.
constexpr int kFastStart = 16;

inline std::uint32_t Load32(const std::uint8_t* from) {
    std::uint32_t value;
    std::memcpy(&value, from, 4);
    return value;
}

inline void Store64(std::uint8_t* out, std::uint64_t value) {
    std::memcpy(out, &value, 8);
}

// Writes 16 bytes of value at out.
inline void Fill16(std::uint8_t* out, std::uint8_t value) {
    std::uint8_t pattern[16];
    std::memset(pattern, value, 16);
    std::memcpy(out, pattern, 16);
}

// Bit order reversed within a byte.
constexpr std::array<std::uint8_t, 256> kReversed = [] {
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        for (int bit = 0; bit < 8; ++bit)
            if (i & (1 << bit))
                table[static_cast<std::size_t>(i)] |= static_cast<std::uint8_t>(0x80 >> bit);
    return table;
}();

// Copies from a few bytes back are built in registers, in memory order.
static_assert(std::endian::native == std::endian::little, "little-endian byte order");

// Where the bytes 8 and 16 of a copy fall within its repeating pattern, by
// the pattern's length (3, 5, 6 or 7).
constexpr std::array<std::uint8_t, 8> kPhaseAt8 = {0, 0, 0, 8 % 3, 0, 8 % 5, 8 % 6, 8 % 7};
constexpr std::array<std::uint8_t, 8> kPhaseAt16 = {0, 0, 0, 16 % 3, 0, 16 % 5, 16 % 6, 16 % 7};

// Writes the 18 bytes of a copy from 2 to 7 bytes back. They repeat the
// offset's last bytes, so they are built in a register from those alone (in
// memory order, which is little-endian): copying in steps no longer than the
// offset would make each step wait for the one before it.
inline void CopyShortOffset(std::uint8_t* out, const std::uint8_t* from, int offset) {
    std::uint64_t pattern;
    int period = offset;
    if (offset >= 4) {
        pattern = Load32(from) | static_cast<std::uint64_t>(Load32(from + offset - 4))
                                     << (8 * (offset - 4));
    } else {
        // Twice the bytes: a pattern of 4 or 6 bytes repeats just the same.
        pattern = offset == 2 ? from[0] | from[1] << 8 : from[0] | from[1] << 8 | from[2] << 16;
        pattern |= pattern << (8 * offset);
        period = 2 * offset;
    }
    const std::uint64_t first = pattern | pattern << (8 * period); // bytes 0 to 7
    if (period == 4) {
        Store64(out, first);
        Store64(out + 8, first);
        Store64(out + 16, first);
        return;
    }
    // Eight bytes starting at phase (1 to period - 1) of the pattern: the tail
    // of the first eight, then their bytes from 8 - period on.
    auto eightFrom = [first, period](int phase) {
        return first >> (8 * phase) | (first >> (8 * (8 - period))) << (8 * (8 - phase));
    };
    Store64(out, first);
    Store64(out + 8, eightFrom(kPhaseAt8[static_cast<std::size_t>(period)]));
    Store64(out + 16, eightFrom(kPhaseAt16[static_cast<std::size_t>(period)]));
}

// A copy item that the plain 18-byte step of the group decoder cannot take: a
// run, an offset under 16, or an offset before the start of the output (a
// damaged block). Advances in and out past it.
void DecodeUncommonItem(const std::uint8_t*& in, std::uint8_t*& out, std::uint8_t* dst,
                        unsigned key) {
    const unsigned offset = key >> 4;
    if (offset == 0) {
        const int count = static_cast<int>((key << 8) | in[2]) + kMinRun;
        const std::uint8_t value = in[3];
        // Whole 16-byte steps: most runs are short, and a call to memset
        // costs more than the filling itself.
        Fill16(out, value);
        Fill16(out + 16, value);
        if (count > 32) {
            const long room = dst + kLzrwMaxBlock - out;
            if (count > room - 16) {
                if (count > room)
                    DamagedBlock();
                std::memset(out, value, static_cast<std::size_t>(count));
            } else {
                for (int k = 32; k < count; k += 16)
                    Fill16(out + k, value);
            }
        }
        out += count;
        in += 4;
        return;
    }
    if (offset > static_cast<unsigned>(out - dst))
        DamagedBlock();
    // Larger offsets within the output take the plain step.
    assert(offset < 16);
    const std::uint8_t* from = out - offset;
    if (offset >= 8) {
        // Steps no longer than the offset read only bytes already written.
        std::memcpy(out, from, 8);
        std::memcpy(out + 8, from + 8, 8);
        std::memcpy(out + 16, from + 16, 8);
    } else if (offset >= 2) {
        CopyShortOffset(out, from, static_cast<int>(offset));
    } else {
        std::memset(out, *from, kMaxMatch);
    }
    out += (key & 0x0F) + 3;
    in += 2;
}

// The copy items of a group's control word: item i is bit i, and bit 16 marks
// the group's end, so that stepping to the next copy item clears the lowest
// set bit: one cheap step per item, where shifting by a count of leading zeros
// would chain several slow ones.
inline std::uint32_t PendingItems(std::uint32_t word) {
    return static_cast<std::uint32_t>(kReversed[word >> 8]) |
           static_cast<std::uint32_t>(kReversed[word & 0xFF]) << 8 | 0x10000u;
}

// Decodes groups from the one whose control word is in the top 16 bits of
// control, for as long as the margins hold at the start of each group; a run
// may use up the room within a group. Returns the number of items of the last
// group still to decode by the careful path (0 when it is done), with control
// shifted past the decoded ones.
int DecodeGroups(const std::uint8_t* src, int size, int& xRef, std::uint8_t* dst, int& yRef,
                 std::uint32_t& controlRef) {
    // Nothing below checks the input, or the room for anything but runs: the
    // caller enters only with this much of both, after kFastStart bytes of
    // output, and each later group is entered on the same margins.
    assert(xRef + kFastInput <= size);
    assert(yRef + kFastRoom <= kLzrwMaxBlock);
    assert(yRef >= kFastStart);
    std::uint32_t word = controlRef >> 16;
    std::uint32_t pending = PendingItems(word);
    const std::uint8_t* in = src + xRef;
    std::uint8_t* out = dst + yRef;
    const std::uint8_t* const roomEnd = dst + kLzrwMaxBlock - kFastRoom;
    const std::uint8_t* const outStart = dst + kFastStart;
    const std::uint8_t* const inLast = src + size - 2 - kFastInput;
    unsigned next = 0; // the first item not decoded yet
    for (;;) {
        const unsigned at = static_cast<unsigned>(std::countr_zero(pending));
        // The literals before the next copy item, possibly none: one fixed
        // copy whatever their number. Bytes past them are rewritten later.
        const unsigned literals = at - next;
        std::memcpy(out, in, 16);
        in += literals;
        out += literals;
        next = at + 1;
        if (at == 16) {
            // The next group in the same loop, when the margins hold for it
            // as they did for the first: leaving for it costs more than the
            // mispredicted end of the group already does.
            if (in > inLast || out > roomEnd)
                break;
            word = static_cast<std::uint32_t>(in[0]) << 8 | in[1];
            in += 2;
            pending = PendingItems(word);
            next = 0;
            continue;
        }
        pending &= pending - 1;
        const unsigned key = static_cast<unsigned>(in[0]) << 8 | in[1];
        const unsigned offset = key >> 4;
        // Runs (offset 0), offsets under 16 and offsets before the output's
        // start, in one unsigned comparison.
        if (offset - 16 > static_cast<unsigned>(out - outStart)) [[unlikely]] {
            DecodeUncommonItem(in, out, dst, key);
            if (out > roomEnd)
                break;
            continue;
        }
        // An 18-byte copy, the longest, in two steps no longer than the
        // offset: each reads only bytes already written. Bytes past the
        // length are rewritten by later items.
        const std::uint8_t* from = out - offset;
        std::memcpy(out, from, 16);
        std::memcpy(out + 16, from + 16, 2);
        out += (key & 0x0F) + 3;
        in += 2;
    }
    xRef = static_cast<int>(in - src);
    yRef = static_cast<int>(out - dst);
    const int left = next >= 16 ? 0 : 16 - static_cast<int>(next);
    controlRef = left == 0 ? 0 : word << 16 << next;
    return left;
}

} // namespace

int LzrwCompress(const std::uint8_t* src, int n, std::uint8_t* dst, TLzrwHashTable& table) {
    std::int16_t* const hashTable = table.slots.data();
    table.slots.fill(-1);
    dst[0] = 0x40;
    int x = 0;
    int y = 3;
    int z = 1;
    int bits = 0;
    std::uint16_t control = 0;
    while (x < n && y <= n) {
        if (bits > 15) {
            dst[z] = static_cast<std::uint8_t>(control >> 8);
            dst[z + 1] = static_cast<std::uint8_t>(control);
            z = y;
            y += 2;
            bits = 0;
        }
        int r = 1;
        while (x + r < n && r < kMaxRun && src[x + r] == src[x])
            ++r;
        if (r >= kMinRun) {
            const int count = r - kMinRun;
            dst[y] = 0;
            dst[y + 1] = static_cast<std::uint8_t>(count >> 8);
            dst[y + 2] = static_cast<std::uint8_t>(count);
            dst[y + 3] = src[x];
            y += 4;
            x += r;
            control = static_cast<std::uint16_t>(control << 1 | 1);
        } else {
            int length = 0;
            int offset = 0;
            // The last two positions cannot start a match of 3, and their hash
            // would read past the input; skipping them changes no output.
            if (x + 2 < n) {
                std::uint32_t h =
                    ((static_cast<std::uint32_t>(src[x]) << 4 ^ src[x + 1]) << 4) ^ src[x + 2];
                h = ((h * 40543u) >> 4) & 0x0FFF;
                const int p = hashTable[h];
                hashTable[h] = static_cast<std::int16_t>(x);
                if (p >= 0 && x - p <= kMaxOffset) {
                    while (length < kMaxMatch && x + length < n &&
                           src[x + length] == src[p + length])
                        ++length;
                    offset = x - p;
                }
            }
            if (length >= 3) {
                const int key = offset * 16 + (length - 3);
                dst[y] = static_cast<std::uint8_t>(key >> 8);
                dst[y + 1] = static_cast<std::uint8_t>(key);
                y += 2;
                x += length;
                control = static_cast<std::uint16_t>(control << 1 | 1);
            } else {
                dst[y++] = src[x++];
                control = static_cast<std::uint16_t>(control << 1);
            }
        }
        ++bits;
    }
    control = static_cast<std::uint16_t>(bits >= 16 ? control : control << (16 - bits));
    dst[z] = static_cast<std::uint8_t>(control >> 8);
    dst[z + 1] = static_cast<std::uint8_t>(control);
    if (y > n) {
        dst[0] = 0x80;
        if (n > 0)
            std::memcpy(dst + 1, src, static_cast<std::size_t>(n));
        return n + 1;
    }
    return y;
}

int LzrwDecompress(const std::uint8_t* src, int size, std::uint8_t* dst) {
    if (size <= 0)
        DamagedBlock();
    if (src[0] == 0x80) {
        const int n = size - 1;
        if (n > kLzrwMaxBlock)
            DamagedBlock();
        if (n > 0)
            std::memcpy(dst, src + 1, static_cast<std::size_t>(n));
        return n;
    }
    if (size < 3)
        DamagedBlock();
    int x = 3;
    int y = 0;
    // The control word sits in the top 16 bits, so that counting leading zeros
    // counts the literals that come next.
    std::uint32_t control = (static_cast<std::uint32_t>(src[1]) << 8 | src[2]) << 16;
    int bits = 16;
    while (x < size) {
        if (bits == 0) {
            if (x + 1 >= size)
                DamagedBlock();
            control = (static_cast<std::uint32_t>(src[x]) << 8 | src[x + 1]) << 16;
            x += 2;
            bits = 16;
            if (x >= size)
                break;
        }
        if (bits == 16 && y >= kFastStart && x + kFastInput <= size &&
            y + kFastRoom <= kLzrwMaxBlock) {
            bits = DecodeGroups(src, size, x, dst, y, control);
            continue;
        }
        if ((control & 0x80000000u) == 0) {
            // A batch of literals: as many as the control word announces and
            // the block still holds.
            int literals = control == 0 ? bits : std::min(bits, std::countl_zero(control));
            literals = std::min(literals, size - x);
            if (literals > kLzrwMaxBlock - y)
                DamagedBlock();
            if (x + 16 <= size && y + 16 <= kLzrwMaxBlock)
                std::memcpy(dst + y, src + x, 16); // one fixed copy; extra bytes get overwritten
            else
                std::memcpy(dst + y, src + x, static_cast<std::size_t>(literals));
            x += literals;
            y += literals;
            control <<= literals; // at most 16
            bits -= literals;
            continue;
        }
        if (x + 1 >= size)
            DamagedBlock();
        const int offset = src[x] << 4 | src[x + 1] >> 4;
        if (offset == 0) {
            if (x + 3 >= size)
                DamagedBlock();
            const int count = (src[x + 1] << 8 | src[x + 2]) + kMinRun;
            if (count > kLzrwMaxBlock - y)
                DamagedBlock();
            std::memset(dst + y, src[x + 3], static_cast<std::size_t>(count));
            y += count;
            x += 4;
        } else {
            const int length = (src[x + 1] & 0x0F) + 3;
            if (offset > y || length > kLzrwMaxBlock - y)
                DamagedBlock();
            std::uint8_t* out = dst + y;
            const std::uint8_t* from = out - offset;
            if (offset >= 8 && y + 24 <= kLzrwMaxBlock) {
                // Fixed 8-byte steps: each reads only bytes already written
                // when offset >= 8. Bytes past length are rewritten by the
                // items that follow.
                std::memcpy(out, from, 8);
                std::memcpy(out + 8, from + 8, 8);
                std::memcpy(out + 16, from + 16, 8);
            } else if (offset == 1) {
                std::memset(out, *from, static_cast<std::size_t>(length));
            } else {
                // Overlapping copy repeats the last offset bytes: forward, byte by byte.
                for (int k = 0; k < length; ++k)
                    out[k] = from[k];
            }
            y += length;
            x += 2;
        }
        control <<= 1;
        --bits;
    }
    return y;
}

} // namespace tavik
