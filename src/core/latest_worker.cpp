#include "core/latest_worker.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tintor {

CLatestWorker::CLatestWorker(std::string name) : m_name(std::move(name)), m_thread([this] { Run(); }) {}

CLatestWorker::~CLatestWorker()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

void CLatestWorker::Post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = std::move(task);
    }
    m_wake.notify_all();
}

void CLatestWorker::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_waiting && !m_busy; });
}

void CLatestWorker::Run()
{
    // The kernel keeps at most 15 characters of a thread's name.
    ::pthread_setname_np(::pthread_self(), m_name.substr(0, 15).c_str());
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_waiting; });
        if (m_stop)
            break;
        std::function<void()> task = std::move(*m_waiting);
        m_waiting.reset();
        m_busy = true;
        lock.unlock();
        task();
        // What the task holds goes before anyone waiting hears it is done.
        task = nullptr;
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_busy = false;
    m_idle.notify_all();
}

} // namespace tintor
