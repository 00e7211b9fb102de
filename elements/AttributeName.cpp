#include "elements/AttributeName.h"

#include <tinyxml.h>

#include "common/AsciiText.h"
#include "xml/XmlNav.h"

std::string LowerAttributeName(const TiXmlAttribute& attribute) {
    return qv::AsciiLower(*qv::xml::AttributeName(&attribute));
}

bool HasAttributeNoCase(const TiXmlElement& element, std::string_view lowerName) {
    for (const TiXmlAttribute* a = qv::xml::FirstAttribute(&element); a; a = qv::xml::NextAttribute(a)) {
        if (LowerAttributeName(*a) == lowerName) return true;
    }
    return false;
}
