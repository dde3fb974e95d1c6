// The block codec on picture-like data, beside memcpy of the same bytes and a
// plain byte-by-byte decoding loop.
#include "PictureData.h"
#include "Ratios.h"

#include "storage/Lzrw.h"

#include <cstdio>
#include <cstdlib>

namespace {

using tavik::bench::Bytes;

struct Corpus {
    std::vector<Bytes> blocks;
    std::vector<Bytes> packed;
    std::size_t bytes = 0;
    std::size_t packedBytes = 0;
};

// The decoding loop written the plain way: one item, one byte at a time.
int ReferenceDecode(const std::uint8_t* s, int m, std::uint8_t* d) {
    if (s[0] == 0x80) {
        for (int i = 1; i < m; ++i)
            d[i - 1] = s[i];
        return m - 1;
    }
    int x = 3;
    int y = 0;
    unsigned control = s[1] * 256u + s[2];
    int bits = 16;
    while (x < m) {
        if (bits == 0) {
            control = s[x] * 256u + s[x + 1];
            x += 2;
            bits = 16;
        }
        if ((control & 0x8000) == 0) {
            d[y++] = s[x++];
        } else {
            const int offset = s[x] * 16 + (s[x + 1] >> 4);
            if (offset == 0) {
                const int count = s[x + 1] * 256 + s[x + 2] + 16;
                for (int k = 0; k < count; ++k)
                    d[y++] = s[x + 3];
                x += 4;
            } else {
                const int length = (s[x + 1] & 0x0F) + 3;
                for (int k = 0; k < length; ++k, ++y)
                    d[y] = d[y - offset];
                x += 2;
            }
        }
        control = (control << 1) & 0xFFFF;
        --bits;
    }
    return y;
}

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        tavik::TLzrwHashTable table;
        for (const Bytes& picture : tavik::bench::PictureMix()) {
            for (std::size_t at = 0; at < picture.size(); at += tavik::kLzrwMaxBlock) {
                const std::size_t n =
                    std::min<std::size_t>(tavik::kLzrwMaxBlock, picture.size() - at);
                c.blocks.emplace_back(picture.begin() + static_cast<long>(at),
                                      picture.begin() + static_cast<long>(at + n));
                Bytes packed(n + tavik::kLzrwSlack);
                packed.resize(static_cast<std::size_t>(tavik::LzrwCompress(
                    c.blocks.back().data(), static_cast<int>(n), packed.data(), table)));
                c.packed.push_back(std::move(packed));
                c.bytes += n;
                c.packedBytes += c.packed.back().size();
            }
        }
        // The measured decoder must give exactly what the plain loop gives.
        Bytes a(tavik::kLzrwMaxBlock);
        Bytes b(tavik::kLzrwMaxBlock);
        for (std::size_t i = 0; i < c.blocks.size(); ++i) {
            const auto& p = c.packed[i];
            const int n = tavik::LzrwDecompress(p.data(), static_cast<int>(p.size()), a.data());
            const int r = ReferenceDecode(p.data(), static_cast<int>(p.size()), b.data());
            if (n != r || Bytes(a.begin(), a.begin() + n) != c.blocks[i] ||
                Bytes(b.begin(), b.begin() + r) != c.blocks[i]) {
                std::fprintf(stderr, "decoders disagree on block %zu\n", i);
                std::abort();
            }
        }
        std::printf("picture-like data: %zu blocks, %zu bytes, compressed to %zu (%.1f %%)\n",
                    c.blocks.size(), c.bytes, c.packedBytes, 100.0 * c.packedBytes / c.bytes);
        return c;
    }();
    return corpus;
}

void Memcpy(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    Bytes out(tavik::kLzrwMaxBlock);
    for (auto _ : state) {
        for (const auto& block : c.blocks) {
            std::memcpy(out.data(), block.data(), block.size());
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

void Compress(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    Bytes out(tavik::kLzrwMaxBlock + tavik::kLzrwSlack);
    tavik::TLzrwHashTable table;
    for (auto _ : state)
        for (const auto& block : c.blocks)
            benchmark::DoNotOptimize(tavik::LzrwCompress(
                block.data(), static_cast<int>(block.size()), out.data(), table));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

void Decompress(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    Bytes out(tavik::kLzrwMaxBlock);
    for (auto _ : state) {
        for (const auto& p : c.packed) {
            benchmark::DoNotOptimize(
                tavik::LzrwDecompress(p.data(), static_cast<int>(p.size()), out.data()));
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

void ReferenceDecompress(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    Bytes out(tavik::kLzrwMaxBlock);
    for (auto _ : state) {
        for (const auto& p : c.packed) {
            benchmark::DoNotOptimize(
                ReferenceDecode(p.data(), static_cast<int>(p.size()), out.data()));
            benchmark::ClobberMemory();
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * c.bytes));
}

BENCHMARK(Memcpy)->Repetitions(5);
BENCHMARK(Compress)->Repetitions(5);
BENCHMARK(Decompress)->Repetitions(5);
BENCHMARK(ReferenceDecompress)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TheCorpus();
    tavik::bench::RatioReporter reporter(true);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    tavik::bench::PrintRatios(reporter, {{"decompression speed / byte-by-byte reference",
                                          "Decompress", "ReferenceDecompress", true, 3.0, true},
                                         {"decompression speed / memcpy of the same bytes",
                                          "Decompress", "Memcpy", true, 0.10, true},
                                         {"compression speed / memcpy of the same bytes (reported)",
                                          "Compress", "Memcpy", true, 0.0, true},
                                         {"compression speed / decompression speed (reported)",
                                          "Compress", "Decompress", true, 0.0, true}});
    benchmark::Shutdown();
    return 0;
}
