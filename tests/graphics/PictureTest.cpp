#include "graphics/Picture.h"
#include "Builders.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "storage/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

class PictureFiles : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return (FDir.path() + "/").toStdString() + name;
    }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        QFile file(QString::fromStdString(Path(name)));
        QDir().mkpath(QFileInfo(file).absolutePath());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return Path(name);
    }
    static Bytes Read(const std::string& path) {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        return Bytes(data.begin(), data.end());
    }
    QTemporaryDir FDir;
};

TEST(Picture, AskingForAnotherKindReplacesTheGraphic) {
    TPicture picture;
    EXPECT_EQ(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Width(), 0);
    picture.Bitmap().LoadFromStream(test::MakeBmp({}));
    TBitmap* bitmap = &picture.Bitmap();
    EXPECT_EQ(&picture.Bitmap(), bitmap); // the same kind is kept
    EXPECT_EQ(picture.Width(), test::kPatternWidth);
    TIcon& icon = picture.Icon();
    EXPECT_TRUE(icon.Empty());
    EXPECT_EQ(picture.Kind(), PictureKind::Icon);
    picture.Metafile();
    EXPECT_EQ(picture.Kind(), PictureKind::Metafile);
}

TEST(Picture, CopiesAreIndependent) {
    TPicture a;
    a.Bitmap().LoadFromStream(test::MakeBmp({}));
    TPicture b(a);
    a.Icon();
    EXPECT_EQ(b.Kind(), PictureKind::Bitmap);
    EXPECT_EQ(b.Graphic()->Stream(), test::MakeBmp({}));
    TPicture c;
    c = b;
    b.Metafile();
    EXPECT_EQ(c.Kind(), PictureKind::Bitmap);
}

TEST(Picture, KindsAndTheirExtensions) {
    EXPECT_EQ(DefaultExtension(PictureKind::Bitmap), "bmp");
    EXPECT_EQ(DefaultExtension(PictureKind::Icon), "ico");
    EXPECT_EQ(DefaultExtension(PictureKind::Metafile), "emf");
    EXPECT_EQ(DefaultExtension(PictureKind::None), "");
    EXPECT_EQ(KindOfExtension("WmF"), PictureKind::Metafile);
    EXPECT_EQ(KindOfExtension("ICO"), PictureKind::Icon);
    EXPECT_EQ(KindOfExtension("gif"), PictureKind::None);
    EXPECT_EQ(TIcon().DefaultExtension(), "ico");
    EXPECT_EQ(FileFormats(PictureKind::Metafile).at(1).description, "Metafiles");
}

TEST_F(PictureFiles, LoadByExtensionInAnyCase) {
    TPicture picture;
    picture.LoadFromFile(Write("a.BMP", test::MakeBmp({})));
    EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
    picture.LoadFromFile(Write("b.Ico", test::MakeIco({test::IconEntry{}})));
    EXPECT_EQ(picture.Kind(), PictureKind::Icon);
    picture.LoadFromFile(Write("c.emf", test::MakeEmf(0, 0, 100, 100)));
    EXPECT_TRUE(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced());
    const Bytes wmf = test::MakeWmf(true, 0, 0, 100, 100);
    picture.LoadFromFile(Write("d.wmf", wmf));
    EXPECT_FALSE(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced());
    EXPECT_EQ(picture.Graphic()->Stream().size(), wmf.size() + 22);
}

TEST_F(PictureFiles, FailuresKeepThePicture) {
    TPicture picture;
    picture.Bitmap().LoadFromStream(test::MakeBmp({}));
    auto expectError = [&](const std::string& path, const std::string& message) {
        try {
            picture.LoadFromFile(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
        EXPECT_EQ(picture.Kind(), PictureKind::Bitmap);
        EXPECT_EQ(picture.Width(), test::kPatternWidth);
    };
    expectError(Write("x.gif", test::MakeBmp({})), "Unknown picture file extension (.gif)");
    expectError(Write("noext", test::MakeBmp({})), "Unknown picture file extension (.)");
    expectError(Write("dir.d/noext", {}), "Unknown picture file extension (.)");
    expectError(Path("missing.bmp"), "Cannot open file " + Path("missing.bmp"));
    expectError(Write("bad.ico", test::MakeBmp({})), "Icon image is not valid");
    expectError(Write("bad.bmp", {'B', 'M', 0}), "Bitmap image is not valid");
    expectError(Write("bad.wmf", {1, 2, 3}), "Metafile is not valid");
}

TEST_F(PictureFiles, SaveWritesTheKindsFormat) {
    TPicture picture;
    picture.LoadFromFile(Write("in.ico", test::MakeIco({test::IconEntry{}})));
    picture.SaveToFile(Path("out.bmp")); // the kind decides, not the name
    EXPECT_EQ(Read(Path("out.bmp")), test::MakeIco({test::IconEntry{}}));

    picture.LoadFromFile(Write("in.wmf", test::MakeWmf(true, 0, 0, 50, 50)));
    picture.SaveToFile(Path("out.WMF"));
    EXPECT_EQ(Read(Path("out.WMF")), picture.Graphic()->Stream());

    picture.LoadFromFile(Write("in.emf", test::MakeEmf(0, 0, 50, 50)));
    picture.SaveToFile(Path("out.emf"));
    EXPECT_EQ(Read(Path("out.emf")), test::MakeEmf(0, 0, 50, 50));

    TPicture nothing;
    nothing.SaveToFile(Path("none.bmp"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("none.bmp"))));
    EXPECT_THROW(picture.SaveToFile(Path("no/such/dir.emf")), EFCreateError);
}

} // namespace
} // namespace tavik
