// The clipboard as another program sees it: after Ctrl+C in the image list,
// xclip lists the flavours and reads decodable bytes; after xclip offers one
// flavour, Paste stores the picture it describes.
#include "MainFormFixture.h"
#include "OtherProcess.h"
#include "TransferPictures.h"

#include "controls/BmpLV.h"
#include "graphics/Metafile.h"
#include "graphics/TavikPicture.h"
#include "mainwin/PictureFlavours.h"
#include "storage/Lists.h"

#include <QBuffer>
#include <QFile>
#include <QSvgRenderer>
#include <QTest>
#include <QUrl>

namespace tavik::testing {
namespace {

QString MetafileSample(const char* name) {
    return QStringLiteral(TAVIK_METAFILE_DATA "/") + QLatin1String(name);
}

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

QImage Stripes() {
    QImage image(8, 6, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 6; ++y)
            image.setPixel(x, y, qRgb(255, 0, 0));
    return image;
}

class X11Clipboard : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        MakeCatalog({{"A", 0}});
        Open();
    }

    // Adds the file to the topic, selects it and presses Ctrl+C in the list;
    // the picture as stored.
    TTavikPicture CopyWithKeys(const QString& file) {
        FForm->AddImageFiles({file});
        const int last = FForm->ImageList()->Count() - 1;
        SelectImages({last});
        QTest::keyClick(FForm->ImageList(), Qt::Key_C, Qt::ControlModifier);
        return Stored(last);
    }

    TTavikPicture Stored(int index) const {
        TTavikPicture picture;
        picture.LoadFromCatalog(DataFile(), FForm->Topics().Topics(0).Bmps.Bmps(index).Position);
        return picture;
    }

    // Paste from the clipboard, taking the proposed name.
    void PasteWithKeys() {
        auto ok = Answer(PressResult(1));
        QTest::keyClick(FForm->ImageList(), Qt::Key_V, Qt::ControlModifier);
    }
};

TEST_F(X11Clipboard, BitmapGoesOutAsItsBmpBytesAndAsPng) {
    const QString file = WriteBmpFile(Folder(), "red.bmp", 7, 5);
    CopyWithKeys(file);
    const QStringList targets = ClipboardTargets();
    EXPECT_TRUE(targets.contains("image/bmp")) << targets.join(' ').toStdString();
    EXPECT_TRUE(targets.contains("image/png"));
    EXPECT_EQ(ClipboardBytes("image/bmp"), FileBytes(file));
    EXPECT_EQ(QImage::fromData(ClipboardBytes("image/png"), "PNG").size(), QSize(7, 5));
}

TEST_F(X11Clipboard, IconGoesOutAsItsIcoBytesAndATransparentPng) {
    const QString file = WriteIcoFile(Folder(), "icon.ico", 16, QColor(0, 128, 0, 255));
    CopyWithKeys(file);
    const QStringList targets = ClipboardTargets();
    for (const char* type : {kIconMimeType, kIcoMimeType, kPngMimeType})
        EXPECT_TRUE(targets.contains(type)) << type;
    EXPECT_EQ(ClipboardBytes("image/x-icon"), FileBytes(file));
    EXPECT_EQ(ClipboardBytes(kIconMimeType), FileBytes(file));
    const QImage png = QImage::fromData(ClipboardBytes("image/png"), "PNG");
    EXPECT_EQ(png.size(), QSize(16, 16));
    EXPECT_TRUE(png.hasAlphaChannel());
}

TEST_F(X11Clipboard, EnhancedMetafileGoesOutForLibreOfficeAsSvgAndAsPng) {
    const QString file = MetafileSample("emf_rectangle_pen_brush.emf");
    const TTavikPicture stored = CopyWithKeys(file);
    const QStringList targets = ClipboardTargets();
    for (const char* type : {kEmfMimeType, kOfficeEmfMimeType, kPngMimeType, kSvgMimeType})
        EXPECT_TRUE(targets.contains(type)) << type;
    EXPECT_EQ(ClipboardBytes(kOfficeEmfMimeType), FileBytes(file));
    EXPECT_EQ(ClipboardBytes("image/emf"), FileBytes(file));
    QSvgRenderer svg(ClipboardBytes("image/svg+xml"));
    EXPECT_TRUE(svg.isValid());
    // Its size is given in millimetres; the drawing's own units are pixels.
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, stored.Width(), stored.Height()));
    EXPECT_EQ(QImage::fromData(ClipboardBytes("image/png"), "PNG").size(),
              QSize(stored.Width(), stored.Height()));
}

