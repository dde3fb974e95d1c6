#include "mainwin/Clipboard.h"

#include "TransferPictures.h"
#include "storage/Exceptions.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
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

TEST(ClipboardRoundTrip, WindowsMetafileComesBackWithItsOwnBytes) {
    const TPicture original = WmfPicture(30, 10);
    ASSERT_TRUE(CopyPictureToClipboard(original, kFace, *QApplication::clipboard()));
    const TPicture pasted = PasteFromClipboard();
    ASSERT_EQ(pasted.Kind(), PictureKind::Metafile);
    EXPECT_FALSE(dynamic_cast<const TMetafile&>(*pasted.Graphic()).Enhanced());
    EXPECT_EQ(pasted.Graphic()->Stream(), PlaceableWmfBytes(30, 10));
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

struct OutCase {
    const char* name;
    TPicture (*make)();
    QStringList formats;
};

class ClipboardOut : public ::testing::TestWithParam<OutCase> {};

TEST_P(ClipboardOut, OffersItsOwnFlavoursFirstThenRenderings) {
    const TPicture picture = GetParam().make();
    auto data = PictureMimeData(picture, kFace);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->formats(), GetParam().formats);
    // The PNG is the picture at natural size.
    const QImage png = QImage::fromData(data->data("image/png"), "PNG");
    EXPECT_EQ(png.size(), QSize(picture.Width(), picture.Height()));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ClipboardOut,
    ::testing::Values(OutCase{"bitmap",
                              [] { return BitmapPicture(6, 4); },
                              {"image/bmp", "application/x-qt-image", "image/png"}},
                      OutCase{
                          "icon",
                          [] { return IconPicture(16); },
                          {kIconMimeType, "image/x-icon", "image/png", "application/x-qt-image"}},
                      OutCase{"enhanced",
                              [] { return EmfPicture(40, 20); },
                              {"image/emf", kOfficeEmfMimeType, "image/png", "image/svg+xml"}},
                      OutCase{"windows",
                              [] { return WmfPicture(30, 10); },
                              {"image/wmf", kOfficeWmfMimeType, "image/emf", kOfficeEmfMimeType,
                               "image/png", "image/svg+xml"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipboardCopy, StoredBytesGoOutUnderTheirFileTypes) {
    const TPicture bitmap = BitmapPicture(6, 4);
    EXPECT_EQ(PictureMimeData(bitmap, kFace)->data("image/bmp"), Bytes(bitmap.Graphic()->Stream()));
    EXPECT_EQ(PictureMimeData(IconPicture(16), kFace)->data("image/x-icon"), Bytes(IconBytes(16)));
    auto wmf = PictureMimeData(WmfPicture(30, 10), kFace);
    EXPECT_EQ(wmf->data(kOfficeWmfMimeType), Bytes(PlaceableWmfBytes(30, 10)));
    EXPECT_EQ(wmf->data(kOfficeEmfMimeType), wmf->data("image/emf"));
    EXPECT_EQ(PictureMimeData(EmfPicture(40, 20), kFace)->data(kOfficeEmfMimeType),
              Bytes(EmfBytes(40, 20)));
}

TEST(ClipboardCopy, IconPngKeepsItsTransparency) {
    const QImage png =
        QImage::fromData(PictureMimeData(IconPicture(16), kFace)->data("image/png"), "PNG");
    EXPECT_EQ(qAlpha(png.pixel(0, 5)), 0);
    EXPECT_EQ(QColor(png.pixel(8, 5)), QColor(Qt::red));
}

TEST(ClipboardCopy, HugeMetafileFrameRendersScaledToFit) {
    const QImage png = QImage::fromData(PngOf(*EmfPicture(20000, 100).Graphic()), "PNG");
    EXPECT_EQ(png.size(), QSize(kMaxRenderSide, 20));
}

TEST(ClipboardCopy, MetafileSvgKeepsItsShapesAsVectors) {
    QFile file(QStringLiteral(TAVIK_METAFILE_DATA "/emf_rectangle_pen_brush.emf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray emf = file.readAll();
    TPicture picture;
    picture.Metafile().LoadFromStream(
        {reinterpret_cast<const std::uint8_t*>(emf.constData()), std::size_t(emf.size())});
    const QByteArray svg = PictureMimeData(picture, kFace)->data("image/svg+xml");
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    EXPECT_FALSE(svg.contains("<image"));
    EXPECT_TRUE(svg.contains("<path") || svg.contains("<rect") || svg.contains("<polygon"));
    const QImage png = QImage::fromData(PictureMimeData(picture, kFace)->data("image/png"));
    EXPECT_EQ(png.size(), QSize(picture.Width(), picture.Height()));
    EXPECT_TRUE(png.hasAlphaChannel());
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
    if (type.contains("emf")) {
        return Bytes(EmfBytes());
    }
    if (type.contains("wmf")) {
        return Bytes(PlaceableWmfBytes());
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QuarterImage(8, 6).save(&buffer, type.section('/', 1).toUpper().toLatin1(), 100);
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
    if (QString(format.mimeType) == "image/jpeg") {
        // Lossy: the size and the kind are what must come through.
        EXPECT_EQ(picture.Width(), 8);
    } else if (format.kind == PictureKind::Bitmap) {
        EXPECT_EQ(PixelsOf(picture), QuarterImage(8, 6));
    } else {
        EXPECT_EQ(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced(), format.enhanced);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ClipboardForeignFormat,
    ::testing::Values(ForeignFormat{"png", "image/png", PictureKind::Bitmap, false},
                      ForeignFormat{"jpeg", "image/jpeg", PictureKind::Bitmap, false},
                      ForeignFormat{"bmp", "image/bmp", PictureKind::Bitmap, false},
                      ForeignFormat{"office_emf", kOfficeEmfMimeType, PictureKind::Metafile, true},
                      ForeignFormat{"office_wmf", kOfficeWmfMimeType, PictureKind::Metafile, false},
                      ForeignFormat{"emf", "image/emf", PictureKind::Metafile, true},
                      ForeignFormat{"xemf", "image/x-emf", PictureKind::Metafile, true},
                      ForeignFormat{"wmf", "image/wmf", PictureKind::Metafile, false},
                      ForeignFormat{"xwmf", "image/x-wmf", PictureKind::Metafile, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClipboardPaste, QtImageDataListedFirstYieldsToTheOfferedOrder) {
    // Another Qt program's clipboard lists Qt's image data first whenever an
    // image type is offered anywhere.
    QMimeData data;
    data.setImageData(QuarterImage(4, 4));
    data.setData(kOfficeEmfMimeType, Bytes(EmfBytes()));
    data.setData("image/png", ForeignBytes({"png", "image/png", PictureKind::Bitmap, false}));
    TPicture picture;
    ASSERT_TRUE(PictureFromMimeData(data, picture));
    EXPECT_EQ(picture.Kind(), PictureKind::Metafile);
}

TEST(ClipboardPaste, FilesCopiedInAFileManagerAreLocalPaths) {
    QMimeData uriList;
    uriList.setData("text/uri-list",
                    "file:///tmp/a%20b.bmp\r\nhttp://example.org/c.bmp\r\nfile:///tmp/d.ico\r\n");
    EXPECT_EQ(CopiedFiles(uriList), QStringList({"/tmp/a b.bmp", "/tmp/d.ico"}));

    QMimeData gnome;
    gnome.setData("x-special/gnome-copied-files",
                  "cut\nfile:///tmp/e.wmf\nfile:?//tmp/no-path.bmp\nfile:///tmp/f.emf");
    EXPECT_EQ(CopiedFiles(gnome), QStringList({"/tmp/e.wmf", "/tmp/f.emf"}));

    QMimeData picture;
    picture.setImageData(QuarterImage(2, 2));
    EXPECT_TRUE(CopiedFiles(picture).isEmpty());
}

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
