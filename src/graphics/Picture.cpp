#include "graphics/Picture.h"

#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "storage/Exceptions.h"

#include <QFile>
#include <fstream>
#include <iterator>

namespace tavik {

namespace {

std::string ExtensionOf(const std::string& fileName) {
    const auto slash = fileName.find_last_of('/');
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return fileName.substr(dot + 1);
}

std::unique_ptr<TGraphic> NewGraphic(PictureKind kind) {
    switch (kind) {
    case PictureKind::Bitmap:
        return std::make_unique<TBitmap>();
    case PictureKind::Icon:
        return std::make_unique<TIcon>();
    case PictureKind::Metafile:
        return std::make_unique<TMetafile>();
    case PictureKind::None:
        break;
    }
    return nullptr;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        throw EFOpenError("Cannot open file " + fileName);
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                    std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw EReadError("Stream read error");
    }
    return bytes;
}

template <typename T> T& AsKind(std::unique_ptr<TGraphic>& graphic) {
    if (auto* existing = dynamic_cast<T*>(graphic.get())) {
        return *existing;
    }
    auto fresh = std::make_unique<T>();
    T& result = *fresh;
    graphic = std::move(fresh);
    return result;
}

} // namespace

TPicture::TPicture(const TPicture& other)
    : FGraphic(other.FGraphic ? other.FGraphic->Clone() : nullptr) {}

TPicture& TPicture::operator=(const TPicture& other) {
    if (this != &other) {
        FGraphic = other.FGraphic ? other.FGraphic->Clone() : nullptr;
    }
    return *this;
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
}

TBitmap& TPicture::Bitmap() {
    return AsKind<TBitmap>(FGraphic);
}
TIcon& TPicture::Icon() {
    return AsKind<TIcon>(FGraphic);
}
TMetafile& TPicture::Metafile() {
    return AsKind<TMetafile>(FGraphic);
}

int TPicture::Width() const {
    return FGraphic ? FGraphic->Width() : 0;
}
int TPicture::Height() const {
    return FGraphic ? FGraphic->Height() : 0;
}
PictureKind TPicture::Kind() const {
    return FGraphic ? FGraphic->Kind() : PictureKind::None;
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string extension = ExtensionOf(fileName);
    auto graphic = NewGraphic(KindOfExtension(extension));
    if (!graphic) {
        throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    }
    const auto bytes = ReadWholeFile(fileName);
    graphic->LoadFromStream(bytes);
    FGraphic = std::move(graphic);
}

std::vector<std::uint8_t> TPicture::FileImage(const std::string& fileName) const {
    if (!FGraphic) {
        return {};
    }
    if (const auto* metafile = dynamic_cast<const TMetafile*>(FGraphic.get())) {
        const bool asWmf = QString::fromStdString(ExtensionOf(fileName))
                               .compare(QStringLiteral("wmf"), Qt::CaseInsensitive) == 0;
        return asWmf ? metafile->PlaceableWmfImage() : metafile->EmfImage();
    }
    return FGraphic->Stream();
}

void TPicture::SaveToFile(const std::string& fileName) const {
    if (!FGraphic) {
        return;
    }
    const auto bytes = FileImage(fileName);
    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw EFCreateError("Cannot create file " + fileName);
    }
    const auto written =
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size()) || !file.flush()) {
        throw EWriteError("Stream write error");
    }
}

} // namespace tavik
