// The files of tests/data/graphics: the sample of every layout must load by
// its extension and draw; every file under bad/
// (hand-made, and inputs the fuzzers found) must be refused without a crash.
#include "graphics/Bitmap.h"
#include "graphics/Picture.h"
#include "graphics/Thumbnail.h"
#include "storage/Exceptions.h"

#include <QDirIterator>
#include <gtest/gtest.h>

namespace tavik {
namespace {

QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(QString(TAVIK_GRAPHICS_DATA) + "/" + folder, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << it.next();
    }
    return files;
}

TEST(DataFiles, EverySampleLoadsAndDraws) {
    const QStringList files = FilesUnder("bmp") + FilesUnder("ico");
    ASSERT_GE(files.size(), 20);
    for (const QString& file : files) {
        TPicture picture;
        EXPECT_NO_THROW(picture.LoadFromFile(file.toStdString())) << file.toStdString();
        EXPECT_GT(picture.Width(), 0) << file.toStdString();
        EXPECT_EQ(MakePictureThumbnail(picture, 16, Qt::white).size(), QSize(16, 16));
    }
}

TEST(DataFiles, EveryBadInputIsRefused) {
    const QStringList files = FilesUnder("bad");
    ASSERT_GE(files.size(), 13);
    for (const QString& file : files) {
        TPicture picture;
        EXPECT_THROW(picture.LoadFromFile(file.toStdString()), EInvalidGraphic)
            << file.toStdString();
    }
}

// Found by the fuzzer: RLE8 data whose decoded pixels index past a four-colour
// palette made drawing read outside the colour table.
TEST(DataFiles, DecodedPalettesGiveEveryIndexAColour) {
    const QStringList files = FilesUnder("fuzz");
    ASSERT_GE(files.size(), 1);
    for (const QString& file : files) {
        TPicture picture;
        try {
            picture.LoadFromFile(file.toStdString());
        } catch (const EInvalidGraphic&) {
            continue;
        }
        const QImage& image = picture.Bitmap().Image();
        if (image.format() == QImage::Format_Indexed8) {
            EXPECT_EQ(image.colorCount(), 256) << file.toStdString();
        }
        EXPECT_EQ(MakePictureThumbnail(picture, 32, Qt::white).size(), QSize(32, 32));
    }
}

} // namespace
} // namespace tavik
