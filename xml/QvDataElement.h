#pragma once
// An element of a loaded data file: the document and the element's place in
// it. It is a small value that behaves like the pointer it replaces: the
// default (or nullptr) is none, it tests false, and it compares and orders by
// identity, so that it can key a map of repetitions.
#include <compare>
#include <cstddef>
#include <cstdint>

class CqvDataDocument;

class QvDataElement {
public:
    QvDataElement() = default;
    QvDataElement(std::nullptr_t) {}
    QvDataElement(const CqvDataDocument* document, uint32_t index) : m_pDocument(document), m_nIndex(index) {}

    explicit operator bool() const { return m_pDocument != nullptr; }
    // Null for none.
    const CqvDataDocument* Document() const { return m_pDocument; }
    uint32_t Index() const { return m_nIndex; }

    friend bool operator==(const QvDataElement&, const QvDataElement&) = default;
    friend std::strong_ordering operator<=>(const QvDataElement& a, const QvDataElement& b) {
        if (a.m_pDocument != b.m_pDocument) return std::compare_three_way{}(a.m_pDocument, b.m_pDocument);
        return a.m_nIndex <=> b.m_nIndex;
    }

private:
    const CqvDataDocument* m_pDocument = nullptr;
    uint32_t m_nIndex = 0;
};
