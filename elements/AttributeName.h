#pragma once
// Template attribute names are compared in lower case, so they are
// case-insensitive; element names and values compare exactly.
#include <string>
#include <string_view>

class TiXmlAttribute;
class TiXmlElement;

std::string LowerAttributeName(const TiXmlAttribute& attribute);

// Whether the element has an attribute of that lower-case name, in any case.
bool HasAttributeNoCase(const TiXmlElement& element, std::string_view lowerName);
