#include "colour/history.h"

#include <algorithm>

namespace tintor {

// A ring of no slots has nowhere to put a state; one slot still keeps the
// state on display and offers no undo.
CHistory::CHistory(int capacity)
    : m_states(static_cast<std::size_t>(std::max(capacity, 1))), m_capacity(std::max(capacity, 1))
{
}

void CHistory::Reset()
{
    m_newest = -1;
    m_current = 0;
    m_oldest = 0;
}

void CHistory::Push(const CColorTable& table)
{
    if (m_newest >= m_current)
        ++m_current;
    m_states[static_cast<std::size_t>(m_current % m_capacity)] = table;
    m_newest = m_current;
    if (m_current - m_oldest >= m_capacity)
        m_oldest = m_current - m_capacity + 1;
    ++m_current;
}

void CHistory::Undo(CColorTable& table)
{
    if (m_newest < m_current)
        m_current = m_newest;
    if (m_oldest >= m_current)
        return;
    --m_current;
    table = m_states[static_cast<std::size_t>(m_current % m_capacity)];
}

void CHistory::Redo(CColorTable& table)
{
    if (m_current >= m_newest)
        return;
    ++m_current;
    table = m_states[static_cast<std::size_t>(m_current % m_capacity)];
}

int CHistory::GetUndoCount() const { return std::max(std::min(m_newest, m_current) - m_oldest, 0); }

int CHistory::GetRedoCount() const { return std::max(m_newest - m_current, 0); }

} // namespace tintor
