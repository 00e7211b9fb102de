#pragma once
// Builds a template's TinyXML tree: every element gets a text node as its
// first child, which holds the element's gathered text.
#include <tinyxml.h>

#include <vector>

#include "xml/QvXmlTreeBuilder.h"

class TinyXmlTreeBuilder : public QvXmlTreeBuilder {
public:
    explicit TinyXmlTreeBuilder(TiXmlDocument& document) : m_document(document) {}

    size_t OpenElement(const char* name) override;
    size_t AddAttribute(const char* name, const char* value) override;
    size_t CloseElement(std::string_view text) override;
    std::string_view OpenElementName() const override;

private:
    struct Open {
        TiXmlElement* element;
        TiXmlText* text;
    };
    TiXmlDocument& m_document;
    std::vector<Open> m_open;
};
