#pragma once

// Small pictures drawn in code for the gallery's buttons. Pixel (0, 0) is the
// white background, which the buttons treat as transparent.

#include <QImage>

namespace tavik::gallery {

enum class Glyph { Plus, Cross, Arrow, Folder, Picture };

QImage MakeGlyph(Glyph glyph, int size = 16);

} // namespace tavik::gallery
