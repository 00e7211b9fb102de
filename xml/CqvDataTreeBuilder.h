#pragma once
// Builds a data file's compact tree as the loader reads it.
#include <cstdint>
#include <vector>

#include "xml/CqvDataDocument.h"
#include "xml/QvXmlTreeBuilder.h"

class CqvDataTreeBuilder : public QvXmlTreeBuilder {
public:
    explicit CqvDataTreeBuilder(CqvDataDocument& document) : m_document(document) {}

    size_t OpenElement(const char* name) override;
    size_t AddAttribute(const char* name, const char* value) override;
    size_t CloseElement(std::string_view text) override;
    std::string_view OpenElementName() const override;

private:
    struct Open {
        uint32_t index;
        uint32_t lastChild;
    };
    // The id of `name`, interned on its first use; adds what that cost to `bytes`.
    uint32_t Intern(std::string_view name, size_t& bytes);
    // The offset of `text` appended to the character pool.
    uint32_t AppendCharacters(std::string_view text);

    CqvDataDocument& m_document;
    std::vector<Open> m_open;
};
