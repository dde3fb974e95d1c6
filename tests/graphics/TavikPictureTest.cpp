#include "graphics/TavikPicture.h"
#include "Builders.h"
#include "graphics/Bitmap.h"
#include "graphics/Icon.h"
#include "graphics/Metafile.h"
#include "storage/CatalogFiles.h"
#include "storage/Exceptions.h"
#include "storage/Stream.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using test::Bytes;

Bytes Padded(Bytes b, std::size_t size) {
    b.resize(size, 0);
    return b;
}

struct RoundTripRow {
    const char* name;
    PictureKind kind;
    std::function<Bytes()> stream;
};

class RecordRoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

// Reading a record and storing the picture again must give the same bytes.
TEST_P(RecordRoundTrip, GivesTheIdenticalRecord) {
    const auto& row = GetParam();
    const Bytes stream = row.stream();
    TMemoryStream first;
    SaveRecord(first, 0, row.kind, stream);

    TTavikPicture picture;
    picture.LoadRecord(first, 0);
    ASSERT_EQ(picture.Kind(), row.kind);
    EXPECT_EQ(picture.Graphic()->Stream(), stream);
    TMemoryStream second;
    picture.SaveRecord(second, 0);
    EXPECT_EQ(second.Bytes(), first.Bytes());
}

