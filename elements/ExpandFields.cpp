#include "elements/ExpandFields.h"

#include <tinyxml.h>

#include <algorithm>
#include <optional>
#include <string>

#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "xml/FindElementByPath.h"
#include "xml/DataNav.h"
#include "xml/XmlNav.h"

namespace {

constexpr std::string_view kOpen = "[%";
constexpr std::string_view kClose = "%]";
constexpr std::string_view kCurrentPageName = "qv_curpage";
constexpr std::string_view kPageCountName = "qv_pages";

bool IsSelfPath(std::string_view path) { return path == "." || path == "./"; }

// The element a data path names and its value, in a data file or, for an
// image's file name, in the template.
template <class Element>
void FindValue(Element data, std::string_view path, Element& element, std::string& text) {
    const size_t at = path.find('@');
    const bool namesAttribute = at != std::string_view::npos;
    const std::string_view elementPath = path.substr(0, at);

    // "@attr" alone, and "./@attr", name an attribute of the data element itself.
    if (IsSelfPath(elementPath) || (namesAttribute && elementPath.empty())) element = data;
    else element = FindElementByPath(data, std::string(elementPath));
    if (!element) {
        text = kMissingElementText;
        return;
    }
    const auto found = namesAttribute ? qv::xml::AttributeByName(element, std::string(path.substr(at + 1)))
                                      : qv::xml::ElementText(element);
    if (found) text = *found;
}

// Expands with `valueOf(name)` for the names of data values.
template <class ValueOf>
QvExpandedText ExpandWith(std::string_view text, uint32_t currentPage, ValueOf valueOf);

}  // namespace

QvDataValue FindDataValue(QvDataElement data, std::string_view path) {
    QvDataValue value;
    FindValue(data, path, value.element, value.text);
    return value;
}

std::string TextTooLongMessage(std::string_view text) {
    constexpr size_t kShown = 40;
    size_t shown = std::min(text.size(), kShown);
    // Never half a UTF-8 character: continuation bytes are 10xxxxxx.
    while (shown > 0 && shown < text.size() && (static_cast<unsigned char>(text[shown]) & 0xC0) == 0x80) --shown;
    return "The text '" + std::string(text.substr(0, shown)) + (shown < text.size() ? "..." : "") +
           "' is longer than " + std::to_string(kMaxTextRunBytes) + " bytes";
}

namespace {

template <class ValueOf>
QvExpandedText ExpandWith(std::string_view text, uint32_t currentPage, ValueOf valueOf) {
    QvExpandedText out;
    size_t open = text.find(kOpen);
    if (open == std::string_view::npos) {
        out.text = text;
        return out;
    }

    std::string result;
    size_t handled = 0;  // end of the part of the text already copied or expanded
    bool expanded = false;
    while (open != std::string_view::npos) {
        const size_t close = text.find(kClose, open + kOpen.size());
        if (close == std::string_view::npos) break;
        result.append(text.substr(handled, open - handled));
        const std::string_view name = text.substr(open + kOpen.size(), close - open - kOpen.size());
        if (name == kCurrentPageName) {
            result += std::to_string(currentPage);
        } else if (name == kPageCountName) {
            // The count is known only after layout: the piece fills it in when drawn.
            result += kPageCountField;
            out.hasPageCount = true;
        } else if (!name.empty()) {
            result += valueOf(name);
        }
        expanded = true;
        if (result.size() > kMaxTextRunBytes) throw CqvEx(TextTooLongMessage(text));
        handled = close + kClose.size();
        open = text.find(kOpen, handled);
    }
    if (!expanded) {
        // A "[%" without its "%]" leaves the whole text as it was.
        out.text = text;
        return out;
    }
    result.append(text.substr(handled));
    if (result.size() > kMaxTextRunBytes) throw CqvEx(TextTooLongMessage(text));
    out.text = std::move(result);
    return out;
}

}  // namespace

QvExpandedText ExpandFields(std::string_view text, uint32_t currentPage, QvDataElement data) {
    return ExpandWith(text, currentPage, [data](std::string_view name) { return FindDataValue(data, name).text; });
}

QvExpandedText ExpandFields(std::string_view text, const CqvReport& report, QvDataElement data) {
    return ExpandFields(text, report.CurrentPage(), data);
}

QvExpandedText ExpandFields(std::string_view text, const CqvReport& report, const TiXmlElement* element) {
    return ExpandWith(text, report.CurrentPage(), [element](std::string_view name) {
        const TiXmlElement* found = nullptr;
        std::string value;
        FindValue(element, name, found, value);
        return value;
    });
}
