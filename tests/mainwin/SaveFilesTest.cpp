#include "mainwin/SaveFiles.h"

#include "TransferPictures.h"
#include "graphics/TavikPicture.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "support/ModalDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tavik {
namespace {

using testing::AnswerNextModal;
using testing::BitmapPicture;
using testing::ByteArrayOf;
using testing::EmfBytes;
using testing::EmfPicture;
using testing::FileBytes;
using testing::IconPicture;
using testing::PlaceableWmfBytes;
using testing::WmfPicture;

struct FilterCase {
    const char* name;
    PictureKind kind;
    const char* filter;
};

class SaveFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(SaveFilter, ListsTheFormatsOfTheKind) {
    EXPECT_EQ(SaveFilterOf(GetParam().kind).toStdString(), GetParam().filter);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, SaveFilter,
    ::testing::Values(FilterCase{"bitmap", PictureKind::Bitmap, "Bitmaps (*.bmp);;PNG (*.png)"},
                      FilterCase{"icon", PictureKind::Icon, "Icons (*.ico);;PNG (*.png)"},
                      FilterCase{"metafile", PictureKind::Metafile,
                                 "All (*.emf *.wmf);;Enhanced Metafiles (*.emf);;"
                                 "Metafiles (*.wmf);;PNG (*.png);;SVG (*.svg)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    const char* given;
    const char* valid;
};

class ValidName : public ::testing::TestWithParam<NameCase> {};

TEST_P(ValidName, StaysInsideItsFolder) {
    EXPECT_EQ(ValidFileName(QString::fromUtf8(GetParam().given)).toStdString(), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ValidName,
    ::testing::Values(NameCase{"plain", "flower.bmp", "flower.bmp"},
                      NameCase{"no_extension", "flower", "flower"},
                      NameCase{"backslash_kept", "a\\b.ico", "a\\b.ico"},
                      NameCase{"parent_path", "../../etc/x.bmp", ".._.._etc_x.bmp"},
                      NameCase{"absolute_path", "/tmp/x.bmp", "_tmp_x.bmp"},
                      NameCase{"point", ".", "_"}, NameCase{"two_points", "..", "__"},
                      NameCase{"three_points", "...", "..."}, NameCase{"empty", "", ""},
                      NameCase{"cyrillic", "Цветок.bmp", "Цветок.bmp"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValidName, NulBecomesUnderscore) {
    EXPECT_EQ(ValidFileName(QString::fromUtf16(u"a\0b", 3)), "a_b");
}

TEST(ValidName, LongNamesAreCutBeforeTheirExtension) {
    const QString longCyrillic = QString(200, QChar(0x0436)) + ".bmp"; // 404 bytes in UTF-8
    const QString valid = ValidFileName(longCyrillic);
    EXPECT_LE(valid.toUtf8().size(), 255);
    EXPECT_GE(valid.toUtf8().size(), 254);
    EXPECT_TRUE(valid.endsWith(".bmp"));
    EXPECT_TRUE(valid.startsWith(QString(100, QChar(0x0436))));

    // Characters outside the basic plane are never split in half.
    QString wide;
    for (int i = 0; i < 80; ++i) {
        wide += QString::fromUcs4(U"\U0001F600", 1);
    }
    const QString cut = ValidFileName(wide);
    EXPECT_LE(cut.toUtf8().size(), 255);
    EXPECT_EQ(cut.size() % 2, 0);
    EXPECT_FALSE(cut.back().isHighSurrogate());
}

TEST(GroupPath, AddsOneSeparator) {
    EXPECT_EQ(GroupFilePath("/pictures", "a.bmp"), "/pictures/a.bmp");
    EXPECT_EQ(GroupFilePath("/pictures/", "a.bmp"), "/pictures/a.bmp");
    EXPECT_EQ(GroupFilePath("/", "a.bmp"), "/a.bmp");
    EXPECT_EQ(GroupFilePath("/pictures", "../a.bmp"), "/pictures/.._a.bmp");
}

TEST(WritePicture, MetafilesFollowTheWmfRuleWhateverTheyHold) {
    QTemporaryDir dir;
    WritePictureFile(EmfPicture(), dir.filePath("e.Wmf"));
    const QByteArray wmf = FileBytes(dir.filePath("e.Wmf"));
    ASSERT_GE(wmf.size(), 22);
    EXPECT_EQ(wmf.left(4), QByteArray("\xD7\xCD\xC6\x9A", 4));

    WritePictureFile(WmfPicture(), dir.filePath("w.emf"));
    const QByteArray emf = FileBytes(dir.filePath("w.emf"));
    ASSERT_GE(emf.size(), 88);
    EXPECT_EQ(emf.mid(40, 4), QByteArray(" EMF"));
}

// A data folder with a few stored pictures.
class GroupSave : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dataDir.isValid() && outDir.isValid());
        dataFile = (dataDir.path() + "/tavik.dat").toStdString();
        CreateDataFile(dataFile);
    }
    std::int32_t Store(const TPicture& picture) {
        TTavikPicture stored;
        static_cast<TPicture&>(stored) = picture;
        return stored.AppendToCatalog(dataFile);
    }

    QTemporaryDir dataDir;
    QTemporaryDir outDir;
    std::string dataFile;
};

TEST_F(GroupSave, WritesEachPictureUnderItsNameInsideTheFolder) {
    const TPicture bitmap = BitmapPicture();
    const TPicture icon = IconPicture();
    const std::vector<TGroupPicture> pictures = {
        {"flower.bmp", Store(bitmap)},
        {"../escape.ico", Store(icon)},
        {FromUtf8("Цветок", kCodePageCyrillic), Store(EmfPicture())},
    };
    const QStringList written =
        SaveImageGroup(outDir.path(), pictures, dataFile, kCodePageCyrillic);
    const QString folder = outDir.path();
    EXPECT_EQ(written, QStringList({folder + "/flower.bmp", folder + "/.._escape.ico",
                                    folder + "/Цветок.emf"}));
    EXPECT_EQ(FileBytes(folder + "/flower.bmp"), ByteArrayOf(bitmap.Graphic()->Stream()));
    EXPECT_EQ(FileBytes(folder + "/.._escape.ico"), ByteArrayOf(icon.Graphic()->Stream()));
    // A name without an extension gets its picture's kind's.
    EXPECT_EQ(FileBytes(folder + "/Цветок.emf"), ByteArrayOf(EmfBytes()));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("../escape.ico")));
}

TEST_F(GroupSave, ReplacesExistingFilesWithoutAsking) {
    QFile old(outDir.filePath("a.bmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old contents that are longer than nothing");
    old.close();
    const TPicture bitmap = BitmapPicture();
    SaveImageGroup(outDir.path() + "/", {{"a.bmp", Store(bitmap)}}, dataFile, kCodePageWestern);
    EXPECT_EQ(FileBytes(outDir.filePath("a.bmp")), ByteArrayOf(bitmap.Graphic()->Stream()));
}

TEST_F(GroupSave, StopsAtTheFirstPictureThatFails) {
    const std::vector<TGroupPicture> pictures = {
        {"first.bmp", Store(BitmapPicture())},
        {"broken.bmp", 0}, // the data file's signature, not a record
        {"third.bmp", Store(BitmapPicture())},
    };
    EXPECT_THROW(SaveImageGroup(outDir.path(), pictures, dataFile, kCodePageWestern),
                 EInvalidGraphic);
    EXPECT_TRUE(QFile::exists(outDir.filePath("first.bmp")));
    EXPECT_FALSE(QFile::exists(outDir.filePath("broken.bmp")));
    EXPECT_FALSE(QFile::exists(outDir.filePath("third.bmp")));
}

// Goes to the folder of path and types its file name, as a user would; the
// dialog's own selectFile races with its folder model.
void TypeFileName(QFileDialog* dialog, const QString& path) {
    dialog->setDirectory(QFileInfo(path).path());
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(QFileInfo(path).fileName());
}

// Drives the save dialog: checks what it proposes, then chooses path.
testing::ModalAction ChooseFile(const QString& path, QStringList* filters, QString* suffix,
                                QString* proposed) {
    return [=](QWidget* widget, QString& error) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        if (dialog == nullptr) {
            error = "not a file dialog";
            return false;
        }
        *filters = dialog->nameFilters();
        *suffix = dialog->defaultSuffix();
        *proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        TypeFileName(dialog, path);
        static_cast<QDialog*>(dialog)->accept();
        return true;
    };
}

TEST(SaveImageAs, ProposesTheNameAndTheFilterOfTheKind) {
    QTemporaryDir dir;
    QStringList filters;
    QString suffix;
    QString proposed;
    const TPicture bitmap = BitmapPicture();
    auto answer = AnswerNextModal(ChooseFile(dir.filePath("chosen"), &filters, &suffix, &proposed));
    const QString path = SaveImageAs(bitmap, "flower.bmp");
    ASSERT_TRUE(answer->Answered()) << answer->Error().toStdString();
    EXPECT_EQ(proposed, "flower.bmp");
    EXPECT_EQ(filters, QStringList({"Bitmaps (*.bmp)", "PNG (*.png)"}));
    EXPECT_EQ(suffix, "bmp");
    // The default extension completes a name typed without one.
    EXPECT_EQ(path, dir.filePath("chosen.bmp"));
    EXPECT_EQ(FileBytes(path), ByteArrayOf(bitmap.Graphic()->Stream()));

    answer = AnswerNextModal(ChooseFile(dir.filePath("m.wmf"), &filters, &suffix, &proposed));
    EXPECT_EQ(SaveImageAs(WmfPicture(), "../up.wmf"), dir.filePath("m.wmf"));
    EXPECT_EQ(proposed, ".._up.wmf");
    EXPECT_EQ(filters.size(), 5);
    EXPECT_EQ(suffix, "emf");
    EXPECT_EQ(FileBytes(dir.filePath("m.wmf")), ByteArrayOf(PlaceableWmfBytes()));
}

TEST(SaveImageAs, PngForEveryKindAndSvgForMetafilesByTheNameChosen) {
    QTemporaryDir dir;
    QStringList filters;
    QString suffix;
    QString proposed;
    auto answer =
        AnswerNextModal(ChooseFile(dir.filePath("icon.PNG"), &filters, &suffix, &proposed));
    ASSERT_EQ(SaveImageAs(IconPicture(), "icon.ico"), dir.filePath("icon.PNG"));
    const QImage png(dir.filePath("icon.PNG"), "PNG");
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(IconPicture().Width(), IconPicture().Height()));

