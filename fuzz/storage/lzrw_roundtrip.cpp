// Any block of input compresses to at most n + 1 bytes and decodes back to
// exactly the input.
#include "storage/Lzrw.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int n = static_cast<int>(std::min<std::size_t>(size, tavik::kLzrwMaxBlock));
    auto packed = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(n + tavik::kLzrwSlack));
    tavik::TLzrwHashTable table;
    const int k = tavik::LzrwCompress(data, n, packed.get(), table);
    if (k < 1 || k > n + 1)
        std::abort();
    auto unpacked = std::make_unique<std::uint8_t[]>(tavik::kLzrwMaxBlock);
    const int m = tavik::LzrwDecompress(packed.get(), k, unpacked.get());
    if (m != n || (n > 0 && std::memcmp(unpacked.get(), data, static_cast<std::size_t>(n)) != 0))
        std::abort();
    return 0;
}
