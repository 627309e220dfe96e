#include "colour/history.h"

#include <algorithm>

namespace tintor {

// --- CTableChange ---------------------------------------------------------

CTableChange CTableChange::Between(const CColorTable& from, const CColorTable& to)
{
    CTableChange change;
    change.m_before = from.GetParameters();
    change.m_after = to.GetParameters();
    if (!from.Map().SameLayout(to.Map())) {
        auto before = std::make_shared<CColorTable>();
        before->AssignExact(from);
        auto after = std::make_shared<CColorTable>();
        after->AssignExact(to);
        change.m_wholeBefore = std::move(before);
        change.m_wholeAfter = std::move(after);
        return change;
    }
    const auto a = from.Map().DenseValues();
    const auto b = to.Map().DenseValues();
    // Counted first: a step of millions of entries is stored without slack.
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        count += a[i] != b[i];
    change.m_flips.reserve(count);
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            change.m_flips.push_back(Flip{static_cast<std::uint32_t>(i), a[i] ^ b[i]});
    return change;
}

CTableChange CTableChange::Merged(const CTableChange& change, const CColorTable& x, const CColorTable& y,
    const CColorTable::Parameters& before, const CColorTable::Parameters& after)
{
    CTableChange merged;
    merged.m_before = before;
    merged.m_after = after;
    // An entry flipped back is no change at all. Counted first, so that
    // millions of entries are stored once and without slack, and without a
    // list of the differences between x and y beside them.
    const auto a = x.Map().DenseValues();
    const auto b = y.Map().DenseValues();
    const auto merge = [&](const auto& emit) {
        auto flip = change.m_flips.begin();
        for (std::size_t i = 0; i < a.size(); ++i) {
            std::uint32_t bits = a[i] ^ b[i];
            if (flip != change.m_flips.end() && flip->index == i)
                bits ^= (flip++)->bits;
            if (bits != 0)
                emit(Flip{static_cast<std::uint32_t>(i), bits});
        }
    };
    std::size_t count = 0;
    merge([&](const Flip&) { ++count; });
    merged.m_flips.reserve(count);
    merge([&](const Flip& flip) { merged.m_flips.push_back(flip); });
    return merged;
}

bool CTableChange::Changes() const { return Whole() || !m_flips.empty() || !(m_before == m_after); }

std::size_t CTableChange::StoredEntries() const
{
    if (Whole())
        return m_wholeBefore->Map().Size() + m_wholeAfter->Map().Size();
    return m_flips.size();
}

void CTableChange::Redo(CColorTable& table) const { Move(table, m_wholeAfter.get(), m_after); }

void CTableChange::Undo(CColorTable& table) const { Move(table, m_wholeBefore.get(), m_before); }

void CTableChange::Move(CColorTable& table, const CColorTable* whole, const CColorTable::Parameters& parameters) const
{
    if (whole != nullptr) {
        table.AssignExact(*whole);
        return;
    }
    // Flipping the same bits goes either way.
    const auto values = table.Map().DenseValues();
    for (const Flip& flip : m_flips)
        values[flip.index] ^= flip.bits;
    table.SetParameters(parameters);
}

// --- CHistory ---------------------------------------------------------------

// A ring of no slots has nowhere to put a state; one slot still keeps the
// state on display and offers no undo.
CHistory::CHistory(int capacity)
    : m_steps(static_cast<std::size_t>(std::max(capacity, 1))), m_capacity(std::max(capacity, 1))
{
    SlotOf(0).id = ++m_lastId;
}

void CHistory::Reset()
{
    for (Step& step : m_steps)
        step = Step{};
    m_oldest = 0;
    m_shown = -1;
    m_newest = -1;
}

void CHistory::Push(const CColorTable& table, std::shared_ptr<const CHistoryAttachment> attachment)
{
    if (m_newest < 0) {
        m_current.AssignExact(table);
        m_oldest = m_shown = m_newest = 0;
        SlotOf(0) = Step{CTableChange{}, ++m_lastId, std::move(attachment)};
        return;
    }
    for (int state = m_shown + 1; state <= m_newest; ++state)
        SlotOf(state) = Step{};
    m_newest = m_shown;
    // The oldest state goes before the new step is made, so that a full
    // history never holds one step more than it keeps. Nothing leads to the
    // oldest state any more; its name stays.
    if (m_shown + 1 - m_oldest >= m_capacity) {
        m_oldest = m_shown + 2 - m_capacity;
        SlotOf(m_oldest).table = CTableChange{};
    }
    CTableChange change = CTableChange::Between(m_current, table);
    change.Redo(m_current);
    ++m_shown;
    m_newest = m_shown;
    SlotOf(m_shown) = Step{std::move(change), ++m_lastId, std::move(attachment)};
}

void CHistory::Amend(const CColorTable& table, std::shared_ptr<const CHistoryAttachment> attachment)
{
    if (m_newest < 0) {
        Push(table, std::move(attachment));
        return;
    }
    SlotOf(m_shown).attachment = std::move(attachment);
    const bool sameKeys = m_current.Map().SameLayout(table.Map());
    if (sameKeys && m_current.GetParameters() == table.GetParameters()
        && std::ranges::equal(m_current.Map().DenseValues(), table.Map().DenseValues()))
        return;
    const CColorTable::Parameters parameters = table.GetParameters();
    if (m_shown > m_oldest) {
        CTableChange& led = SlotOf(m_shown).table;
        if (sameKeys && !led.Whole())
            led = CTableChange::Merged(led, m_current, table, led.Before(), parameters);
        else {
            CColorTable before;
            before.AssignExact(m_current);
            led.Undo(before);
            led = CTableChange::Between(before, table);
        }
    }
    if (m_shown < m_newest) {
        CTableChange& next = SlotOf(m_shown + 1).table;
        if (sameKeys && !next.Whole())
            next = CTableChange::Merged(next, m_current, table, parameters, next.After());
        else {
            CColorTable after;
            after.AssignExact(m_current);
            next.Redo(after);
            next = CTableChange::Between(table, after);
        }
    }
    m_current.AssignExact(table);
}

void CHistory::Undo(CColorTable& table)
{
    if (m_newest < 0 || m_shown <= m_oldest)
        return;
    SlotOf(m_shown).table.Undo(m_current);
    --m_shown;
    table.AssignExact(m_current);
}

void CHistory::Redo(CColorTable& table)
{
    if (m_shown >= m_newest)
        return;
    ++m_shown;
    SlotOf(m_shown).table.Redo(m_current);
    table.AssignExact(m_current);
}

int CHistory::GetUndoCount() const { return m_newest < 0 ? 0 : m_shown - m_oldest; }

int CHistory::GetRedoCount() const { return m_newest < 0 ? 0 : m_newest - m_shown; }

const std::shared_ptr<const CHistoryAttachment>& CHistory::CurrentAttachment() const
{
    static const std::shared_ptr<const CHistoryAttachment> none;
    return m_newest < 0 ? none : SlotOf(m_shown).attachment;
}

std::uint64_t CHistory::CurrentId() const { return m_newest < 0 ? 0 : SlotOf(m_shown).id; }

std::size_t CHistory::StoredEntries() const
{
    std::size_t entries = 0;
    for (int state = m_oldest + 1; state <= m_newest; ++state)
        entries += SlotOf(state).table.StoredEntries();
    return entries;
}

} // namespace tintor
