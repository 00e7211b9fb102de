#pragma once
// The in-memory tree of a template: a TinyXML document that also records where
// it was loaded from and the code page of its text. Data files load into the
// compact CqvDataDocument instead.
#include <tinyxml.h>

#include <string>
#include <string_view>
#include <unordered_map>

#include "xml/QvXmlSource.h"

struct CqvXmlLoadStats;

class CqvXmlDocument : public TiXmlDocument, public QvXmlSource {
public:
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

    // The first child element of `parent` (a node of this document) with that
    // name, or none. An element with many children is indexed by name on the
    // first look, so that many lookups among many children cost what the
    // children do once, not each time.
    const TiXmlElement* FirstChildNamed(const TiXmlNode* parent, std::string_view name) const;

private:
    // First child element by name, for the elements with many children that
    // were looked in; emptied by every load.
    mutable std::unordered_map<const TiXmlNode*, std::unordered_map<std::string_view, const TiXmlElement*>>
        m_childIndex;
};
