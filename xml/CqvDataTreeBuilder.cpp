#include "xml/CqvDataTreeBuilder.h"

#include <cstring>

#include "common/CqvEx.h"

namespace {

constexpr uint32_t kNone = CqvDataDocument::kNone;

// Nodes, attributes and text are placed by 32-bit numbers. The load's budget
// stops a file long before; this guards a budget set beyond 4 GiB.
void CheckRoom(size_t used, size_t more) {
    if (more > size_t{kNone} - 1 || used > size_t{kNone} - 1 - more)
        throw CqvEx("The data file holds more than " + std::to_string(kNone - 1) +
                    " elements, attributes or bytes of text: the file is too large to load");
}

// A name's entry in the interning map besides its characters: the map node,
// its bucket and the string object.
constexpr size_t kNameEntryBytes = 96;

}  // namespace

uint32_t CqvDataTreeBuilder::Intern(std::string_view name, size_t& bytes) {
    if (const auto found = m_document.m_nameIds.find(name); found != m_document.m_nameIds.end()) return found->second;
    CheckRoom(m_document.m_names.size(), 1);
    const auto id = static_cast<uint32_t>(m_document.m_names.size());
    const std::string& stored = m_document.m_names.emplace_back(name);
    m_document.m_nameIds.emplace(stored, id);
    const size_t cost = kNameEntryBytes + stored.size();
    m_document.m_nameBytes += cost;
    bytes += cost;
    return id;
}

uint32_t CqvDataTreeBuilder::AppendCharacters(std::string_view text) {
    CheckRoom(m_document.m_chars.size(), text.size());
    const auto offset = static_cast<uint32_t>(m_document.m_chars.size());
    m_document.m_chars.Append(text.data(), text.size());
    return offset;
}

size_t CqvDataTreeBuilder::OpenElement(const char* name) {
    size_t bytes = sizeof(CqvDataDocument::Node);
    auto& nodes = m_document.m_nodes;
    CheckRoom(nodes.size(), 1);
    const auto index = static_cast<uint32_t>(nodes.size());
    const uint32_t parent = m_open.empty() ? kNone : m_open.back().index;
    nodes.push_back(
        {Intern(name, bytes), parent, kNone, kNone, static_cast<uint32_t>(m_document.m_attributes.size()), 0, 0, 0});
    // Only the root meets an empty stack: the parser refuses a second top element.
    if (!m_open.empty()) {
        Open& open = m_open.back();
        if (open.lastChild == kNone) nodes[open.index].firstChild = index;
        else nodes[open.lastChild].nextSibling = index;
        open.lastChild = index;
    }
    m_open.push_back({index, kNone});
    return bytes;
}

size_t CqvDataTreeBuilder::AddAttribute(const char* name, const char* value) {
    const size_t length = std::strlen(value);
    size_t bytes = sizeof(CqvDataDocument::Attribute) + length;
    CheckRoom(m_document.m_attributes.size(), 1);
    const uint32_t id = Intern(name, bytes);
    const uint32_t offset = AppendCharacters({value, length});
    m_document.m_attributes.push_back({id, offset, static_cast<uint32_t>(length)});
    ++m_document.m_nodes[m_open.back().index].attributeCount;
    return bytes;
}

size_t CqvDataTreeBuilder::CloseElement(std::string_view text) {
    CqvDataDocument::Node& node = m_document.m_nodes[m_open.back().index];
    node.textOffset = AppendCharacters(text);
    node.textLength = static_cast<uint32_t>(text.size());
    m_open.pop_back();
    return 0;
}

std::string_view CqvDataTreeBuilder::OpenElementName() const {
    return m_document.Name(m_document.m_nodes[m_open.back().index].name);
}
