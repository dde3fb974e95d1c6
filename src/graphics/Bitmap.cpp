#include "graphics/Bitmap.h"

#include "graphics/Bytes.h"
#include "graphics/Dib.h"
#include "graphics/QtDecode.h"
#include "storage/Exceptions.h"

#include <QPainter>
#include <bit>

namespace tavik {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid";
constexpr std::size_t kFileHeaderSize = 14;

[[noreturn]] void Invalid() {
    throw EInvalidGraphic(kInvalid);
}

void PutFileHeader(std::vector<std::uint8_t>& out, std::uint32_t fileSize,
                   std::uint32_t pixelOffset) {
    out.push_back('B');
    out.push_back('M');
    bytes::Put32(out, fileSize);
    bytes::Put32(out, 0);
    bytes::Put32(out, pixelOffset);
}

// The info header shared by every encoding we write: bottom-up rows, one plane.
void PutInfoHeader(std::vector<std::uint8_t>& out, std::uint32_t headerSize, const QImage& image,
                   int bitCount, std::uint32_t compression, std::uint32_t imageSize,
                   std::uint32_t colorsUsed) {
    bytes::Put32(out, headerSize);
    bytes::Put32(out, static_cast<std::uint32_t>(image.width()));
    bytes::Put32(out, static_cast<std::uint32_t>(image.height()));
    bytes::Put16(out, 1);
    bytes::Put16(out, static_cast<std::uint32_t>(bitCount));
    bytes::Put32(out, compression);
    bytes::Put32(out, imageSize);
    bytes::Put32(out, 3780); // 96 dots per inch, in dots per metre
    bytes::Put32(out, 3780);
    bytes::Put32(out, colorsUsed);
    bytes::Put32(out, 0);
}

std::vector<std::uint8_t> EncodeIndexed(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_Indexed8);
    const QList<QRgb> table = image.colorTable();
    const auto colours = static_cast<std::uint32_t>(table.size());
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width()) + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.height());
    const std::uint32_t offset = kFileHeaderSize + 40 + colours * 4;
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    PutFileHeader(out, offset + imageSize, offset);
    PutInfoHeader(out, 40, image, 8, dib::Rgb, imageSize, colours);
    for (QRgb c : table) {
        out.push_back(static_cast<std::uint8_t>(qBlue(c)));
        out.push_back(static_cast<std::uint8_t>(qGreen(c)));
        out.push_back(static_cast<std::uint8_t>(qRed(c)));
        out.push_back(0);
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        out.insert(out.end(), line, line + image.width());
        out.resize(out.size() + (stride - static_cast<std::uint32_t>(image.width())), 0);
    }
    return out;
}

// image is Format_RGB32.
std::vector<std::uint8_t> EncodeRgb24(const QImage& image) {
    const int width = image.width();
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(image.height());
    const std::uint32_t offset = kFileHeaderSize + 40;
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    PutFileHeader(out, offset + imageSize, offset);
    PutInfoHeader(out, 40, image, 24, dib::Rgb, imageSize, 0);
    out.resize(offset + imageSize, 0);
    std::uint8_t* row = out.data() + offset;
    for (int y = image.height() - 1; y >= 0; --y, row += stride) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = row;
        for (int x = 0; x < width; ++x) {
            *to++ = static_cast<std::uint8_t>(qBlue(line[x]));
            *to++ = static_cast<std::uint8_t>(qGreen(line[x]));
            *to++ = static_cast<std::uint8_t>(qRed(line[x]));
        }
    }
    return out;
}

