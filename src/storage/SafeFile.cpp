#include "storage/SafeFile.h"

#include "storage/Exceptions.h"
#include "storage/Stream.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavik {
namespace {

SaveStepHook gStepHook;
std::int64_t gWriteLimit = -1;

// Forwards to the real file but refuses bytes past the limit, like a full disk.
class TLimitedStream : public TStream {
public:
    TLimitedStream(TStream& target, std::int64_t limit) : FTarget(target), FLeft(limit) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        return FTarget.Read(buffer, count);
    }
    std::size_t Write(const void* buffer, std::size_t count) override {
        const auto n = static_cast<std::size_t>(
            std::min<std::int64_t>(FLeft, static_cast<std::int64_t>(count)));
        const std::size_t done = FTarget.Write(buffer, n);
        FLeft -= static_cast<std::int64_t>(done);
        return done;
    }
    void Seek(std::int64_t position) override { FTarget.Seek(position); }
    std::int64_t Position() const override { return FTarget.Position(); }
    std::int64_t Size() const override { return FTarget.Size(); }

private:
    TStream& FTarget;
    std::int64_t FLeft;
};

} // namespace

void SetSaveStepHook(SaveStepHook hook) {
    gStepHook = std::move(hook);
}

void SetSaveWriteLimit(std::int64_t limit) {
    gWriteLimit = limit;
}

void ReachSaveStep(std::string_view step) {
    if (gStepHook)
        gStepHook(step);
}

std::function<void(TStream&)> LimitSaveWrites(const std::function<void(TStream&)>& write) {
    if (gWriteLimit < 0)
        return write;
    const std::int64_t limit = gWriteLimit;
    return [write, limit](TStream& target) {
        TLimitedStream limited(target, limit);
        write(limited);
    };
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

std::string MakeTempFileName(const std::string& folder) {
    std::string pattern = folder + "~tvkXXXXXX.tmp";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0)
        throw EFCreateError("Cannot create file " + pattern);
    // mkstemps makes the file private; a catalogue file gets the usual rights.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    return std::string(name.data());
}

bool IsTempFileName(std::string_view name) {
    return name.size() == 14 && name.substr(0, 4) == "~tvk" && name.substr(10) == ".tmp";
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throw EWriteError("Cannot flush folder " + folder);
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    if (!ok)
        throw EWriteError("Cannot flush folder " + folder);
}

void RenameFile(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        throw EWriteError("Cannot rename file " + from + " to " + to);
}

void ReplaceFile(const std::string& fileName, const std::function<void(TStream&)>& write) {
    const std::string folder = FolderOf(fileName);
    std::string temp;
    try {
        temp = MakeTempFileName(folder);
    } catch (const EFCreateError&) {
        throw EFCreateError("Cannot create file " + fileName);
    }
    try {
        {
            TFileStream file(temp, TFileStream::Mode::Create);
            LimitSaveWrites(write)(file);
            file.Flush();
        }
        ReachSaveStep("replace:temp-written");
        RenameFile(temp, fileName);
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    // The rename is done: from here on the new file is the file, and a failure
    // only means the folder entry may not have reached the disk yet.
    ReachSaveStep("replace:renamed");
    SyncFolder(folder);
}

} // namespace tavik
