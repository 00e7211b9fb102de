#include "xml/FindElementByPath.h"

#include <string_view>

#include "xml/CqvDataDocument.h"
#include "xml/CqvXmlDocument.h"

namespace {

const TiXmlElement* FirstChildElementNamed(const TiXmlNode* node, std::string_view name) {
    // Element names are never empty, so an empty segment matches nothing.
    if (name.empty()) return nullptr;
    // A loaded document keeps an index of the children of large elements.
    if (const auto* document = dynamic_cast<const CqvXmlDocument*>(node->GetDocument()))
        return document->FirstChildNamed(node, name);
    for (const TiXmlElement* child = node->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (child->ValueStr() == name) return child;
    }
    return nullptr;
}

}  // namespace

const TiXmlElement* FindElementByPath(const TiXmlNode* start, const std::string& path) {
    if (!start) return nullptr;
    const std::string_view whole(path);
    const TiXmlElement* current = nullptr;
    const TiXmlNode* node = start;
    size_t pos = 0;
    // At least one segment is looked up, so the empty path finds nothing.
    do {
        size_t end = whole.find('/', pos);
        if (end == std::string_view::npos) end = whole.size();
        current = FirstChildElementNamed(node, whole.substr(pos, end - pos));
        if (!current) return nullptr;
        node = current;
        pos = end + 1;
    } while (pos < whole.size());
    return current;
}

TiXmlElement* FindElementByPath(TiXmlNode* start, const std::string& path) {
    return const_cast<TiXmlElement*>(FindElementByPath(static_cast<const TiXmlNode*>(start), path));
}

QvDataElement FindElementByPath(QvDataElement start, std::string_view path) {
    if (!start) return {};
    const CqvDataDocument& document = *start.Document();
    QvDataElement current;
    uint32_t node = start.Index();
    size_t pos = 0;
    // At least one segment is looked up, so the empty path finds nothing. An
    // empty segment, or a name no element of the file has, ends the search.
    do {
        size_t end = path.find('/', pos);
        if (end == std::string_view::npos) end = path.size();
        const std::optional<uint32_t> id = document.FindName(path.substr(pos, end - pos));
        if (!id) return {};
        current = document.FirstChildNamed(node, *id);
        if (!current) return {};
        node = current.Index();
        pos = end + 1;
    } while (pos < path.size());
    return current;
}