TEST_F(X11Clipboard, WindowsMetafileGoesOutWithItsOwnBytesFirst) {
    const TTavikPicture stored = CopyWithKeys(MetafileSample("wmf_rectangle_ellipse.wmf"));
    const QStringList targets = ClipboardTargets();
    const auto wmf = targets.indexOf(kOfficeWmfMimeType);
    ASSERT_NE(wmf, -1) << targets.join(' ').toStdString();
    EXPECT_LT(targets.indexOf("image/wmf"), targets.indexOf("image/emf"));
    EXPECT_LT(wmf, targets.indexOf(kOfficeEmfMimeType));
    EXPECT_EQ(ClipboardBytes(kOfficeWmfMimeType), ByteArrayOf(stored.Graphic()->Stream()));
    TMetafile emf;
    const QByteArray emfBytes = ClipboardBytes(kOfficeEmfMimeType);
    emf.LoadFromStream({reinterpret_cast<const std::uint8_t*>(emfBytes.constData()),
                        std::size_t(emfBytes.size())});
    EXPECT_TRUE(emf.Enhanced());
}

struct OfferCase {
    const char* name;
    const char* type;
    QByteArray (*bytes)();
    PictureKind kind;
    bool keepsBytes; // the stored picture stream is the offered bytes
};

class X11Paste : public X11Clipboard, public ::testing::WithParamInterface<OfferCase> {};

TEST_P(X11Paste, StoresThePictureOfTheOfferedFlavour) {
    const OfferCase& offer = GetParam();
    const QByteArray bytes = offer.bytes();
    OfferOnClipboard(offer.type, bytes);
    PasteWithKeys();
    ASSERT_EQ(FForm->ImageList()->Count(), 1);
    const TTavikPicture stored = Stored(0);
    ASSERT_EQ(stored.Kind(), offer.kind);
    if (offer.keepsBytes) {
        EXPECT_EQ(ByteArrayOf(stored.Graphic()->Stream()), bytes);
    } else {
        EXPECT_EQ(QSize(stored.Width(), stored.Height()), QSize(8, 6));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flavours, X11Paste,
    ::testing::Values(OfferCase{"png", "image/png", [] { return Encoded(Stripes(), "PNG"); },
                                PictureKind::Bitmap, false},
                      OfferCase{"jpeg", "image/jpeg", [] { return Encoded(Stripes(), "JPEG"); },
                                PictureKind::Bitmap, false},
                      OfferCase{"bmp", "image/bmp", [] { return Encoded(Stripes(), "BMP"); },
                                PictureKind::Bitmap, true},
                      OfferCase{"office_emf", kOfficeEmfMimeType,
                                [] { return FileBytes(MetafileSample("emf_ellipse.emf")); },
                                PictureKind::Metafile, true},
                      OfferCase{"office_wmf", kOfficeWmfMimeType,
                                [] { return FileBytes(MetafileSample("wmf_polygons.wmf")); },
                                PictureKind::Metafile, true},
                      OfferCase{"emf", "image/emf",
                                [] { return FileBytes(MetafileSample("emf_bezier.emf")); },
                                PictureKind::Metafile, true},
                      OfferCase{"x_wmf", "image/x-wmf",
                                [] { return FileBytes(MetafileSample("wmf_window_mapping.wmf")); },
                                PictureKind::Metafile, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(X11Clipboard, FilesCopiedInAFileManagerAreAddedAsDroppedOnes) {
    const QString first = WriteBmpFile(Folder(), "one.bmp", 4, 4);
    const QString second = WriteBmpFile(Folder(), "two.bmp", 5, 5);
    const QByteArray urls = QUrl::fromLocalFile(first).toEncoded() + "\r\n" +
                            QUrl::fromLocalFile(second).toEncoded() + "\r\n";
    for (const auto& [type, bytes] :
         {std::pair<QString, QByteArray>{"text/uri-list", urls},
          std::pair<QString, QByteArray>{"x-special/gnome-copied-files", "copy\n" + urls}}) {
        OfferOnClipboard(type, bytes);
        // The second time both pictures are in the topic already: each asks.
        auto yes = Answer(type == "text/uri-list"
                              ? PressResult(6)
                              : AndThen(PressResult(6), AndThen(PressResult(6), PressResult(6))));
        QTest::keyClick(FForm->ImageList(), Qt::Key_Insert, Qt::ShiftModifier);
    }
    EXPECT_EQ(ImageNames(), QStringList({"one.bmp", "two.bmp", "one.bmp", "two.bmp"}));
    EXPECT_EQ(ByteArrayOf(Stored(3).Graphic()->Stream()), FileBytes(second));
}

} // namespace
} // namespace tavik::testing
