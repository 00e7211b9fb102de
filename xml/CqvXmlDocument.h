#pragma once
// The in-memory tree of a template or data file: a TinyXML document that also
// records where it was loaded from and the code page of its text.
#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "xml/CodePageTable.h"
#include "xml/XmlLoadRules.h"

struct CqvXmlLoadStats;

class CqvXmlDocument : public TiXmlDocument {
public:
    // A document starts as UTF-8 (65001 with the utf-8 row of the encoding table),
    // and every load starts again from there. A file that declares no encoding is
    // read by the parser as UTF-8, so this is what its text is; template and data
    // files without declarations then belong to the same family.
    CqvXmlDocument();

    // Clears the document and fills it from the file. Returns true; raises CqvEx
    // on every failure, leaving whatever part of the tree was built. `rules`
    // say which external DTDs and entities the file may use; `stats`, when
    // given, counts how the file was fed to the parser.
    bool Load(const std::string& path, const XmlLoadRules& rules = {}, CqvXmlLoadStats* stats = nullptr);
    // The same from bytes in memory that stand for a file: `name` is what
    // messages show, and references inside resolve against the folder of
    // `basePath` (a file path; the file need not exist).
    bool LoadText(std::string_view text, const std::string& name, const std::string& basePath,
                  const XmlLoadRules& rules = {});

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
    // The first child element of `parent` (a node of this document) with that
    // name, or none. An element with many children is indexed by name on the
    // first look, so that many lookups among many children cost what the
    // children do once, not each time.
    const TiXmlElement* FirstChildNamed(const TiXmlNode* parent, std::string_view name) const;

    // The rules of the current or last load.
    const XmlLoadRules& LoadRules() const { return m_loadRules; }
    // The table row the code page came from; never null.
    const CodePageEntry* CodePageEntryPtr() const { return m_pCodePageEntry; }

private:
    void ResetCodePage();

    std::string m_strSourcePath;
    std::string m_strBasePath;
    XmlLoadRules m_loadRules;
    // First child element by name, for the elements with many children that
    // were looked in; emptied by every load.
    mutable std::unordered_map<const TiXmlNode*, std::unordered_map<std::string_view, const TiXmlElement*>>
        m_childIndex;
    int32_t m_nCodePage = 0;
    const CodePageEntry* m_pCodePageEntry = nullptr;
};
