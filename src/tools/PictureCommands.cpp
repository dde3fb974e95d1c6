// The picture commands: add picture files to a catalogue, render a picture.
// Both decode pictures, so they run a QGuiApplication on the offscreen
// platform: they work without a display.
#include "Commands.h"
#include "ExportFormats.h"
#include "ToolCatalog.h"

#include "graphics/ImageExport.h"
#include "graphics/PictureImport.h"
#include "graphics/TavikPicture.h"
#include "graphics/Thumbnail.h"
#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/Records.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace tavik::tools {
namespace {

// The application a picture command needs while it runs; the offscreen
// platform is forced so that a missing or unusable display never matters.
class OffscreenApplication {
public:
    OffscreenApplication() : FApp((setenv("QT_QPA_PLATFORM", "offscreen", 1), FArgc), FArgv) {}

private:
    int FArgc = 1;
    char FName[9] = "tavikctl";
    char* FArgv[2] = {FName, nullptr};
    QGuiApplication FApp;
};

// The name a picture added from a file gets: the part of the path after its
// last separator, extension included, at most 255 bytes.
std::string PictureName(const std::string& path, int codePage) {
    const auto slash = path.find_last_of('/');
    std::string name =
        FromUtf8(slash == std::string::npos ? path : path.substr(slash + 1), codePage);
    if (name.size() > 255) {
        name.resize(255);
    }
    return name;
}

bool SameCatalog(const TTopicList& a, const TTopicList& b) {
    if (a.Count() != b.Count())
        return false;
    for (int t = 0; t < a.Count(); ++t) {
        const TTopic& x = a.Topics(t);
        const TTopic& y = b.Topics(t);
        if (x.Name != y.Name || x.Bmps.Count() != y.Bmps.Count())
            return false;
        for (int i = 0; i < x.Bmps.Count(); ++i)
            if (x.Bmps.Bmps(i).Name != y.Bmps.Bmps(i).Name ||
                x.Bmps.Bmps(i).Position != y.Bmps.Bmps(i).Position)
                return false;
    }
    return true;
}

// Writes the list file. A failure after the new list file is in place (only
// the flush of the folder failed) leaves the catalogue saved: it is reported
// as a warning and the command still succeeds.
void SaveAddedPictures(const std::string& folder, const TTopicList& topics) {
    try {
        SaveCatalog(folder, topics);
    } catch (const Exception& e) {
        bool saved = false;
        try {
            TTopicList written;
            LoadListFile(ListFileName(folder), written);
            saved = SameCatalog(written, topics);
        } catch (const Exception&) {
        }
        if (!saved)
            throw;
        std::cerr << "tavikctl add: warning: the list file was saved, but " << e.what() << "\n";
    }
}

int RunAdd(const Arguments& args) {
    const auto topicName = args.Value("--topic");
    if (!topicName || topicName->empty()) {
        throw UsageError("--topic NAME is required");
    }
    const auto& words = args.AllPositional();
    if (words.size() < 2) {
        throw UsageError("a folder and at least one picture file are needed");
    }
    const OffscreenApplication app;
    const std::string folder = ExistingFolder(words[0]);
    const int codePage = FolderCodePage(folder, args.Value("--codepage"));
    const TCatalogLock lock = LockCatalogOrFail(folder);
    TTopicList topics;
    if (OpenCatalog(folder, topics).badSignature) {
        throw CommandError("the list file " + ListFileName(folder) + " is not a catalogue");
    }
    const std::string name = FromUtf8(*topicName, codePage);
    TTopic* topic = nullptr;
    for (int t = 0; t < topics.Count() && !topic; ++t) {
        if (topics.Topics(t).Name == name) {
            topic = &topics.Topics(t);
        }
    }

    // Opened with the first picture, so that each file reports a data file
    // that cannot be opened; flushed once for all of them.
    std::optional<TRecordAppender> appender;
    TTavikPicture picture;
    int failed = 0;
    for (std::size_t i = 1; i < words.size(); ++i) {
        try {
            ImportPictureFile(picture, words[i]);
            if (!appender) {
                appender.emplace(DataFileName(folder));
            }
            const std::int32_t position = picture.AppendToCatalog(*appender);
            // A new topic is made with its first picture: when every file
            // fails, nothing is added.
            if (!topic) {
                topic = &topics.AddTopic(name);
            }
            topic->AddBmp(PictureName(words[i], codePage), position);
        } catch (const Exception& e) {
            std::cerr << "tavikctl add: " << words[i] << ": " << e.what() << "\n";
            ++failed;
        }
    }
    if (failed == static_cast<int>(words.size()) - 1) {
        return 1;
    }
    // On failure the records are cut off again and the list stays as it was.
    appender->Flush();
    // Written even when some files failed: the records already appended must
    // be referred to, as the program does after adding files.
    SaveAddedPictures(folder, topics);
    return failed == 0 ? 0 : 1;
}

QColor ParseBackground(const std::optional<std::string>& text) {
    if (!text) {
        return QColor(0xFF, 0xFF, 0xFF);
    }
    const QString hex = QString::fromStdString(*text);
    bool ok = false;
    const uint value = hex.toUInt(&ok, 16);
    if (!ok || hex.size() != 6) {
        throw UsageError("--background takes six hexadecimal digits RRGGBB");
    }
    return QColor::fromRgb(static_cast<QRgb>(value));
}

int ParseThumbSize(const std::optional<std::string>& text) {
    if (!text) {
        return 0;
    }
    if (*text == "32" || *text == "16") {
        return std::stoi(*text);
    }
    throw UsageError("--thumb takes 32 or 16");
}

void LoadCataloguePicture(const std::vector<std::string>& words, TTavikPicture& picture) {
    const std::string folder = ExistingFolder(words[0]);
    const int topicIndex = Arguments::Index(words[1], "TOPIC");
    const int imageIndex = Arguments::Index(words[2], "IMAGE");
    TTopicList topics;
    const std::string dataFile = LoadCatalogOrFail(folder, topics);
    if (topicIndex >= topics.Count()) {
        throw CommandError("no topic " + std::to_string(topicIndex));
    }
    const TTopic& topic = topics.Topics(topicIndex);
    if (imageIndex >= topic.Bmps.Count()) {
        throw CommandError("no picture " + std::to_string(imageIndex) + " in topic " +
                           std::to_string(topicIndex));
    }
    picture.LoadFromCatalog(dataFile, topic.Bmps.Bmps(imageIndex).Position);
}

int RunRender(const Arguments& args) {
    const bool fromCatalog = args.Flag("--catalog");
    const auto& words = args.Positional(fromCatalog ? 4 : 2);
    const QColor background = ParseBackground(args.Value("--background"));
    const int thumb = ParseThumbSize(args.Value("--thumb"));
    const OffscreenApplication app;

    TTavikPicture picture;
    if (fromCatalog) {
        LoadCataloguePicture(words, picture);
    } else {
        ImportPictureFile(picture, words[0]);
    }
    QImage image;
    if (thumb > 0) {
        image = MakePictureThumbnail(picture, thumb, background);
    } else {
        const TGraphic* graphic = picture.Graphic();
        if (!graphic || graphic->Width() <= 0 || graphic->Height() <= 0) {
            throw CommandError("the picture is empty");
        }
        image = RenderGraphic(*graphic, background);
        if (image.width() != graphic->Width() || image.height() != graphic->Height()) {
            std::cerr << "tavikctl render: warning: the picture's natural size " << graphic->Width()
                      << " x " << graphic->Height()
                      << " is past the drawing limit; drawn scaled to " << image.width() << " x "
                      << image.height() << "\n";
        }
    }
    const std::string& out = words.back();
    if (!image.save(QString::fromStdString(out), "PNG")) {
        throw CommandError("cannot write " + out);
    }
    return 0;
}

class PictureExportConverter : public ExportConverter {
public:
    explicit PictureExportConverter(ExportFormat format) : FFormat(format) {}

