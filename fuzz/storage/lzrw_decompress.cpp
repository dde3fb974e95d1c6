// Arbitrary bytes as one compressed block: decoding must stay inside its
// buffers (the output is exactly the block limit, so ASan sees any overrun).
#include "storage/Exceptions.h"
#include "storage/Lzrw.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 2 * tavik::kLzrwMaxBlock)
        return 0;
    auto output = std::make_unique<std::uint8_t[]>(tavik::kLzrwMaxBlock);
    try {
        const int n = tavik::LzrwDecompress(data, static_cast<int>(size), output.get());
        if (n < 0 || n > tavik::kLzrwMaxBlock)
            std::abort();
    } catch (const tavik::EReadError&) {
    }
    return 0;
}