// 32-bit pixels keep their alpha only through a header that names an alpha
// mask, so this one uses the 108-byte header with explicit bit fields.
// image is Format_ARGB32.
std::vector<std::uint8_t> EncodeArgb32(const QImage& image) {
    const std::uint32_t imageSize =
        static_cast<std::uint32_t>(image.width()) * 4 * static_cast<std::uint32_t>(image.height());
    const std::uint32_t offset = kFileHeaderSize + 108;
    std::vector<std::uint8_t> out;
    out.reserve(offset + imageSize);
    PutFileHeader(out, offset + imageSize, offset);
    PutInfoHeader(out, 108, image, 32, dib::BitFields, imageSize, 0);
    bytes::Put32(out, 0x00FF0000);       // red
    bytes::Put32(out, 0x0000FF00);       // green
    bytes::Put32(out, 0x000000FF);       // blue
    bytes::Put32(out, 0xFF000000);       // alpha
    bytes::Put32(out, 0x73524742);       // colour space "sRGB"
    out.resize(out.size() + 36 + 12, 0); // end points and gammas, unused with sRGB
    out.resize(offset + imageSize);
    std::uint8_t* row = out.data() + offset;
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 4;
    for (int y = image.height() - 1; y >= 0; --y, row += rowBytes) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* to = row;
        for (int x = 0; x < image.width(); ++x) { // 0xAARRGGBB is B, G, R, A in file order
            *to++ = static_cast<std::uint8_t>(qBlue(line[x]));
            *to++ = static_cast<std::uint8_t>(qGreen(line[x]));
            *to++ = static_cast<std::uint8_t>(qRed(line[x]));
            *to++ = static_cast<std::uint8_t>(qAlpha(line[x]));
        }
    }
    return out;
}

bool AllOpaque(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return true;
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                return false;
            }
        }
    }
    return true;
}

// Qt reads the 40-, 108- and 124-byte headers but not the 52- and 56-byte
// ones, which are the 40-byte header with the bit masks inside. Those are
// handed to Qt as the 108-byte header with the same masks.
std::vector<std::uint8_t> WidenHeader(std::span<const std::uint8_t> stream,
                                      const dib::DibInfo& info) {
    constexpr std::uint32_t kWide = 108;
    const std::uint32_t grow = kWide - info.headerSize;
    std::vector<std::uint8_t> out(stream.begin(), stream.begin() + kFileHeaderSize);
    bytes::Put32(out, kWide);
    const auto header = stream.subspan(kFileHeaderSize);
    out.insert(out.end(), header.begin() + 4, header.begin() + info.headerSize);
    out.resize(kFileHeaderSize + kWide, 0);
    out.insert(out.end(), header.begin() + info.headerSize, header.end());
    const std::uint32_t offset = bytes::U32(stream, 10) + grow;
    bytes::Patch32(out, 10, offset);
    return out;
}

// An n-bit channel (n < 8) at full scale: its bits repeated from the top,
// so that 31 of 5 bits gives 255 and 16 gives 132.
int WidenChannel(int shiftedLeft, int n) {
    const int raw = shiftedLeft >> (8 - n);
    int value = 0;
    int filled = 0;
    while (filled < 8) {
        value = (value << n) | raw;
        filled += n;
    }
    return value >> (filled - 8);
}

// Qt widens the 5- and 6-bit channels of a 16-bit bitmap by shifting them
// left, so white comes out as 248. The channels are widened again from their
// own bits; the stream itself is never changed.
void WidenSixteenBitChannels(QImage& image, std::span<const std::uint8_t> stream,
                             const dib::DibInfo& info) {
    std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (info.compression == dib::BitFields) {
        for (int i = 0; i < 3; ++i) {
            masks[i] = bytes::U32(stream, kFileHeaderSize + 40 + 4 * i);
        }
    }
    int bits[3];
    for (int i = 0; i < 3; ++i) {
        bits[i] = std::popcount(masks[i]);
        if (bits[i] < 1 || bits[i] >= 8) {
            bits[i] = 8; // nothing to widen
        }
    }
    if (bits[0] == 8 && bits[1] == 8 && bits[2] == 8) {
        return;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32
                                                              : QImage::Format_RGB32);
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(WidenChannel(qRed(p), bits[0]), WidenChannel(qGreen(p), bits[1]),
                            WidenChannel(qBlue(p), bits[2]), qAlpha(p));
        }
    }
}

// Plain 24- and 32-bit pixels under the common 40-byte header, unpacked here
// to the pixels Qt's reader gives them (opaque RGB32): that reader looks up
// its plugins for every image it opens, which costs more than all the pixels
// of a small bitmap. The stream has passed CheckBmpStream.
bool IsPlainRgb(const dib::DibInfo& info) {
    return info.headerSize == 40 && info.compression == dib::Rgb &&
           (info.bitCount == 24 || info.bitCount == 32);
}

