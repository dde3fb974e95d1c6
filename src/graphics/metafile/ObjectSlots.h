#pragma once

#include <array>
#include <bit>
#include <cstdint>

namespace tavik::metafile {

// The slots of a Windows metafile's object table. Each new object takes the
// lowest free slot, as GDI numbers them; finding it costs the same however
// full the table is (three levels of 64-bit masks, one bit per free slot
// or per word with a free slot below it).
class ObjectSlots {
public:
    static constexpr int kCapacity = 65535;

    ObjectSlots() {
        FFree.fill(~std::uint64_t{0});
        FFree.back() &= ~(std::uint64_t{1} << 63); // index 65535 is past the table
        FWords.fill(~std::uint64_t{0});
        FGroups = ~std::uint64_t{0} >> (64 - kGroups);
    }

    // The lowest free slot, now taken; -1 when all kCapacity are taken.
    int Take() {
        if (FGroups == 0)
            return -1;
        const int group = std::countr_zero(FGroups);
        const int word = group * 64 + std::countr_zero(FWords[group]);
        const int slot = word * 64 + std::countr_zero(FFree[word]);
        FFree[word] &= FFree[word] - 1;
        if (FFree[word] == 0) {
            FWords[group] &= ~(std::uint64_t{1} << (word % 64));
            if (FWords[group] == 0)
                FGroups &= ~(std::uint64_t{1} << group);
        }
        return slot;
    }

    // Makes slot free again; a slot outside the table is ignored.
    void Free(int slot) {
        if (slot < 0 || slot >= kCapacity)
            return;
        const int word = slot / 64, group = word / 64;
        FFree[word] |= std::uint64_t{1} << (slot % 64);
        FWords[group] |= std::uint64_t{1} << (word % 64);
        FGroups |= std::uint64_t{1} << group;
    }

private:
    static constexpr int kWords = (kCapacity + 63) / 64; // 1024
    static constexpr int kGroups = (kWords + 63) / 64;   // 16
    std::array<std::uint64_t, kWords> FFree;
    std::array<std::uint64_t, kGroups> FWords;
    std::uint64_t FGroups;
};

} // namespace tavik::metafile
