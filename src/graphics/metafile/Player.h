#pragma once

#include "Budget.h"
#include "Bytes.h"
#include "Device.h"
#include "Reader.h"

#include <QRectF>
#include <QSize>

namespace tavik::metafile {

// Natural size of an enhanced metafile in 96-dpi pixels: the frame, else
// the bounds, never smaller than 1 x 1.
QSize EmfNaturalSize(const EmfHeader& header);

// Plays an enhanced metafile so that its frame fills target. Records that
// are malformed or cannot be drawn are skipped; playback stops at EOF or
// when the work budget is spent.
PlayReport PlayEmf(const EmfFile& file, Bytes data, Device& device, const QRectF& target);

// Where a Windows metafile's picture lies in its logical units, and its
// natural size in 96-dpi pixels.
struct WmfFrame {
    QRectF picture;
    QSize natural;
};

// The placeable box; else the first window origin and extent; else the
// bounds of what the records draw.
WmfFrame MeasureWmf(const WmfFile& file, Bytes data);

// Plays a Windows metafile so that its picture fills target, within the
// same budget.
PlayReport PlayWmf(const WmfFile& file, Bytes data, const WmfFrame& frame, Device& device,
                   const QRectF& target);

} // namespace tavik::metafile
