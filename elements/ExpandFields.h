#pragma once
// Field placeholders "[%name%]" in template texts: the current page number,
// the page count (which only exists once layout has ended, so it stays in the
// text until a page is drawn) and values of the data document.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/QvDataElement.h"

class CqvReport;
class TiXmlElement;

// How every placeholder begins: a text without it expands to itself.
inline constexpr std::string_view kFieldOpen = "[%";

// What "[%qv_pages%]" stays as in laid-out text; the text piece fills in the
// page count when it is drawn.
inline constexpr std::string_view kPageCountField = "[%qv_pages%]";

// The longest text one item lays out, its fields filled in: 4 MiB, some 600
// pages of 10-point text. A bound text, or one with fields, is filled in anew
// on every page it continues on, so a much longer one would cost time growing
// with the square of its length; and fields repeated many times could
// otherwise blow a small template up to any size. Both are refused with a
// message naming the text.
inline constexpr size_t kMaxTextRunBytes = size_t{4} << 20;

// "The text '<its first 40 bytes>...' is longer than 1048576 bytes".
std::string TextTooLongMessage(std::string_view text);

// Shown for a data path whose element does not exist.
inline constexpr std::string_view kMissingElementText = "???";

struct QvExpandedText {
    std::string text;
    bool hasPageCount = false;  // the text still holds the page-count field
};

// The value a data path names, as bound texts and placeholders read it:
//   "." or "./"          the data element's own text;
//   "a/b"                the text of that descendant (first match per step);
//   "a/b@attr", "@attr"  an attribute of that element, or of the data element.
// A missing element gives "???"; a missing attribute or text gives "".
struct QvDataValue {
    QvDataElement element;  // the element the path found, or none
    std::string text;
};
QvDataValue FindDataValue(QvDataElement data, std::string_view path);

// Expands every closed placeholder of `text` for a page and a data element.
// Pure: depends only on its arguments, so it can be tested without a report.
// Raises CqvEx when the expanded text would grow beyond kMaxTextRunBytes.
QvExpandedText ExpandFields(std::string_view text, uint32_t currentPage, QvDataElement data);

// The same with the report's current page: the page being laid out.
QvExpandedText ExpandFields(std::string_view text, const CqvReport& report, QvDataElement data);
// The same with an element of the template as the data element: an image
// names its file with placeholders that read its own element.
QvExpandedText ExpandFields(std::string_view text, const CqvReport& report, const TiXmlElement* element);
