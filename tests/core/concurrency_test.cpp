// The core's helpers for work on other threads, and its texts with parts.
#include "core/latest_worker.h"
#include "core/messages.h"
#include "core/parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <vector>

namespace tintor {
namespace {

TEST(ForEachShareTest, EveryItemOnceWhateverTheCount)
{
    for (const std::size_t n : {std::size_t{0}, std::size_t{1}, std::size_t{99}, std::size_t{1} << 17}) {
        std::vector<std::atomic<int>> seen(n);
        ForEachShare(n, 1000, [&](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i)
                ++seen[i];
        });
        for (std::size_t i = 0; i < n; ++i)
            ASSERT_EQ(seen[i].load(), 1) << n << " " << i;
    }
}

TEST(LatestWorkerTest, OnlyTheNewestWaitingTaskRuns)
{
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> started;
    std::vector<int> ran;
    {
        CLatestWorker worker("test");
        worker.Post([&] {
            started.set_value();
            released.wait();
            ran.push_back(0);
        });
        started.get_future().wait();
        // The first is under way: of those given meanwhile, only the last runs.
        for (int task = 1; task <= 3; ++task)
            worker.Post([&ran, task] { ran.push_back(task); });
        release.set_value();
        worker.Flush();
        EXPECT_EQ(ran, (std::vector<int>{0, 3}));
        // A task given and then the worker gone: it may run or be dropped,
        // but never after the worker is gone.
        worker.Post([&ran] { ran.push_back(4); });
    }
    EXPECT_LE(ran.size(), 3u);
}

TEST(MessageTextTest, ArgumentsGoInOnceAndInTheirPlaces)
{
    const struct {
        MessageText text;
        const char* expected;
    } rows[] = {
        {{"line %1"}, "line %1"},
        {{"line %1", {"3"}}, "line 3"},
        {{"%2 before %1", {"a", "b"}}, "b before a"},
        {{"kept: %1", {"%2"}}, "kept: %2"},
        {{"100%", {"x"}}, "100%"},
        {{"%9 %1", {"x"}}, "%9 x"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text.Text(), row.expected) << row.text.pattern;
}

} // namespace
} // namespace tintor
