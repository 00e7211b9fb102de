// The XML loader on arbitrary bytes: any file must load or be refused with a
// CqvEx, and a loaded tree must be safe to walk and to destroy. The file is
// loaded as a template and as data, and the two trees must hold the same
// elements, attributes and texts. The folder the
// input lies in holds the template DTD and other files, so external DTDs and
// entities that name them are read too.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzSupport.h"
#include "common/CqvEx.h"
#include "xml/CqvDataDocument.h"
#include "xml/CqvXmlDocument.h"
#include "xml/DataNav.h"
#include "xml/FindElementByPath.h"

namespace {

// Touches every node, attribute and text, as the elements do while they load.
size_t Walk(const TiXmlNode* node) {
    size_t seen = 0;
    for (; node; node = node->NextSibling()) {
        ++seen;
        if (const TiXmlElement* element = node->ToElement()) {
            for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
                seen += a->ValueStr().size() + a->NameTStr().size();
            // Iterative over siblings, recursive over depth: the loader caps the depth.
            seen += Walk(element->FirstChild());
        } else if (const TiXmlText* text = node->ToText()) {
            seen += text->ValueStr().size();
        }
    }
    return seen;
}

// Whether the data tree below `data` holds what the template tree below
// `element` does, element by element in document order.
bool SameElements(const TiXmlElement* element, QvDataElement data) {
    for (; element && data; element = element->NextSiblingElement(), data = qv::xml::NextSiblingElement(data)) {
        if (*qv::xml::ElementName(data) != element->ValueStr()) return false;
        const TiXmlNode* first = element->FirstChild();
        if (!first || !first->ToText() || *qv::xml::ElementText(data) != first->ValueStr()) return false;
        size_t position = 0;
        for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next(), ++position) {
            if (qv::xml::AttributeName(data, position) != a->NameTStr() ||
                qv::xml::AttributeValue(data, position) != a->ValueStr())
                return false;
        }
        if (position != qv::xml::AttributeCount(data)) return false;
        if (!SameElements(element->FirstChildElement(), qv::xml::FirstChildElement(data))) return false;
    }
    return !element && !data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = qvfuzz::WriteInput("input.xml", data, size);
    CqvXmlDocument document;
    bool loaded = true;
    try {
        document.Load(path);
    } catch (const CqvEx&) {
        // Refused; whatever part of the tree was built is destroyed below.
        loaded = false;
    }
    CqvDataDocument dataDocument;
    bool dataLoaded = true;
    try {
        dataDocument.Load(path);
    } catch (const CqvEx&) {
        dataLoaded = false;
    }
    // Both trees are built from the same parser events, so they must agree on
    // whether the file loads and on what it holds.
    if (loaded != dataLoaded) std::abort();
    if (loaded && !SameElements(document.RootElement(), dataDocument.RootElement())) std::abort();
    volatile size_t seen = Walk(document.FirstChild());
    (void)seen;
    if (const TiXmlElement* root = document.RootElement()) {
        (void)FindElementByPath(root, "a/b/c");
        (void)FindElementByPath(root, root->ValueStr());
    }
    if (const QvDataElement root = dataDocument.RootElement()) {
        (void)FindElementByPath(root, "a/b/c");
        (void)FindElementByPath(root, *qv::xml::ElementName(root));
    }
    return 0;
}
