#include "graphics/Icon.h"

#include "graphics/Bytes.h"
#include "graphics/Dib.h"
#include "graphics/QtDecode.h"
#include "storage/Exceptions.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavik {

namespace {

constexpr const char* kInvalid = "Icon image is not valid";
constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Icons larger than this are not icons; it keeps a PNG entry's decode small.
constexpr std::int64_t kMaxPngSide = 4096;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(kInvalid);
}

struct Entry {
    std::span<const std::uint8_t> bytes;
    bool png = false;
    std::int64_t width = 0;
    std::int64_t height = 0;
    int bitCount = 0;
    std::int64_t maskOffset = -1; // of the AND mask in bytes; -1 when absent
};

bool IsPng(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= sizeof kPngSignature &&
           std::memcmp(bytes.data(), kPngSignature, sizeof kPngSignature) == 0;
}

std::uint32_t BigEndian32(std::span<const std::uint8_t> b, std::size_t at) {
    return (static_cast<std::uint32_t>(b[at]) << 24) |
           (static_cast<std::uint32_t>(b[at + 1]) << 16) |
           (static_cast<std::uint32_t>(b[at + 2]) << 8) | b[at + 3];
}

Entry CheckPngEntry(std::span<const std::uint8_t> bytes) {
    // The signature, then the IHDR chunk: length 13, "IHDR", width, height.
    if (bytes.size() < 8 + 8 + 13 + 4 || BigEndian32(bytes, 8) != 13 ||
        std::memcmp(bytes.data() + 12, "IHDR", 4) != 0) {
        Invalid();
    }
    Entry entry;
    entry.bytes = bytes;
    entry.png = true;
    entry.width = BigEndian32(bytes, 16);
    entry.height = BigEndian32(bytes, 20);
    entry.bitCount = 32;
    if (entry.width < 1 || entry.height < 1 || entry.width > kMaxPngSide ||
        entry.height > kMaxPngSide) {
        Invalid();
    }
    return entry;
}

// A bitmap entry holds a DIB whose height counts the colour rows and the
// 1-bit AND mask rows below them.
Entry CheckDibEntry(std::span<const std::uint8_t> bytes) {
    auto info = dib::ParseHeader(bytes);
    if (!info || info->headerSize < 40 || info->compression != dib::Rgb || info->topDown ||
        info->bitCount == 16 || info->height % 2 != 0) {
        Invalid();
    }
    const std::int64_t rows = info->height / 2;
    if (rows == 0) {
        Invalid();
    }
    info->height = rows;
    const std::int64_t prefix = info->PrefixBytes();
    if (prefix > static_cast<std::int64_t>(bytes.size())) {
        Invalid();
    }
    const auto pixels = bytes.subspan(static_cast<std::size_t>(prefix));
    if (!dib::CheckPixels(*info, pixels)) {
        Invalid();
    }
    // The AND mask may be left out of 32-bit entries, whose alpha says it all.
    const std::int64_t maskBytes = ((info->width + 31) / 32) * 4 * rows;
    if (info->bitCount != 32 &&
        static_cast<std::int64_t>(pixels.size()) < info->Stride() * rows + maskBytes) {
        Invalid();
    }
    Entry entry;
    entry.bytes = bytes;
    entry.width = info->width;
    entry.height = rows;
    entry.bitCount = info->bitCount;
    if (static_cast<std::int64_t>(pixels.size()) >= info->Stride() * rows + maskBytes) {
        entry.maskOffset = prefix + info->Stride() * rows;
    }
    return entry;
}

std::vector<Entry> CheckEntries(std::span<const std::uint8_t> stream, std::size_t count) {
    const std::size_t directoryEnd = kHeaderSize + kEntrySize * count;
    if (count == 0 || directoryEnd > stream.size()) {
        Invalid();
    }
    std::vector<Entry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderSize + kEntrySize * i;
        const std::uint64_t length = bytes::U32(stream, at + 8);
        const std::uint64_t offset = bytes::U32(stream, at + 12);
        if (offset < directoryEnd || length == 0 || offset + length > stream.size()) {
            Invalid();
        }
        const auto bytes = stream.subspan(offset, length);
        entries.push_back(IsPng(bytes) ? CheckPngEntry(bytes) : CheckDibEntry(bytes));
    }
    return entries;
}

const Entry& ChooseEntry(const std::vector<Entry>& entries) {
    const Entry* best = &entries.front();
    auto distance = [](const Entry& e) {
        return std::llabs(e.width - 32) + std::llabs(e.height - 32);
    };
    for (const Entry& e : entries) {
        const auto d = distance(e);
        const auto bestD = distance(*best);
        if (d < bestD || (d == bestD && e.bitCount > best->bitCount)) {
            best = &e;
        }
    }
    return *best;
}

bool MaskBit(const Entry& entry, int x, int y) {
    const std::int64_t stride = ((entry.width + 31) / 32) * 4;
    const std::int64_t row = entry.height - 1 - y; // rows are stored bottom-up
    const std::uint8_t b =
        entry.bytes[static_cast<std::size_t>(entry.maskOffset + row * stride + x / 8)];
    return (b >> (7 - x % 8)) & 1;
}

bool NoAlpha(const QImage& image) {
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                return false;
            }
        }
    }
    return true;
}

// Qt's reader does not apply the AND mask to every bit count, so the mask is
// applied here: it is the transparency of entries without alpha, and of
// 32-bit entries whose alpha bytes are all zero.
QImage ApplyMask(const Entry& entry, QImage decoded) {
    QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    const bool useMask = entry.bitCount < 32 || NoAlpha(image);
    if (!useMask || image.width() != entry.width || image.height() != entry.height) {
        return image;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool hole = entry.maskOffset >= 0 && MaskBit(entry, x, y);
            line[x] = hole ? 0 : (line[x] | 0xFF000000u);
        }
    }
    return image;
}

