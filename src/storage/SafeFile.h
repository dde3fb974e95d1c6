#pragma once

#include "storage/Stream.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tavik {

// The file operations of the saves. Every writer takes one, the real file
// system by default; tests pass their own to record the order of writes,
// flushes and renames, or to fail a device at a chosen moment.
class TFileSystem {
public:
    virtual ~TFileSystem() = default;
    // A TFileStream on fileName; throws as its constructor does.
    virtual std::unique_ptr<TFile> Open(const std::string& fileName, TFileStream::Mode mode);
    // MakeTempFileName.
    virtual std::string MakeTempFile(const std::string& folder);
    // RenameFile.
    virtual void Rename(const std::string& from, const std::string& to);
    // SyncFolder.
    virtual void SyncFolder(const std::string& folder);
    // Removes fileName; true when it is gone (or was never there).
    virtual bool Remove(const std::string& fileName);
};

// The file system of the machine.
TFileSystem& RealFiles();

// Replaces fileName so that it holds either its old or its new bytes whatever
// happens: write fills a new file in the same folder, which is flushed to disk,
// renamed over fileName, and then the folder is flushed. The new file keeps
// the old one's access rights. On an error the new file is removed, fileName
// is untouched and the error passes on, naming fileName and never the
// temporary file: EFCreateError "Cannot create file <fileName>" when fileName
// is read-only or no file can be made beside it (then with the folder and the
// system's reason), EWriteError with the system's reason for a failed write.
void ReplaceFile(const std::string& fileName, const std::function<void(TStream&)>& write,
                 TFileSystem& files = RealFiles());

// A new, empty, uniquely named file in folder (which ends in "/"): "~tvk"
// followed by six characters and ".tmp". Returns its full name. Throws
// EFCreateError "Cannot create a file in folder <folder>: <reason>".
std::string MakeTempFileName(const std::string& folder);

// A temporary file beside fileName for writing its new bytes: MakeTempFile,
// with the error naming fileName ("Cannot create file <fileName> (...)").
std::string MakeTempFileFor(const std::string& fileName, TFileSystem& files);

// True for the names MakeTempFileName gives (the file part only).
bool IsTempFileName(std::string_view name);

// The folder part of a file name, up to and including the last "/"; "./" when
// there is none.
std::string FolderOf(const std::string& fileName);

// Flushes a folder's entries (renames, new files) to disk; throws EWriteError.
void SyncFolder(const std::string& folder);

// Renames, replacing to; throws EWriteError "Cannot replace file <to>: <reason>".
void RenameFile(const std::string& from, const std::string& to);

bool FileExists(const std::string& fileName);

// Throws EFCreateError "Cannot create file <fileName>" when the file exists
// but its access rights forbid writing: a file the user made read-only is
// never replaced or extended behind their back.
void RefuseReadOnlyFile(const std::string& fileName);

// Gives to the access rights of from, when from exists.
void CopyFileMode(const std::string& from, const std::string& to);

} // namespace tavik
