#include "cli/PageSelection.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <string_view>

#include "cli/UsageError.h"

namespace {

std::string SyntaxMessage(const std::string& text) {
    return "--pages \"" + text + "\": expected page numbers and ranges separated by commas, such as 3-5,9";
}

// A page number: decimal digits only, at least 1.
bool ParsePageNumber(std::string_view digits, size_t& page) {
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
    return error == std::errc() && end == digits.data() + digits.size() && page >= 1;
}

}  // namespace

PageSelection PageSelection::Parse(const std::string& text) {
    PageSelection selection;
    std::string_view rest = text;
    for (;;) {
        const size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        Range range;
        range.text = std::string(item);
        const size_t dash = item.find('-');
        const bool valid = dash == std::string_view::npos
                               ? ParsePageNumber(item, range.first) && (range.last = range.first, true)
                               : ParsePageNumber(item.substr(0, dash), range.first) &&
                                     ParsePageNumber(item.substr(dash + 1), range.last);
        if (!valid) throw UsageError(SyntaxMessage(text));
        if (range.last < range.first) throw UsageError("--pages " + range.text + ": the range ends before it starts");
        selection.m_ranges.push_back(std::move(range));
        if (comma == std::string_view::npos) break;
        rest.remove_prefix(comma + 1);
    }
    return selection;
}

std::vector<size_t> PageSelection::Pages(size_t pageCount) const {
    std::set<size_t> pages;
    for (const Range& range : m_ranges) {
        if (range.last > pageCount)
            throw UsageError("--pages " + range.text + ": the report has " + std::to_string(pageCount) +
                             (pageCount == 1 ? " page" : " pages"));
        for (size_t page = range.first; page <= range.last; ++page) pages.insert(page);
    }
    return {pages.begin(), pages.end()};
}
