#pragma once

#include <csignal>
#include <filesystem>

namespace tintor {

// What the process has made and must not leave behind when SIGINT, SIGTERM
// or SIGHUP ends it: temporary files it is writing and its private preview
// folder. Paths are listed while they exist; the handler removes the listed
// files, then the listed folders, and lets the signal end the process as it
// would have. Only the command line installs the handler: the window clears
// stale folders of its own at its next start instead.
//
// The signals are blocked in every thread and received by a thread of their
// own, started here, before any other thread: it waits for every thread's
// CSignalHold to end before it removes anything, however many threads make
// files. Call it first in main, while the process has one thread.
void InstallSignalCleanup();

// Lists one path for as long as it lives.
class CSignalCleanupEntry {
public:
    enum class Kind { File, Folder };

    CSignalCleanupEntry() = default;
    // When every place is taken the path is simply not listed.
    CSignalCleanupEntry(const std::filesystem::path& path, Kind kind);
    ~CSignalCleanupEntry();
    CSignalCleanupEntry(CSignalCleanupEntry&& other) noexcept;
    CSignalCleanupEntry& operator=(CSignalCleanupEntry&& other) noexcept;
    CSignalCleanupEntry(const CSignalCleanupEntry&) = delete;
    CSignalCleanupEntry& operator=(const CSignalCleanupEntry&) = delete;

private:
    int m_slot = -1;
};

// Holds the handled signals off while it lives, whichever thread they reach,
// so that none falls between making a file and listing it, or between naming
// a file and renaming it. Holds may nest.
class CSignalHold {
public:
    CSignalHold();
    ~CSignalHold();
    CSignalHold(const CSignalHold&) = delete;
    CSignalHold& operator=(const CSignalHold&) = delete;

private:
    sigset_t m_previous;
};

} // namespace tintor
