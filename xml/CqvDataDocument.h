#pragma once
// The tree of a data file: read-only once loaded, and compact, because data
// files come in sizes a template never reaches. Every element is one fixed-size
// node in one array (its name an id interned once per document, its text and
// attribute values ranges of one character pool, its attributes a run of one
// attribute array), so an element costs 32 bytes and its text, where a TinyXML
// element with its text node takes some 380. Elements are reached through
// QvDataElement handles and the functions of xml/DataNav.h.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "xml/QvDataElement.h"
#include "xml/QvPodArray.h"
#include "xml/QvXmlSource.h"

struct CqvXmlLoadStats;

class CqvDataDocument : public QvXmlSource {
public:
    // No element, attribute or name: the end of a chain of siblings.
    static constexpr uint32_t kNone = UINT32_MAX;

    struct Node {
        uint32_t name;
        uint32_t parent;  // kNone for the root
        uint32_t firstChild;
        uint32_t nextSibling;
        uint32_t firstAttribute;
        uint32_t attributeCount;
        uint32_t textOffset;
        uint32_t textLength;
    };
    struct Attribute {
        uint32_t name;
        uint32_t valueOffset;
        uint32_t valueLength;
    };

    CqvDataDocument() = default;
    // Handles point to the document.
    CqvDataDocument(const CqvDataDocument&) = delete;
    CqvDataDocument& operator=(const CqvDataDocument&) = delete;

    // Clears the document and fills it from the file with the same rules as a
    // template (see CqvXmlDocument). Returns true; raises CqvEx on every failure.
    bool Load(const std::string& path, const XmlLoadRules& rules = {}, CqvXmlLoadStats* stats = nullptr);
    bool LoadText(std::string_view text, const std::string& name, const std::string& basePath,
                  const XmlLoadRules& rules = {});

    // The top element, or none before a load has opened it.
    QvDataElement RootElement() const;

    const Node& NodeAt(uint32_t index) const { return m_nodes[index]; }
    const Attribute& AttributeAt(uint32_t index) const { return m_attributes[index]; }
    std::string_view Name(uint32_t id) const { return m_names[id]; }
    std::string_view Characters(uint32_t offset, uint32_t length) const { return {m_chars.data() + offset, length}; }
    // The id of a name some element or attribute of the document has, or none:
    // a name the document never uses matches nothing in it.
    std::optional<uint32_t> FindName(std::string_view name) const;

    // The first child element of `parent` (an element of this document) with
    // the name `id`, or none. An element with many children is indexed by name
    // on the first look, so that many lookups among many children cost what the
    // children do once, not each time.
    QvDataElement FirstChildNamed(uint32_t parent, uint32_t id) const;

    // What the tree takes in memory: its arrays as filled, and the names.
    size_t TreeBytes() const;

private:
    friend class CqvDataTreeBuilder;

    void Clear();

    QvPodArray<Node> m_nodes;
    QvPodArray<Attribute> m_attributes;
    QvPodArray<char> m_chars;
    // A deque, so that the views the map keys on never move.
    std::deque<std::string> m_names;
    std::unordered_map<std::string_view, uint32_t> m_nameIds;
    size_t m_nameBytes = 0;
    // First child by name, for the elements with many children that were
    // looked in; emptied by every load.
    mutable std::unordered_map<uint32_t, std::unordered_map<uint32_t, uint32_t>> m_childIndex;
};
