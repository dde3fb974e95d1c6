// find: the pictures whose name contains a text, in every topic.
#include "Commands.h"
#include "ToolCatalog.h"

#include "storage/CodePage.h"
#include "storage/NameSearch.h"
#include "storage/Stream.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace tavik::tools {
namespace {

int RunFind(const Arguments& args) {
    const auto& words = args.Positional(2);
    const std::string folder = ExistingFolder(words[0]);
    const int codePage = FolderCodePage(folder, args.Value("--codepage"));
    TTopicList topics;
    TFileStream data(LoadCatalogOrFail(folder, topics), TFileStream::Mode::Read);

    const bool json = args.Flag("--json");
    nlohmann::json found = nlohmann::json::array();
    for (const TNameMatch& match : TNameIndex(topics, codePage).Find(words[1])) {
        const TBmp& bmp = topics.Image(match.topic, match.image);
        std::string error;
        const RecordHead head = ReadHeadOrError(data, bmp.Position, error);
        const std::string topicName = ToUtf8(topics.Topics(match.topic).Name, codePage);
        const std::string name = ToUtf8(bmp.Name, codePage);
        const char* kind = KindName(static_cast<int>(head.kind));
        if (json) {
            nlohmann::json item = {{"topic", match.topic}, {"topicName", topicName},
                                   {"image", match.image}, {"name", name},
                                   {"kind", kind},         {"size", head.streamSize}};
            if (!error.empty())
                item["error"] = error;
            found.push_back(std::move(item));
        } else {
            std::cout << "[" << match.topic << "] " << topicName << "  [" << match.image << "] "
                      << name << "  " << kind << "  " << head.streamSize << " bytes"
                      << (error.empty() ? "" : "  ERROR: " + error) << "\n";
        }
    }
    if (json)
        std::cout << nlohmann::json{{"matches", found}}.dump(2) << "\n";
    return 0;
}

const CommandRegistration findCommand{{"find",
                                       "FOLDER TEXT [--json] [--codepage N]",
                                       "pictures whose name contains TEXT, ignoring case and "
                                       "accents, in every topic",
                                       {"--json"},
                                       {"--codepage"},
                                       RunFind}};

} // namespace
} // namespace tavik::tools
