#pragma once

#include "core/messages.h"

#include <cstddef>
#include <cstdio>
#include <string_view>

namespace tintor::cli {

// What is said about one movie while it is recoloured (its warnings, why it
// failed), kept aside so that it comes out whole, beside the movie's
// progress line, however many movies are recoloured at once. While it lives
// it is the log of the thread that made it.
class CMovieLog {
public:
    CMovieLog();
    ~CMovieLog();
    CMovieLog(const CMovieLog&) = delete;
    CMovieLog& operator=(const CMovieLog&) = delete;

    // Everything said so far.
    std::string_view Text();
    // The last line said, without its line break; empty when nothing was.
    std::string_view LastLine();

    // Where this thread prints what it says about its movie: the log while
    // one is kept, else stderr.
    static std::FILE* Stream();

private:
    std::FILE* m_stream = nullptr;
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    CMovieLog* m_outer;
};

// Where to print a message about the movie being recoloured: the thread's
// movie log, else stderr. Each message is one or more whole lines.
inline std::FILE* MovieStderr() { return CMovieLog::Stream(); }

// The core's messages about a movie, one line each, into its log.
class CMovieLogSink final : public IMessageSink {
public:
    void Show(std::string_view text) override;
};

} // namespace tintor::cli
