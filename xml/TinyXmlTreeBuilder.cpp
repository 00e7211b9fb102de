#include "xml/TinyXmlTreeBuilder.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// What the allocator hands out for a request: the request and its 8-byte
// header, in steps of 16 bytes, never under 32.
constexpr size_t AllocatedBytes(size_t requested) { return std::max<size_t>(32, (requested + 8 + 15) & ~size_t{15}); }

// A string's own allocation; short strings live inside the string object.
constexpr size_t StringHeapBytes(size_t length) {
    constexpr size_t kInline = 15;
    return length <= kInline ? 0 : AllocatedBytes(length + 1);
}

}  // namespace

size_t TinyXmlTreeBuilder::OpenElement(const char* name) {
    auto created = std::make_unique<TiXmlElement>(name);
    TiXmlElement* element = created.get();
    // Only the root meets an empty stack: the parser refuses a second top element.
    TiXmlNode* parent = m_open.empty() ? static_cast<TiXmlNode*>(&m_document) : m_open.back().element;
    parent->LinkEndChild(created.release());
    // The text node goes in first and gets its value at the end tag, so it is the
    // first child whatever follows.
    auto createdText = std::make_unique<TiXmlText>("");
    TiXmlText* text = createdText.get();
    element->LinkEndChild(createdText.release());
    m_open.push_back({element, text});
    return AllocatedBytes(sizeof(TiXmlElement)) + AllocatedBytes(sizeof(TiXmlText)) +
           StringHeapBytes(std::strlen(name));
}

size_t TinyXmlTreeBuilder::AddAttribute(const char* name, const char* value) {
    m_open.back().element->SetAttribute(name, value);
    return AllocatedBytes(sizeof(TiXmlAttribute)) + StringHeapBytes(std::strlen(name)) +
           StringHeapBytes(std::strlen(value));
}

size_t TinyXmlTreeBuilder::CloseElement(std::string_view text) {
    m_open.back().text->SetValue(std::string(text));
    m_open.pop_back();
    // The gathered bytes were counted as they came; the text's own allocation
    // adds its header and rounding.
    const size_t stored = StringHeapBytes(text.size());
    return stored > text.size() ? stored - text.size() : 0;
}

std::string_view TinyXmlTreeBuilder::OpenElementName() const { return m_open.back().element->ValueStr(); }
