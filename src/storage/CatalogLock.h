#pragma once

#include <string>

namespace tavik {

// The advisory lock of a data folder's catalogue: while one program holds it
// (Tavik for its whole run, a writing tavikctl command for its run), no other
// may change "tavik.lst" or "tavik.dat", nor mend an interrupted compaction.
// Reading programs take no lock and never rename or delete anything.
//
// The lock is flock(2) on a descriptor of the folder itself: no lock file is
// left behind, and the lock goes with the process however the process ends.
// The descriptor is closed on exec, so started helper programs never keep it.
// Two TCatalogLock objects of one process exclude each other as two processes
// do.
class TCatalogLock {
public:
    enum class State {
        Held,          // this object holds the lock
        HeldElsewhere, // another program (or object) holds it
        Unsupported,   // the folder cannot be opened or the file system has no
                       // locks; nothing is held (see Reason)
    };

    // Tries once to take the lock of folder (ending in "/"), without waiting.
    explicit TCatalogLock(const std::string& folder);
    // Gives the lock back.
    ~TCatalogLock();
    TCatalogLock(TCatalogLock&& other) noexcept;
    TCatalogLock& operator=(TCatalogLock&&) = delete;
    TCatalogLock(const TCatalogLock&) = delete;
    TCatalogLock& operator=(const TCatalogLock&) = delete;

    State LockState() const { return FState; }
    bool Held() const { return FState == State::Held; }
    // The system's words for an Unsupported lock; empty otherwise.
    const std::string& Reason() const { return FReason; }

private:
    int FHandle = -1;
    State FState = State::Unsupported;
    std::string FReason;
};

} // namespace tavik
