#include "testkit/memory_files.h"

#include <algorithm>

namespace tintor {

std::size_t CMemoryInputFile::Read(std::span<std::uint8_t> dest)
{
    const std::size_t n = std::min(dest.size(), m_bytes.size() - m_pos);
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), n, dest.begin());
    m_pos += n;
    return n;
}

bool CMemoryOutputFile::Write(std::span<const std::uint8_t> bytes)
{
    ++m_writes;
    if (bytes.size() > m_failAfter - std::min(m_failAfter, m_bytes.size())) {
        const std::size_t room = m_failAfter - std::min(m_failAfter, m_bytes.size());
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(room));
        return false;
    }
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return true;
}

} // namespace tintor
