#pragma once

#include <array>
#include <cstdint>

namespace tavik::metafile {

// What playback spends, by kind. Each kind has a cap of its own (what one
// playback may hold or make, whatever the file's size) and a price in work
// units, which stand for roughly equal time.
enum class Cost {
    Record, // a record dispatched
    Slot,   // an object made in or removed from the object table
    Point,  // a coordinate mapped, a path element built or clipped
    Glyph,  // a character laid out and drawn
    Pixel,  // a bitmap pixel decoded
    Area,   // an output pixel painted
};

// Work units one playback may spend: a fixed allowance, which any honest
// picture of a few pages fits, plus an allowance for every byte of the file.
// However its records lie, a file can then never take longer than a small
// factor over what reading it takes.
inline constexpr std::int64_t kBaseWork = 8'000'000;
inline constexpr std::int64_t kWorkPerByte = 8;
// Output pixels painted for one work unit.
inline constexpr std::int64_t kAreaPixelsPerWorkUnit = 64;

// What one playback spent against what its file's size allowed.
struct PlayReport {
    std::int64_t work = 0;
    std::int64_t limit = 0;
    bool cutShort = false; // the budget ran out: later records were not played
};

// The work budget of one playback of a file of fileBytes bytes.
class WorkBudget {
public:
    explicit WorkBudget(std::uint64_t fileBytes);

    // Takes n of a kind; false once the kind's cap or the work allowance is
    // spent. After the first refusal every charge is refused: playback stops.
    bool Charge(Cost kind, std::int64_t n);
    bool Exhausted() const { return FExhausted; }
    // Work units spent and allowed.
    std::int64_t Spent() const { return FSpent / kScale; }
    std::int64_t Limit() const { return FLimit / kScale; }
    PlayReport Report() const { return {Spent(), Limit(), FExhausted}; }

private:
    // Prices are kept in 1/kScale units so that cheap kinds (a painted
    // pixel) need no fractions.
    static constexpr std::int64_t kScale = kAreaPixelsPerWorkUnit;
    std::array<std::int64_t, 6> FLeft;
    std::int64_t FLimit;
    std::int64_t FSpent = 0;
    bool FExhausted = false;
};

} // namespace tavik::metafile
