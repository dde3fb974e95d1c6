#include "Gdi.h"

#include <QFontMetricsF>
#include <cmath>
#include <numbers>

namespace tavik::metafile {

namespace {

// Fonts are built at an integral pixel size and drawn scaled, so tiny
// thumbnails keep the proportions of the full-size text.
constexpr int kBaseSize = 64;
constexpr qreal kMaxFontPixels = 1e4;

} // namespace

QFont Gdi::MakeFont(qreal& scale) const {
    const LogFont& lf = FState.font;
    const QTransform t = ToOutput();
    const qreal sy = std::hypot(t.m21(), t.m22());
    const qreal sx = std::hypot(t.m11(), t.m12());
    QFont font;
    if (!lf.face.isEmpty())
        font.setFamily(lf.face);
    const int pitch = lf.pitchAndFamily & 3, family = lf.pitchAndFamily & 0xF0;
    if (pitch == 1 || family == 0x30)
        font.setStyleHint(QFont::Monospace);
    else if (family == 0x10)
        font.setStyleHint(QFont::Serif);
    else if (family == 0x40)
        font.setStyleHint(QFont::Cursive);
    else if (family == 0x50)
        font.setStyleHint(QFont::Fantasy);
    else
        font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kBaseSize);
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? 400 : lf.weight, 100, 900)));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);
    font.setKerning(false);

    qreal em;
    if (lf.height < 0) {
        em = -static_cast<qreal>(lf.height) * sy;
    } else {
        // A positive height is the cell (ascent + descent); the em is smaller.
        const qreal cell = (lf.height == 0 ? 16 : lf.height) * (lf.height == 0 ? 1 : sy);
        const QFontMetricsF fm(font);
        const qreal ratio = (fm.ascent() + fm.descent()) / kBaseSize;
        em = cell / (ratio > 0 ? ratio : 1);
    }
    if (!std::isfinite(em) || em <= 0)
        em = 1;
    // Text far taller than the whole output only costs glyph rendering.
    const qreal tallest =
        std::max<qreal>(64, 4 * std::max(FOutputBounds.width(), FOutputBounds.height()));
    scale = std::min({em, kMaxFontPixels, tallest}) / kBaseSize;
    if (lf.width != 0) {
        const QFontMetricsF fm(font);
        const qreal avg = fm.averageCharWidth() * scale;
        const qreal wanted = std::abs(static_cast<qreal>(lf.width)) * sx;
        if (avg > 0 && std::isfinite(wanted))
            font.setStretch(std::clamp(static_cast<int>(std::lround(100 * wanted / avg)), 1, 4000));
    }
    return font;
}

void Gdi::TextOut(QPointF ref, const QString& text, std::uint32_t options, const QRectF* rect,
                  const std::vector<qreal>* dx) {
    if (!Charge(Cost::Glyph, text.size() + 1))
        return;
    const QTransform t = ToOutput();
    const DrawMode mode = Mode();
    if (rect && (options & EtoOpaque) && !FPathOpen) {
        QPainterPath box;
        box.addRect(rect->normalized());
        box = t.map(box);
        if (Usable(box)) {
            BrushSpec bk;
            bk.color = mode.bkColor;
            DrawMode copy = mode;
            copy.rop2 = Number(Rop2::CopyPen);
            FDevice.FillPath(box, bk, copy);
        }
    }
    if (text.isEmpty())
        return;

    const std::uint32_t align = FState.textAlign;
    const bool updateCp = align & TaUpdateCp;
    const QPointF logicalRef = updateCp ? FState.currentPos : ref;
    const QPointF o = t.map(logicalRef);

    qreal scale = 1;
    TextRun run;
    run.font = MakeFont(scale);
    run.scale = scale;
    run.text = text;
    run.color = QColor::fromRgb(FState.textColor | 0xFF000000);
    const QFontMetricsF fm(run.font);
    const qreal ascent = fm.ascent() * scale, descent = fm.descent() * scale;

    const qreal sx = std::hypot(t.m11(), t.m12());
    qreal advance = 0;
    if (dx && !dx->empty()) {
        run.offsets.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            run.offsets.push_back(advance);
            const qreal step = i < static_cast<qsizetype>(dx->size()) ? (*dx)[i] * sx : 0;
            advance +=
                std::isfinite(step) ? std::clamp<qreal>(step, -kMaxFontPixels, kMaxFontPixels) : 0;
        }
    } else if (FState.charExtra != 0) {
        const qreal extra = FState.charExtra * sx;
        for (qsizetype i = 0; i < text.size(); ++i) {
            run.offsets.push_back(advance);
            advance += fm.horizontalAdvance(text[i]) * scale + extra;
        }
    } else {
        advance = fm.horizontalAdvance(text) * scale;
    }

    // Escapement turns the baseline counter-clockwise as seen; a world
    // rotation turns it too.
    const QTransform& w = FState.world;
    const qreal angle = -static_cast<qreal>(FState.font.escapement) / 10 +
                        std::atan2(w.m12(), w.m11()) * 180 / std::numbers::pi;
    const qreal rad = angle * std::numbers::pi / 180;
    const QPointF u(std::cos(rad), std::sin(rad)), v(-std::sin(rad), std::cos(rad));

    qreal along = 0;
    const std::uint32_t horizontal = align & TaHorizontalMask;
    if (horizontal == TaCenter)
        along = -advance / 2;
    else if (horizontal == TaRight)
        along = -advance;
    const std::uint32_t vertical = align & TaVerticalMask;
    const qreal down = vertical == TaBaseline ? 0 : vertical == TaBottom ? -descent : ascent;
    run.origin = o + u * along + v * down;
    run.angle = angle;

    if (updateCp) {
        // The current position moves to the far end of the text as placed.
        const QPointF end = horizontal == TaRight    ? o - u * advance
                            : horizontal == TaCenter ? o
                                                     : o + u * advance;
        bool invertible = false;
        const QTransform back = t.inverted(&invertible);
        if (invertible)
            FState.currentPos = back.map(end);
    }

    if (FPathOpen) {
        QPainterPath glyphs;
        QFont f = run.font;
        glyphs.addText(0, 0, f, text);
        QTransform place;
        place.translate(run.origin.x(), run.origin.y());
        place.rotate(angle);
        place.scale(scale, scale);
        AddToPath(place.map(glyphs), false);
        return;
    }
    if (FState.rop2 == Number(Rop2::Nop) || !std::isfinite(run.origin.x()) ||
        !std::isfinite(run.origin.y()) || std::abs(run.origin.x()) > 1e7 ||
        std::abs(run.origin.y()) > 1e7)
        return;

    if (mode.opaque && !(rect && (options & EtoOpaque))) {
        const QPointF top = run.origin - v * ascent, bottom = run.origin + v * descent;
        QPainterPath cell;
        cell.addPolygon(QPolygonF({top, top + u * advance, bottom + u * advance, bottom}));
        cell.closeSubpath();
        BrushSpec bk;
        bk.color = mode.bkColor;
        FDevice.FillPath(cell, bk, mode);
    }
    const bool clipped = rect && (options & EtoClipped);
    if (clipped) {
        QPainterPath box;
        box.addRect(rect->normalized());
        box = t.map(box);
        if (FState.clip)
            box = box.intersected(*FState.clip);
        FDevice.SetClip(&box);
    }
    FDevice.DrawText(run, mode);
    if (clipped)
        ApplyClip();
}

} // namespace tavik::metafile
