#pragma once
// Read-only navigation of a loaded data file, with the rules of XmlNav.h for
// templates: every operation accepts none and answers none, so lookups chain
// and the caller decides whether a missing part is an error; names match byte
// for byte, and a lookup by name finds the first match in document order.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "xml/QvDataElement.h"

namespace qv::xml {

QvDataElement FirstChildElement(QvDataElement element);
// The first child element whose name equals `name`.
QvDataElement FirstChildElement(QvDataElement element, std::string_view name);
QvDataElement NextSiblingElement(QvDataElement element);
QvDataElement NextSiblingElement(QvDataElement element, std::string_view name);

// The value of the attribute with exactly this name, or none.
std::optional<std::string_view> AttributeByName(QvDataElement element, std::string_view name);
// As above, and stores the value's integer (atoi rules) in `value`, or 0 when the
// attribute is absent. `value` may be null.
std::optional<std::string_view> AttributeByName(QvDataElement element, std::string_view name, int32_t* value);

// Attributes by position in their stored order: document order, then DTD
// defaults. Out of range and none give 0 and none.
size_t AttributeCount(QvDataElement element);
std::optional<std::string_view> AttributeName(QvDataElement element, size_t position);
std::optional<std::string_view> AttributeValue(QvDataElement element, size_t position);

// The element's gathered text (the empty string included); none only for none.
std::optional<std::string_view> ElementText(QvDataElement element);
std::optional<std::string_view> ElementName(QvDataElement element);

}  // namespace qv::xml
