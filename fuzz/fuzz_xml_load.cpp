// The XML loader on arbitrary bytes: any file must load or be refused with a
// CqvEx, and a loaded tree must be safe to walk and to destroy. The folder the
// input lies in holds the template DTD and other files, so external DTDs and
// entities that name them are read too.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "common/CqvEx.h"
#include "xml/CqvXmlDocument.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = qvfuzz::WriteInput("input.xml", data, size);
    CqvXmlDocument document;
    try {
        document.Load(path);
    } catch (const CqvEx&) {
        // Refused; whatever part of the tree was built is destroyed below.
    }
    volatile size_t seen = Walk(document.FirstChild());
    (void)seen;
    if (const TiXmlElement* root = document.RootElement()) {
        (void)FindElementByPath(root, "a/b/c");
        (void)FindElementByPath(root, root->ValueStr());
    }
    return 0;
}
