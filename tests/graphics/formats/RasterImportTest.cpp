// Raster picture files taken in as bitmaps: the stored bitmap shows Qt's own
// decode of the file, encoded as a clipboard bitmap is.
#include "graphics/Bitmap.h"
#include "graphics/Bytes.h"
#include "graphics/Metafile.h"
#include "graphics/Picture.h"
#include "graphics/PictureImport.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavik {
namespace {

QImage Pattern(QImage::Format format, bool alpha) {
    QImage image(13, 7, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 19, y * 35, (x * y) % 256, alpha ? x * 20 : 255));
    return format == QImage::Format_Indexed8 ? image.convertToFormat(format, Qt::ThresholdDither)
                                             : image.convertToFormat(format);
}

struct RasterCase {
    const char* name;
    const char* file; // written by the test, or taken from the data folder
    QImage::Format format;
    bool alpha;
    int bitCount; // of the stored bitmap
};

class RasterImport : public ::testing::TestWithParam<RasterCase> {
protected:
    QString Path(const RasterCase& c) {
        if (QString(c.file).endsWith(".gif"))
            return QDir(TAVIK_FORMATS_DATA).filePath(QStringLiteral("raster/") + c.file);
        const QString path = FDir.filePath(c.file);
        QImageWriter writer(path);
        writer.setQuality(100);
        EXPECT_TRUE(writer.write(Pattern(c.format, c.alpha))) << writer.errorString().toStdString();
        return path;
    }
    QTemporaryDir FDir;
};

TEST_P(RasterImport, StoresQtsPixelsInTheBitmapEncoding) {
    const RasterCase& c = GetParam();
    const QString path = Path(c);
    TPicture picture;
    ImportPictureFile(picture, path.toStdString());
    ASSERT_EQ(picture.Kind(), PictureKind::Bitmap);
    const auto& stream = picture.Graphic()->Stream();
    EXPECT_EQ(bytes::U16(stream, 28), c.bitCount);

    TBitmap reread;
    reread.LoadFromStream(stream);
    const QImage expected = QImage(path).convertToFormat(QImage::Format_ARGB32);
    const QImage stored = reread.Image().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(stored.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(stored.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RasterImport,
    ::testing::Values(RasterCase{"OpaquePng", "rgb.png", QImage::Format_RGB32, false, 24},
                      RasterCase{"AlphaPng", "alpha.PNG", QImage::Format_ARGB32, true, 32},
                      RasterCase{"PalettePng", "palette.png", QImage::Format_Indexed8, false, 8},
                      RasterCase{"Jpeg", "photo.jpeg", QImage::Format_RGB32, false, 24},
                      RasterCase{"Jpg", "photo.JPG", QImage::Format_RGB32, false, 24},
                      RasterCase{"Tiff", "scan.tif", QImage::Format_RGB32, false, 24},
                      RasterCase{"AlphaTiff", "scan.tiff", QImage::Format_ARGB32, true, 32},
                      RasterCase{"WebP", "web.webp", QImage::Format_RGB32, false, 24},
                      // The first frame only; its transparent index needs alpha.
                      RasterCase{"GifFirstFrame", "two-frames.gif", QImage::Format_Indexed8, false,
                                 32}),
    [](const auto& info) { return std::string(info.param.name); });

class ImportRefusals : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile file(FDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    // Refused with reason; the picture keeps what it held.
    EPictureImport Refused(const QString& path) {
        TPicture picture;
        picture.SetGraphic(TBitmap::FromImage(Pattern(QImage::Format_RGB32, false)));
        const auto before = picture.Graphic()->Stream();
        try {
            ImportPictureFile(picture, path.toStdString());
        } catch (const EPictureImport& e) {
            EXPECT_EQ(picture.Graphic()->Stream(), before);
            return e;
        }
        ADD_FAILURE() << "accepted " << path.toStdString();
        return EPictureImport(ImportFailure::Damaged, "");
    }
    QTemporaryDir FDir;
};

TEST_F(ImportRefusals, ARasterPastTheLimitIsRefusedNamingItsSize) {
    const QString path = FDir.filePath("wide.png");
    QImage wide(kMaxImportSide + 1, 3, QImage::Format_RGB32);
    wide.fill(Qt::red);
    ASSERT_TRUE(wide.save(path));
    const EPictureImport e = Refused(path);
    EXPECT_EQ(e.Reason(), ImportFailure::TooLarge);
    EXPECT_EQ(e.Size(), QSize(4097, 3));
    EXPECT_NE(e.Message().find("4097 x 3"), std::string::npos) << e.Message();

    QImage edge(kMaxImportSide, 2, QImage::Format_RGB32);
    edge.fill(Qt::blue);
    ASSERT_TRUE(edge.save(path));
    TPicture picture;
    ImportPictureFile(picture, path.toStdString());
    EXPECT_EQ(picture.Width(), kMaxImportSide);
}

TEST_F(ImportRefusals, AnSvgWhoseViewBoxIsPastTheLimitIsRefused) {
    const EPictureImport e =
        Refused(Write("big.svg", "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 5000 "
                                 "20'><rect width='10' height='10'/></svg>"));
    EXPECT_EQ(e.Reason(), ImportFailure::TooLarge);
    EXPECT_EQ(e.Size(), QSize(5000, 20));
}

TEST_F(ImportRefusals, EachFailureHasItsReason) {
    EXPECT_EQ(Refused(Write("notes.txt", "text")).Reason(), ImportFailure::UnknownFormat);
    EXPECT_EQ(Refused(Write("broken.png", "\x89PNG\r\n\x1a\n garbage")).Reason(),
              ImportFailure::Damaged);
    EXPECT_EQ(Refused(Write("broken.svg", "<svg")).Reason(), ImportFailure::Damaged);
    EXPECT_EQ(Refused(Write("broken.bmp", "BM")).Reason(), ImportFailure::Damaged);
    EXPECT_EQ(Refused(FDir.filePath("missing.webp")).Reason(), ImportFailure::Unreadable);
}

TEST(SvgImport, CompressedSvgBecomesAnEnhancedMetafileOfItsViewBox) {
    TPicture picture;
    ImportPictureFile(picture, QDir(TAVIK_FORMATS_DATA).filePath("svg/icon.svgz").toStdString());
    ASSERT_EQ(picture.Kind(), PictureKind::Metafile);
    EXPECT_TRUE(picture.Metafile().Enhanced());
    // The view box at 96 dots per inch, not the width and height attributes.
    EXPECT_EQ(QSize(picture.Width(), picture.Height()), QSize(40, 30));
}

} // namespace
} // namespace tavik
