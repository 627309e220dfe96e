#include "cli/movie_log.h"

#include <cstdlib>

namespace tintor::cli {

namespace {

thread_local CMovieLog* t_log = nullptr;

} // namespace

CMovieLog::CMovieLog() : m_stream(::open_memstream(&m_buffer, &m_size)), m_outer(t_log) { t_log = this; }

CMovieLog::~CMovieLog()
{
    t_log = m_outer;
    if (m_stream != nullptr)
        std::fclose(m_stream);
    std::free(m_buffer);
}

std::string_view CMovieLog::Text()
{
    if (m_stream == nullptr || std::fflush(m_stream) != 0)
        return {};
    return {m_buffer, m_size};
}

std::string_view CMovieLog::LastLine()
{
    std::string_view text = Text();
    while (!text.empty() && text.back() == '\n')
        text.remove_suffix(1);
    const std::size_t start = text.rfind('\n');
    return start == std::string_view::npos ? text : text.substr(start + 1);
}

std::FILE* CMovieLog::Stream()
{
    // Without memory for a log of its own, a movie speaks straight to stderr.
    return t_log != nullptr && t_log->m_stream != nullptr ? t_log->m_stream : stderr;
}

void CMovieLogSink::Show(std::string_view text)
{
    std::fprintf(MovieStderr(), "%.*s\n", static_cast<int>(text.size()), text.data());
}

} // namespace tintor::cli
