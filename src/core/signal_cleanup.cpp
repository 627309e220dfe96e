#include "core/signal_cleanup.h"

#include <algorithm>
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
// holds at once (a preview folder, its file and two files being written by
// each job of a batch).
constexpr int kSlots = 256;

enum SlotState : int { kFree, kFilling, kListed };

struct Slot {
    std::atomic<int> state{kFree};
    bool folder = false;
    char path[PATH_MAX] = {};
};

Slot g_slots[kSlots];

// Held for reading by every thread between making a file and listing it, or
// between naming a file and renaming it; held for writing, for good, by the
// watcher once a signal came. Statically initialised and never destroyed, so
// that it outlives everything a late signal could meet. A waiting writer goes
// before new readers: jobs that keep taking holds must not starve the
// watcher (holds never nest on the lock itself, see t_holdDepth).
pthread_rwlock_t g_holds = PTHREAD_RWLOCK_WRITER_NONRECURSIVE_INITIALIZER_NP;
// How many holds this thread is inside, so that a hold within a hold does not
// take the lock twice.
thread_local int t_holdDepth = 0;

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

// Ends the process by the signal, with the usual status, as if nobody had
// caught it.
[[noreturn]] void EndBy(int signal)
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::raise(signal);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::_exit(128 + signal);
}

// The watcher: every other thread keeps the signals blocked, so they all come
// here, to a thread that can wait. It waits until no thread is inside a hold
// (and keeps any from entering one), so that no file is half made or half
// renamed while it removes the listed ones.
extern "C" void* WatchSignals(void* waited)
{
    const sigset_t set = *static_cast<const sigset_t*>(waited);
    int signal = 0;
    while (::sigwait(&set, &signal) != 0) {}
    ::pthread_rwlock_wrlock(&g_holds);
    RemoveListed(false);
    RemoveListed(true);
    EndBy(signal);
}

// Where no watcher can be started: the handler runs in whichever thread the
// signal finds, which is safe while only one thread makes files.
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

void InstallHandler(const sigset_t& handled)
{
    for (const int signal : kSignals) {
        if (sigismember(&handled, signal) != 1)
            continue;
        struct sigaction action {};
        action.sa_handler = OnTerminatingSignal;
        action.sa_mask = handled;
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace

void InstallSignalCleanup()
{
    // The set must outlive this call: the watcher reads it when it starts.
    static sigset_t handled;
    sigemptyset(&handled);
    for (const int signal : kSignals) {
        struct sigaction previous {};
        // A signal the caller chose to ignore (nohup, a background job) stays ignored.
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;
        sigaddset(&handled, signal);
    }
    // Blocked here, before any other thread exists, so that every thread
    // started later has them blocked too and only the watcher receives them.
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &handled, &previous);
    pthread_attr_t attributes;
    pthread_t watcher;
    bool started = false;
    if (::pthread_attr_init(&attributes) == 0) {
        // It needs next to no stack; a small one keeps the address space a
        // memory limit counts small too.
        ::pthread_attr_setstacksize(
            &attributes, std::max(static_cast<std::size_t>(PTHREAD_STACK_MIN), std::size_t{256} << 10));
        ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
        started = ::pthread_create(&watcher, &attributes, WatchSignals, &handled) == 0;
        ::pthread_attr_destroy(&attributes);
    }
    if (!started) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        InstallHandler(handled);
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
    if (t_holdDepth++ == 0)
        ::pthread_rwlock_rdlock(&g_holds);
}

CSignalHold::~CSignalHold()
{
    if (--t_holdDepth == 0)
        ::pthread_rwlock_unlock(&g_holds);
    ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
}

} // namespace tintor
