#include "colour/history.h"
#include "testkit/recording_sink.h"

#include "swf/colour_key.h"

#include <gtest/gtest.h>

namespace tintor {
namespace {

// A table told apart by its hue parameter.
CColorTable State(int n)
{
    CColorTable table;
    table.ResetColorTable();
    CRecordingSink sink;
    table.Effect("H", n, sink);
    table.Map().Set(KIND_FILL | static_cast<std::uint32_t>(n), KIND_FILL | static_cast<std::uint32_t>(n));
    return table;
}

TEST(HistoryTest, OneStateOffersNothing)
{
    CHistory history(50);
    history.Reset();
    history.Push(State(1));
    EXPECT_EQ(history.GetUndoCount(), 0);
    EXPECT_EQ(history.GetRedoCount(), 0);
    CColorTable table = State(9);
    history.Undo(table);
    history.Redo(table);
    EXPECT_EQ(table.Hue(), 9);
}

TEST(HistoryTest, UndoAndRedoWalkBetweenTwoStates)
{
    CHistory history(50);
    history.Reset();
    history.Push(State(1));
    history.Push(State(2));
    EXPECT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetRedoCount(), 0);
    CColorTable table;
    history.Undo(table);
    EXPECT_EQ(table.Hue(), 1);
    EXPECT_EQ(history.GetUndoCount(), 0);
    EXPECT_EQ(history.GetRedoCount(), 1);
    history.Redo(table);
    EXPECT_EQ(table.Hue(), 2);
    EXPECT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetRedoCount(), 0);
}

TEST(HistoryTest, PushAfterUndoDropsTheRedoBranch)
{
    CHistory history(50);
    history.Reset();
    history.Push(State(1));
    history.Push(State(2));
    CColorTable table;
    history.Undo(table);
    history.Push(State(3));
    EXPECT_EQ(history.GetUndoCount(), 1);
    EXPECT_EQ(history.GetRedoCount(), 0);
    history.Redo(table);
    EXPECT_EQ(table.Hue(), 1);
    history.Undo(table);
    EXPECT_EQ(table.Hue(), 1);
    history.Redo(table);
    EXPECT_EQ(table.Hue(), 3);
}

TEST(HistoryTest, PushAfterRedoKeepsEveryEarlierState)
{
    CHistory history(50);
    history.Reset();
    history.Push(State(1));
    history.Push(State(2));
    CColorTable table;
    history.Undo(table);
    history.Redo(table);
    history.Push(State(3));
    EXPECT_EQ(history.GetUndoCount(), 2);
    history.Undo(table);
    EXPECT_EQ(table.Hue(), 2);
    history.Undo(table);
    EXPECT_EQ(table.Hue(), 1);
}

TEST(HistoryTest, TheRingKeepsTheLastFiftyStates)
{
    CHistory history(50);
    history.Reset();
    for (int i = 0; i < 55; ++i)
        history.Push(State(i));
    EXPECT_EQ(history.GetUndoCount(), 49);
    CColorTable table;
    for (int expected = 53; expected >= 5; --expected) {
        history.Undo(table);
        ASSERT_EQ(table.Hue(), expected);
    }
    EXPECT_EQ(history.GetUndoCount(), 0);
    table = State(-1);
    history.Undo(table);
    EXPECT_EQ(table.Hue(), -1);
    EXPECT_EQ(history.GetRedoCount(), 49);
}

TEST(HistoryTest, PushOnAFreshHistoryKeepsAnEmptyFirstState)
{
    CHistory history(50);
    history.Push(State(4));
    EXPECT_EQ(history.GetUndoCount(), 1);
    CColorTable table = State(4);
    history.Undo(table);
    EXPECT_TRUE(table.Map().Empty());
    EXPECT_EQ(table.Hue(), 0);
    EXPECT_EQ(table.Saturation(), 0);
    EXPECT_EQ(table.Value(), 0);
    EXPECT_EQ(table.Unify(), 0);
}

TEST(HistoryTest, ARestoredStateIteratesInItsOriginalOrder)
{
    CColorTable saved;
    saved.ResetColorTable();
    // Three keys of bucket 1.
    for (std::uint32_t key : {0x1000FF00u, 0x10FF0000u, 0x10000110u})
        saved.Map().Set(key, key);
    const std::vector<std::uint32_t> order = saved.Map().Keys();
    CHistory history(50);
    history.Reset();
    history.Push(saved);
    history.Push(State(1));
    CColorTable table;
    history.Undo(table);
    EXPECT_EQ(table.Map().Keys(), order);
    history.Redo(table);
    history.Undo(table);
    EXPECT_EQ(table.Map().Keys(), order);
}

TEST(HistoryTest, ACapacityBelowOneStillHoldsTheCurrentState)
{
    CHistory history(0);
    history.Reset();
    history.Push(State(1));
    history.Push(State(2));
    EXPECT_EQ(history.GetUndoCount(), 0);
    CColorTable table = State(7);
    history.Undo(table);
    EXPECT_EQ(table.Hue(), 7);
}

