#pragma once
// The base of every laid-out element: the attributes all items share, the
// embedded style, the flags block layout works with, and the item rectangle.
#include <cstdint>
#include <optional>
#include <string>

#include "common/QvRect.h"
#include "common/TriState.h"
#include "elements/CqvElement.h"
#include "elements/CqvStyle.h"

class CqvItem : public CqvElement {
public:
    explicit CqvItem(int typeCode);
    ~CqvItem() override;

    // The common attributes, then the default style (only for a style never
    // loaded) and the element's own style attributes.
    void Load(const TiXmlElement& element) override;

    virtual void SetInFooter();
    virtual void SetAbsolute();
    // Orphan control: marks the last unstarted leaf, row or data-bound block of
    // a subtree.
    virtual void DeferLast(int& count);
    virtual bool IsDone() const;
    // Anything placed: progress, or part of the current unit.
    virtual bool HasStarted() const;
    // Progress back to the start, nothing of the current unit placed.
    void Reset() override;
    // Progress := finished, deferred := false, start-page pending re-armed; a leaf
    // also tells the report that its page is no longer empty.
    virtual void Finish();

    // Computes, stores and returns the item rectangle for position y (and the
    // content rectangle: the item rectangle less the paddings).
    QvRect ItemRect(int32_t y);

    // The largest y the item may reach: the body area's bottom, or for an item
    // of the page footer the printable area's bottom.
    int32_t BottomLimit() const;
    // Where an item `height` high starts when only the spaces above it keep
    // it off a page that holds nothing yet, which every next page would do
    // the same way, for ever: as low as it still fits, never above the body.
    // None on a page already used, or when no page has the room.
    std::optional<int32_t> RisenTop(int64_t height) const;
    // The highest an item continued on a new page starts: right below the
    // page header.
    int64_t ContinuedPageTop() const;
    // An item of an `asblank` form in the body, not of the page header or
    // footer, whose places are fixed.
    bool InFormInBody() const;

    bool IsLeaf() const { return qv::IsLeafType(m_nType); }
    bool IsContainer() const { return !qv::IsLeafType(m_nType); }

    CqvStyle& Style() { return m_style; }
    const CqvStyle& Style() const { return m_style; }
    const std::string& StyleName() const { return m_strStyleName; }
    const std::string& XmlElementName() const { return m_strXmlElementName; }
    const std::string& XmlPropertyName() const { return m_strXmlPropertyName; }

    int32_t Left() const { return m_nLeft; }
    int32_t Top() const { return m_nTop; }
    int32_t Width() const { return m_nWidth; }
    int32_t Height() const { return m_nHeight; }
    void SetWidth(int32_t width) { m_nWidth = width; }
    void SetLeft(int32_t left) { m_nLeft = left; }
    // The span used by the placement record: left to left + width, both included.
    int32_t SpanLeft() const { return m_nLeft; }
    int32_t SpanRight() const { return qv::Clamp32(int64_t{m_nLeft} + m_nWidth); }

    bool InFooter() const { return m_bInFooter; }
    bool IsAbsolute() const { return m_bAbsolute; }
    bool Deferred() const { return m_bDeferred; }
    void SetDeferred(bool deferred) { m_bDeferred = deferred; }
    int NotLastItem() const { return m_nNotLastItem; }
    void SetNotLastItem(int value) { m_nNotLastItem = value; }
    int StartPage() const { return m_nStartPage; }
    void SetStartPage(int value) { m_nStartPage = m_nStartPagePending = value; }
    int StartPagePending() const { return m_nStartPagePending; }
    void SetStartPagePending(int value) { m_nStartPagePending = value; }

    // How much of its current unit (a word too tall for any page) an item has
    // placed on earlier pages; saved and restored by trials with the progress.
    int32_t PartProgress() const { return m_nPartProgress; }
    void SetPartProgress(int32_t part) { m_nPartProgress = part; }

    // Whether the last layout cut the item at its bottom limit. Its lines were
    // chosen to fill the room down to the limit, so the piece's content reaches
    // the limit; the padding bottom belongs where the item ends.
    bool CutAtBottomLimit() const { return m_bCutAtBottomLimit; }

    const QvRect& ItemRectangle() const { return m_rcItem; }
    const QvRect& ContentRectangle() const { return m_rcContent; }

protected:
    bool m_bDeferred = false;
    std::string m_strStyleName;
    CqvStyle m_style;
    std::string m_strXmlElementName;
    std::string m_strXmlPropertyName;
    int32_t m_nLeft = 0;
    int32_t m_nTop = 0;
    int32_t m_nWidth = 500;
    int32_t m_nHeight = 10;
    bool m_bInFooter = false;
    bool m_bAbsolute = false;
    int m_nNotLastItem = qv::kTriUnset;
    int m_nStartPage = qv::kTriUnset;
    int m_nStartPagePending = qv::kTriUnset;
    QvRect m_rcItem;
    QvRect m_rcContent;
    int32_t m_nPartProgress = 0;
    bool m_bCutAtBottomLimit = false;
};
