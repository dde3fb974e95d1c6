#pragma once

namespace tavik {

// Names the program to the desktop: the application name "Tavik" (the window
// class, the caption of its message boxes) and the program icon. The display
// name stays unset, since Qt appends it to every window caption and each
// window's caption is its own text alone.
void SetApplicationIdentity();

} // namespace tavik
