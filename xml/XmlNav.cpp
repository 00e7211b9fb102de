#include "xml/XmlNav.h"

#include <limits>

#include "common/AsciiText.h"

namespace qv::xml {

int32_t AtoiValue(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size() && IsAsciiSpace(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate towards the negative side: its range is one larger.
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; pos < text.size() && IsAsciiDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > kMax + 1) value = kMax + 1;  // saturate; further digits change nothing
    }
    if (negative) return static_cast<int32_t>(-value < kMin ? kMin : -value);
    return static_cast<int32_t>(value > kMax ? kMax : value);
}

const TiXmlElement* FirstChildElement(const TiXmlNode* node) { return node ? node->FirstChildElement() : nullptr; }

const TiXmlElement* FirstChildElement(const TiXmlNode* node, const std::string& name) {
    return node ? node->FirstChildElement(name) : nullptr;
}

const TiXmlElement* NextSiblingElement(const TiXmlElement* element) {
    return element ? element->NextSiblingElement() : nullptr;
}

const TiXmlElement* NextSiblingElement(const TiXmlElement* element, const std::string& name) {
    return element ? element->NextSiblingElement(name) : nullptr;
}

const TiXmlAttribute* FirstAttribute(const TiXmlElement* element) {
    return element ? element->FirstAttribute() : nullptr;
}

const TiXmlAttribute* NextAttribute(const TiXmlAttribute* attribute) { return attribute ? attribute->Next() : nullptr; }

const std::string* AttributeName(const TiXmlAttribute* attribute) {
    return attribute ? &attribute->NameTStr() : nullptr;
}

const std::string* AttributeValue(const TiXmlAttribute* attribute) {
    return attribute ? &attribute->ValueStr() : nullptr;
}

int32_t AttributeInt(const TiXmlAttribute* attribute) { return attribute ? AtoiValue(attribute->ValueStr()) : 0; }

const std::string* AttributeByName(const TiXmlElement* element, const std::string& name) {
    return element ? element->Attribute(name) : nullptr;
}

const std::string* AttributeByName(const TiXmlElement* element, const std::string& name, int32_t* value) {
    const std::string* text = AttributeByName(element, name);
    if (value) *value = text ? AtoiValue(*text) : 0;
    return text;
}

const std::string* ElementText(const TiXmlElement* element) {
    if (!element) return nullptr;
    const TiXmlNode* first = element->FirstChild();
    const TiXmlText* text = first ? first->ToText() : nullptr;
    return text ? &text->ValueStr() : nullptr;
}

const std::string* ElementName(const TiXmlElement* element) { return element ? &element->ValueStr() : nullptr; }

}  // namespace qv::xml
