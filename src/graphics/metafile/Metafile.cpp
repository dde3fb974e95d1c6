#include "Metafile.h"

#include "Convert.h"
#include "PainterDevice.h"
#include "Player.h"
#include "Reader.h"
#include "storage/Exceptions.h"

#include <QPainter>

namespace tavik::metafile {

struct MetafileDocument::Impl {
    std::vector<std::uint8_t> data;
    bool enhanced = false;
    EmfFile emf;
    WmfFile wmf;
    WmfFrame frame;
    QSize natural;
};

MetafileDocument::MetafileDocument(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)) {}
MetafileDocument::MetafileDocument(MetafileDocument&&) noexcept = default;
MetafileDocument& MetafileDocument::operator=(MetafileDocument&&) noexcept = default;
MetafileDocument::~MetafileDocument() = default;

MetafileDocument MetafileDocument::Parse(std::span<const std::uint8_t> stream) {
    auto impl = std::make_unique<Impl>();
    impl->data.assign(stream.begin(), stream.end());
    const Bytes data(impl->data);
    if (LooksLikeEmf(stream)) {
        impl->enhanced = true;
        impl->emf = ReadEmf(impl->data);
        impl->natural = EmfNaturalSize(impl->emf.header);
    } else {
        impl->wmf = ReadWmf(impl->data);
        impl->frame = MeasureWmf(impl->wmf, data);
        impl->natural = impl->frame.natural;
    }
    return MetafileDocument(std::move(impl));
}

bool MetafileDocument::IsEnhanced() const {
    return FImpl->enhanced;
}

QSize MetafileDocument::NaturalSize() const {
    return FImpl->natural;
}

PlayReport MetafileDocument::Play(QPainter& painter, const QRectF& target) const {
    if (target.isEmpty())
        return {};
    painter.save();
    PlayReport report;
    {
        PainterDevice device(painter);
        report = Play(device, target);
    }
    painter.restore();
    return report;
}

PlayReport MetafileDocument::Play(Device& device, const QRectF& target) const {
    const Bytes data(FImpl->data);
    if (FImpl->enhanced)
        return PlayEmf(FImpl->emf, data, device, target);
    return PlayWmf(FImpl->wmf, data, FImpl->frame, device, target);
}

std::vector<std::uint8_t> MetafileDocument::ToEmf() const {
    if (FImpl->enhanced)
        return FImpl->data;
    return ConvertToEmf(*this);
}

std::vector<std::uint8_t> MetafileDocument::ToPlaceableWmf() const {
    if (FImpl->enhanced)
        return ConvertToWmf(*this);
    if (FImpl->wmf.placeable)
        return FImpl->data;
    return AddPlaceableHeader(FImpl->data, FImpl->frame);
}

} // namespace tavik::metafile
