// The catalogue commands: list, check, extract, export, compact.
#include "Commands.h"
#include "ExportFormats.h"
#include "ToolCatalog.h"

#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/RecordHead.h"
#include "storage/Records.h"
#include "storage/Recover.h"
#include "storage/Stream.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <unistd.h>

namespace tavik::tools {
namespace {

struct ReadOutcome {
    PictureRecord record;
    std::string error; // empty when the record read back whole
};

ReadOutcome ReadPicture(TStream& data, std::int32_t position) {
    ReadOutcome outcome;
    if (position == 0)
        return outcome;
    try {
        outcome.record = LoadRecord(data, position);
    } catch (const Exception& e) {
        outcome.error = e.what();
    }
    return outcome;
}

// The kind and size come from each record's head: listing never decodes a
// picture (check does), so a catalogue of any size lists at the speed of
// reading its list file.
int RunList(const Arguments& args) {
    const std::string folder = ExistingFolder(args.Positional(1)[0]);
    const int codePage = FolderCodePage(folder, args.Value("--codepage"));
    TTopicList topics;
    TFileStream data(LoadCatalogOrFail(folder, topics), TFileStream::Mode::Read);

    const bool json = args.Flag("--json");
    nlohmann::json doc = {{"topics", nlohmann::json::array()}};
    for (int t = 0; t < topics.Count(); ++t) {
        const TTopic& topic = topics.Topics(t);
        nlohmann::json images = nlohmann::json::array();
        if (!json)
            std::cout << "[" << t << "] " << ToUtf8(topic.Name, codePage) << "\n";
        for (int i = 0; i < topic.Bmps.Count(); ++i) {
            const TBmp& bmp = topic.Bmps.Bmps(i);
            std::string error;
            const RecordHead head = ReadHeadOrError(data, bmp.Position, error);
            const char* kind = KindName(static_cast<int>(head.kind));
            if (json) {
                nlohmann::json image = {{"name", ToUtf8(bmp.Name, codePage)},
                                        {"position", bmp.Position},
                                        {"kind", kind},
                                        {"size", head.streamSize}};
                if (!error.empty())
                    image["error"] = error;
                images.push_back(std::move(image));
            } else {
                std::cout << "    [" << i << "] " << ToUtf8(bmp.Name, codePage) << "  position "
                          << bmp.Position << "  " << kind << "  " << head.streamSize << " bytes"
                          << (error.empty() ? "" : "  ERROR: " + error) << "\n";
            }
        }
        if (json)
            doc["topics"].push_back({{"name", ToUtf8(topic.Name, codePage)}, {"images", images}});
    }
    if (json)
        std::cout << doc.dump(2) << "\n";
    return 0;
}

int RunCheck(const Arguments& args) {
    const std::string folder = ExistingFolder(args.Positional(1)[0]);
    const int codePage = FolderCodePage(folder, std::nullopt);
    TTopicList topics;
    TFileStream data(LoadCatalogOrFail(folder, topics), TFileStream::Mode::Read);
    const std::int64_t fileSize = data.Size();

    int problems = 0;
    char signature[4] = {};
    data.Seek(0);
    if (data.Read(signature, 4) != 4 || std::string(signature, 4) != "TVD1") {
        std::cout << "data file: missing signature TVD1\n";
        ++problems;
    }
    // A damaged record is still referenced: it is no dead data.
    std::set<std::int64_t> live;
    int checked = 0;
    for (int t = 0; t < topics.Count(); ++t) {
        const TTopic& topic = topics.Topics(t);
        for (int i = 0; i < topic.Bmps.Count(); ++i) {
            const TBmp& bmp = topic.Bmps.Bmps(i);
            if (bmp.Position == 0)
                continue;
            ++checked;
            live.insert(bmp.Position);
            const ReadOutcome read = ReadPicture(data, bmp.Position);
            if (read.error.empty())
                continue;
            ++problems;
            std::cout << "topic " << t << " '" << ToUtf8(topic.Name, codePage) << "', picture " << i
                      << " '" << ToUtf8(bmp.Name, codePage) << "', position " << bmp.Position
                      << ": " << read.error << "\n";
        }
    }

    // Records lie end to end: walk them to find the ones nothing refers to.
    std::int64_t at = 4;
    int deadCount = 0;
    std::int64_t deadBytes = 0;
    while (at + 8 <= fileSize) {
        std::uint8_t head[8];
        data.Seek(at);
        if (data.Read(head, 8) != 8)
            break;
        const std::int64_t length = static_cast<std::int64_t>(head[4]) | head[5] << 8 |
                                    head[6] << 16 | static_cast<std::int64_t>(head[7]) << 24;
        const bool known = std::string(reinterpret_cast<char*>(head), 2) == "LZ";
        if (!known || at + 8 + length > fileSize)
            break;
        if (live.count(at) == 0) {
            ++deadCount;
            deadBytes += 8 + length;
        }
        at += 8 + length;
    }
    std::cout << checked << " picture(s) checked, " << problems << " problem(s)\n";
    std::cout << deadCount << " unreferenced record(s), " << deadBytes << " byte(s)\n";
    if (at < fileSize && fileSize > 4)
        std::cout << (fileSize - at) << " byte(s) at position " << at << " do not form records\n";
    return problems == 0 ? 0 : 1;
}

int RunExtract(const Arguments& args) {
    const auto& words = args.Positional(3);
    const auto output = args.Value("-o");
    if (!output || output->empty())
        throw UsageError("-o FILE is required");
    const std::string folder = ExistingFolder(words[0]);
    const int topicIndex = Arguments::Index(words[1], "TOPIC");
    const int imageIndex = Arguments::Index(words[2], "IMAGE");
    TTopicList topics;
    const std::string dataFile = LoadCatalogOrFail(folder, topics);
    if (topicIndex >= topics.Count())
        throw CommandError("no topic " + std::to_string(topicIndex) + " (the catalogue has " +
                           std::to_string(topics.Count()) + ")");
    const TTopic& topic = topics.Topics(topicIndex);
    if (imageIndex >= topic.Bmps.Count())
        throw CommandError("no picture " + std::to_string(imageIndex) + " in topic " +
                           std::to_string(topicIndex) + " (it has " +
                           std::to_string(topic.Bmps.Count()) + ")");
    const TBmp& bmp = topic.Bmps.Bmps(imageIndex);
    if (bmp.Position == 0)
        throw CommandError("picture " + std::to_string(imageIndex) + " has no stored picture");
    const PictureRecord record = LoadRecordFromFile(dataFile, bmp.Position);
    ReplaceFile(*output,
                [&](TStream& out) { out.WriteBuffer(record.stream.data(), record.stream.size()); });
    return 0;
}

// The longest name given to an exported file or folder, in bytes: room is
// left under the file systems' 255 for " (2)" and an extension.
constexpr std::size_t kExportNameBytes = 200;

// A name that is one safe file name: no separators, no control characters,
// not "." or "..", not empty, at most kExportNameBytes long and cut only
// between whole UTF-8 characters.
std::string SafeName(const std::string& utf8) {
    std::string out;
    for (char c : utf8)
        out += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    if (out.empty() || out == "." || out == "..")
        out = "_" + out;
    if (out.size() > kExportNameBytes) {
        std::size_t cut = kExportNameBytes;
        // Continuation bytes are 10xxxxxx: step back to the start of the
        // character that would be split.
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80)
            --cut;
        out.resize(cut);
    }
    return out;
}

bool HasExtension(const std::string& name, const std::string& extension) {
    if (name.size() < extension.size())
        return false;
    std::string tail = name.substr(name.size() - extension.size());
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == extension;
}

// name, or "stem (2).ext", "stem (3).ext", ... when taken already holds it.
std::string Unclashed(const std::string& name, std::set<std::string>& taken) {
    std::string candidate = name;
    const auto dot = name.rfind('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    for (int n = 2; taken.count(candidate) != 0; ++n)
        candidate = stem + " (" + std::to_string(n) + ")" + extension;
    taken.insert(candidate);
    return candidate;
}

int RunExport(const Arguments& args) {
    const auto& words = args.Positional(2);
    const std::string folder = ExistingFolder(words[0]);
    const int codePage = FolderCodePage(folder, args.Value("--codepage"));
    const auto converter = ExportConverter::For(args.Value("--format"));
    TTopicList topics;
    TFileStream data(LoadCatalogOrFail(folder, topics), TFileStream::Mode::Read);
    const std::filesystem::path target(words[1]);
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (error)
        throw CommandError("cannot create folder " + target.string() + ": " + error.message());

    int written = 0;
    int failed = 0;
    std::set<std::string> topicNames;
    for (int t = 0; t < topics.Count(); ++t) {
        const TTopic& topic = topics.Topics(t);
        const auto topicFolder =
            target / Unclashed(SafeName(ToUtf8(topic.Name, codePage)), topicNames);
        std::filesystem::create_directories(topicFolder, error);
        if (error)
            throw CommandError("cannot create folder " + topicFolder.string() + ": " +
                               error.message());
        std::set<std::string> pictureNames;
        for (int i = 0; i < topic.Bmps.Count(); ++i) {
            const TBmp& bmp = topic.Bmps.Bmps(i);
            const ReadOutcome read = ReadPicture(data, bmp.Position);
            if (bmp.Position == 0 || !read.error.empty()) {
                ++failed;
                std::cerr << "topic " << t << ", picture " << i << ", position " << bmp.Position
                          << ": " << (read.error.empty() ? "no stored picture" : read.error)
                          << "\n";
                continue;
            }
            std::string name = SafeName(ToUtf8(bmp.Name, codePage));
            std::string extension = PictureExtension(read.record);
            ExportConverter::File converted;
            if (converter) {
                try {
                    converted = converter->Convert(read.record);
                } catch (const Exception& e) {
                    ++failed;
                    std::cerr << "topic " << t << ", picture " << i << ": " << e.what() << "\n";
                    continue;
                }
                // The name's extension gives way: "rose.bmp" becomes "rose.png".
                const auto dot = name.rfind('.');
                if (dot != std::string::npos && dot > 0)
                    name.resize(dot);
                extension = converted.extension;
            }
            if (!HasExtension(name, extension))
                name += extension;
            const auto& bytes = converter ? converted.bytes : read.record.stream;
            const auto file = topicFolder / Unclashed(name, pictureNames);
            ReplaceFile(file.string(),
                        [&](TStream& out) { out.WriteBuffer(bytes.data(), bytes.size()); });
            ++written;
        }
    }
    std::cout << written << " picture(s) written to " << target.string() << "\n";
    if (failed != 0) {
        std::cerr << failed << " picture(s) could not be read\n";
        return 1;
    }
    return 0;
}

int RunCompact(const Arguments& args) {
    const std::string folder = ExistingFolder(args.Positional(1)[0]);
    const TCatalogLock lock = LockCatalogOrFail(folder);
    TTopicList topics;
    LoadCatalogOrFail(folder, topics);
    const int codePage = FolderCodePage(folder, std::nullopt);
    const auto before = std::filesystem::file_size(DataFileName(folder));
    const bool terminal = ::isatty(STDERR_FILENO) != 0;
    auto pictureName = [&](const DamagedPicture& picture) {
        return "topic " + std::to_string(picture.topic) + " '" +
               ToUtf8(topics.Topics(picture.topic).Name, codePage) + "', picture " +
               std::to_string(picture.image) + " '" +
               ToUtf8(topics.Image(picture.topic, picture.image).Name, codePage) + "'";
    };
    std::vector<DamagedPicture> damaged;
    try {
        TProgressThrottle throttle;
        damaged = CompactDataFile(folder, topics, [&](int done, int total) {
            if (!terminal || !throttle.Due(done, total))
                return;
            const int width = 40;
            const int filled = total == 0 ? width : done * width / total;
            std::cerr << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                      << std::string(static_cast<std::size_t>(width - filled), '.') << "] " << done
                      << "/" << total << std::flush;
        });
    } catch (const EDamagedPicture& e) {
        if (terminal)
            std::cerr << "\n";
        throw CommandError(pictureName(e.Picture) + " cannot be read (" + e.Picture.reason +
                           "); the data file is unchanged");
    }
    if (terminal)
        std::cerr << "\n";
    for (const DamagedPicture& picture : damaged)
        std::cerr << "warning: " << pictureName(picture)
                  << " is damaged and was kept as it is: " << picture.reason << "\n";
    const auto after = std::filesystem::file_size(DataFileName(folder));
    std::cout << "data file: " << before << " -> " << after << " bytes\n";
    return 0;
}

const CommandRegistration listCommand{{"list",
                                       "FOLDER [--json] [--codepage N]",
                                       "every topic and picture in order",
                                       {"--json"},
                                       {"--codepage"},
                                       RunList}};
const CommandRegistration checkCommand{
    {"check",
     "FOLDER",
     "read every referenced record; report problems and unreferenced data (exit 0 when whole)",
     {},
     {},
     RunCheck}};
const CommandRegistration extractCommand{
    {"extract",
     "FOLDER TOPIC IMAGE -o FILE",
     "write one picture's file (.bmp/.ico/.emf/.wmf bytes); indices from 0",
     {},
     {"-o"},
     RunExtract}};
const CommandRegistration exportCommand{
    {"export",
     "FOLDER DIR [--format original|png|svg] [--codepage N]",
     "write every picture as DIR/<topic>/<picture name>, in its own format or as PNG (svg: "
     "metafiles as SVG, the others as PNG)",
     {},
     {"--codepage", "--format"},
     RunExport}};
const CommandRegistration compactCommand{
    {"compact",
     "FOLDER",
     "drop unreferenced records from the data file (as the program's Save); damaged "
     "pictures are kept as they are and named",
     {},
     {},
     RunCompact}};

} // namespace
} // namespace tavik::tools
