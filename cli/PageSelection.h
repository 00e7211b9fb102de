#pragma once
// The pages the render sub-command's --pages option names: page numbers and
// ranges separated by commas ("3-5,9"). The layout always runs whole, so
// the selection is checked against the page count only after it.
#include <cstddef>
#include <string>
#include <vector>

class PageSelection {
public:
    // Raises UsageError for text that is not a list of pages and ranges.
    static PageSelection Parse(const std::string& text);

    // The selected pages in ascending order, each once. Raises UsageError naming
    // the first page or range that reaches beyond `pageCount`.
    std::vector<size_t> Pages(size_t pageCount) const;

private:
    struct Range {
        size_t first = 0;
        size_t last = 0;
        std::string text;  // as written, for messages
    };
    std::vector<Range> m_ranges;
};
