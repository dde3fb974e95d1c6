#pragma once

#include "storage/Stream.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tavik::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes B(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes FromText(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A fresh folder (name ending in "/") removed with the test.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tavik-test-XXXXXX").string();
        FPath = ::mkdtemp(pattern.data());
        FPath += "/";
    }
    ~TempFolder() { std::filesystem::remove_all(FPath); }
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return FPath + name; }

private:
    std::string FPath;
};

inline Bytes ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& name, const Bytes& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Appends bytes to a file; gives the offset they start at.
inline std::int32_t AppendToFile(const std::string& name, const Bytes& bytes) {
    Bytes all = ReadFile(name);
    const auto at = static_cast<std::int32_t>(all.size());
    all.insert(all.end(), bytes.begin(), bytes.end());
    WriteFile(name, all);
    return at;
}

// A picture record whose signature and length are whole but whose one block
// cannot be decoded (a copy reaching before the block's start), laid out
// unlike the records the program writes, so that copying it decodes it.
inline Bytes DamagedRecord() {
    return Bytes{'L', 'Z', 'B', 'M', 12,   0,    0,    0,    100,  0,
                 0,   0,   5,   0,   0x40, 0x80, 0x00, 0x00, 0x10, 0xEE};
}

// A memory stream that refuses every byte after the first limit.
class TFailingStream : public TMemoryStream {
public:
    explicit TFailingStream(std::size_t limit) : FLeft(limit) {}
    std::size_t Write(const void* buffer, std::size_t count) override {
        const std::size_t n = std::min(count, FLeft);
        FLeft -= n;
        return TMemoryStream::Write(buffer, n);
    }

private:
    std::size_t FLeft;
};

// Picture-like bytes: a repeating pattern with some noise, of any size.
inline Bytes PictureLike(std::size_t size, unsigned seed = 1) {
    Bytes out(size);
    unsigned state = seed;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        out[i] = (i % 64 < 40) ? static_cast<std::uint8_t>(i / 64 % 7)
                               : static_cast<std::uint8_t>(state >> 24);
    }
    return out;
}

} // namespace tavik::test
