#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <span>
#include <thread>
#include <vector>

#include "common/QvPagedTable.h"

namespace {

// Every entry holds its own index plus one, so a page filled at the wrong
// offset, or an entry read from the wrong page, shows.
struct CountingFill {
    std::atomic<int>* fills;
    void operator()(size_t first, std::span<int> page) const {
        fills->fetch_add(1);
        for (size_t k = 0; k < page.size(); ++k) page[k] = static_cast<int>(first + k + 1);
    }
};

TEST(PagedTable, FillsEachPageOnceWhenFirstUsedAndNoFurther) {
    std::atomic<int> fills{0};
    QvPagedTable<int, 16> table(40);  // pages of 16, 16 and 8 entries
    EXPECT_EQ(table.FilledPages(), 0u);
    struct Step {
        size_t index;
        int fillsAfter;
    };
    for (const Step step : {Step{17, 1}, Step{31, 1}, Step{16, 1}, Step{0, 2}, Step{39, 3}, Step{15, 3}}) {
        EXPECT_EQ(table.Get(step.index, CountingFill{&fills}), static_cast<int>(step.index + 1)) << step.index;
        EXPECT_EQ(fills.load(), step.fillsAfter) << step.index;
    }
    EXPECT_EQ(table.FilledPages(), 3u);
    // The last page is short: its fill sees only the table's entries.
    size_t lastPageSize = 0;
    QvPagedTable<int, 16> other(40);
    other.Get(35, [&](size_t, std::span<int> page) { lastPageSize = page.size(); });
    EXPECT_EQ(lastPageSize, 8u);
}

// Several threads look up the same entries: every page is filled once and
// every thread reads the filled values. Under the thread sanitizer or on a
// weakly ordered machine, a page published before it is filled fails here.
TEST(PagedTable, ConcurrentLookUpsFillEveryPageOnce) {
    std::atomic<int> fills{0};
    constexpr size_t kCount = 64 * 256;
    QvPagedTable<int> table(kCount);
    std::atomic<size_t> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (size_t k = 0; k < kCount; ++k) {
                const size_t index = (k * 7919 + static_cast<size_t>(t) * 4099) % kCount;
                if (table.Get(index, CountingFill{&fills}) != static_cast<int>(index + 1)) wrong.fetch_add(1);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong.load(), 0u);
    EXPECT_EQ(fills.load(), 64);
    EXPECT_EQ(table.FilledPages(), 64u);
}

}  // namespace
