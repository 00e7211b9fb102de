#include "xml/CqvDataDocument.h"

#include "xml/CqvDataTreeBuilder.h"
#include "xml/CqvXmlLoader.h"

void CqvDataDocument::Clear() {
    m_childIndex.clear();
    m_nodes.clear();
    m_attributes.clear();
    m_chars.clear();
    m_nameIds.clear();
    m_names.clear();
    m_nameBytes = 0;
}

bool CqvDataDocument::Load(const std::string& path, const XmlLoadRules& rules, CqvXmlLoadStats* stats) {
    Clear();
    BeginLoad(path, path, rules);
    CqvDataTreeBuilder builder(*this);
    CqvXmlLoader loader(*this, builder, stats);
    loader.LoadSourceFile();
    return true;
}

bool CqvDataDocument::LoadText(std::string_view text, const std::string& name, const std::string& basePath,
                               const XmlLoadRules& rules) {
    Clear();
    BeginLoad(name, basePath, rules);
    CqvDataTreeBuilder builder(*this);
    CqvXmlLoader loader(*this, builder);
    loader.LoadSourceText(text);
    return true;
}

QvDataElement CqvDataDocument::RootElement() const {
    return m_nodes.empty() ? QvDataElement() : QvDataElement(this, 0);
}

std::optional<uint32_t> CqvDataDocument::FindName(std::string_view name) const {
    const auto found = m_nameIds.find(name);
    if (found == m_nameIds.end()) return std::nullopt;
    return found->second;
}

QvDataElement CqvDataDocument::FirstChildNamed(uint32_t parent, uint32_t id) const {
    // Below this many children a scan is as quick as the index.
    constexpr size_t kIndexFrom = 32;
    if (auto indexed = m_childIndex.find(parent); indexed != m_childIndex.end()) {
        const auto found = indexed->second.find(id);
        return found == indexed->second.end() ? QvDataElement() : QvDataElement(this, found->second);
    }
    size_t scanned = 0;
    for (uint32_t child = m_nodes[parent].firstChild; child != kNone; child = m_nodes[child].nextSibling) {
        if (m_nodes[child].name == id) return {this, child};
        if (++scanned == kIndexFrom) break;
    }
    if (scanned < kIndexFrom) return {};
    auto& index = m_childIndex[parent];
    // The first of each name stays: lookups keep their first-match rule.
    for (uint32_t child = m_nodes[parent].firstChild; child != kNone; child = m_nodes[child].nextSibling)
        index.emplace(m_nodes[child].name, child);
    const auto found = index.find(id);
    return found == index.end() ? QvDataElement() : QvDataElement(this, found->second);
}

size_t CqvDataDocument::TreeBytes() const {
    return m_nodes.size() * sizeof(Node) + m_attributes.size() * sizeof(Attribute) + m_chars.size() + m_nameBytes;
}