    answer = AnswerNextModal(ChooseFile(dir.filePath("m.svg"), &filters, &suffix, &proposed));
    ASSERT_EQ(SaveImageAs(WmfPicture(), "m.wmf"), dir.filePath("m.svg"));
    const QByteArray svg = FileBytes(dir.filePath("m.svg"));
    EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).toStdString();
    // The SVG draws what the metafile draws.
    const TPicture wmf = WmfPicture();
    QImage fromSvg(wmf.Width(), wmf.Height(), QImage::Format_ARGB32);
    fromSvg.fill(Qt::white);
    QImage fromMetafile = fromSvg;
    {
        QPainter painter(&fromSvg);
        QSvgRenderer(svg).render(&painter, QRectF(fromSvg.rect()));
    }
    {
        QPainter painter(&fromMetafile);
        wmf.Graphic()->Draw(painter, QPoint(0, 0));
    }
    int far = 0;
    for (int y = 0; y < fromSvg.height(); ++y)
        for (int x = 0; x < fromSvg.width(); ++x)
            far += qGray(fromSvg.pixel(x, y)) / 64 != qGray(fromMetafile.pixel(x, y)) / 64;
    EXPECT_LT(far, fromSvg.width() * fromSvg.height() / 20);
}

TEST_F(GroupSave, WritesTheChosenFormatUnderTheFormatsExtension) {
    const std::vector<TGroupPicture> pictures = {
        {"flower.bmp", Store(BitmapPicture())},
        {"drawing.wmf", Store(WmfPicture())},
        {"plain", Store(EmfPicture())},
    };
    const QString folder = outDir.path();
    EXPECT_EQ(
        SaveImageGroup(folder, pictures, dataFile, kCodePageWestern, ExportFormat::Svg),
        QStringList({folder + "/flower.png", folder + "/drawing.svg", folder + "/plain.svg"}));
    EXPECT_FALSE(QImage(folder + "/flower.png", "PNG").isNull());
    EXPECT_TRUE(FileBytes(folder + "/drawing.svg").contains("<svg"));
    EXPECT_EQ(
        SaveImageGroup(folder, pictures, dataFile, kCodePageWestern, ExportFormat::Png),
        QStringList({folder + "/flower.png", folder + "/drawing.png", folder + "/plain.png"}));
}

