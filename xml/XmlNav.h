#pragma once
// Read-only navigation of loaded templates, the only way the engine reads a
// template's tree (data files have their own, in DataNav.h). Every operation
// accepts a null node and answers none (nullptr) instead of failing, so lookups
// chain and the caller decides whether a missing part is an error and which
// message it raises.
#include <tinyxml.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qv::xml {

// The leading decimal integer by the C library's atoi rules: leading white space
// and one sign allowed, conversion stops at the first other character, 0 when
// there is no digit. Unlike atoi, a value out of range saturates instead of
// being undefined.
int32_t AtoiValue(std::string_view text);

// The first child element (a loaded element's text node is skipped).
const TiXmlElement* FirstChildElement(const TiXmlNode* node);
// The first child element whose name equals `name` byte for byte.
const TiXmlElement* FirstChildElement(const TiXmlNode* node, const std::string& name);
const TiXmlElement* NextSiblingElement(const TiXmlElement* element);
const TiXmlElement* NextSiblingElement(const TiXmlElement* element, const std::string& name);

// Attributes in their stored order: document order, then DTD defaults.
const TiXmlAttribute* FirstAttribute(const TiXmlElement* element);
const TiXmlAttribute* NextAttribute(const TiXmlAttribute* attribute);
const std::string* AttributeName(const TiXmlAttribute* attribute);
const std::string* AttributeValue(const TiXmlAttribute* attribute);
// The value by atoi rules; 0 for a null attribute.
int32_t AttributeInt(const TiXmlAttribute* attribute);

// The value of the attribute with exactly this name, or none.
const std::string* AttributeByName(const TiXmlElement* element, const std::string& name);
// As above, and stores the value's integer (atoi rules) in `value`, or 0 when the
// attribute is absent. `value` may be null.
const std::string* AttributeByName(const TiXmlElement* element, const std::string& name, int32_t* value);

// The value of the element's first child when that child is a text node, else
// none. Every loaded element has one, so a loaded element yields its gathered
// text, the empty string included.
const std::string* ElementText(const TiXmlElement* element);
const std::string* ElementName(const TiXmlElement* element);

}  // namespace qv::xml
