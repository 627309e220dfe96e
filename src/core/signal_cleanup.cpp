#include "core/signal_cleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace tintor {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A signal handler can only reach what is at a fixed place: the list is the
// one piece of process-wide state, with room for far more paths than one run
// holds at once (a preview folder, its file and two files being written).
constexpr int kSlots = 32;

enum SlotState : int { kFree, kFilling, kListed };

struct Slot {
    std::atomic<int> state{kFree};
    bool folder = false;
    char path[PATH_MAX] = {};
};

Slot g_slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the states");

void RemoveListed(bool folders)
{
    for (Slot& slot : g_slots)
        if (slot.state.load(std::memory_order_acquire) == kListed && slot.folder == folders) {
            if (folders)
                ::rmdir(slot.path);
            else
                ::unlink(slot.path);
        }
}

extern "C" void OnTerminatingSignal(int signal)
{
    const int savedErrno = errno;
    RemoveListed(false);
    RemoveListed(true);
    errno = savedErrno;
    // The handler was installed to reset itself: once this returns, the
    // signal raised here ends the process with the usual status.
    ::raise(signal);
}

} // namespace

void InstallSignalCleanup()
{
    for (const int signal : kSignals) {
        struct sigaction previous {};
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnTerminatingSignal;
        sigemptyset(&action.sa_mask);
        for (const int other : kSignals)
            sigaddset(&action.sa_mask, other);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

CSignalCleanupEntry::CSignalCleanupEntry(const std::filesystem::path& path, Kind kind)
{
    const std::string& text = path.native();
    if (text.size() >= PATH_MAX)
        return;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling, std::memory_order_acq_rel))
            continue;
        std::memcpy(g_slots[i].path, text.c_str(), text.size() + 1);
        g_slots[i].folder = kind == Kind::Folder;
        g_slots[i].state.store(kListed, std::memory_order_release);
        m_slot = i;
        return;
    }
}

CSignalCleanupEntry::~CSignalCleanupEntry()
{
    if (m_slot >= 0)
        g_slots[m_slot].state.store(kFree, std::memory_order_release);
}

CSignalCleanupEntry::CSignalCleanupEntry(CSignalCleanupEntry&& other) noexcept : m_slot(other.m_slot)
{
    other.m_slot = -1;
}

CSignalCleanupEntry& CSignalCleanupEntry::operator=(CSignalCleanupEntry&& other) noexcept
{
    if (this != &other) {
        if (m_slot >= 0)
            g_slots[m_slot].state.store(kFree, std::memory_order_release);
        m_slot = other.m_slot;
        other.m_slot = -1;
    }
    return *this;
}

CSignalHold::CSignalHold()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : kSignals)
        sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &m_previous);
}

CSignalHold::~CSignalHold() { ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }

} // namespace tintor
