#include "swf/body_output.h"

#include <algorithm>

namespace tintor {

namespace {

// Pieces grow with what has arrived up to this size; it bounds what the
// move into the movie's buffer costs beyond the body itself.
constexpr std::size_t kLargestPiece = std::size_t{16} << 20;

} // namespace

CBodyOutput::CBodyOutput(ByteBuffer& movie, std::size_t headerSize, std::size_t bodySize, std::size_t firstGuess)
    : m_movie(movie), m_headerSize(headerSize), m_bodySize(bodySize), m_firstGuess(std::max<std::size_t>(firstGuess, 1))
{
    m_movie.resize(m_headerSize);
    if (m_firstGuess >= m_bodySize)
        MakeWhole(m_bodySize);
}

std::span<std::uint8_t> CBodyOutput::Room()
{
    if (m_size == m_bodySize)
        return {};
    if (m_whole)
        return std::span(m_movie).subspan(m_headerSize + m_size);
    if (!m_pieces.empty() && m_lastFilled < m_pieces.back().size())
        return std::span(m_pieces.back()).subspan(m_lastFilled);
    // Half the stated body has arrived: the rest is trusted as far as the
    // doubling of a single buffer would have trusted it.
    if (m_size >= m_bodySize - m_size) {
        MakeWhole(m_bodySize);
        return std::span(m_movie).subspan(m_headerSize + m_size);
    }
    const std::size_t next = std::min({std::max(m_size, m_firstGuess), kLargestPiece, m_bodySize - m_size});
    m_pieces.emplace_back(next);
    m_lastFilled = 0;
    return m_pieces.back();
}

void CBodyOutput::Filled(std::size_t n)
{
    m_size += n;
    if (!m_whole)
        m_lastFilled += n;
}

void CBodyOutput::Finish()
{
    if (m_whole)
        m_movie.resize(m_headerSize + m_size);
    else
        MakeWhole(m_size);
}

void CBodyOutput::MakeWhole(std::size_t length)
{
    // Exactly the length: growing by resize alone could make room for
    // twice what is asked.
    m_movie.reserve(m_headerSize + length);
    m_movie.resize(m_headerSize + length);
    std::size_t at = m_headerSize;
    for (std::size_t i = 0; i < m_pieces.size(); ++i) {
        const std::size_t filled = i + 1 == m_pieces.size() ? m_lastFilled : m_pieces[i].size();
        std::copy_n(m_pieces[i].begin(), filled, m_movie.begin() + static_cast<std::ptrdiff_t>(at));
        at += filled;
        ByteBuffer().swap(m_pieces[i]);
    }
    m_pieces.clear();
    m_whole = true;
}

void ReadInto(IInputFile& file, CBodyOutput& out)
{
    for (std::span<std::uint8_t> room; !(room = out.Room()).empty();) {
        const std::size_t n = file.Read(room);
        out.Filled(n);
        if (n < room.size())
            break;
    }
    out.Finish();
}

} // namespace tintor