// Qt's icon reader is handed a file of just the chosen entry, so which entry
// it would pick itself does not matter.
QImage DecodeEntry(const Entry& entry) {
    if (entry.png) {
        return DecodeWithQt(entry.bytes, "png");
    }
    std::vector<std::uint8_t> single;
    single.reserve(kHeaderSize + kEntrySize + entry.bytes.size());
    bytes::Put16(single, 0);
    bytes::Put16(single, 1);
    bytes::Put16(single, 1);
    single.push_back(static_cast<std::uint8_t>(entry.width >= 256 ? 0 : entry.width));
    single.push_back(static_cast<std::uint8_t>(entry.height >= 256 ? 0 : entry.height));
    single.push_back(0);
    single.push_back(0);
    bytes::Put16(single, 1);
    bytes::Put16(single, static_cast<std::uint32_t>(entry.bitCount));
    bytes::Put32(single, static_cast<std::uint32_t>(entry.bytes.size()));
    bytes::Put32(single, kHeaderSize + kEntrySize);
    single.insert(single.end(), entry.bytes.begin(), entry.bytes.end());
    const QImage decoded = DecodeWithQt(single, "ico");
    return decoded.isNull() ? decoded : ApplyMask(entry, decoded);
}

QImage BuiltInDefaultIcon() {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(0x20, 0x30, 0x60), 2));
    painter.setBrush(QColor(0xF0, 0xF0, 0xE0));
    painter.drawRect(QRectF(3, 5, 26, 22));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x80, 0x40));
    painter.drawPolygon(QPolygonF(
        {QPointF(5, 25), QPointF(13, 13), QPointF(19, 21), QPointF(22, 17), QPointF(27, 25)}));
    painter.setBrush(QColor(0xE0, 0xA0, 0x20));
    painter.drawEllipse(QPointF(22, 11), 3, 3);
    return image;
}

QImage& DefaultIconImage() {
    static QImage image = BuiltInDefaultIcon();
    return image;
}

} // namespace

void TIcon::SetDefaultIconImage(const QImage& image) {
    if (image.isNull()) {
        DefaultIconImage() = BuiltInDefaultIcon();
    } else if (image.size() != QSize(32, 32)) {
        DefaultIconImage() = image.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    } else {
        DefaultIconImage() = image;
    }
}

void TIcon::LoadFromStream(std::span<const std::uint8_t> stream) {
    if (stream.empty()) {
        FStream.clear();
        FImage = QImage();
        FDefault = false;
        return;
    }
    if (stream.size() < kHeaderSize || bytes::U16(stream, 0) != 0) {
        Invalid();
    }
    const std::uint16_t type = bytes::U16(stream, 2);
    QImage image;
    bool isDefault = false;
    if (type == 0) {
        isDefault = true;
    } else if (type == 1) {
        const auto entries = CheckEntries(stream, bytes::U16(stream, 4));
        image = DecodeEntry(ChooseEntry(entries));
        if (image.isNull()) {
            Invalid();
        }
    } else {
        Invalid();
    }
    FStream.assign(stream.begin(), stream.end());
    FImage = isDefault ? QImage() : std::move(image);
    FDefault = isDefault;
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
    return std::make_unique<TIcon>(*this);
}

namespace {

// The device pixels per point a painter draws with.
double PainterScale(const QPainter& painter) {
    const double device = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const QTransform& transform = painter.worldTransform();
    return device * std::max(std::abs(transform.m11()), std::abs(transform.m22()));
}

} // namespace

QImage TIcon::ImageForScale(double ratio) const {
    if (FDefault) {
        return DefaultIconImage();
    }
    if (FStream.empty() || FImage.isNull() || ratio <= 1.0) {
        return FImage;
    }
    // The stream was checked when it was loaded.
    const auto entries = CheckEntries(FStream, bytes::U16(FStream, 4));
    const double wanted = FImage.width() * ratio;
    const double wantedHeight = FImage.height() * ratio;
    const Entry* best = nullptr;
    double bestDistance =
        std::abs(FImage.width() - wanted) + std::abs(FImage.height() - wantedHeight);
    for (const Entry& e : entries) {
        const double d = std::abs(e.width - wanted) + std::abs(e.height - wantedHeight);
        if (d < bestDistance || (best && d == bestDistance && e.bitCount > best->bitCount)) {
            best = &e;
            bestDistance = d;
        }
    }
    if (!best) {
        return FImage;
    }
    QImage image = DecodeEntry(*best);
    return image.isNull() ? FImage : image;
}

void TIcon::Draw(QPainter& painter, QPoint topLeft) const {
    const QImage image = ImageForScale(PainterScale(painter));
    if (image.isNull()) {
        return;
    }
    if (image.size() == QSize(Width(), Height())) {
        painter.drawImage(topLeft, image);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRect(topLeft, QSize(Width(), Height())), image);
    painter.restore();
}

void TIcon::StretchDraw(QPainter& painter, const QRect& target) const {
    if (Empty() || target.isEmpty() || Width() <= 0 || Height() <= 0) {
        return;
    }
    const double enlarged = std::max(static_cast<double>(target.width()) / Width(),
                                     static_cast<double>(target.height()) / Height());
    const QImage image = ImageForScale(enlarged * PainterScale(painter));
    if (image.isNull()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image);
    painter.restore();
}

} // namespace tavik
