#pragma once

#include <QColor>
#include <QImage>
#include <QStringList>
#include <memory>

class QClipboard;
class QMimeData;

namespace tavik {

class TGraphic;
class TIcon;
class TPicture;

// The clipboard has no icon format, so an icon travels as its icon file bytes
// under this private type, beside a bitmap of it for other programs.
inline constexpr char kIconMimeType[] = "application/x-tavik-icon";

// A new image of the graphic's size filled with colour, the graphic drawn on
// it at (0, 0). A null image for an empty graphic.
QImage RenderOnBackground(const TGraphic& graphic, const QColor& colour);

// What Copy puts on the clipboard for picture:
// - a bitmap: its pixels as image data;
// - an icon: its icon file bytes under kIconMimeType, and as image data the
//   icon drawn on iconBackground;
// - a metafile: its enhanced form under "image/emf"; a Windows metafile also
//   keeps its own bytes under "image/wmf" (and only those when it cannot be
//   converted).
// nullptr when the picture holds no graphic or an empty one.
std::unique_ptr<QMimeData> PictureMimeData(const TPicture& picture, const QColor& iconBackground);

// Replaces the clipboard's contents by PictureMimeData. Returns false, and
// leaves the clipboard alone, when there is nothing to copy.
bool CopyPictureToClipboard(const TPicture& picture, const QColor& iconBackground,
                            QClipboard& clipboard);

// Puts the icon on the clipboard in both of its forms (see PictureMimeData).
void CopyIconToClipboard(const TIcon& icon, const QColor& colour, QClipboard& clipboard);

// The formats Paste reads, in the order they are looked for when several are
// offered: kIconMimeType always wins; the rest are taken in the order the
// clipboard lists them.
QStringList ReadablePictureFormats();

// Whether data offers a format that PictureFromMimeData reads.
bool HasPictureFormat(const QMimeData& data);

// The icon under kIconMimeType, or nullptr when data has none. Throws
// EInvalidGraphic "Icon image is not valid" when the bytes are no icon
// (an empty block included).
std::unique_ptr<TIcon> ReadIconFromMimeData(const QMimeData& data);

// Loads picture from data: the private icon first; otherwise the first of the
// readable formats in the clipboard's own order. Image data (Qt's own, PNG or
// BMP) gives a bitmap; "image/emf", "image/x-emf", "image/wmf" and
// "image/x-wmf" give a metafile. Returns false, picture untouched, when data
// holds none of them. Throws EInvalidGraphic when the chosen format's bytes do
// not decode; picture is then untouched.
bool PictureFromMimeData(const QMimeData& data, TPicture& picture);

} // namespace tavik
