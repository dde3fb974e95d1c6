#pragma once

#include <QPaintDevice>
#include <QSize>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavik::metafile {

class EmfPaintEngine;

// A paint device that records what a QPainter draws on it as an enhanced
// metafile, through the EMF writer: paths, polygons, lines, rectangles and
// ellipses become polygons and polylines with solid pens (width, dashes,
// caps, joins) and solid brushes; text stays text in its font; images become
// bitmaps (alpha-blended when they have transparency); clips become clip
// regions. What the format cannot express (gradients, patterns, colours with
// alpha, opacity, perspective) reaches it from QPainter as a raster image of
// the area drawn.
//
// The device is natural.width() x natural.height() pixels at 96 dots per
// inch; the metafile's frame is that size. Paint on it with one QPainter,
// end the painter, then take the file image with Finish().
class EmfPaintDevice : public QPaintDevice {
public:
    explicit EmfPaintDevice(QSize natural);
    ~EmfPaintDevice() override;

    QPaintEngine* paintEngine() const override;
    // The EMF file image of everything painted. Call once, after the painter
    // has ended.
    std::vector<std::uint8_t> Finish();

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize FNatural;
    std::unique_ptr<EmfPaintEngine> FEngine;
};

} // namespace tavik::metafile
