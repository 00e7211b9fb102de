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

bool CqvXmlDocument::Load(const std::string& path, CqvXmlLoadStats* stats) {
    Clear();
    m_strSourcePath = path;
    m_strBasePath = path;
    ResetCodePage();
    CqvXmlLoader loader(*this, stats);
    loader.LoadSourceFile();
    return true;
}

bool CqvXmlDocument::LoadText(std::string_view text, const std::string& name, const std::string& basePath) {
    Clear();
    m_strSourcePath = name;
    m_strBasePath = basePath;
    ResetCodePage();
    CqvXmlLoader loader(*this);
    loader.LoadSourceText(text);
    return true;
}

void CqvXmlDocument::SetCodePage(const std::string& name) {
    const CodePageEntry* entry = FindCodePageEntry(name);
    if (!entry) throw CqvEx("Unsupported code page - '" + name + "'");
    m_pCodePageEntry = entry;
    m_nCodePage = entry->codePage;
    if (!qv::platform::IsValidCodePage(m_nCodePage))
        throw CqvEx("Not valid code page - '" + std::to_string(m_nCodePage) + "'");
}
