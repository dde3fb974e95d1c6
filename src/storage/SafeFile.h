#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tavik {

class TStream;

// Replaces fileName so that it holds either its old or its new bytes whatever
// happens: write fills a new file in the same folder, which is flushed to disk,
// renamed over fileName, and then the folder is flushed. On an error the new
// file is removed, fileName is untouched and the error passes on; a temporary
// file that cannot be made gives EFCreateError "Cannot create file <fileName>".
void ReplaceFile(const std::string& fileName, const std::function<void(TStream&)>& write);

// A new, empty, uniquely named file in folder (which ends in "/"): "~tvk"
// followed by six characters and ".tmp". Returns its full name. Throws
// EFCreateError "Cannot create file %s" with the folder's pattern.
std::string MakeTempFileName(const std::string& folder);

// True for the names MakeTempFileName gives (the file part only).
bool IsTempFileName(std::string_view name);

// The folder part of a file name, up to and including the last "/"; "./" when
// there is none.
std::string FolderOf(const std::string& fileName);

// Flushes a folder's entries (renames, new files) to disk; throws EWriteError.
void SyncFolder(const std::string& folder);

// Renames, replacing to; throws EWriteError naming both files.
void RenameFile(const std::string& from, const std::string& to);

bool FileExists(const std::string& fileName);

// Seams for tests of crash safety. Every save reports its steps by name
// ("replace:temp-written", "compact:committed", ...) to the hook, which may
// throw to fail the save there or end the process to simulate a crash. The
// write limit makes the files written by saves refuse bytes after that many
// (-1: no limit). Both are process-wide and meant for tests only.
using SaveStepHook = std::function<void(std::string_view step)>;
void SetSaveStepHook(SaveStepHook hook);
void SetSaveWriteLimit(std::int64_t limit);
void ReachSaveStep(std::string_view step);
// Wraps a save's target stream in the write limit when one is set.
std::function<void(TStream&)> LimitSaveWrites(const std::function<void(TStream&)>& write);

} // namespace tavik