    File Convert(const PictureRecord& record) const override {
        TPicture picture;
        picture.SetGraphic(GraphicFromRecord(record.kind, record.stream));
        return {"." + ExportExtension(picture, FFormat), ExportImage(picture, FFormat)};
    }

private:
    OffscreenApplication FApp;
    ExportFormat FFormat;
};

const CommandRegistration addCommand{
    {"add",
     "FOLDER --topic NAME FILE... [--codepage N]",
     "add picture files (.bmp .ico .emf .wmf .png .jpg .gif .tif .webp .svg) to a topic, made at "
     "the end if it is new",
     {},
     {"--topic", "--codepage"},
     RunAdd}};
const CommandRegistration renderCommand{
    {"render",
     "(FILE | --catalog FOLDER TOPIC IMAGE) OUT.png [--background RRGGBB] [--thumb 32|16]",
     "draw a picture at natural size, or as a thumbnail, into a PNG file",
     {"--catalog"},
     {"--background", "--thumb"},
     RunRender}};

} // namespace

std::unique_ptr<ExportConverter> ExportConverter::For(const std::optional<std::string>& format) {
    if (!format || *format == "original")
        return nullptr;
    if (*format == "png")
        return std::make_unique<PictureExportConverter>(ExportFormat::Png);
    if (*format == "svg")
        return std::make_unique<PictureExportConverter>(ExportFormat::Svg);
    throw UsageError("--format takes original, png or svg");
}

} // namespace tavik::tools
