#include "xml/CqvXmlDocument.h"

#include "xml/CqvXmlLoader.h"
#include "xml/TinyXmlTreeBuilder.h"

bool CqvXmlDocument::Load(const std::string& path, const XmlLoadRules& rules, CqvXmlLoadStats* stats) {
    m_childIndex.clear();
    Clear();
    BeginLoad(path, path, rules);
    TinyXmlTreeBuilder builder(*this);
    CqvXmlLoader loader(*this, builder, stats);
    loader.LoadSourceFile();
    return true;
}

bool CqvXmlDocument::LoadText(std::string_view text, const std::string& name, const std::string& basePath,
                              const XmlLoadRules& rules) {
    m_childIndex.clear();
    Clear();
    BeginLoad(name, basePath, rules);
    TinyXmlTreeBuilder builder(*this);
    CqvXmlLoader loader(*this, builder);
    loader.LoadSourceText(text);
    return true;
}

const TiXmlElement* CqvXmlDocument::FirstChildNamed(const TiXmlNode* parent, std::string_view name) const {
    // Below this many children a scan is as quick as the index.
    constexpr size_t kIndexFrom = 32;
    if (auto indexed = m_childIndex.find(parent); indexed != m_childIndex.end()) {
        const auto found = indexed->second.find(name);
        return found == indexed->second.end() ? nullptr : found->second;
    }
    size_t scanned = 0;
    for (const TiXmlElement* child = parent->FirstChildElement(); child; child = child->NextSiblingElement()) {
        if (child->ValueStr() == name) return child;
        if (++scanned == kIndexFrom) break;
    }
    if (scanned < kIndexFrom) return nullptr;
    auto& index = m_childIndex[parent];
    // The first of each name stays: lookups keep their first-match rule.
    for (const TiXmlElement* child = parent->FirstChildElement(); child; child = child->NextSiblingElement())
        index.emplace(child->ValueStr(), child);
    const auto found = index.find(name);
    return found == index.end() ? nullptr : found->second;
}
