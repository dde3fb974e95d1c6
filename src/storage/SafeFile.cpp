#include "storage/SafeFile.h"

#include "storage/Exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavik {

std::unique_ptr<TFile> TFileSystem::Open(const std::string& fileName, TFileStream::Mode mode) {
    return std::make_unique<TFileStream>(fileName, mode);
}

std::string TFileSystem::MakeTempFile(const std::string& folder) {
    return MakeTempFileName(folder);
}

void TFileSystem::Rename(const std::string& from, const std::string& to) {
    RenameFile(from, to);
}

void TFileSystem::SyncFolder(const std::string& folder) {
    ::tavik::SyncFolder(folder);
}

bool TFileSystem::Remove(const std::string& fileName) {
    return std::remove(fileName.c_str()) == 0 || errno == ENOENT;
}

TFileSystem& RealFiles() {
    static TFileSystem files;
    return files;
}

std::string FolderOf(const std::string& fileName) {
    const auto slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return "./";
    return fileName.substr(0, slash + 1);
}

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void RefuseReadOnlyFile(const std::string& fileName) {
    struct stat st {};
    if (::stat(fileName.c_str(), &st) != 0)
        return;
    // The rights themselves decide, not access(): the superuser may write
    // anything, but a file marked read-only is still meant to stay as it is.
    if ((st.st_mode & 0222) == 0 || ::access(fileName.c_str(), W_OK) != 0)
        throw EFCreateError("Cannot create file " + fileName);
}

void CopyFileMode(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) == 0)
        ::chmod(to.c_str(), st.st_mode & 07777);
}

std::string MakeTempFileName(const std::string& folder) {
    std::string pattern = folder + "~tvkXXXXXX.tmp";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0)
        throw EFCreateError("Cannot create a file in folder " + folder + ": " +
                            std::strerror(errno));
    // mkstemps makes the file private; a catalogue file gets the usual rights.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return std::string(name.data());
}

std::string MakeTempFileFor(const std::string& fileName, TFileSystem& files) {
    try {
        return files.MakeTempFile(FolderOf(fileName));
    } catch (const EFCreateError& error) {
        throw EFCreateError("Cannot create file " + fileName + " (" + error.what() + ")");
    }
}

bool IsTempFileName(std::string_view name) {
    return name.size() == 14 && name.substr(0, 4) == "~tvk" && name.substr(10) == ".tmp";
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw EWriteError("Cannot flush folder " + folder + ": " + std::strerror(errno));
    const bool ok = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    if (!ok)
        throw EWriteError("Cannot flush folder " + folder + ": " + std::strerror(error));
}

void RenameFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        throw EWriteError("Cannot replace file " + to + ": " + std::strerror(errno));
}

void ReplaceFile(const std::string& fileName, const std::function<void(TStream&)>& write,
                 TFileSystem& files) {
    RefuseReadOnlyFile(fileName);
    const std::string temp = MakeTempFileFor(fileName, files);
    try {
        CopyFileMode(fileName, temp);
        std::unique_ptr<TFile> file;
        try {
            file = files.Open(temp, TFileStream::Mode::Create);
        } catch (const EFCreateError&) {
            throw EFCreateError("Cannot create file " + fileName);
        }
        write(*file);
        file->Flush();
        file.reset();
        files.Rename(temp, fileName);
    } catch (...) {
        files.Remove(temp);
        throw;
    }
    // The rename is done: from here on the new file is the file, and a failure
    // only means the folder entry may not have reached the disk yet.
    files.SyncFolder(FolderOf(fileName));
}

} // namespace tavik
