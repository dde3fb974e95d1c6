#include "ToolCatalog.h"

#include "Commands.h"

#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/IniFile.h"

namespace tavik::tools {

void LoadCatalogOrFail(const std::string& folder, TTopicList& topics) {
    RecoverInterruptedCompaction(folder);
    const std::string list = ListFileName(folder);
    if (!FileExists(list))
        throw CommandError("no catalogue in " + folder + " (" + list + " is missing)");
    try {
        if (LoadListFile(list, topics).badSignature)
            throw CommandError(list + ": not a Tavik list file (bad signature)");
    } catch (const EReadError& e) {
        throw CommandError(list + ": damaged list file (" + e.what() + ")");
    }
    if (!FileExists(DataFileName(folder)))
        throw CommandError(DataFileName(folder) + " is missing");
}

int FolderCodePage(const std::string& folder, const std::optional<std::string>& text) {
    if (text) {
        std::int32_t page = 0;
        if (!TIniFile::ParseInteger(*text, page) || !IsSupportedCodePage(page))
            throw UsageError("--codepage must be 1251, 1252 or 65001, not '" + *text + "'");
        return page;
    }
    const TIniFile ini(SettingsFileName(folder));
    return CodePageFor(ini.ReadInteger("Lang", "Lang", 0) & 0xFF,
                       ini.ReadInteger("Options", "CodePage", 0));
}

const char* KindName(int kind) {
    switch (kind) {
    case 1:
        return "bitmap";
    case 2:
        return "icon";
    case 3:
        return "metafile";
    default:
        return "none";
    }
}

} // namespace tavik::tools