QImage DecodePlainRgb(std::span<const std::uint8_t> stream, const dib::DibInfo& info) {
    const int width = static_cast<int>(info.width);
    const int height = static_cast<int>(info.height);
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    const std::size_t pixelSize = static_cast<std::size_t>(info.bitCount) / 8;
    const auto stride = static_cast<std::size_t>(info.Stride());
    const std::uint8_t* pixels = stream.data() + bytes::U32(stream, 10);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row =
            pixels + stride * static_cast<std::size_t>(info.topDown ? y : height - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, row += pixelSize) {
            line[x] = qRgb(row[2], row[1], row[0]);
        }
    }
    image.setDotsPerMeterX(bytes::I32(stream, kFileHeaderSize + 24));
    image.setDotsPerMeterY(bytes::I32(stream, kFileHeaderSize + 28));
    return image;
}

} // namespace

void CheckBmpStream(std::span<const std::uint8_t> stream) {
    if (stream.size() < kFileHeaderSize + 12 || stream[0] != 'B' || stream[1] != 'M') {
        Invalid();
    }
    const std::int64_t pixelOffset = bytes::U32(stream, 10);
    const auto info = dib::ParseHeader(stream.subspan(kFileHeaderSize));
    // Qt's reader knows no alpha bit fields (they come from metafiles).
    if (!info || info->compression == dib::AlphaBitFields) {
        Invalid();
    }
    const auto size = static_cast<std::int64_t>(stream.size());
    const std::int64_t prefixEnd = static_cast<std::int64_t>(kFileHeaderSize) + info->PrefixBytes();
    if (prefixEnd > pixelOffset || pixelOffset > size) {
        Invalid();
    }
    if (!dib::CheckPixels(*info, stream.subspan(static_cast<std::size_t>(pixelOffset)))) {
        Invalid();
    }
}

std::unique_ptr<TBitmap> TBitmap::FromImage(const QImage& image) {
    auto bitmap = std::make_unique<TBitmap>();
    if (image.isNull()) {
        return bitmap;
    }
    const bool indexed = image.format() == QImage::Format_Indexed8 ||
                         image.format() == QImage::Format_Mono ||
                         image.format() == QImage::Format_MonoLSB;
    const bool opaque = AllOpaque(image);
    if (indexed && opaque) {
        bitmap->LoadFromStream(EncodeIndexed(image));
        return bitmap;
    }
    // The direct-colour encodings decode back to exactly the converted
    // pixels, so these are kept instead of decoding the stream again.
    QImage pixels = image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    bitmap->FStream = opaque ? EncodeRgb24(pixels) : EncodeArgb32(pixels);
    bitmap->FImage = std::move(pixels);
    return bitmap;
}

void TBitmap::LoadFromStream(std::span<const std::uint8_t> stream) {
    if (stream.empty()) {
        FStream.clear();
        FImage = QImage();
        FTransparentImage = QImage();
        return;
    }
    CheckBmpStream(stream);
    const auto info = dib::ParseHeader(stream.subspan(kFileHeaderSize));
    QImage image = IsPlainRgb(*info) ? DecodePlainRgb(stream, *info)
                   : info->headerSize == 52 || info->headerSize == 56
                       ? DecodeWithQt(WidenHeader(stream, *info), "bmp")
                       : DecodeWithQt(stream, "bmp");
    if (image.isNull()) {
        Invalid();
    }
    if (info->bitCount == 16) {
        WidenSixteenBitChannels(image, stream, *info);
    }
    if (info->bitCount == 32 && info->compression == dib::Rgb &&
        image.format() == QImage::Format_ARGB32) {
        // Plain 32-bit pixels carry an unused fourth byte, usually zero: they are opaque.
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    FStream.assign(stream.begin(), stream.end());
    FImage = std::move(image);
    FTransparentImage = QImage();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
    return std::make_unique<TBitmap>(*this);
}

const QImage& TBitmap::DrawnImage() const {
    if (!FTransparent || FImage.isNull()) {
        return FImage;
    }
    if (FTransparentImage.isNull()) {
        QImage image = FImage.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = image.pixel(0, image.height() - 1);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                if (line[x] == key) {
                    line[x] = 0;
                }
            }
        }
        FTransparentImage = std::move(image);
    }
    return FTransparentImage;
}

void TBitmap::Draw(QPainter& painter, QPoint topLeft) const {
    if (!FImage.isNull()) {
        painter.drawImage(topLeft, DrawnImage());
    }
}

void TBitmap::StretchDraw(QPainter& painter, const QRect& target) const {
    if (FImage.isNull() || target.isEmpty()) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, DrawnImage());
    painter.restore();
}

} // namespace tavik
