// The text records of enhanced metafile playback.

#include "Gdi.h"
#include "Layouts.h"
#include "PlayerEmfImpl.h"
#include "Text.h"

#include <algorithm>

namespace tavik::metafile {

void EmfPlayer::Text(const Bytes& r, std::uint64_t at, bool wide, std::uint64_t fixed) {
    using L = emr::TextBlock;
    if (!r.Has(at, L::kSize))
        return;
    const QPointF ref = PointL(r, at + L::reference);
    const std::uint64_t chars = r.U32(at + L::chars), offString = r.U32(at + L::offString);
    const std::uint32_t options = r.U32(at + L::options);
    const bool noRect = options & EtoNoRect;
    const QRectF rect = BoxL(r, at + L::rect);
    const std::uint64_t offDx = r.U32(at + (noRect ? L::offDxWithoutRect : L::offDx));
    const std::uint64_t charSize = wide ? 2 : 1;
    if (chars > 0 && (offString < fixed || !r.Has(offString, chars * charSize)))
        return;
    QString text;
    if (wide) {
        text.resize(static_cast<qsizetype>(chars));
        for (std::uint64_t i = 0; i < chars; ++i)
            text[static_cast<qsizetype>(i)] = QChar(r.U16(offString + 2 * i));
    } else {
        text = DecodeAnsi(r.Sub(offString, chars).Span(), FGdi.State().font.charset);
    }
    std::vector<qreal> dx;
    const std::uint64_t step = (options & EtoPdy) ? 8 : 4;
    if (offDx != 0 && offDx >= fixed && r.Has(offDx, chars * step)) {
        dx.reserve(chars);
        // 8-bit text decoded from a multi-byte code page has fewer
        // characters than advances; the lead byte carries each advance.
        std::uint64_t byte = 0;
        for (qsizetype i = 0; i < text.size() && byte < chars; ++i) {
            dx.push_back(r.I32(offDx + step * byte));
            byte += wide ? 1
                         : std::max<qsizetype>(
                               1, EncodeAnsi(text.mid(i, 1), FGdi.State().font.charset).size());
        }
    }
    FGdi.TextOut(ref, text, options, noRect ? nullptr : &rect, dx.empty() ? nullptr : &dx);
}

void EmfPlayer::PolyText(EmfRecord type, const Bytes& r) {
    using L = emr::PolyTextOut;
    const std::uint64_t n = r.U32(L::count), block = emr::TextBlock::kSize;
    if (!r.Has(L::texts, n * block))
        return;
    for (std::uint64_t i = 0; i < n; ++i)
        Text(r, L::texts + block * i, type == EmfRecord::PolyTextOutW, L::texts + block * n);
}

void EmfPlayer::SmallText(const Bytes& r) {
    using L = emr::SmallTextOut;
    const std::uint64_t chars = r.U32(L::chars);
    const std::uint32_t options = r.U32(L::options);
    const bool noRect = options & EtoNoRect, small = options & EtoSmallChars;
    const std::uint64_t at = noRect ? L::kSize : L::kSizeWithRect;
    if (!r.Has(at, chars * (small ? 1 : 2)))
        return;
    QString text;
    if (small) {
        text = DecodeAnsi(r.Sub(at, chars).Span(), FGdi.State().font.charset);
    } else {
        for (std::uint64_t i = 0; i < chars; ++i)
            text += QChar(r.U16(at + 2 * i));
    }
    const QRectF rect = BoxL(r, L::rect);
    FGdi.TextOut(PointL(r, L::x), text, options, noRect ? nullptr : &rect, nullptr);
}

} // namespace tavik::metafile
