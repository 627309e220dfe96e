#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace tintor {

// Runs tasks on a thread of its own, one at a time, behind the thread that
// gives them when the two want the same core. Of the tasks given while one
// runs only the newest waits: nobody wants the results of the ones before.
class CLatestWorker {
public:
    // name: what the thread is called, for a look at the process.
    explicit CLatestWorker(std::string name);
    // Finishes the task under way; one still waiting is dropped.
    ~CLatestWorker();
    CLatestWorker(const CLatestWorker&) = delete;
    CLatestWorker& operator=(const CLatestWorker&) = delete;

    // Queues the task in place of one still waiting.
    void Post(std::function<void()> task);
    // Returns once nothing waits or runs.
    void Flush();

private:
    void Run();

    std::string m_name;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<std::function<void()>> m_waiting;
    bool m_busy = false;
    bool m_stop = false;
    // Last, so that it starts when everything it uses is there.
    std::thread m_thread;
};

} // namespace tintor
