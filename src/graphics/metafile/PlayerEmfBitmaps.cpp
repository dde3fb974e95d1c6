// The bitmap records of enhanced metafile playback.

#include "Dib.h"
#include "Layouts.h"
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
    using L = emr::BitBlt;
    const QRectF dest(r.I32(L::xDest), r.I32(L::yDest), r.I32(L::cxDest), r.I32(L::cyDest));
    const std::uint32_t rop = r.U32(L::rop);
    std::optional<QImage> img;
    if (r.U32(L::cbBmi) != 0)
        img = Bitmap(r,
                     type == EmfRecord::BitBlt       ? L::kSize
                     : type == EmfRecord::StretchBlt ? emr::StretchBlt::kSize
                                                     : emr::MaskBlt::kSize,
                     r.U32(L::offBmi), r.U32(L::cbBmi), r.U32(L::offBits), r.U32(L::cbBits),
                     r.U32(L::usage));
    QSizeF srcSize = dest.size();
    if (type == EmfRecord::StretchBlt && r.Size() >= emr::StretchBlt::kSize)
        srcSize = QSizeF(r.I32(emr::StretchBlt::cxSrc), r.I32(emr::StretchBlt::cySrc));
    const QRectF src(r.I32(L::xSrc), r.I32(L::ySrc), srcSize.width(), srcSize.height());
    // Mask blits draw their source as a plain copy: the mask only
    // ever hides parts of it.
    FGdi.Blit(dest, img ? &*img : nullptr, src,
              type == EmfRecord::MaskBlt && img ? Number(Rop3::SrcCopy) : rop);
}

void EmfPlayer::PlgBlt(const Bytes& r) {
    using L = emr::PlgBlt;
    auto img = Bitmap(r, L::kSize, r.U32(L::offBmi), r.U32(L::cbBmi), r.U32(L::offBits),
                      r.U32(L::cbBits), r.U32(L::usage));
    if (!img)
        return;
    const QPointF ul = PointL(r, L::upperLeft), ur = PointL(r, L::upperRight),
                  ll = PointL(r, L::lowerLeft);
    const QTransform unit(ur.x() - ul.x(), ur.y() - ul.y(), ll.x() - ul.x(), ll.y() - ul.y(),
                          ul.x(), ul.y());
    const QRectF src(r.I32(L::xSrc), r.I32(L::ySrc), r.I32(L::cxSrc), r.I32(L::cySrc));
    FGdi.BlitMapped(unit, &*img, src, Number(Rop3::SrcCopy));
}

void EmfPlayer::SetDiBitsToDevice(const Bytes& r) {
    using L = emr::SetDiBitsToDevice;
    const std::uint64_t offBmi = r.U32(L::offBmi), cbBmi = r.U32(L::cbBmi);
    if (offBmi < L::kSize || !r.Has(offBmi, cbBmi) || cbBmi < 12)
        return;
    // The bits hold only cScans rows from startScan: decode them as
    // a bitmap of that height.
    std::vector<std::uint8_t> info(r.Data() + offBmi, r.Data() + offBmi + cbBmi);
    const std::uint32_t startScan = r.U32(L::startScan), scans = r.U32(L::scans);
    const bool core = Bytes(info).U32(0) == kCoreHeaderSize;
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
    const std::uint64_t offBits = r.U32(L::offBits), cbBits = r.U32(L::cbBits);
    if (offBits < L::kSize || !r.Has(offBits, cbBits))
        return;
    auto img =
        DecodeDib(Bytes(info), r.Sub(offBits, cbBits), r.U32(L::usage), FGdi.State().palette);
    if (!img)
        return;
    const qreal cx = r.I32(L::cxSrc), cy = r.I32(L::cySrc);
    const qreal ySrc = r.I32(L::ySrc) - static_cast<qreal>(startScan);
    const qreal top = height > 0 ? img->height() - ySrc - cy : ySrc;
    FGdi.Blit(QRectF(r.I32(L::xDest), r.I32(L::yDest), cx, cy), &*img,
              QRectF(r.I32(L::xSrc), top, cx, cy), Number(Rop3::SrcCopy));
}

void EmfPlayer::StretchDiBits(const Bytes& r) {
    using L = emr::StretchDiBits;
    const std::uint32_t rop = r.U32(L::rop);
    std::optional<QImage> img;
    bool bottomUp = true;
    if (r.U32(L::cbBmi) != 0) {
        const std::uint32_t offBmi = r.U32(L::offBmi);
        img = Bitmap(r, L::kSize, offBmi, r.U32(L::cbBmi), r.U32(L::offBits), r.U32(L::cbBits),
                     r.U32(L::usage));
        bottomUp = IsBottomUp(r.Sub(offBmi, r.Size() - std::min<std::uint64_t>(offBmi, r.Size())));
    }
    const qreal cxSrc = r.I32(L::cxSrc), cySrc = r.I32(L::cySrc);
    qreal ySrc = r.I32(L::ySrc);
    // Bottom-up bitmaps count source rows from the bottom.
    if (img && bottomUp)
        ySrc = img->height() - ySrc - cySrc;
    FGdi.Blit(QRectF(r.I32(L::xDest), r.I32(L::yDest), r.I32(L::cxDest), r.I32(L::cyDest)),
              img ? &*img : nullptr, QRectF(r.I32(L::xSrc), ySrc, cxSrc, cySrc), rop);
}

void EmfPlayer::AlphaOrTransparentBlt(EmfRecord type, const Bytes& r) {
    using L = emr::AlphaBlend;
    auto img = Bitmap(r, L::kSize, r.U32(L::offBmi), r.U32(L::cbBmi), r.U32(L::offBits),
                      r.U32(L::cbBits), r.U32(L::usage), nullptr,
                      type == EmfRecord::AlphaBlend && (r.U8(L::alphaFormat) & 1));
    if (!img)
        return;
    QImage picture = img->convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (type == EmfRecord::AlphaBlend) {
        const int constant = r.U8(L::constantAlpha);
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
        const QRgb key = Color(r, L::blend);
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                if ((line[x] | 0xFF000000) == (key | 0xFF000000))
                    line[x] = 0;
        }
    }
    FGdi.Blit(QRectF(r.I32(L::xDest), r.I32(L::yDest), r.I32(L::cxDest), r.I32(L::cyDest)),
              &picture, QRectF(r.I32(L::xSrc), r.I32(L::ySrc), r.I32(L::cxSrc), r.I32(L::cySrc)),
              Number(Rop3::SrcCopy));
}

} // namespace tavik::metafile
