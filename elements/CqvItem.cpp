#include "elements/CqvItem.h"

#include <tinyxml.h>

#include "common/CqvEx.h"
#include "elements/AttributeInt.h"
#include "elements/AttributeName.h"
#include "elements/CqvBlock.h"
#include "elements/ParseLength.h"
#include "engine/CqvReport.h"
#include "xml/XmlNav.h"

CqvItem::CqvItem(int typeCode) : CqvElement(typeCode) {}

CqvItem::~CqvItem() = default;

namespace {

int TriFromInt(const TiXmlAttribute* attribute) { return qv::xml::AttributeInt(attribute) != 0 ? 1 : 0; }

int32_t AbsoluteLength(const TiXmlAttribute& attribute) { return AbsoluteValue(ParseLength(attribute)); }

}  // namespace

void CqvItem::Load(const TiXmlElement& element) {
    using namespace qv::xml;
    for (const TiXmlAttribute* a = FirstAttribute(&element); a; a = NextAttribute(a)) {
        const std::string name = LowerAttributeName(*a);
        const std::string& value = *AttributeValue(a);
        if (name == "name") {
            m_strName = value;
        } else if (name == "style-name") {
            m_strStyleName = value;
            const CqvStyle* named = m_pReport ? m_pReport->FindStyle(value) : nullptr;
            if (!named) throw CqvEx("Can't find style-name '" + value + "'");
            m_style.CopyFrom(*named);
        } else if (name == "xml-element-name") {
            m_strXmlElementName = value;
        } else if (name == "xml-property-name") {
            m_strXmlPropertyName = value;
        } else if (name == "left") {
            m_nLeft = AbsoluteLength(*a);
        } else if (name == "top") {
            m_nTop = AbsoluteLength(*a);
        } else if (name == "width") {
            m_nWidth = AbsoluteLength(*a);
        } else if (name == "height") {
            m_nHeight = AbsoluteLength(*a);
        } else if (name == "not-last-item") {
            m_nNotLastItem = TriFromInt(a);
        } else if (name == "start-page") {
            SetStartPage(TriFromInt(a));
        }
    }
    // Only a style that nothing was copied into yet (a top-level block, the
    // header or the footer without style-name) starts from the default style.
    m_style.ApplyDefault();
    // Style attributes written on the item itself come last and win.
    m_style.Load(element);
}

void CqvItem::SetInFooter() { m_bInFooter = true; }

void CqvItem::SetAbsolute() { m_bAbsolute = true; }

void CqvItem::DeferLast(int&) {}

bool CqvItem::IsDone() const { return m_nProgress == kProgressFinished; }

bool CqvItem::HasStarted() const { return m_nProgress != 0 || m_nPartProgress != 0; }

void CqvItem::Reset() {
    CqvElement::Reset();
    m_nPartProgress = 0;
}

void CqvItem::Finish() {
    m_nProgress = kProgressFinished;
    m_nPartProgress = 0;
    m_bDeferred = false;
    // Re-armed so that an item laid out again (every repetition of a data-bound
    // block) asks for its page break again.
    m_nStartPagePending = m_nStartPage;
    if (IsLeaf() && m_pReport) m_pReport->SetPageEmpty(false);
}

QvRect CqvItem::ItemRect(int32_t y) {
    const QvRect& body = m_pReport->BodyArea();
    const int64_t top = m_bAbsolute ? int64_t{y} + m_nTop : int64_t{y};
    QvRect rc;
    rc.left = qv::Clamp32(int64_t{body.left} + m_nLeft);
    rc.right = qv::Clamp32(int64_t{body.left} + m_nLeft + m_nWidth);
    rc.top = qv::Clamp32(-top);
    rc.bottom = qv::Clamp32(-(top + m_nHeight));
    if (rc.right > body.right) rc.right = body.right;

    m_rcItem = rc;
    m_rcContent.left = qv::Clamp32(int64_t{rc.left} + m_style.m_nPaddingLeft);
    m_rcContent.top = qv::Clamp32(int64_t{rc.top} - m_style.m_nPaddingTop);
    m_rcContent.right = qv::Clamp32(int64_t{rc.right} - m_style.m_nPaddingRight);
    m_rcContent.bottom = qv::Clamp32(int64_t{rc.bottom} + m_style.m_nPaddingBottom);
    return m_rcItem;
}

int32_t CqvItem::BottomLimit() const {
    // The footer's own items may use the footer's height below the body area,
    // down to the printable area's bottom.
    if (m_bInFooter || m_nType == qv::kTypeFooter) return m_pReport->PrintableArea().bottom;
    return m_pReport->BodyArea().bottom;
}

std::optional<int32_t> CqvItem::RisenTop(int64_t height) const {
    if (!m_pReport->PageEmpty()) return std::nullopt;
    const int64_t risen = int64_t{BottomLimit()} - height;
    if (risen < ContinuedPageTop()) return std::nullopt;
    return qv::Clamp32(risen);
}

int64_t CqvItem::ContinuedPageTop() const {
    return int64_t{m_pReport->BodyArea().top} + m_pReport->PageHeader().Height();
}

bool CqvItem::InFormInBody() const {
    if (!m_bAbsolute || m_bInFooter) return false;
    for (const CqvBlock* block = m_pParent; block; block = block->Parent())
        if (block == &m_pReport->PageHeader()) return false;
    return true;
}
