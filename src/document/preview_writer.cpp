#include "document/preview_writer.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tintor {

CPreviewWriter::CPreviewWriter(Done done) : m_done(std::move(done)), m_thread([this] { Run(); }) {}

CPreviewWriter::~CPreviewWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
        m_waiting.reset();
    }
    m_wake.notify_all();
    m_thread.join();
}

std::uint64_t CPreviewWriter::Write(CMovieImage image, std::filesystem::path path)
{
    std::uint64_t number = 0;
    {
        const std::lock_guard lock(m_mutex);
        number = ++m_lastJob;
        m_waiting = Job{number, std::move(image), std::move(path)};
    }
    m_wake.notify_all();
    return number;
}

void CPreviewWriter::Flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_waiting && !m_busy; });
}

void CPreviewWriter::Run()
{
    // Named, so that a look at the process tells what the thread is; and
    // behind the window's own thread when the two want the same core.
    ::pthread_setname_np(::pthread_self(), "tintor-preview");
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || m_waiting; });
        if (m_stop)
            break;
        Job job = std::move(*m_waiting);
        m_waiting.reset();
        m_busy = true;
        lock.unlock();
        Result result{job.number, job.path, false, {}};
        result.ok = CSwfFile::SaveImageToPath(job.image, job.path, &result.error);
        // The image goes before anyone hears of the write.
        job.image = CMovieImage{};
        m_done(result);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_busy = false;
    m_idle.notify_all();
}

} // namespace tintor
