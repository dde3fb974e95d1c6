#include "storage/CatalogLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavik {

TCatalogLock::TCatalogLock(const std::string& folder) {
    FHandle = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (FHandle < 0) {
        FReason = folder + ": " + std::strerror(errno);
        return;
    }
    int result;
    do
        result = ::flock(FHandle, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0) {
        FState = State::Held;
        return;
    }
    FState = errno == EWOULDBLOCK ? State::HeldElsewhere : State::Unsupported;
    if (FState == State::Unsupported)
        FReason = folder + ": " + std::strerror(errno);
    ::close(FHandle);
    FHandle = -1;
}

TCatalogLock::TCatalogLock(TCatalogLock&& other) noexcept
    : FHandle(other.FHandle), FState(other.FState), FReason(std::move(other.FReason)) {
    other.FHandle = -1;
    other.FState = State::Unsupported;
}

TCatalogLock::~TCatalogLock() {
    // Closing the only descriptor of the open folder releases the lock.
    if (FHandle >= 0)
        ::close(FHandle);
}

} // namespace tavik
