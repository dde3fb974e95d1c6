#include "Budget.h"

#include <algorithm>
#include <limits>

namespace tavik::metafile {

namespace {

constexpr std::int64_t kUnlimited = std::numeric_limits<std::int64_t>::max() / 4;
// Larger charges are refused outright, so no product below can overflow.
constexpr std::int64_t kLargestCharge = std::int64_t{1} << 40;

constexpr std::int64_t kUnit = kAreaPixelsPerWorkUnit;

struct Price {
    std::int64_t cap;
    std::int64_t fraction; // work units per item, times kUnit
};

// In the order of Cost. A point costs a unit; the others are priced by how
// long they take beside it.
constexpr std::array<Price, 6> kPrices = {{
    {4'000'000, kUnit},       // Record
    {kUnlimited, kUnit},      // Slot
    {8'000'000, kUnit},       // Point
    {200'000, 16 * kUnit},    // Glyph
    {128'000'000, kUnit / 4}, // Pixel
    {kUnlimited, 1},          // Area
}};

} // namespace

WorkBudget::WorkBudget(std::uint64_t fileBytes)
    : FLimit((kBaseWork + kWorkPerByte * static_cast<std::int64_t>(std::min<std::uint64_t>(
                                             fileBytes, std::uint64_t{1} << 32))) *
             kScale) {
    for (std::size_t i = 0; i < kPrices.size(); ++i)
        FLeft[i] = kPrices[i].cap;
}

bool WorkBudget::Charge(Cost kind, std::int64_t n) {
    if (FExhausted)
        return false;
    const auto i = static_cast<std::size_t>(kind);
    n = std::max<std::int64_t>(n, 0);
    if (n > kLargestCharge || n > FLeft[i]) {
        FExhausted = true;
        return false;
    }
    const std::int64_t work = n * kPrices[i].fraction;
    if (work > FLimit - FSpent) {
        FSpent = FLimit;
        FExhausted = true;
        return false;
    }
    FLeft[i] -= n;
    FSpent += work;
    return true;
}

} // namespace tavik::metafile
