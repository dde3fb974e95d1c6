#include "mainwin/Clipboard.h"

#include "TransferPictures.h"
#include "storage/Exceptions.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::BitmapPicture;
using testing::EmfBytes;
using testing::EmfPicture;
using testing::IconBytes;
using testing::IconPicture;
using testing::PlaceableWmfBytes;
using testing::QuarterImage;
using testing::WmfPicture;

const QColor kFace(0xc0, 0xc0, 0xc0);

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

QImage PixelsOf(const TPicture& picture) {
    return dynamic_cast<const TBitmap&>(*picture.Graphic())
        .Image()
        .convertToFormat(QImage::Format_RGB32);
}

TPicture PasteFromClipboard() {
    TPicture pasted;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    EXPECT_NE(data, nullptr);
    if (data != nullptr) {
        EXPECT_TRUE(HasPictureFormat(*data));
        EXPECT_TRUE(PictureFromMimeData(*data, pasted));
    }
    return pasted;
}

TEST(ClipboardRoundTrip, BitmapStaysBitmapWithItsPixels) {
    const TPicture original = BitmapPicture(6, 4);
    ASSERT_TRUE(CopyPictureToClipboard(original, kFace, *QApplication::clipboard()));
    const TPicture pasted = PasteFromClipboard();
    ASSERT_EQ(pasted.Kind(), PictureKind::Bitmap);
    EXPECT_EQ(PixelsOf(pasted), QuarterImage(6, 4));
}

TEST(ClipboardRoundTrip, IconStaysIconWithItsFileBytes) {
    const TPicture original = IconPicture(16);
    ASSERT_TRUE(CopyPictureToClipboard(original, kFace, *QApplication::clipboard()));
    const TPicture pasted = PasteFromClipboard();
    ASSERT_EQ(pasted.Kind(), PictureKind::Icon);
    EXPECT_EQ(pasted.Graphic()->Stream(), IconBytes(16));
}

TEST(ClipboardRoundTrip, EnhancedMetafileStaysEnhancedWithItsBytes) {
    const TPicture original = EmfPicture(40, 20);
    ASSERT_TRUE(CopyPictureToClipboard(original, kFace, *QApplication::clipboard()));
    const TPicture pasted = PasteFromClipboard();
    ASSERT_EQ(pasted.Kind(), PictureKind::Metafile);
    EXPECT_TRUE(dynamic_cast<const TMetafile&>(*pasted.Graphic()).Enhanced());
    EXPECT_EQ(pasted.Graphic()->Stream(), EmfBytes(40, 20));
}

TEST(ClipboardRoundTrip, WindowsMetafileStaysMetafileOfItsSize) {
    const TPicture original = WmfPicture(30, 10);
    ASSERT_TRUE(CopyPictureToClipboard(original, kFace, *QApplication::clipboard()));
    const TPicture pasted = PasteFromClipboard();
    ASSERT_EQ(pasted.Kind(), PictureKind::Metafile);
    EXPECT_EQ(pasted.Width(), 30);
    EXPECT_EQ(pasted.Height(), 10);
}

TEST(ClipboardCopy, IconGoesOutAlsoAsBitmapOnTheButtonFace) {
    auto data = PictureMimeData(IconPicture(16), kFace);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->data(kIconMimeType), Bytes(IconBytes(16)));
    ASSERT_TRUE(data->hasImage());
    const QImage image = qvariant_cast<QImage>(data->imageData());
    ASSERT_EQ(image.size(), QSize(16, 16));
    // The icon's transparent left column shows the background colour.
    EXPECT_EQ(QColor(image.pixel(0, 5)), kFace);
    EXPECT_EQ(QColor(image.pixel(8, 5)), QColor(Qt::red));
}

TEST(ClipboardCopy, MetafileGoesOutAsEnhancedMetafileOnly) {
    auto data = PictureMimeData(EmfPicture(), kFace);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), QStringList{"image/emf"});
}

