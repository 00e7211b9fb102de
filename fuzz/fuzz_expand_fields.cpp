// Placeholders: any text expanded against a fixed data document. A text
// without "[%" comes back unchanged, and a text said to hold the page count
// holds it.
#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "FuzzSupport.h"
#include "common/CqvEx.h"
#include "elements/ExpandFields.h"
#include "xml/CqvDataDocument.h"
#include "xml/DataNav.h"

namespace {

const CqvDataDocument& DataDocument() {
    static const auto document = [] {
        auto loaded = std::make_unique<CqvDataDocument>();
        loaded->Load(qvfuzz::FixedFile("report_data.xml"));
        return loaded;
    }();
    return *document;
}

QvDataElement LastChildElement(QvDataElement element) {
    QvDataElement last;
    for (QvDataElement child = qv::xml::FirstChildElement(element); child; child = qv::xml::NextSiblingElement(child))
        last = child;
    return last;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first four bytes choose the page, the rest is the text.
    uint32_t page = 0;
    if (size >= sizeof page) {
        std::memcpy(&page, data, sizeof page);
        data += sizeof page;
        size -= sizeof page;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const QvDataElement root = DataDocument().RootElement();
    try {
        const QvExpandedText expanded = ExpandFields(text, page, root);
        if (text.find("[%") == std::string_view::npos && expanded.text != text) std::abort();
        if (expanded.hasPageCount && expanded.text.find(kPageCountField) == std::string::npos) std::abort();
        // The same text against no data element and against a leaf element.
        (void)ExpandFields(text, page, nullptr);
        if (const QvDataElement last = LastChildElement(root)) (void)ExpandFields(text, page, last);
        (void)FindDataValue(root, text);
    } catch (const CqvEx&) {
        // An expansion beyond the text limit is refused.
    }
    return 0;
}
