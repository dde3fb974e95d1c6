// The bitmap records of enhanced metafile playback.

#include "Dib.h"
#include "PlayerEmfImpl.h"

#include <QPainter>
#include <cstdlib>

namespace tavik::metafile {

std::optional<QImage> EmfPlayer::Bitmap(const Bytes& r, std::uint64_t fixed, std::uint64_t offBmi,
                                        std::uint64_t cbBmi, std::uint64_t offBits,
                                        std::uint64_t cbBits, std::uint32_t usage, bool* mono,
                                        bool alpha) {
    if (offBmi < fixed || offBits < fixed || !r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits))
        return std::nullopt;
    auto img = DecodeDib(r.Sub(offBmi, cbBmi), r.Sub(offBits, cbBits), usage, FGdi.State().palette,
                         mono, alpha);
    if (img && !FGdi.Charge(Cost::Pixel, static_cast<std::int64_t>(img->width()) * img->height()))
        return std::nullopt;
    return img;
}

void EmfPlayer::BitBlt(EmfRecord type, const Bytes& r) {
    const QRectF dest(r.I32(24), r.I32(28), r.I32(32), r.I32(36));
    const std::uint32_t rop = r.U32(40);
    std::optional<QImage> img;
    if (r.U32(88) != 0)
        img = Bitmap(r,
                     type == EmfRecord::BitBlt       ? 100
                     : type == EmfRecord::StretchBlt ? 108
                                                     : 128,
                     r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80));
    QSizeF srcSize = dest.size();
    if (type == EmfRecord::StretchBlt && r.Size() >= 108)
        srcSize = QSizeF(r.I32(100), r.I32(104));
    const QRectF src(r.I32(44), r.I32(48), srcSize.width(), srcSize.height());
    // Mask blits draw their source as a plain copy: the mask only
    // ever hides parts of it.
    FGdi.Blit(dest, img ? &*img : nullptr, src,
              type == EmfRecord::MaskBlt && img ? Number(Rop3::SrcCopy) : rop);
}

void EmfPlayer::PlgBlt(const Bytes& r) {
    auto img = Bitmap(r, 140, r.U32(96), r.U32(100), r.U32(104), r.U32(108), r.U32(92));
    if (!img)
        return;
    const QPointF ul = PointL(r, 24), ur = PointL(r, 32), ll = PointL(r, 40);
    const QTransform unit(ur.x() - ul.x(), ur.y() - ul.y(), ll.x() - ul.x(), ll.y() - ul.y(),
                          ul.x(), ul.y());
    const QRectF src(r.I32(48), r.I32(52), r.I32(56), r.I32(60));
    FGdi.BlitMapped(unit, &*img, src, Number(Rop3::SrcCopy));
}

void EmfPlayer::SetDiBitsToDevice(const Bytes& r) {
    const std::uint64_t offBmi = r.U32(48), cbBmi = r.U32(52);
    if (offBmi < 76 || !r.Has(offBmi, cbBmi) || cbBmi < 12)
        return;
    // The bits hold only cScans rows from startScan: decode them as
    // a bitmap of that height.
    std::vector<std::uint8_t> info(r.Data() + offBmi, r.Data() + offBmi + cbBmi);
    const std::uint32_t startScan = r.U32(68), scans = r.U32(72);
    const bool core = Bytes(info).U32(0) == 12;
    const std::int64_t height = core ? Bytes(info).U16(6) : Bytes(info).I32(8);
    if (scans == 0 || scans > kMaxDibSide || static_cast<std::int64_t>(scans) > std::abs(height))
        return;
    const std::int64_t newHeight = height < 0 ? -static_cast<std::int64_t>(scans) : scans;
    if (core) {
        info[6] = static_cast<std::uint8_t>(newHeight);
        info[7] = static_cast<std::uint8_t>(newHeight >> 8);
    } else {
        for (int i = 0; i < 4; ++i)
            info[8 + i] =
                static_cast<std::uint8_t>(static_cast<std::uint32_t>(newHeight) >> (8 * i));
    }
    const std::uint64_t offBits = r.U32(56), cbBits = r.U32(60);
    if (offBits < 76 || !r.Has(offBits, cbBits))
        return;
    auto img = DecodeDib(Bytes(info), r.Sub(offBits, cbBits), r.U32(64), FGdi.State().palette);
    if (!img)
        return;
    const qreal cx = r.I32(40), cy = r.I32(44);
    const qreal ySrc = r.I32(36) - static_cast<qreal>(startScan);
    const qreal top = height > 0 ? img->height() - ySrc - cy : ySrc;
    FGdi.Blit(QRectF(r.I32(24), r.I32(28), cx, cy), &*img, QRectF(r.I32(32), top, cx, cy),
              Number(Rop3::SrcCopy));
}

void EmfPlayer::StretchDiBits(const Bytes& r) {
    const std::uint32_t rop = r.U32(68);
    std::optional<QImage> img;
    bool bottomUp = true;
    if (r.U32(52) != 0) {
        img = Bitmap(r, 80, r.U32(48), r.U32(52), r.U32(56), r.U32(60), r.U32(64));
        bottomUp = r.U32(r.U32(48)) == 12 || r.I32(r.U32(48) + 8) > 0;
    }
    const qreal cxSrc = r.I32(40), cySrc = r.I32(44);
    qreal ySrc = r.I32(36);
    // Bottom-up bitmaps count source rows from the bottom.
    if (img && bottomUp)
        ySrc = img->height() - ySrc - cySrc;
    FGdi.Blit(QRectF(r.I32(24), r.I32(28), r.I32(72), r.I32(76)), img ? &*img : nullptr,
              QRectF(r.I32(32), ySrc, cxSrc, cySrc), rop);
}

void EmfPlayer::AlphaOrTransparentBlt(EmfRecord type, const Bytes& r) {
    auto img = Bitmap(r, 108, r.U32(84), r.U32(88), r.U32(92), r.U32(96), r.U32(80), nullptr,
                      type == EmfRecord::AlphaBlend && (r.U8(43) & 1));
    if (!img)
        return;
    QImage picture = img->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (type == EmfRecord::AlphaBlend) {
        const int constant = r.U8(42);
        if (constant < 255) {
            QImage faded(picture.size(), QImage::Format_ARGB32_Premultiplied);
            faded.fill(Qt::transparent);
            QPainter p(&faded);
            p.setOpacity(constant / 255.0);
            p.drawImage(0, 0, picture);
            p.end();
            picture = faded;
        }
    } else {
        const QRgb key = Color(r, 40);
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if ((line[x] | 0xFF000000) == (key | 0xFF000000))
                    line[x] = 0;
        }
    }
    FGdi.Blit(QRectF(r.I32(24), r.I32(28), r.I32(32), r.I32(36)), &picture,
              QRectF(r.I32(44), r.I32(48), r.I32(100), r.I32(104)), Number(Rop3::SrcCopy));
}

} // namespace tavik::metafile
