#pragma once

#include "graphics/Picture.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QMimeData>
#include <QStringList>

namespace tavik {

class TGraphic;

// The clipboard has no icon format, so an icon travels as its icon file bytes
// under this private type, beside a bitmap of it for other programs.
inline constexpr char kIconMimeType[] = "application/x-tavik-icon";

// The flavours other programs on this desktop read a picture from.
inline constexpr char kPngMimeType[] = "image/png";
inline constexpr char kSvgMimeType[] = "image/svg+xml";
inline constexpr char kBmpMimeType[] = "image/bmp";
inline constexpr char kIcoMimeType[] = "image/x-icon";
inline constexpr char kEmfMimeType[] = "image/emf";
inline constexpr char kWmfMimeType[] = "image/wmf";
// LibreOffice's own names for metafiles; under them it pastes a metafile
// object rather than a bitmap.
inline constexpr char kOfficeEmfMimeType[] =
    "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
inline constexpr char kOfficeWmfMimeType[] =
    "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"";
// Qt's name for the image data of a QMimeData.
inline constexpr char kQtImageMimeType[] = "application/x-qt-image";

// A new image of the graphic's size filled with colour, the graphic drawn on
// it at (0, 0). A null image for an empty graphic.
QImage RenderOnBackground(const TGraphic& graphic, const QColor& colour);

// Renderings are at most this many pixels on a side: a metafile can announce
// a frame of any size in a few bytes.
inline constexpr int kMaxRenderSide = 4096;

// The graphic as a PNG file image at natural size: a bitmap's own pixels; an
// icon or a metafile drawn on a transparent background, a metafile larger
// than kMaxRenderSide on a side scaled down to fit it. Empty for an empty
// graphic.
QByteArray PngOf(const TGraphic& graphic);

// The graphic drawn through Qt's SVG generator at natural size, so that a
// metafile's lines, shapes and text stay vectors. Empty for an empty graphic.
QByteArray SvgOf(const TGraphic& graphic);

// The flavours of one picture (a copy of it is kept), most faithful first:
// - bitmap: "image/bmp" (its stored bytes), Qt's image data, "image/png";
// - icon: the private kIconMimeType and "image/x-icon" (both its icon file
//   bytes), "image/png", and as Qt's image data the icon drawn on
//   iconBackground;
// - enhanced metafile: "image/emf" and LibreOffice's EMF flavour (its bytes),
//   "image/png", "image/svg+xml";
// - Windows metafile: "image/wmf" and LibreOffice's WMF flavour (its own
//   bytes), then the EMF flavours when it converts to EMF, "image/png",
//   "image/svg+xml".
// Renderings are made when a reader first asks for them.
class TPictureMimeData : public QMimeData {
    Q_OBJECT
public:
    // picture must hold a graphic that is not empty.
    TPictureMimeData(const TPicture& picture, const QColor& iconBackground);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    void AddBytes(const char* mimeType, const QByteArray& bytes);
    QVariant Render(const QString& mimeType) const;

    TPicture FPicture;
    QColor FIconBackground;
    // The picture's own flavours and the renderings, in the order offered.
    QStringList FFormats;
    QHash<QString, QByteArray> FBytes;
    mutable QHash<QString, QVariant> FRendered;
};

} // namespace tavik
