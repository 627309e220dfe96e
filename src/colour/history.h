#pragma once

#include "colour/colour_table.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tintor {

// What one step changed in the colour table: each entry it changed as the
// bits that flipped, so that one record takes the table both ways, and the
// parameters before and after. Between tables of different keys (never two
// states of one movie) it holds both tables whole.
class CTableChange {
public:
    // The change that makes `from` into `to`.
    static CTableChange Between(const CColorTable& from, const CColorTable& to);
    // The change with the entries that differ between x and y (tables of
    // the same keys) flipped as well, from the parameters before to after:
    // a step that led to x then leads to y, and one that started from x
    // starts from y. Not for a change that holds whole tables.
    static CTableChange Merged(const CTableChange& change, const CColorTable& x, const CColorTable& y,
        const CColorTable::Parameters& before, const CColorTable::Parameters& after);

    // Whether anything differs at all.
    bool Changes() const;
    bool Whole() const { return m_wholeBefore != nullptr; }
    const CColorTable::Parameters& Before() const { return m_before; }
    const CColorTable::Parameters& After() const { return m_after; }
    // The entries stored: what the change costs.
    std::size_t StoredEntries() const;
    // The table, as it was before (after) the change, becomes as after (before).
    void Redo(CColorTable& table) const;
    void Undo(CColorTable& table) const;

private:
    // The table to the whole one when there is one, else through the flips
    // and to the parameters.
    void Move(CColorTable& table, const CColorTable* whole, const CColorTable::Parameters& parameters) const;

    struct Flip {
        std::uint32_t index;
        std::uint32_t bits;
    };
    std::vector<Flip> m_flips;
    CColorTable::Parameters m_before;
    CColorTable::Parameters m_after;
    std::shared_ptr<const CColorTable> m_wholeBefore;
    std::shared_ptr<const CColorTable> m_wholeAfter;
};

// What a state of the history holds beside its colour table (the movie's
// images, for one), made by its owner and never changed once made. States
// that hold the same share one: a step that leaves it alone costs a pointer.
class CHistoryAttachment {
public:
    virtual ~CHistoryAttachment() = default;
};

// The last states of the colour table, for undo and redo. The state on
// display is kept whole; the others are reached through the steps between
// neighbouring states, and a step keeps only what it changed.
class CHistory {
public:
    // At most capacity states are kept (at least one). A history that was
    // never reset holds one state: an empty table, its parameters 0.
    explicit CHistory(int capacity);

    // Forgets every state.
    void Reset();
    // The table, with what goes with it, becomes a new state, one after the
    // state on display; the states that could have been redone are gone,
    // and the oldest goes when there are more than capacity.
    void Push(const CColorTable& table, std::shared_ptr<const CHistoryAttachment> attachment = nullptr);
    // The table, with what goes with it, takes the place of the state on
    // display without a step of its own: the step that led to it now leads
    // to the table, and the step after it (while it can be redone) starts
    // from the table.
    void Amend(const CColorTable& table, std::shared_ptr<const CHistoryAttachment> attachment = nullptr);
    // The state before (after) the one on display into the table; nothing
    // at the ends.
    void Undo(CColorTable& table);
    void Redo(CColorTable& table);
    int GetUndoCount() const;
    int GetRedoCount() const;

    // The state on display, and what goes with it (null when nothing does).
    const CColorTable& Current() const { return m_current; }
    const std::shared_ptr<const CHistoryAttachment>& CurrentAttachment() const;
    // A name of the state on display, never given to another state of this
    // history: Amend keeps it; Push, Undo and Redo show another.
    std::uint64_t CurrentId() const;
    // Table entries that the steps held keep, over all of them.
    std::size_t StoredEntries() const;

private:
    // One step: what leads from the state before to this one. Other kinds
    // of state that undo and redo take back and forth join it here.
    struct Step {
        CTableChange table;
        // The name of the state the step leads to, and what goes with it.
        std::uint64_t id = 0;
        std::shared_ptr<const CHistoryAttachment> attachment;
    };

    Step& SlotOf(int state) { return m_steps[static_cast<std::size_t>(state % m_capacity)]; }
    const Step& SlotOf(int state) const { return m_steps[static_cast<std::size_t>(state % m_capacity)]; }

    // Slot n % capacity holds the step to state n; the oldest state's slot
    // keeps only its name and attachment.
    std::vector<Step> m_steps;
    int m_capacity;
    CColorTable m_current;
    // State numbers: the oldest kept, the one on display and the newest;
    // m_newest is -1 while the history is empty.
    int m_oldest = 0;
    int m_shown = 0;
    int m_newest = 0;
    std::uint64_t m_lastId = 0;
};

} // namespace tintor
