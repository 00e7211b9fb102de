#include "xml/DataNav.h"

#include "xml/CqvDataDocument.h"
#include "xml/XmlNav.h"

namespace qv::xml {

namespace {

constexpr uint32_t kNone = CqvDataDocument::kNone;

const CqvDataDocument::Node& NodeOf(QvDataElement element) { return element.Document()->NodeAt(element.Index()); }

QvDataElement At(QvDataElement from, uint32_t index) {
    return index == kNone ? QvDataElement() : QvDataElement(from.Document(), index);
}

}  // namespace

QvDataElement FirstChildElement(QvDataElement element) {
    return element ? At(element, NodeOf(element).firstChild) : QvDataElement();
}

QvDataElement FirstChildElement(QvDataElement element, std::string_view name) {
    if (!element) return {};
    const std::optional<uint32_t> id = element.Document()->FindName(name);
    return id ? element.Document()->FirstChildNamed(element.Index(), *id) : QvDataElement();
}

QvDataElement NextSiblingElement(QvDataElement element) {
    return element ? At(element, NodeOf(element).nextSibling) : QvDataElement();
}

QvDataElement NextSiblingElement(QvDataElement element, std::string_view name) {
    if (!element) return {};
    const CqvDataDocument& document = *element.Document();
    const std::optional<uint32_t> id = document.FindName(name);
    if (!id) return {};
    for (uint32_t next = NodeOf(element).nextSibling; next != kNone; next = document.NodeAt(next).nextSibling)
        if (document.NodeAt(next).name == *id) return {&document, next};
    return {};
}

std::optional<std::string_view> AttributeByName(QvDataElement element, std::string_view name) {
    if (!element) return std::nullopt;
    const CqvDataDocument& document = *element.Document();
    const std::optional<uint32_t> id = document.FindName(name);
    if (!id) return std::nullopt;
    const CqvDataDocument::Node& node = NodeOf(element);
    for (uint32_t i = 0; i < node.attributeCount; ++i) {
        const CqvDataDocument::Attribute& attribute = document.AttributeAt(node.firstAttribute + i);
        if (attribute.name == *id) return document.Characters(attribute.valueOffset, attribute.valueLength);
    }
    return std::nullopt;
}

std::optional<std::string_view> AttributeByName(QvDataElement element, std::string_view name, int32_t* value) {
    const std::optional<std::string_view> text = AttributeByName(element, name);
    if (value) *value = text ? AtoiValue(*text) : 0;
    return text;
}

size_t AttributeCount(QvDataElement element) { return element ? NodeOf(element).attributeCount : 0; }

std::optional<std::string_view> AttributeName(QvDataElement element, size_t position) {
    if (position >= AttributeCount(element)) return std::nullopt;
    const CqvDataDocument& document = *element.Document();
    return document.Name(document.AttributeAt(NodeOf(element).firstAttribute + position).name);
}

std::optional<std::string_view> AttributeValue(QvDataElement element, size_t position) {
    if (position >= AttributeCount(element)) return std::nullopt;
    const CqvDataDocument& document = *element.Document();
    const CqvDataDocument::Attribute& attribute = document.AttributeAt(NodeOf(element).firstAttribute + position);
    return document.Characters(attribute.valueOffset, attribute.valueLength);
}

std::optional<std::string_view> ElementText(QvDataElement element) {
    if (!element) return std::nullopt;
    const CqvDataDocument::Node& node = NodeOf(element);
    return element.Document()->Characters(node.textOffset, node.textLength);
}

std::optional<std::string_view> ElementName(QvDataElement element) {
    if (!element) return std::nullopt;
    return element.Document()->Name(NodeOf(element).name);
}

}  // namespace qv::xml
