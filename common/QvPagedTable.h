#pragma once
// A read-mostly table of figures taken from a font, filled one page of
// `PageSize` entries at a time when an entry of the page is first asked for.
// A text uses a few pages of the Unicode range, so a table costs what the
// text uses plus its page directory, and filling a page is paid once rather
// than per look-up.
//
// Look-ups may come from several threads: a filled page is published once and
// never changes, so reading it takes no lock; filling takes the table's lock.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>

template <typename Entry, size_t PageSize = 256>
class QvPagedTable {
public:
    using Page = std::array<Entry, PageSize>;

    explicit QvPagedTable(size_t count)
        : m_count(count),
          m_pageCount((count + PageSize - 1) / PageSize),
          m_pages(std::make_unique<std::atomic<Page*>[]>(m_pageCount)) {}
    ~QvPagedTable() {
        // The published pointers own their pages: each was released from a
        // unique_ptr by FillPage, and is adopted back here.
        for (size_t p = 0; p < m_pageCount; ++p) {
            const std::unique_ptr<Page> owned(m_pages[p].load(std::memory_order_relaxed));
        }
    }
    QvPagedTable(const QvPagedTable&) = delete;
    QvPagedTable& operator=(const QvPagedTable&) = delete;

    size_t Count() const { return m_count; }

    // The entry at `index` (below Count()). On the first look-up in its page,
    // `fill(first, entries)` fills the page's entries, which start at index
    // `first` and are value-initialised; entries past Count() stay so.
    template <typename Fill>
    const Entry& Get(size_t index, Fill&& fill) const {
        const size_t p = index / PageSize;
        const Page* page = m_pages[p].load(std::memory_order_acquire);
        if (!page) [[unlikely]]
            page = FillPage(p, fill);
        return (*page)[index % PageSize];
    }

    // How many pages have been filled: what the table costs beyond its directory.
    size_t FilledPages() const {
        size_t filled = 0;
        for (size_t p = 0; p < m_pageCount; ++p) filled += m_pages[p].load(std::memory_order_acquire) != nullptr;
        return filled;
    }

private:
    template <typename Fill>
    const Page* FillPage(size_t p, Fill& fill) const {
        std::lock_guard lock(m_fillMutex);
        if (const Page* page = m_pages[p].load(std::memory_order_acquire)) return page;  // filled meanwhile
        auto page = std::make_unique<Page>();
        const size_t first = p * PageSize;
        const size_t used = std::min(PageSize, m_count - first);
        fill(first, std::span<Entry>(page->data(), used));
        const Page* published = page.get();
        m_pages[p].store(page.release(), std::memory_order_release);
        return published;
    }

    size_t m_count;
    size_t m_pageCount;
    std::unique_ptr<std::atomic<Page*>[]> m_pages;
    mutable std::mutex m_fillMutex;
};