TEST(ClipboardCopy, NothingToCopyLeavesTheClipboardAlone) {
    QApplication::clipboard()->setText("kept");
    EXPECT_FALSE(CopyPictureToClipboard(TPicture(), kFace, *QApplication::clipboard()));
    TPicture emptyBitmap;
    emptyBitmap.Bitmap();
    EXPECT_FALSE(CopyPictureToClipboard(emptyBitmap, kFace, *QApplication::clipboard()));
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

TEST(ClipboardPaste, PrivateIconWinsOverEveryOtherFormat) {
    QMimeData data;
    data.setData("image/emf", Bytes(EmfBytes()));
    data.setImageData(QuarterImage(4, 4));
    data.setData(kIconMimeType, Bytes(IconBytes(16)));
    TPicture picture;
    ASSERT_TRUE(PictureFromMimeData(data, picture));
    EXPECT_EQ(picture.Kind(), PictureKind::Icon);
}

TEST(ClipboardPaste, OtherFormatsAreTakenInTheClipboardsOrder) {
    QMimeData metafileFirst;
    metafileFirst.setData("image/x-emf", Bytes(EmfBytes()));
    metafileFirst.setImageData(QuarterImage(4, 4));
    TPicture picture;
    ASSERT_TRUE(PictureFromMimeData(metafileFirst, picture));
    EXPECT_EQ(picture.Kind(), PictureKind::Metafile);

    QMimeData imageFirst;
    imageFirst.setImageData(QuarterImage(4, 4));
    imageFirst.setData("image/emf", Bytes(EmfBytes()));
    ASSERT_TRUE(PictureFromMimeData(imageFirst, picture));
    EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
}

struct ForeignFormat {
    const char* name;
    const char* mimeType;
    PictureKind kind;
    bool enhanced;
};

class ClipboardForeignFormat : public ::testing::TestWithParam<ForeignFormat> {};

QByteArray ForeignBytes(const ForeignFormat& format) {
    const QString type = QString::fromLatin1(format.mimeType);
    if (type.endsWith("emf")) {
        return Bytes(EmfBytes());
    }
    if (type.endsWith("wmf")) {
        return Bytes(PlaceableWmfBytes());
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QuarterImage(8, 6).save(&buffer, type.endsWith("png") ? "PNG" : "BMP");
    return encoded;
}

TEST_P(ClipboardForeignFormat, GivesItsKindOfPicture) {
    const ForeignFormat format = GetParam();
    QMimeData data;
    data.setData(format.mimeType, ForeignBytes(format));
    ASSERT_TRUE(HasPictureFormat(data));
    TPicture picture;
    ASSERT_TRUE(PictureFromMimeData(data, picture));
    ASSERT_EQ(picture.Kind(), format.kind);
    if (format.kind == PictureKind::Bitmap) {
        EXPECT_EQ(PixelsOf(picture), QuarterImage(8, 6));
    } else {
        EXPECT_EQ(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced(), format.enhanced);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ClipboardForeignFormat,
    ::testing::Values(ForeignFormat{"png", "image/png", PictureKind::Bitmap, false},
                      ForeignFormat{"bmp", "image/bmp", PictureKind::Bitmap, false},
                      ForeignFormat{"emf", "image/emf", PictureKind::Metafile, true},
                      ForeignFormat{"xemf", "image/x-emf", PictureKind::Metafile, true},
                      ForeignFormat{"wmf", "image/wmf", PictureKind::Metafile, false},
                      ForeignFormat{"xwmf", "image/x-wmf", PictureKind::Metafile, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipboardPaste, TextAloneOffersNothing) {
    QMimeData data;
    data.setText("just words");
    EXPECT_FALSE(HasPictureFormat(data));
    TPicture picture;
    EXPECT_FALSE(PictureFromMimeData(data, picture));
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(ClipboardPaste, BadBlocksRaiseAndLeaveThePictureAlone) {
    const QList<QPair<QString, QByteArray>> bad = {
        {kIconMimeType, QByteArray("not an icon at all")},
        {kIconMimeType, QByteArray()},
        {"image/png", QByteArray("\x89PNG broken", 11)},
        {"image/emf", QByteArray(120, '\0')},
    };
    for (const auto& [type, bytes] : bad) {
        QMimeData data;
        data.setData(type, bytes);
        TPicture picture = BitmapPicture(3, 3);
        EXPECT_THROW(PictureFromMimeData(data, picture), EInvalidGraphic) << type.toStdString();
        EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
        EXPECT_EQ(picture.Width(), 3);
    }
}

} // namespace
} // namespace tavik
