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

} // namespace
} // namespace tintor
