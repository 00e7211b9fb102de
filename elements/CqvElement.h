#pragma once
// The root of every template element (blocks, items, styles): report link,
// name, type code, progress, the in-trial mark and the parent block.
#include <cstdint>
#include <memory>

#include "common/QvRect.h"
#include "xml/NamedElementList.h"
#include "xml/QvDataElement.h"

class CqvBlock;
class CqvPagePiece;
class CqvReport;
class CqvTrial;
class Surface;
class TiXmlElement;
struct QvPrintInfo;

namespace qv {

// Type codes, fixed by each class's constructor.
constexpr int kTypeBlock = 1;  // Block without xml-element-name; the page header
constexpr int kTypeXmlBlock = 2;
constexpr int kTypeText = 3;
constexpr int kTypeXmlText = 4;
constexpr int kTypeImage = 5;
constexpr int kTypeXmlImage = 6;
constexpr int kTypeStyle = 9;
constexpr int kTypeTable = 10;
constexpr int kTypeRow = 11;
constexpr int kTypeXmlRow = 12;
constexpr int kTypeFooter = 14;  // the page footer block
constexpr int kTypeLine = 15;

// Leaf items make pieces; every other code is a container (or a style).
constexpr bool IsLeafType(int type) {
    return type == kTypeText || type == kTypeXmlText || type == kTypeImage || type == kTypeXmlImage ||
           type == kTypeLine;
}
constexpr bool IsRowType(int type) { return type == kTypeRow || type == kTypeXmlRow; }
constexpr bool IsImageType(int type) { return type == kTypeImage || type == kTypeXmlImage; }

// Results of Layout (besides a positive height):
//   0   nothing placed, nothing left;
//   -1  nothing fits on this page, lay out again on the next;
//   r < -1  partly placed using -r, the rest continues on the next page.
constexpr int32_t kLayoutNothing = 0;
constexpr int32_t kLayoutNextPage = -1;

// Template lengths saturate at the 32-bit limits, so sums of them are formed in
// 64 bits and brought back here instead of overflowing.
constexpr int32_t Clamp32(int64_t value) {
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
}

}  // namespace qv

class CqvElement : public CqvListMember {
public:
    explicit CqvElement(int typeCode) : m_nType(typeCode) {}
    ~CqvElement() override = default;
    CqvElement(const CqvElement&) = delete;
    CqvElement& operator=(const CqvElement&) = delete;

    // Builds the element from its template element; called once, right after
    // construction, with the report link already set.
    virtual void Load(const TiXmlElement& element) = 0;

    // Places the element at y (a distance below the paper's top) with `data` as
    // the data context; `itemRect` receives the rectangle the element used.
    // Elements record themselves with `trial` before they change anything.
    virtual int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                           CqvTrial* trial);

    // Copies the report link and the name.
    virtual void Assign(const CqvElement& other);

    // The piece of a leaf item for the current page; none for containers and
    // for an item inside a keep-with-next trial.
    virtual std::unique_ptr<CqvPagePiece> CreatePiece();

    virtual void Reset();

    int TypeCode() const { return m_nType; }
    CqvReport* Report() const { return m_pReport; }
    void SetReport(CqvReport* report) { m_pReport = report; }
    CqvBlock* Parent() const { return m_pParent; }
    void SetParent(CqvBlock* parent) { m_pParent = parent; }
    bool InTrial() const { return m_bInTrial; }
    void SetInTrial(bool inTrial) { m_bInTrial = inTrial; }

protected:
    CqvReport* m_pReport = nullptr;
    int m_nType;
    bool m_bInTrial = false;
    CqvBlock* m_pParent = nullptr;
};
