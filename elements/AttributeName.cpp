#include "elements/AttributeName.h"

#include <tinyxml.h>

#include <cctype>

#include "xml/XmlNav.h"

std::string LowerAttributeName(const TiXmlAttribute& attribute) {
    std::string name = *qv::xml::AttributeName(&attribute);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

bool HasAttributeNoCase(const TiXmlElement& element, std::string_view lowerName) {
    for (const TiXmlAttribute* a = qv::xml::FirstAttribute(&element); a;
         a = qv::xml::NextAttribute(a)) {
        if (LowerAttributeName(*a) == lowerName) return true;
    }
    return false;
}