// A table of ten fills, every one mapped to itself; the states below are
// made from it by changing entries, as one movie's states are.
CColorTable Movie()
{
    CColorTable table;
    table.ResetColorTable();
    std::vector<std::uint32_t> keys;
    for (std::uint32_t i = 0; i < 10; ++i)
        keys.push_back(KIND_FILL | (i * 0x111111));
    table.Map().AssignKeys(keys);
    return table;
}

// The same table, its keys shared and in the same order, as the states of
// one movie are (a copy would walk them the other way round).
CColorTable Exact(const CColorTable& from)
{
    CColorTable table;
    table.AssignExact(from);
    return table;
}

// The table with the entries at the given dense indices selected.
CColorTable Selected(const CColorTable& from, std::initializer_list<std::size_t> indices)
{
    CColorTable table = Exact(from);
    for (const std::size_t i : indices)
        table.Map().DenseValues()[i] |= kSelectedBit;
    return table;
}

// The table with the entry at a dense index changed to another colour.
CColorTable Recoloured(const CColorTable& from, std::size_t index, std::uint32_t rgb)
{
    CColorTable table = Exact(from);
    std::uint32_t& entry = table.Map().DenseValues()[index];
    entry = (entry & ~kColourMask) | rgb;
    return table;
}

std::vector<std::uint32_t> Values(const CColorTable& table)
{
    return {table.Map().DenseValues().begin(), table.Map().DenseValues().end()};
}

TEST(HistoryTest, AStepKeepsOnlyTheEntriesItChanged)
{
    CHistory history(50);
    history.Reset();
    const CColorTable a = Movie();
    history.Push(a);
    EXPECT_EQ(history.StoredEntries(), 0u);
    const CColorTable b = Recoloured(Recoloured(a, 3, 0x0000FF), 7, 0x00FF00);
    history.Push(b);
    EXPECT_EQ(history.StoredEntries(), 2u);
    history.Push(b); // a step that changed nothing costs nothing
    EXPECT_EQ(history.StoredEntries(), 2u);
    CColorTable shown = Movie();
    history.Undo(shown);
    history.Undo(shown);
    EXPECT_EQ(Values(shown), Values(a));
    history.Redo(shown);
    EXPECT_EQ(Values(shown), Values(b));
}

TEST(HistoryTest, AnAmendedStateIsReachedByTheStepsAroundIt)
{
    const CColorTable a = Movie();
    const CColorTable b = Recoloured(a, 2, 0xABCDEF);
    const CColorTable c = Recoloured(b, 5, 0x123456);
    const struct {
        const char* name;
        int undosBeforeAmend;
        CColorTable amended;
        // The states undo and redo show afterwards, from the oldest on.
        std::vector<CColorTable> states;
    } rows[] = {
        {"the newest, a selection", 0, Selected(c, {1, 5}), {a, b, Selected(c, {1, 5})}},
        {"the newest, back to a colour it had", 0, b, {a, b, b}},
        {"the middle one, redo kept", 1, Selected(b, {2}), {a, Selected(b, {2}), c}},
        {"the oldest", 2, Selected(a, {0}), {Selected(a, {0}), b, c}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CHistory history(50);
        history.Reset();
        history.Push(a);
        history.Push(b);
        history.Push(c);
        CColorTable shown = c;
        for (int i = 0; i < row.undosBeforeAmend; ++i)
            history.Undo(shown);
        const std::uint64_t id = history.CurrentId();
        history.Amend(row.amended);
        EXPECT_EQ(history.CurrentId(), id);
        EXPECT_EQ(Values(history.Current()), Values(row.amended));
        EXPECT_EQ(history.GetUndoCount(), 2 - row.undosBeforeAmend);
        EXPECT_EQ(history.GetRedoCount(), row.undosBeforeAmend);
        shown = Exact(row.amended); // as the document's table is
        for (int i = 0; i < 2; ++i)
            history.Undo(shown);
        for (std::size_t state = 0; state < row.states.size(); ++state) {
            EXPECT_EQ(Values(shown), Values(row.states[state])) << "state " << state;
            history.Redo(shown);
        }
    }
}

TEST(HistoryTest, StatesKeepTheirNamesAndNewStatesGetNewOnes)
{
    CHistory history(3);
    history.Reset();
    const CColorTable a = Movie();
    history.Push(a);
    const std::uint64_t first = history.CurrentId();
    history.Amend(Selected(a, {4}));
    EXPECT_EQ(history.CurrentId(), first);
    history.Push(Recoloured(a, 4, 0x010203));
    const std::uint64_t second = history.CurrentId();
    EXPECT_NE(second, first);
    CColorTable shown;
    history.Undo(shown);
    EXPECT_EQ(history.CurrentId(), first);
    history.Push(Recoloured(a, 4, 0x030201)); // takes the place of the second
    EXPECT_NE(history.CurrentId(), second);
    // A full ring drops the oldest state and the step to the one after it.
    for (std::uint32_t c = 1; c <= 5; ++c)
        history.Push(Recoloured(a, 0, c));
    EXPECT_EQ(history.GetUndoCount(), 2);
    EXPECT_EQ(history.StoredEntries(), 2u);
}

} // namespace
} // namespace tintor
