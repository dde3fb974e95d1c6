#pragma once

#include "storage/Lists.h"

#include <optional>
#include <string>

namespace tavik::tools {

// Reads the catalogue of folder (ending in "/") for a command: runs the
// start-up recovery of an interrupted compaction, then reads the list file.
// A missing or damaged list file, or a missing data file, is a CommandError
// naming the file. The folder is otherwise not written.
void LoadCatalogOrFail(const std::string& folder, TTopicList& topics);

// The code page of the folder's names: the explicit text if given (1251,
// 1252 or 65001, else a UsageError), otherwise what the folder's tavik.ini
// says ("Options"/"CodePage", else by "Lang"/"Lang").
int FolderCodePage(const std::string& folder, const std::optional<std::string>& text);

// The name of a picture kind for people: bitmap, icon, metafile or none.
const char* KindName(int kind);

} // namespace tavik::tools
