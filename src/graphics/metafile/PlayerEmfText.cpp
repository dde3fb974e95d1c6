// The text records of enhanced metafile playback.

#include "Gdi.h"
#include "PlayerEmfImpl.h"
#include "Text.h"

#include <algorithm>

namespace tavik::metafile {

void EmfPlayer::Text(const Bytes& r, std::uint64_t at, bool wide, std::uint64_t fixed) {
    // EmrText: reference, chars, offString, options, rect, offDx.
    if (!r.Has(at, 40))
        return;
    const QPointF ref = PointL(r, at);
    const std::uint64_t chars = r.U32(at + 8), offString = r.U32(at + 12);
    const std::uint32_t options = r.U32(at + 16);
    const bool noRect = options & 0x100;
    const QRectF rect = BoxL(r, at + 20);
    const std::uint64_t offDx = r.U32(at + (noRect ? 20 : 36));
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
    const std::uint64_t step = (options & 0x2000) ? 8 : 4;
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
    const std::uint64_t n = r.U32(36);
    if (!r.Has(40, n * 40))
        return;
    for (std::uint64_t i = 0; i < n; ++i)
        Text(r, 40 + 40 * i, type == EmfRecord::PolyTextOutW, 40 + 40 * n);
}

void EmfPlayer::SmallText(const Bytes& r) {
    const std::uint64_t chars = r.U32(16);
    const std::uint32_t options = r.U32(20);
    const bool noRect = options & 0x100, small = options & 0x200;
    const std::uint64_t at = noRect ? 36 : 52;
    if (!r.Has(at, chars * (small ? 1 : 2)))
        return;
    QString text;
    if (small) {
        text = DecodeAnsi(r.Sub(at, chars).Span(), FGdi.State().font.charset);
    } else {
        for (std::uint64_t i = 0; i < chars; ++i)
            text += QChar(r.U16(at + 2 * i));
    }
    const QRectF rect = BoxL(r, 36);
    FGdi.TextOut(PointL(r, 8), text, options, noRect ? nullptr : &rect, nullptr);
}

} // namespace tavik::metafile
