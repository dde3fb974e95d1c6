#pragma once
#include <array>
#include <string>

class QWidget;

namespace tavik {

class TIniFile;

// Window placement in the settings file: keys "Flags", "ShowCmd", "MinMaxPos",
// "NormPos" and "Visible" of one section. "NormPos" holds the window's frame
// position and its client size as left, top, right, bottom, so that a round
// trip gives back the same window whatever the frame of the desktop is.
// "Flags" and "MinMaxPos" have no meaning here: they are kept as read and
// written back unchanged.

// The four numbers of a "MinMaxPos" or "NormPos" value, separated by commas or
// blanks; a number that is missing or does not parse takes its default.
std::array<int, 4> ParsePlacementNumbers(const std::string& text,
                                         const std::array<int, 4>& defaults);

// The window state of a stored "ShowCmd": 1, 5, 9 and anything unknown give
// normal (1), 2 and 6 minimized (2), 3 maximized (3).
int ShowStateOf(int showCmd);

// Restores position, size and state of window from section. A "NormPos" whose
// left is not less than its right is ignored; a missing key keeps the window's
// current value.
void ReadPlacement(const TIniFile& ini, const std::string& section, QWidget& window);

// Writes the five keys of window's current placement into section; the
// normal (restored) rectangle is written also while the window is maximized.
void WritePlacement(TIniFile& ini, const std::string& section, const QWidget& window);

} // namespace tavik
