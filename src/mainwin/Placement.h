#pragma once
#include <QList>
#include <QRect>
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

// rect moved, and first shrunk where it is larger, so that it lies within the
// area (of those given: the screens' available areas) that it overlaps most,
// or within the first area when it overlaps none. A window saved on a monitor
// that is gone, or at a larger scale, comes back whole on a screen this way.
// No areas: rect unchanged.
QRect BringOnScreen(const QRect& rect, const QList<QRect>& areas);

// A splitter position kept from the settings (the size of the side it
// belongs to), brought within total pixels: at least 0, and at most what
// leaves the bar and keepOther pixels to the other side, which therefore
// always stays in reach.
int FitSplitPosition(int stored, int total, int bar, int keepOther);

// Restores position, size and state of window from section. A "NormPos" whose
// left is not less than its right is ignored; a missing key keeps the window's
// current value. A rectangle off every screen is brought onto one
// (BringOnScreen with the screens' available areas).
void ReadPlacement(const TIniFile& ini, const std::string& section, QWidget& window);

// Writes the five keys of window's current placement into section; the
// normal (restored) rectangle is written also while the window is maximized.
void WritePlacement(TIniFile& ini, const std::string& section, const QWidget& window);

} // namespace tavik