TEST(SaveImageAs, CancelReturnsNoPath) {
    auto answer = AnswerNextModal(testing::CloseWindow());
    EXPECT_TRUE(SaveImageAs(BitmapPicture(), "x.bmp", nullptr).isEmpty());
    EXPECT_TRUE(answer->Answered());
}

// Chooses an existing file and answers the replace question.
testing::ModalAction ChooseExisting(const QString& path, QMessageBox::StandardButton reply,
                                    std::shared_ptr<testing::ModalAnswer>* question) {
    return [=](QWidget* widget, QString&) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        *question = AnswerNextModal([reply](QWidget* box, QString& error) {
            auto* message = qobject_cast<QMessageBox*>(box);
            if (message == nullptr) {
                error = "no question";
                return false;
            }
            message->button(reply)->click();
            return true;
        });
        TypeFileName(dialog, path);
        static_cast<QDialog*>(dialog)->accept();
        if (dialog->isVisible()) {
            dialog->reject();
        }
        return true;
    };
}

TEST(SaveImageAs, AsksBeforeReplacingAFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("exists.bmp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    const TPicture bitmap = BitmapPicture();

    std::shared_ptr<testing::ModalAnswer> question;
    auto answer = AnswerNextModal(ChooseExisting(path, QMessageBox::No, &question));
    EXPECT_TRUE(SaveImageAs(bitmap, "exists.bmp").isEmpty());
    ASSERT_TRUE(question && question->Answered());
    EXPECT_EQ(FileBytes(path), QByteArray("old"));

    answer = AnswerNextModal(ChooseExisting(path, QMessageBox::Yes, &question));
    EXPECT_EQ(SaveImageAs(bitmap, "exists.bmp"), path);
    ASSERT_TRUE(question && question->Answered());
    EXPECT_EQ(FileBytes(path), ByteArrayOf(bitmap.Graphic()->Stream()));
}

} // namespace
} // namespace tavik
