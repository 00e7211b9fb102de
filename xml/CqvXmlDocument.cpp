#include "xml/CqvXmlDocument.h"

#include "common/CqvEx.h"
#include "platform/CodePages.h"
#include "xml/CqvXmlLoader.h"

namespace {
constexpr const char* kStartingEncoding = "utf-8";
}

CqvXmlDocument::CqvXmlDocument() { ResetCodePage(); }

void CqvXmlDocument::ResetCodePage() {
    m_pCodePageEntry = FindCodePageEntry(kStartingEncoding);
    m_nCodePage = m_pCodePageEntry->codePage;
}

bool CqvXmlDocument::Load(const std::string& path, const XmlLoadRules& rules, CqvXmlLoadStats* stats) {
    m_childIndex.clear();
    Clear();
    m_strSourcePath = path;
    m_strBasePath = path;
    m_loadRules = rules;
    ResetCodePage();
    CqvXmlLoader loader(*this, stats);
    loader.LoadSourceFile();
    return true;
}

bool CqvXmlDocument::LoadText(std::string_view text, const std::string& name, const std::string& basePath,
                              const XmlLoadRules& rules) {
    m_childIndex.clear();
    Clear();
    m_strSourcePath = name;
    m_strBasePath = basePath;
    m_loadRules = rules;
    ResetCodePage();
    CqvXmlLoader loader(*this);
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

void CqvXmlDocument::SetCodePage(const std::string& name) {
    const CodePageEntry* entry = FindCodePageEntry(name);
    if (!entry) throw CqvEx("Unsupported code page - '" + name + "'");
    m_pCodePageEntry = entry;
    m_nCodePage = entry->codePage;
    if (!qv::platform::IsValidCodePage(m_nCodePage))
        throw CqvEx("Not valid code page - '" + std::to_string(m_nCodePage) + "'");
}
