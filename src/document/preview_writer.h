#pragma once

#include "core/latest_worker.h"
#include "swf/swf_file.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <system_error>

namespace tintor {

// Writes preview files on a thread of its own, so that compressing a movie
// of millions of colours never holds up the window. One write at a time;
// of the writes asked for meanwhile only the newest waits, as nobody wants
// to see the ones before it.
class CPreviewWriter {
public:
    struct Result {
        // The number Write gave.
        std::uint64_t job = 0;
        std::filesystem::path path;
        bool ok = false;
        std::error_code error;
    };
    using Done = std::function<void(const Result&)>;

    // done runs on the writer's thread after every write that was made.
    explicit CPreviewWriter(Done done);
    // Finishes the write under way; one still waiting is dropped.
    ~CPreviewWriter();
    CPreviewWriter(const CPreviewWriter&) = delete;
    CPreviewWriter& operator=(const CPreviewWriter&) = delete;

    // Queues the image for path, in place of a write still waiting; the
    // write's number. Called from one thread only.
    std::uint64_t Write(CMovieImage image, std::filesystem::path path);
    // Returns once nothing waits or is being written.
    void Flush();

private:
    Done m_done;
    std::uint64_t m_lastJob = 0;
    // Last, so that it goes first: the write under way ends before the rest.
    CLatestWorker m_worker{"tintor-preview"};
};

} // namespace tintor
