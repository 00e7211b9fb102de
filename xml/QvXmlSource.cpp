#include "xml/QvXmlSource.h"

#include "common/CqvEx.h"
#include "platform/CodePages.h"

namespace {
constexpr const char* kStartingEncoding = "utf-8";
}

QvXmlSource::QvXmlSource() { ResetCodePage(); }

void QvXmlSource::ResetCodePage() {
    m_pCodePageEntry = FindCodePageEntry(kStartingEncoding);
    m_nCodePage = m_pCodePageEntry->codePage;
}

void QvXmlSource::BeginLoad(const std::string& sourcePath, const std::string& basePath, const XmlLoadRules& rules) {
    m_strSourcePath = sourcePath;
    m_strBasePath = basePath;
    m_loadRules = rules;
    ResetCodePage();
}

void QvXmlSource::SetCodePage(const std::string& name) {
    const CodePageEntry* entry = FindCodePageEntry(name);
    if (!entry) throw CqvEx("Unsupported code page - '" + name + "'");
    m_pCodePageEntry = entry;
    m_nCodePage = entry->codePage;
    if (!qv::platform::IsValidCodePage(m_nCodePage))
        throw CqvEx("Not valid code page - '" + std::to_string(m_nCodePage) + "'");
}
