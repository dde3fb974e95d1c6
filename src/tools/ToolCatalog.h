#pragma once

#include "storage/CatalogLock.h"
#include "storage/Lists.h"
#include "storage/RecordHead.h"

#include <optional>
#include <string>

namespace tavik::tools {

// Reads the catalogue of folder (ending in "/") for a command and returns the
// name of the data file to read its pictures from. Nothing in the folder is
// renamed or deleted: an interrupted compaction is read as the next writer
// will complete it (FindCatalogFilesToRead), with a note on stderr. A missing
// or damaged list file, or a missing data file, is a CommandError naming the
// file.
std::string LoadCatalogOrFail(const std::string& folder, TTopicList& topics);

// For the commands that change a catalogue: takes the folder's TCatalogLock,
// then completes or rolls back an interrupted compaction. A lock held by
// another program (Tavik, another tavikctl) is a CommandError saying so; on a
// file system without locks the command goes on, with a warning on stderr.
TCatalogLock LockCatalogOrFail(const std::string& folder);

// The code page of the folder's names: the explicit text if given (1251,
// 1252 or 65001, else a UsageError), otherwise what the folder's tavik.ini
// says ("Options"/"CodePage", else by "Lang"/"Lang").
int FolderCodePage(const std::string& folder, const std::optional<std::string>& text);

// The head of the picture record at position (an empty head for position 0,
// a picture without a record); error gets why it cannot be read, or is cleared.
RecordHead ReadHeadOrError(TStream& data, std::int32_t position, std::string& error);

// The name of a picture kind for people: bitmap, icon, metafile or none.
const char* KindName(int kind);

} // namespace tavik::tools
