#include "graphics/TavikPicture.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "storage/Exceptions.h"
#include "storage/Records.h"

namespace tavik {

namespace {
constexpr const char* kBadFormat = "Bad Picture object format! It's impossible!";
} // namespace

std::unique_ptr<TGraphic> GraphicFromRecord(PictureKind kind,
                                            const std::vector<std::uint8_t>& pictureStream) {
    std::unique_ptr<TGraphic> graphic;
    switch (kind) {
    case PictureKind::Bitmap:
        graphic = std::make_unique<TBitmap>();
        break;
    case PictureKind::Icon:
        graphic = std::make_unique<TIcon>();
        break;
    case PictureKind::Metafile:
        graphic = std::make_unique<TMetafile>();
        break;
    case PictureKind::None:
        throw EInvalidGraphic("Bad DAT-file insight signature");
    }
    graphic->LoadFromStream(pictureStream);
    return graphic;
}

void TTavikPicture::TakeRecord(PictureKind kind, const std::vector<std::uint8_t>& pictureStream) {
    // Decoded beside the current graphic so that a failure leaves it in place.
    SetGraphic(GraphicFromRecord(kind, pictureStream));
}

PictureKind TTavikPicture::KindToStore() const {
    const PictureKind kind = Kind();
    if (kind == PictureKind::None) {
        throw EInvalidGraphic(kBadFormat);
    }
    return kind;
}

void TTavikPicture::LoadFromCatalog(const std::string& fileName, std::int32_t position) {
    const PictureRecord record = LoadRecordFromFile(fileName, position);
    TakeRecord(record.kind, record.stream);
}

std::int32_t TTavikPicture::AppendToCatalog(const std::string& fileName) const {
    const PictureKind kind = KindToStore();
    return AppendRecordToFile(fileName, kind, Graphic()->Stream());
}

std::int32_t TTavikPicture::AppendToCatalog(TRecordAppender& appender) const {
    const PictureKind kind = KindToStore();
    return appender.Append(kind, Graphic()->Stream());
}

void TTavikPicture::LoadRecord(TStream& stream, std::int64_t position) {
    const PictureRecord record = ::tavik::LoadRecord(stream, position);
    TakeRecord(record.kind, record.stream);
}

void TTavikPicture::SaveRecord(TStream& stream, std::int64_t position) const {
    const PictureKind kind = KindToStore();
    ::tavik::SaveRecord(stream, position, kind, Graphic()->Stream());
}

} // namespace tavik
