#include "Gdi.h"

#include <cmath>

namespace tavik::metafile {

namespace {

bool UsesSource(int index) {
    return ((index >> 2) & 0x33) != (index & 0x33);
}

} // namespace

void Gdi::BlitMapped(const QTransform& unitToLogical, const QImage* image, const QRectF& src,
                     std::uint32_t rop) {
    if (FPathOpen)
        return;
    const int index = RopTable(rop);
    const QTransform unit = unitToLogical * ToOutput();
    QPainterPath area;
    area.addPolygon(unit.map(QPolygonF(QRectF(0, 0, 1, 1))));
    area.closeSubpath();
    if (!Usable(area) || std::abs(unit.determinant()) < 1e-12)
        return;

    if (!UsesSource(index)) {
        // Operations on the brush and the destination only fill the area.
        DrawMode mode = Mode();
        BrushSpec brush = MakeBrush(FState.brush);
        switch (index) {
        case 0xAA: // NOOP
            return;
        case 0x00: // BLACKNESS
            mode.rop2 = Number(Rop2::Black);
            break;
        case 0xFF: // WHITENESS
            mode.rop2 = Number(Rop2::White);
            break;
        case 0x55: // DSTINVERT
            mode.rop2 = Number(Rop2::Not);
            break;
        case 0x5A: // PATINVERT
            mode.rop2 = Number(Rop2::XorPen);
            break;
        case 0x0F: // PATNOT... NOTPATCOPY
            mode.rop2 = Number(Rop2::NotCopyPen);
            break;
        default: // PATCOPY and the rarer pattern operations
            mode.rop2 = Number(Rop2::CopyPen);
            break;
        }
        if (brush.kind == BrushSpec::Null) {
            if (mode.rop2 != Number(Rop2::Black) && mode.rop2 != Number(Rop2::White) &&
                mode.rop2 != Number(Rop2::Not))
                return;
            brush.kind = BrushSpec::Solid;
        }
        FDevice.FillPath(area, brush, mode);
        return;
    }
    if (!image || image->isNull())
        return;
    if (!Charge(Cost::Pixel, static_cast<std::int64_t>(image->width()) * image->height()))
        return;
    QRectF source = src.normalized().intersected(QRectF(image->rect()));
    if (source.isEmpty())
        return;
    // A source rectangle given with negative extents mirrors the picture.
    QTransform mapping = unit;
    if (src.width() < 0)
        mapping = QTransform(-1, 0, 0, 1, 1, 0) * mapping;
    if (src.height() < 0)
        mapping = QTransform(1, 0, 0, -1, 0, 1) * mapping;
    std::uint32_t op = rop;
    QImage picture = *image;
    if (index == 0x33) { // NOTSRCCOPY
        picture.invertPixels();
        op = Number(Rop3::SrcCopy);
    }
    FDevice.DrawImage(picture, source, mapping, op);
}

void Gdi::GradientFill(const QPolygonF& logical, QColor c1, QColor c2, bool vertical) {
    if (FPathOpen || logical.size() < 3)
        return;
    QPainterPath area;
    area.addPolygon(ToOutput().map(logical));
    area.closeSubpath();
    if (!Usable(area) || !Charge(Cost::Point, logical.size()))
        return;
    BrushSpec brush;
    brush.kind = BrushSpec::Gradient;
    brush.color = c1;
    brush.color2 = c2;
    brush.vertical = vertical;
    if (logical.size() > 4) {
        brush.kind = BrushSpec::Solid;
        brush.color = QColor((c1.red() + c2.red()) / 2, (c1.green() + c2.green()) / 2,
                             (c1.blue() + c2.blue()) / 2);
    }
    DrawMode mode = Mode();
    mode.rop2 = Number(Rop2::CopyPen);
    FDevice.FillPath(area, brush, mode);
}

} // namespace tavik::metafile
