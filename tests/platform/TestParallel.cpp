#include "platform/Parallel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::ParallelFeed;

// Every item is handled exactly once, whatever the count, the number of helpers and the steps in
// which the items are offered.
TEST(ParallelFeed, HandlesEachOfferedItemOnce) {
    struct Case {
        size_t count, step, helpers;
    };
    const std::vector<Case> cases = {
        {0, 1, 4},      {1, 1, 4},    {511, 7, 4},   {512, 512, 4}, {513, 512, 4},
        {10000, 1, 4},  {10000, 600, 1}, {10000, 512, 8}, {10000, 10000, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("count " + std::to_string(c.count) + ", step " + std::to_string(c.step) + ", helpers " +
                     std::to_string(c.helpers));
        std::vector<std::atomic<int>> calls(c.count);
        ParallelFeed feed([&](size_t i) { calls[i].fetch_add(1); }, c.helpers);
        for (size_t ready = c.step; ready <= c.count; ready += c.step) feed.offer(ready);
        feed.finish(c.count);
        for (size_t i = 0; i < c.count; ++i) ASSERT_EQ(calls[i].load(), 1) << "item " << i;
    }
}

// The caller keeps making items while helpers read the earlier ones; wait() lets it move them.
TEST(ParallelFeed, WaitLetsTheCallerMoveWhatTheCallsRead) {
    std::vector<std::string> items;
    items.reserve(8);
    std::atomic<size_t> letters{0};
    ParallelFeed feed([&](size_t i) { letters += items[i].size(); }, 4);
    size_t expected = 0;
    for (size_t i = 0; i < 20000; ++i) {
        if (items.size() == items.capacity()) feed.wait();  // the push below moves them
        items.push_back(std::string(i % 40, 'x'));
        expected += i % 40;
        if (items.size() % feed.Batch == 0) feed.offer(items.size());
    }
    feed.finish(items.size());
    EXPECT_EQ(letters.load(), expected);
}

// Too few items for a batch are handled by the caller itself, without a thread, also when it
// waits for them before the end.
TEST(ParallelFeed, FewItemsStayOnTheCallersThread) {
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> here{0}, elsewhere{0};
    ParallelFeed feed([&](size_t) { (std::this_thread::get_id() == caller ? here : elsewhere) += 1; });
    feed.offer(100);
    feed.wait();
    EXPECT_EQ(here.load(), 100);
    feed.finish(300);
    EXPECT_EQ(here.load(), 300);
    EXPECT_EQ(elsewhere.load(), 0);
}

TEST(ForEachInParallel, CallsEachIndexOnce) {
    for (size_t count : {0u, 1u, 511u, 5000u}) {
        std::vector<std::atomic<int>> calls(count);
        platform::forEachInParallel(count, [&](size_t i) { calls[i].fetch_add(1); });
        for (size_t i = 0; i < count; ++i) ASSERT_EQ(calls[i].load(), 1) << count << ": item " << i;
    }
}

}  // namespace
