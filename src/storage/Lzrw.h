#pragma once

#include <array>
#include <cstdint>

namespace tavik {

// The block codec of picture records: LZ77 with 16-bit control words, a
// 4096-entry hash table, 12-bit offsets, lengths 3..18 and a run item for
// 16..4095 equal bytes. Blocks carry a flag byte: 0x40 compressed, 0x80 stored.

// Largest input of one block, and the largest output a block may decode to.
inline constexpr int kLzrwMaxBlock = 32768;
// Room a compression destination needs beyond n bytes of input.
inline constexpr int kLzrwSlack = 6;

// The compressor's table of the last position of each 3-byte hash. Owned by
// whoever compresses, one per thread at a time: compressions share nothing,
// and decoding needs no table at all. Its contents between calls do not
// matter; it exists so that compressing a block allocates nothing.
struct TLzrwHashTable {
    std::array<std::int16_t, 4096> slots;
};

// Compresses n bytes (0 <= n <= kLzrwMaxBlock) of src into dst, which must hold
// n + kLzrwSlack bytes, using table as scratch. Returns the block length, at
// most n + 1: a block that would not shrink is written in the stored form.
// Blocks are independent: the output depends on src alone.
int LzrwCompress(const std::uint8_t* src, int n, std::uint8_t* dst, TLzrwHashTable& table);

// Decodes the block of size bytes at src into dst (capacity kLzrwMaxBlock).
// Returns the number of bytes written. Throws EReadError "Stream read error"
// for a damaged block: size 0, an item read past src + size, a copy from before
// dst, or output beyond kLzrwMaxBlock. Never touches memory outside
// [src, src + size) and [dst, dst + kLzrwMaxBlock); dst is unspecified after a
// throw.
int LzrwDecompress(const std::uint8_t* src, int size, std::uint8_t* dst);

} // namespace tavik
