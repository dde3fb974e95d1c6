#pragma once
#include <QColor>
#include <QImage>

namespace tavik {

// The mark shown for a picture that cannot be restored from the data file:
// a crossed frame, 32 x 32, on background.
QImage DamagedPictureImage(const QColor& background);

} // namespace tavik
