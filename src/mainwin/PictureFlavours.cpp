#include "mainwin/PictureFlavours.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "graphics/Thumbnail.h"
#include "storage/Exceptions.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace tavik {

namespace {

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

bool HasPixels(const TGraphic& graphic) {
    return !graphic.Empty() && graphic.Width() > 0 && graphic.Height() > 0;
}

QImage RenderTransparent(const TGraphic& graphic) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
        return bitmap->Image();
    }
    const QSize natural(graphic.Width(), graphic.Height());
    const QSize size = natural.boundedTo(QSize(kMaxRenderSide, kMaxRenderSide)) == natural
                           ? natural
                           : natural.scaled(kMaxRenderSide, kMaxRenderSide, Qt::KeepAspectRatio)
                                 .expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (size == natural) {
        graphic.Draw(painter, QPoint(0, 0));
    } else {
        graphic.StretchDraw(painter, QRect(QPoint(0, 0), size));
    }
    return image;
}

} // namespace

QImage RenderOnBackground(const TGraphic& graphic, const QColor& colour) {
    if (!HasPixels(graphic)) {
        return {};
    }
    // A metafile may claim any size in a few bytes: drawn within the budget.
    return RenderGraphic(graphic, colour);
}

QByteArray PngOf(const TGraphic& graphic) {
    if (!HasPixels(graphic)) {
        return {};
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    RenderTransparent(graphic).save(&buffer, "PNG");
    return png;
}

QByteArray SvgOf(const TGraphic& graphic) {
    if (!HasPixels(graphic)) {
        return {};
    }
    QByteArray svg;
    QBuffer buffer(&svg);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(graphic.Width(), graphic.Height()));
    generator.setViewBox(QRect(0, 0, graphic.Width(), graphic.Height()));
    // Pixels at 96 dots per inch, as the metafile's own size is given.
    generator.setResolution(96);
    QPainter painter(&generator);
    graphic.Draw(painter, QPoint(0, 0));
    painter.end();
    return svg;
}

TPictureMimeData::TPictureMimeData(const TPicture& picture, const QColor& iconBackground)
    : FPicture(picture), FIconBackground(iconBackground) {
    const TGraphic* graphic = FPicture.Graphic();
    const QByteArray stream = ToByteArray(graphic->Stream());
    if (dynamic_cast<const TBitmap*>(graphic)) {
        AddBytes(kBmpMimeType, stream);
        FFormats << QLatin1String(kQtImageMimeType) << QLatin1String(kPngMimeType);
    } else if (dynamic_cast<const TIcon*>(graphic)) {
        AddBytes(kIconMimeType, stream);
        AddBytes(kIcoMimeType, stream);
        FFormats << QLatin1String(kPngMimeType) << QLatin1String(kQtImageMimeType);
    } else if (const auto* metafile = dynamic_cast<const TMetafile*>(graphic)) {
        if (!metafile->Enhanced()) {
            AddBytes(kWmfMimeType, stream);
            AddBytes(kOfficeWmfMimeType, stream);
        }
        // A Windows metafile the converter cannot take still goes out as it
        // is, and as renderings.
        try {
            const QByteArray emf = ToByteArray(metafile->EmfImage());
            AddBytes(kEmfMimeType, emf);
            AddBytes(kOfficeEmfMimeType, emf);
        } catch (const EInvalidGraphic&) {
        }
        FFormats << QLatin1String(kPngMimeType) << QLatin1String(kSvgMimeType);
    }
}

QStringList TPictureMimeData::formats() const {
    // Data set on top (a drag's own items) follows the picture's flavours.
    return FFormats + QMimeData::formats();
}

bool TPictureMimeData::hasFormat(const QString& mimeType) const {
    return FFormats.contains(mimeType) || QMimeData::hasFormat(mimeType);
}

QVariant TPictureMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (!FFormats.contains(mimeType)) {
        return QMimeData::retrieveData(mimeType, type);
    }
    if (const auto bytes = FBytes.constFind(mimeType); bytes != FBytes.constEnd()) {
        return *bytes;
    }
    auto rendered = FRendered.constFind(mimeType);
    if (rendered == FRendered.constEnd()) {
        rendered = FRendered.insert(mimeType, Render(mimeType));
    }
    return *rendered;
}

void TPictureMimeData::AddBytes(const char* mimeType, const QByteArray& bytes) {
    FFormats << QLatin1String(mimeType);
    FBytes.insert(QLatin1String(mimeType), bytes);
}

QVariant TPictureMimeData::Render(const QString& mimeType) const {
    // Another program asks for these from the event loop: a picture that
    // fails to draw offers nothing under the flavour rather than an error.
    try {
        const TGraphic& graphic = *FPicture.Graphic();
        if (mimeType == QLatin1String(kPngMimeType)) {
            return PngOf(graphic);
        }
        if (mimeType == QLatin1String(kSvgMimeType)) {
            return SvgOf(graphic);
        }
        if (dynamic_cast<const TIcon*>(&graphic)) {
            return RenderOnBackground(graphic, FIconBackground);
        }
        return dynamic_cast<const TBitmap&>(graphic).Image();
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace tavik
