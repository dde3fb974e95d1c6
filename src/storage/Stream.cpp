#include "storage/Stream.h"

#include "storage/Exceptions.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavik {

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) {
        const std::string reason = WriteFailure();
        throw EWriteError(reason.empty() ? "Stream write error" : "Stream write error: " + reason);
    }
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    const auto size = static_cast<std::int64_t>(FBytes.size());
    if (FPosition >= size)
        return 0;
    const auto n = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(count), size - FPosition));
    std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0)
        return 0;
    const auto end = static_cast<std::size_t>(FPosition) + count;
    if (end > FBytes.size())
        FBytes.resize(end);
    std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition = static_cast<std::int64_t>(end);
    return count;
}

void TMemoryStream::Seek(std::int64_t position) {
    FPosition = position < 0 ? 0 : position;
}

std::vector<std::uint8_t> TMemoryStream::TakeBytes() {
    FPosition = 0;
    return std::move(FBytes);
}

TReadAheadStream::TReadAheadStream(TStream& source)
    : FSource(source), FWindow(kWindowSize), FPosition(source.Position()), FSize(source.Size()) {}

std::size_t TReadAheadStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t inWindow = FPosition - FWindowStart;
        if (inWindow >= 0 && inWindow < static_cast<std::int64_t>(FWindowCount)) {
            const std::size_t n =
                std::min(count - done, FWindowCount - static_cast<std::size_t>(inWindow));
            std::memcpy(out + done, FWindow.data() + inWindow, n);
            done += n;
            FPosition += static_cast<std::int64_t>(n);
            continue;
        }
        FSource.Seek(FPosition);
        if (count - done >= FWindow.size()) {
            // A piece as large as the window goes straight to the caller.
            const std::size_t n = FSource.Read(out + done, count - done);
            done += n;
            FPosition += static_cast<std::int64_t>(n);
            break;
        }
        FWindowStart = FPosition;
        FWindowCount = FSource.Read(FWindow.data(), FWindow.size());
        if (FWindowCount == 0)
            break;
    }
    return done;
}

void TReadAheadStream::Seek(std::int64_t position) {
    if (position < 0)
        throw EReadError("Stream read error");
    FPosition = position;
}

TFileStream::TFileStream(const std::string& fileName, Mode mode) : FFileName(fileName) {
    int flags = O_RDONLY;
    if (mode == Mode::ReadWrite)
        flags = O_RDWR;
    else if (mode == Mode::Create)
        flags = O_RDWR | O_CREAT | O_TRUNC;
    do {
        FHandle = ::open(fileName.c_str(), flags | O_CLOEXEC, 0644);
    } while (FHandle < 0 && errno == EINTR);
    if (FHandle < 0) {
        if (mode == Mode::Create)
            throw EFCreateError("Cannot create file " + fileName);
        throw EFOpenError("Cannot open file " + fileName);
    }
    // A folder opens read-only on Linux; it is no file to read records from.
    struct stat st {};
    if (::fstat(FHandle, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(FHandle);
        FHandle = -1;
        throw EFOpenError("Cannot open file " + fileName);
    }
}

TFileStream::~TFileStream() {
    if (FHandle >= 0)
        ::close(FHandle);
}

namespace {

// Calls transfer(offset, left) until count bytes have moved: a call may move
// fewer than asked, and a signal may interrupt it before any move. Stops at the
// end of the file or on an error; gives the bytes moved.
template <class Transfer> std::size_t TransferAll(std::size_t count, Transfer transfer) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = transfer(done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

} // namespace

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    return TransferAll(count, [&](std::size_t offset, std::size_t left) {
        return ::read(FHandle, out + offset, left);
    });
}

std::size_t TFileStream::ReadAt(std::int64_t position, void* buffer, std::size_t count) const {
    auto* out = static_cast<char*>(buffer);
    return TransferAll(count, [&](std::size_t offset, std::size_t left) {
        return ::pread(FHandle, out + offset, left, static_cast<off_t>(position + offset));
    });
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    FWriteError = 0;
    return TransferAll(count, [&](std::size_t offset, std::size_t left) {
        const ssize_t n = ::write(FHandle, in + offset, left);
        if (n < 0 && errno != EINTR)
            FWriteError = errno;
        return n;
    });
}

std::string TFileStream::WriteFailure() const {
    return FWriteError == 0 ? std::string() : std::strerror(FWriteError);
}

void TFileStream::Seek(std::int64_t position) {
    if (::lseek(FHandle, position, SEEK_SET) < 0)
        throw EReadError("Stream read error");
}

std::int64_t TFileStream::Position() const {
    return ::lseek(FHandle, 0, SEEK_CUR);
}

std::int64_t TFileStream::Size() const {
    struct stat st {};
    if (::fstat(FHandle, &st) != 0)
        return 0;
    return st.st_size;
}

void TFileStream::Flush() {
    if (::fsync(FHandle) != 0)
        throw EWriteError(std::string("Stream write error: ") + std::strerror(errno));
}

bool TFileStream::Truncate(std::int64_t size) {
    return ::ftruncate(FHandle, size) == 0;
}

std::size_t TPositionedReader::Read(void* buffer, std::size_t count) {
    if (FPosition >= FSize)
        return 0;
    const auto n = FFile.ReadAt(FPosition, buffer,
                                std::min(count, static_cast<std::size_t>(FSize - FPosition)));
    FPosition += static_cast<std::int64_t>(n);
    return n;
}

void TPositionedReader::Seek(std::int64_t position) {
    if (position < 0)
        throw EReadError("Stream read error");
    FPosition = position;
}

} // namespace tavik
