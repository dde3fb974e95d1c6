#include "ToolCatalog.h"

#include "Commands.h"

#include "storage/CatalogFiles.h"
#include "storage/CodePage.h"
#include "storage/Exceptions.h"
#include "storage/IniFile.h"

#include <iostream>

namespace tavik::tools {

std::string LoadCatalogOrFail(const std::string& folder, TTopicList& topics) {
    const CatalogFilesToRead files = FindCatalogFilesToRead(folder);
    if (files.compactionInterrupted)
        std::cerr << "note: a compaction of " << folder
                  << " was interrupted; Tavik or the next changing command completes it\n";
    const std::string& list = files.list;
    if (!FileExists(list))
        throw CommandError("no catalogue in " + folder + " (" + list + " is missing)");
    try {
        if (LoadListFile(list, topics).badSignature)
            throw CommandError(list + ": not a Tavik list file (bad signature)");
    } catch (const EReadError& e) {
        throw CommandError(list + ": damaged list file (" + e.what() + ")");
    }
    if (!FileExists(files.data))
        throw CommandError(files.data + " is missing");
    return files.data;
}

TCatalogLock LockCatalogOrFail(const std::string& folder) {
    TCatalogLock lock(folder);
    switch (lock.LockState()) {
    case TCatalogLock::State::Held:
        break;
    case TCatalogLock::State::HeldElsewhere:
        throw CommandError("the catalogue in " + folder +
                           " is open in another program (Tavik or tavikctl); nothing was "
                           "changed: close it and try again");
    case TCatalogLock::State::Unsupported:
        std::cerr << "warning: the catalogue cannot be locked (" << lock.Reason()
                  << "); make sure no other program uses it\n";
        break;
    }
    RecoverInterruptedCompaction(folder);
    return lock;
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

RecordHead ReadHeadOrError(TStream& data, std::int32_t position, std::string& error) {
    error.clear();
    try {
        if (position != 0)
            return ReadRecordHead(data, position);
    } catch (const Exception& e) {
        error = e.what();
    }
    return {};
}

} // namespace tavik::tools
