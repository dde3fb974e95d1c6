#pragma once

#include "Budget.h"

#include <QRectF>
#include <QSize>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QPainter;

namespace tavik::metafile {

class Device;

// A parsed enhanced or Windows metafile, ready to be played onto a QPainter
// and converted to the other format. Immutable once parsed.
class MetafileDocument {
public:
    // Parses an EMF file image or a Windows metafile with or without the
    // 22-byte placeable header. Throws EInvalidGraphic "Metafile is not valid"
    // when the header or any record's frame fails the checks.
    static MetafileDocument Parse(std::span<const std::uint8_t> stream);

    MetafileDocument(MetafileDocument&&) noexcept;
    MetafileDocument& operator=(MetafileDocument&&) noexcept;
    ~MetafileDocument();

    bool IsEnhanced() const;
    // Natural size in screen pixels (96 per inch).
    QSize NaturalSize() const;

    // Plays every record into target (in the painter's coordinates); records
    // that cannot be drawn are skipped. The painter's state is restored after.
    // Playback stops early when it has done as much work as the file's size
    // allows (see WorkBudget); the report says so.
    PlayReport Play(QPainter& painter, const QRectF& target) const;
    // Plays onto any output device (the converters record through this).
    PlayReport Play(Device& device, const QRectF& target) const;

    // The EMF file image: the original bytes for an enhanced metafile, a
    // conversion for a Windows one.
    std::vector<std::uint8_t> ToEmf() const;
    // The placeable WMF file image: the original bytes (with a placeable header
    // added when the original had none) for a Windows metafile, a conversion
    // for an enhanced one.
    std::vector<std::uint8_t> ToPlaceableWmf() const;

private:
    struct Impl;
    explicit MetafileDocument(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> FImpl;
};

} // namespace tavik::metafile
