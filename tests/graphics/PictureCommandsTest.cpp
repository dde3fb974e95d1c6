// tavikctl add and render, run as the user runs them: a separate process with
// no display.
#include "Builders.h"
#include "graphics/Metafile.h"
#include "graphics/Thumbnail.h"
#include "support/EmfBuilder.h"
#include "support/WmfBuilder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

class PictureCommands : public ::testing::Test {
protected:
    struct Result {
        int status;
        QString err;
    };

    Result Run(const QStringList& args, const QString& preload = {}) {
        QProcess process;
        auto env = QProcessEnvironment::systemEnvironment();
        if (!preload.isEmpty())
            env.insert("LD_PRELOAD", preload);
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(env);
        process.start(TAVIKCTL, args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
    }
    QString Write(const QString& name, const Bytes& bytes) {
        QFile file(FDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return file.fileName();
    }
    Bytes Read(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray data = file.readAll();
        return Bytes(data.begin(), data.end());
    }
    QString Catalogue() {
        const QString folder = FDir.filePath("catalogue");
        QDir().mkpath(folder);
        return folder;
    }
    QTemporaryDir FDir;
};

TEST_F(PictureCommands, AddThenExtractGivesBackEveryFile) {
    TMetafile placeable;
    placeable.LoadFromStream(test::MakeWmf(true, 0, 0, 300, 200));
    const std::vector<std::pair<QString, Bytes>> files = {
        {"a.bmp", test::MakeBmp({40, 8, 1})},
        {"b.ico", test::MakeIco({{16, 4}, {32, 32}, {48, 0}})},
        {"c.emf", test::MakeEmf(0, 0, 2540, 2540)},
        {"d.wmf", placeable.Stream()},
    };
    QStringList args = {"add", Catalogue(), "--topic", "Mixed"};
    for (const auto& [name, bytes] : files) {
        args << Write(name, bytes);
    }
    const Result added = Run(args);
    ASSERT_EQ(added.status, 0) << added.err.toStdString();
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
        const QString out = FDir.filePath(QString("out%1").arg(i));
        const Result extracted = Run({"extract", Catalogue(), "0", QString::number(i), "-o", out});
        ASSERT_EQ(extracted.status, 0) << extracted.err.toStdString();
        EXPECT_EQ(Read(out), files[static_cast<std::size_t>(i)].second)
            << files[static_cast<std::size_t>(i)].first.toStdString();
    }
}

TEST_F(PictureCommands, AddReportsBadFilesAndGoesOn) {
    const Bytes bare = test::MakeWmf(true, 0, 0, 100, 100);
    const Result added = Run({"add", Catalogue(), "--topic", "T", Write("bad.xyz", {1, 2}),
                              Write("bare.wmf", bare), Write("broken.bmp", {'B', 'M'})});
    EXPECT_EQ(added.status, 1);
    EXPECT_TRUE(added.err.contains("bad.xyz: Unknown picture file extension (.xyz)"))
        << added.err.toStdString();
    EXPECT_TRUE(added.err.contains("broken.bmp: Bitmap image is not valid"));
    // The one good file is there, given its placeable header; a second add
    // with the same topic name appends to that topic.
    ASSERT_EQ(
        Run({"add", Catalogue(), "--topic", "T", Write("e.emf", test::MakeEmf(0, 0, 9, 9))}).status,
        0);
    const QString out = FDir.filePath("bare.out");
    ASSERT_EQ(Run({"extract", Catalogue(), "0", "0", "-o", out}).status, 0);
    EXPECT_EQ(Read(out).size(), bare.size() + 22);
    ASSERT_EQ(Run({"extract", Catalogue(), "0", "1", "-o", out}).status, 0);
    EXPECT_EQ(Read(out), test::MakeEmf(0, 0, 9, 9));
    EXPECT_NE(Run({"extract", Catalogue(), "1", "0", "-o", out}).status, 0);
}

TEST_F(PictureCommands, AddWhereEveryFileFailsAddsNothing) {
    const Result added = Run({"add", Catalogue(), "--topic", "Empty", Write("a.png", {1, 2}),
                              Write("b.svg", {'<', 's'})});
    EXPECT_EQ(added.status, 1);
    EXPECT_TRUE(added.err.contains("a.png: Picture file is not a valid PNG image"))
        << added.err.toStdString();
    EXPECT_TRUE(added.err.contains("b.svg: SVG picture is not valid"));
    EXPECT_FALSE(QFile::exists(Catalogue() + "/tavik.lst"));
}

TEST_F(PictureCommands, AddTakesTodaysFormatsAndWarnsWhenOnlyTheFolderFlushFails) {
    QImage photo(5, 3, QImage::Format_RGB32);
    photo.fill(Qt::red);
    ASSERT_TRUE(photo.save(FDir.filePath("photo.png")));
    ASSERT_EQ(Run({"add", Catalogue(), "--topic", "T", FDir.filePath("photo.png")}).status, 0);
    const std::string_view svgText = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 8 6'>"
                                     "<rect width='8' height='6' fill='blue'/></svg>";
    const QString svg = Write("shape.SVG", Bytes(svgText.begin(), svgText.end()));
    const Result added = Run({"add", Catalogue(), "--topic", "T", svg}, FAIL_FOLDER_FLUSH);
    EXPECT_EQ(added.status, 0) << added.err.toStdString();
    EXPECT_TRUE(added.err.contains("warning: the list file was saved")) << added.err.toStdString();
    const QString out = FDir.filePath("shape.png");
    ASSERT_EQ(Run({"render", "--catalog", Catalogue(), "0", "1", out}).status, 0);
    EXPECT_EQ(QImage(out).size(), QSize(8, 6));
    EXPECT_EQ(QImage(out).pixel(4, 3), qRgb(0, 0, 255));
}

TEST_F(PictureCommands, ExportWritesTheChosenFormat) {
    const std::string_view svgText = "<svg xmlns='http://www.w3.org/2000/svg' viewBox='0 0 8 6'>"
                                     "<rect width='8' height='6' fill='blue'/></svg>";
    ASSERT_EQ(Run({"add", Catalogue(), "--topic", "T", Write("a.bmp", test::MakeBmp({40, 8, 1})),
                   Write("b.ico", test::MakeIco({{16, 4}})),
                   Write("c.emf", test::MakeEmf(0, 0, 2540, 2540)),
                   Write("shape.svg", Bytes(svgText.begin(), svgText.end()))})
                  .status,
              0);
    const QString svgOut = FDir.filePath("svg");
    const Result svg = Run({"export", Catalogue(), svgOut, "--format", "svg"});
    ASSERT_EQ(svg.status, 0) << svg.err.toStdString();
    EXPECT_EQ(QDir(svgOut + "/T").entryList(QDir::Files),
              QStringList({"a.png", "b.png", "c.svg", "shape.svg"}));
    EXPECT_EQ(QImage(svgOut + "/T/a.png").size(), QSize(5, 3));
    EXPECT_TRUE(Read(svgOut + "/T/c.svg").size() > 0);

    const QString pngOut = FDir.filePath("png");
    ASSERT_EQ(Run({"export", Catalogue(), pngOut, "--format", "png"}).status, 0);
    EXPECT_EQ(QDir(pngOut + "/T").entryList(QDir::Files),
              QStringList({"a.png", "b.png", "c.png", "shape.png"}));
    const QImage shape(pngOut + "/T/shape.png");
    EXPECT_EQ(shape.size(), QSize(8, 6));
    EXPECT_EQ(shape.pixel(4, 3), qRgb(0, 0, 255));

    const QString original = FDir.filePath("original");
    ASSERT_EQ(Run({"export", Catalogue(), original, "--format", "original"}).status, 0);
    EXPECT_EQ(QDir(original + "/T").entryList(QDir::Files),
              QStringList({"a.bmp", "b.ico", "c.emf", "shape.svg.emf"}));
    EXPECT_EQ(Run({"export", Catalogue(), original, "--format", "gif"}).status, 2);
}

TEST_F(PictureCommands, RenderDrawsFilesAndCataloguePictures) {
    const QString icon = Write("i.ico", test::MakeIco({{10, 32, 0xFF0000FF}}));
    const QString png = FDir.filePath("i.png");
    ASSERT_EQ(Run({"render", icon, png, "--background", "00FF00"}).status, 0);
    QImage image(png);
    ASSERT_EQ(image.size(), QSize(10, 10));
    EXPECT_EQ(image.pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(image.pixel(5, 5), 0xFF0000FFu);

    ASSERT_EQ(Run({"add", Catalogue(), "--topic", "T", icon}).status, 0);
    ASSERT_EQ(Run({"render", "--catalog", Catalogue(), "0", "0", png, "--thumb", "32",
                   "--background", "FF0000"})
                  .status,
              0);
    image = QImage(png);
    ASSERT_EQ(image.size(), QSize(32, 32));
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image.pixel(15, 15), 0xFF0000FFu);

    // Today's formats render from their files too.
    QImage photo(7, 5, QImage::Format_RGB32);
    photo.fill(Qt::yellow);
    ASSERT_TRUE(photo.save(FDir.filePath("p.webp")));
    ASSERT_EQ(Run({"render", FDir.filePath("p.webp"), png}).status, 0);
    EXPECT_EQ(QImage(png).size(), QSize(7, 5));

    EXPECT_EQ(Run({"render", icon, png, "--thumb", "24"}).status, 2);
    EXPECT_EQ(Run({"render", icon, png, "--background", "green"}).status, 2);
    EXPECT_EQ(Run({"render", FDir.filePath("none.bmp"), png}).status, 1);
}

TEST_F(PictureCommands, RenderDrawsHugePicturesScaledAndSaysSo) {
    using metafile::WmfFunction;
    using metafile::testing::EmfBuilder;
    using metafile::testing::WmfBuilder;
    // 60 bytes claiming 32,767 inches square; 128 bytes claiming 10 metres.
    const Bytes wmf = WmfBuilder(QRect(0, 0, 32767, 32767), 1)
                          .Rec(WmfFunction::Rectangle, {32767, 32767, 0, 0})
                          .Finish();
    const Bytes emf = EmfBuilder(QRect(0, 0, 1'000'000, 500'000)).Finish();
    ASSERT_EQ(wmf.size(), 60u);
    const QString png = FDir.filePath("huge.png");
    for (const auto& [name, bytes] : {std::pair{"huge.wmf", wmf}, std::pair{"huge.emf", emf}}) {
        const Result result = Run({"render", Write(name, bytes), png});
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
        EXPECT_TRUE(result.err.contains("drawn scaled to")) << result.err.toStdString();
        const QImage image(png);
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_LE(qint64{image.width()} * image.height(), kMaxRenderPixels) << name;
    }
}

} // namespace
} // namespace tavik
