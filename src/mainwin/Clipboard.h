#pragma once

#include "mainwin/PictureFlavours.h"

#include <QColor>
#include <QStringList>
#include <memory>

class QClipboard;
class QMimeData;

namespace tavik {

class TIcon;
class TPicture;

// What Copy puts on the clipboard for picture: a TPictureMimeData with its
// flavours. nullptr when the picture holds no graphic or an empty one.
std::unique_ptr<QMimeData> PictureMimeData(const TPicture& picture, const QColor& iconBackground);

// Replaces the clipboard's contents by PictureMimeData. Returns false, and
// leaves the clipboard alone, when there is nothing to copy.
bool CopyPictureToClipboard(const TPicture& picture, const QColor& iconBackground,
                            QClipboard& clipboard);

// Puts the icon on the clipboard with its flavours (see TPictureMimeData).
void CopyIconToClipboard(const TIcon& icon, const QColor& colour, QClipboard& clipboard);

// Whether data offers a format that PictureFromMimeData reads.
bool HasPictureFormat(const QMimeData& data);

// The icon under kIconMimeType, or nullptr when data has none. Throws
// EInvalidGraphic "Icon image is not valid" when the bytes are no icon
// (an empty block included).
std::unique_ptr<TIcon> ReadIconFromMimeData(const QMimeData& data);

// Loads picture from data: the private icon first; otherwise the first
// readable format in the clipboard's own order:
// - "image/emf", "image/x-emf", "image/wmf", "image/x-wmf" and LibreOffice's
//   EMF and WMF flavours give a metafile with the bytes offered;
// - "image/bmp" (and its older names) gives a bitmap with the bytes offered;
// - any other image type Qt reads (PNG, JPEG, ...) gives a bitmap of the
//   decoded pixels;
// - Qt's image data, when no image type above is offered beside it (another
//   Qt program's clipboard lists it first, whatever its own order).
// Returns false, picture untouched, when data holds none of them. Throws
// EInvalidGraphic when the chosen format's bytes do not decode; picture is
// then untouched.
bool PictureFromMimeData(const QMimeData& data, TPicture& picture);

// The local files a file manager put on the clipboard ("text/uri-list", or
// GNOME's "x-special/gnome-copied-files": "copy" or "cut", then one URL a
// line), as paths in the order given. Empty when there are none.
QStringList CopiedFiles(const QMimeData& data);

} // namespace tavik
