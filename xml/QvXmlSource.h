#pragma once
// What every loaded XML file carries besides its tree: where it came from, what
// its references resolve against, the rules it was loaded under and the code
// page of its text. Templates (TinyXML documents) and data files (compact
// trees) share it, and the loader fills it for either.
#include <cstdint>
#include <string>

#include "xml/CodePageTable.h"
#include "xml/XmlLoadRules.h"

class QvXmlSource {
public:
    // A source starts as UTF-8 (65001 with the utf-8 row of the encoding table),
    // and every load starts again from there. A file that declares no encoding is
    // read by the parser as UTF-8, so this is what its text is; template and data
    // files without declarations then belong to the same family.
    QvXmlSource();

    // Sets the code page from an encoding name as written in a declaration (the
    // caller lower-cases it). Raises "Unsupported code page - '<name>'" for a name
    // outside the table, and "Not valid code page - '<n>'" when the platform cannot
    // convert the code page; in that case the new entry and code page are already
    // stored.
    void SetCodePage(const std::string& name);

    // The path exactly as given to Load: shown in messages and the base for
    // relative references inside the file.
    const std::string& SourcePath() const { return m_strSourcePath; }
    // What relative references resolve against: the source path, or the base
    // path given with text from memory.
    const std::string& BasePath() const { return m_strBasePath; }
    int32_t CodePage() const { return m_nCodePage; }
    // The rules of the current or last load.
    const XmlLoadRules& LoadRules() const { return m_loadRules; }
    // The table row the code page came from; never null.
    const CodePageEntry* CodePageEntryPtr() const { return m_pCodePageEntry; }

protected:
    // Starts a load: the new names and rules, and the code page back to UTF-8.
    void BeginLoad(const std::string& sourcePath, const std::string& basePath, const XmlLoadRules& rules);

private:
    void ResetCodePage();

    std::string m_strSourcePath;
    std::string m_strBasePath;
    XmlLoadRules m_loadRules;
    int32_t m_nCodePage = 0;
    const CodePageEntry* m_pCodePageEntry = nullptr;
};
