#pragma once
// Finds an element from a slash-separated list of element names, relative to a
// start node (the start node's own name is not part of the path).
#include <tinyxml.h>

#include <string>
#include <string_view>

#include "xml/QvDataElement.h"

// At each step only the FIRST child element of the segment's name is followed;
// when it does not contain the rest of the path, later siblings of the same name
// are not tried. A trailing slash is ignored; an empty segment (an empty path, a
// leading slash, two slashes in a row) never matches. Null start gives none.
const TiXmlElement* FindElementByPath(const TiXmlNode* start, const std::string& path);
TiXmlElement* FindElementByPath(TiXmlNode* start, const std::string& path);

// The same in a data file.
QvDataElement FindElementByPath(QvDataElement start, std::string_view path);