INSTANTIATE_TEST_SUITE_P(
    TavikPicture, RecordRoundTrip,
    ::testing::Values(
        RoundTripRow{"EmptyBitmap", PictureKind::Bitmap, [] { return Bytes{}; }},
        RoundTripRow{"Bitmap", PictureKind::Bitmap,
                     [] {
                         return test::MakeBmp({40, 4, 2});
                     }},
        RoundTripRow{"Bitmap32767", PictureKind::Bitmap,
                     [] { return Padded(test::MakeSolidBmp8(4, 1), 32767); }},
        RoundTripRow{"Bitmap32768", PictureKind::Bitmap,
                     [] { return Padded(test::MakeSolidBmp8(4, 1), 32768); }},
        RoundTripRow{"Bitmap32769", PictureKind::Bitmap,
                     [] { return Padded(test::MakeSolidBmp8(4, 1), 32769); }},
        RoundTripRow{"LargeBitmap", PictureKind::Bitmap,
                     [] { return test::MakeSolidBmp8(300, 300); }},
        RoundTripRow{"EmptyIcon", PictureKind::Icon, [] { return Bytes{}; }},
        RoundTripRow{"Icon", PictureKind::Icon,
                     [] {
                         return test::MakeIco({{16, 4}, {32, 32}, {48, 0}});
                     }},
        RoundTripRow{"DefaultIcon", PictureKind::Icon, [] { return Bytes{0, 0, 0, 0, 0, 0}; }},
        RoundTripRow{"EmptyMetafile", PictureKind::Metafile, [] { return Bytes{}; }},
        RoundTripRow{"Emf", PictureKind::Metafile, [] { return test::MakeEmf(0, 0, 500, 500); }},
        RoundTripRow{"Emf32768", PictureKind::Metafile,
                     [] { return Padded(test::MakeEmf(0, 0, 500, 500), 32768); }},
        RoundTripRow{"PlaceableWmf", PictureKind::Metafile,
                     [] {
                         TMetafile m;
                         m.LoadFromStream(test::MakeWmf(true, 0, 0, 100, 100));
                         return m.Stream();
                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TavikPicture, EmptyBitmapRecordBytes) {
    TTavikPicture picture;
    picture.Bitmap();
    TMemoryStream out;
    picture.SaveRecord(out, 0);
    const Bytes expected = {'L', 'Z', 'B', 'M', 7, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x00, 0x80};
    EXPECT_EQ(out.Bytes(), expected);
}

TEST(TavikPicture, MetafilesKeepTheirFormatThroughARecord) {
    TTavikPicture picture;
    picture.Metafile().LoadFromStream(test::MakeWmf(true, 0, 0, 100, 100));
    TMemoryStream record;
    picture.SaveRecord(record, 0);
    picture.Metafile().LoadFromStream(test::MakeEmf(0, 0, 100, 100));
    picture.LoadRecord(record, 0);
    EXPECT_FALSE(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced());
}

TEST(TavikPicture, StoringNoGraphicWritesNothing) {
    TTavikPicture picture;
    TMemoryStream out;
    try {
        picture.SaveRecord(out, 0);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bad Picture object format! It's impossible!");
    }
    EXPECT_EQ(out.Size(), 0);
}

struct FailRow {
    const char* name;
    std::function<Bytes()> record;
    const char* message;
};

class RecordFailures : public ::testing::TestWithParam<FailRow> {};

TEST_P(RecordFailures, KeepThePreviousGraphic) {
    TTavikPicture picture;
    picture.Icon().LoadFromStream(test::MakeIco({{16, 8}}));
    TMemoryStream stream(GetParam().record());
    try {
        picture.LoadRecord(stream, 0);
        FAIL() << "loaded";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), GetParam().message);
    }
    ASSERT_EQ(picture.Kind(), PictureKind::Icon);
    EXPECT_EQ(picture.Width(), 16);
}

Bytes Record(PictureKind kind, const Bytes& stream) {
    TMemoryStream out;
    SaveRecord(out, 0, kind, stream);
    return out.Bytes();
}

INSTANTIATE_TEST_SUITE_P(
    TavikPicture, RecordFailures,
    ::testing::Values(FailRow{"WrongSignature",
                              [] { return Bytes{'T', 'A', 'V', 'K', 0, 0, 0, 0}; },
                              "Bad DAT-file insight signature"},
                      FailRow{"EndsEarly",
                              [] {
                                  Bytes r = Record(PictureKind::Bitmap, test::MakeBmp({}));
                                  r.pop_back();
                                  return r;
                              },
                              "Stream read error"},
                      FailRow{"BitmapThatDoesNotDecode",
                              [] {
                                  return Record(PictureKind::Bitmap, {'B', 'M', 1, 2});
                              },
                              "Bitmap image is not valid"},
                      FailRow{"IconThatDoesNotDecode",
                              [] {
                                  return Record(PictureKind::Icon, {0, 0, 2, 0, 1, 0});
                              },
                              "Icon image is not valid"},
                      FailRow{"MetafileThatDoesNotDecode",
                              [] {
                                  return Record(PictureKind::Metafile, {1, 2, 3});
                              },
                              "Metafile is not valid"}),
    [](const auto& info) { return std::string(info.param.name); });

class CatalogFile : public ::testing::Test {
protected:
    void SetUp() override {
        FFile = (FDir.path() + "/tavik.dat").toStdString();
        CreateDataFile(FFile);
    }
    QTemporaryDir FDir;
    std::string FFile;
};

TEST_F(CatalogFile, AppendsAtTheEndAndReadsBack) {
    TTavikPicture picture;
    picture.Bitmap().LoadFromStream(test::MakeBmp({}));
    const std::int32_t first = picture.AppendToCatalog(FFile);
    EXPECT_EQ(first, 4);
    TMemoryStream record;
    picture.SaveRecord(record, 0);
    picture.Icon().LoadFromStream(test::MakeIco({{16, 8}}));
    const std::int32_t second = picture.AppendToCatalog(FFile);
    EXPECT_EQ(second, 4 + record.Size());

    TTavikPicture reader;
    reader.LoadFromCatalog(FFile, first);
    EXPECT_EQ(reader.Graphic()->Stream(), test::MakeBmp({}));
    reader.LoadFromCatalog(FFile, second);
    EXPECT_EQ(reader.Kind(), PictureKind::Icon);
    try {
        reader.LoadFromCatalog(FFile, 0);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Bad DAT-file insight signature");
    }
    EXPECT_EQ(reader.Kind(), PictureKind::Icon);
}

TEST_F(CatalogFile, AppendingNoGraphicLeavesTheFile) {
    TTavikPicture picture;
    EXPECT_THROW(picture.AppendToCatalog(FFile), EInvalidGraphic);
    EXPECT_EQ(QFile(QString::fromStdString(FFile)).size(), 4);
    EXPECT_THROW(picture.LoadFromCatalog(FFile + ".missing", 4), EFOpenError);
}

} // namespace
} // namespace tavik
