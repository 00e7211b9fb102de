#pragma once
// Where the loader puts what the parser reports. Templates are built as TinyXML
// documents, data files as compact trees; the loader's rules (text gathering,
// limits, DTD checks) are the same for both.
#include <cstddef>
#include <string_view>

class QvXmlTreeBuilder {
public:
    virtual ~QvXmlTreeBuilder() = default;

    // Each step returns the bytes of memory the tree grew by, which the loader
    // charges against the load's budget.
    //
    // Opens an element as the last child of the innermost open one (the
    // document's root when none is open).
    virtual size_t OpenElement(const char* name) = 0;
    // Adds an attribute to the element opened last; attributes come in their
    // stored order, before any child of the element.
    virtual size_t AddAttribute(const char* name, const char* value) = 0;
    // Closes the innermost open element with the text gathered for it. The
    // loader has charged the gathered bytes as they came.
    virtual size_t CloseElement(std::string_view text) = 0;
    // The name of the innermost open element, for messages.
    virtual std::string_view OpenElementName() const = 0;
};
