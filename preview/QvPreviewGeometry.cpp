#include "preview/QvPreviewGeometry.h"

#include <algorithm>
#include <climits>

namespace qv::preview {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t product = int64_t{a} * b;
    int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t quotient = product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    if (quotient > INT_MAX || quotient < INT_MIN) return -1;
    return static_cast<int>(quotient);
}

void QvPreviewGeometry::SetWindow(PixSize clientWithoutBars, int scrollBarExtent) {
    m_client = clientWithoutBars;
    m_nBarExtent = std::max(0, scrollBarExtent);
}

void QvPreviewGeometry::SetScreenDpi(int dpiX, int dpiY) { m_screenDpi = {std::max(1, dpiX), std::max(1, dpiY)}; }

void QvPreviewGeometry::Start(uint32_t minPage, uint32_t maxPage, uint32_t currentPage, unsigned previewPages) {
    m_nMinPage = minPage;
    m_nMaxPage = std::max(minPage, maxPage);
    const unsigned pages = previewPages == 0 ? 1 : std::min(previewPages, kMaxPages);
    m_nPagesShown = pages;
    m_nZoomOutPages = pages;
    m_nZoomState = kZoomOut;
    m_scrollTotal = {1, 1};
    m_scrollPos = {};
    SetCurrentPage(currentPage, true);
}

void QvPreviewGeometry::ClearRatios() {
    for (PageSlot& slot : m_slots) slot.scaleRatio.num = 0;
}

void QvPreviewGeometry::SetCurrentPage(int64_t page, bool clearRatios) {
    // Signed, so that paging back from the first page stops there instead of
    // wrapping round to the last.
    page = std::min<int64_t>(page, m_nMaxPage);
    page = std::max<int64_t>(page, m_nMinPage);
    m_nCurrentPage = static_cast<uint32_t>(page);
    if (clearRatios) ClearRatios();
}

PixSize QvPreviewGeometry::PageDisplaySize() {
    PixSize size = m_client;
    // The page bar takes its room only when there are pages to scroll through.
    if (m_nZoomState == kZoomOut && m_nMaxPage != kNoPageCount && m_nMaxPage != m_nMinPage) size.cx -= m_nBarExtent;
    m_nSecondPageOffset = (size.cx - kPageMargin) / 2;
    size.cx = m_nPagesShown == 2 ? (size.cx - 3 * kPageMargin) / 2 : size.cx - 2 * kPageMargin;
    size.cy -= 2 * kPageMargin;
    // A window too small for any page still gets a one-pixel page rather than
    // a negative scale.
    size.cx = std::max(size.cx, 1);
    size.cy = std::max(size.cy, 1);
    return size;
}

Ratio QvPreviewGeometry::ComputeScaleRatio(PixSize available, PixSize page) {
    Ratio ratio{available.cy, page.cy};
    if (MulDiv(page.cx, ratio.num, ratio.den) > available.cx) ratio = {available.cx, page.cx};
    return ratio;
}

void QvPreviewGeometry::PositionPage(unsigned slot) {
    const PixSize display = PageDisplaySize();
    PageSlot& s = m_slots.at(slot);
    s.unscaled = {std::max(1, MulDiv(std::max(1, m_physicalPage.cx), m_screenDpi.cx, kPrinterPixelsPerInch)),
                  std::max(1, MulDiv(std::max(1, m_physicalPage.cy), m_screenDpi.cy, kPrinterPixelsPerInch))};
    s.zoomOutRatio = ComputeScaleRatio(display, s.unscaled);
    ComputeScaledSize(slot);
}

void QvPreviewGeometry::ComputeScaledSize(unsigned slot) {
    PageSlot& s = m_slots.at(slot);
    const Ratio zoomOut = s.zoomOutRatio;
    const bool paperLarger = zoomOut.num < zoomOut.den;
    Ratio ratio = zoomOut;
    switch (m_nZoomState) {
    case kZoomMiddle:
        ratio.den = zoomOut.den;
        ratio.num = paperLarger ? (zoomOut.num + zoomOut.den) / 2 : (3 * zoomOut.num - zoomOut.den) / 2;
        break;
    case kZoomIn: ratio = paperLarger ? Ratio{1, 1} : Ratio{2 * zoomOut.num - zoomOut.den, zoomOut.den}; break;
    default: break;
    }
    s.scaleRatio = ratio;
    const PixSize scaled{MulDiv(s.unscaled.cx, ratio.num, ratio.den), MulDiv(s.unscaled.cy, ratio.num, ratio.den)};
    // The frame encloses the page plus three pixels of frame and shadow.
    s.rect = {kPageMargin, kPageMargin, scaled.cx + kPageMargin + 3, scaled.cy + kPageMargin + 3};

    const PixSize display = PageDisplaySize();
    if (m_nZoomState == kZoomOut) {
        s.rect.Offset((display.cx - s.rect.Width()) / 2 - 1, (display.cy - s.rect.Height()) / 2 - 1);
        if (slot == 1) s.rect.Offset(m_nSecondPageOffset, 0);
        return;
    }
    m_scrollTotal = {s.rect.Width() + 2 * kPageMargin, s.rect.Height() + 2 * kPageMargin};
    m_scrollPage = display;
    m_scrollLine = {display.cx / 10, display.cy / 10};
    SetScrollPosition(m_scrollPos);
}

std::optional<QvPreviewGeometry::Hit> QvPreviewGeometry::HitTest(PixPoint windowPoint) const {
    PixPoint p = windowPoint;
    if (Zoomed()) {
        // Through the viewport origin rather than the scroll position alone, so
        // that a page centred in a larger window is hit where it is drawn.
        const PixPoint origin = ViewportOrigin();
        p.x -= origin.x;
        p.y -= origin.y;
    }
    for (unsigned i = 0; i < m_nPagesShown; ++i) {
        const PageSlot& s = m_slots[i];
        if (s.scaleRatio.num == 0 || !s.rect.Contains(p)) continue;
        const PixPoint inPage{p.x - s.rect.left, p.y - s.rect.top};
        return Hit{static_cast<int>(i),
                   {MulDiv(inPage.x, s.scaleRatio.den, s.scaleRatio.num),
                    MulDiv(inPage.y, s.scaleRatio.den, s.scaleRatio.num)}};
    }
    return std::nullopt;
}

void QvPreviewGeometry::Zoom(int newState, unsigned slot, PixPoint pagePoint) {
    if (newState == m_nZoomState || newState < kZoomOut || newState > kZoomIn || slot >= kMaxPages) return;
    // A page never positioned has no zoom-out ratio to zoom from yet.
    if (newState != kZoomOut && m_slots[slot].zoomOutRatio.den == 0) PositionPage(slot);
    m_nZoomState = newState;
    if (newState == kZoomOut) {
        m_nPagesShown = m_nZoomOutPages;
        m_scrollTotal = {1, 1};
        m_scrollPos = {};
        SetCurrentPage(m_nCurrentPage, true);
        return;
    }
    m_nPagesShown = 1;
    m_slots[0].zoomOutRatio = m_slots[slot].zoomOutRatio;
    m_slots[0].unscaled = m_slots[slot].unscaled;
    SetCurrentPage(int64_t{m_nCurrentPage} + slot, false);
    ComputeScaledSize(0);
    const PageSlot& s = m_slots[0];
    CenterOnPoint({MulDiv(pagePoint.x, s.scaleRatio.num, s.scaleRatio.den) + s.rect.left,
                   MulDiv(pagePoint.y, s.scaleRatio.num, s.scaleRatio.den) + s.rect.top});
}

bool QvPreviewGeometry::Click(PixPoint windowPoint) {
    const std::optional<Hit> hit = HitTest(windowPoint);
    if (!hit) return false;
    const int next = m_nZoomState == kZoomIn ? kZoomOut : m_nZoomState + 1;
    Zoom(next, static_cast<unsigned>(hit->slot), hit->pagePoint);
    return true;
}

bool QvPreviewGeometry::MagnifierAt(PixPoint windowPoint) const {
    return m_nZoomState != kZoomIn && HitTest(windowPoint).has_value();
}

void QvPreviewGeometry::VScrollZoomOut(ScrollCode code, int thumbPosition) {
    if (Zoomed()) return;
    const int64_t current = m_nCurrentPage;
    const int64_t step = (int64_t{m_nMaxPage} - m_nMinPage + 9) / 10;
    int64_t page = current;
    switch (code) {
    case ScrollCode::LineUp: page = current - 1; break;
    case ScrollCode::LineDown: page = current + 1; break;
    case ScrollCode::PageUp: page = current - step; break;
    case ScrollCode::PageDown: page = current + step; break;
    case ScrollCode::Thumb: page = thumbPosition; break;
    case ScrollCode::Top: page = m_nMinPage; break;
    case ScrollCode::Bottom: page = m_nMaxPage; break;
    case ScrollCode::Other: return;
    }
    SetCurrentPage(page, true);
}

void QvPreviewGeometry::OnSize() {
    if (!Zoomed()) {
        ClearRatios();
        return;
    }
    m_scrollPage = ClientSize();
    m_scrollLine = {m_scrollPage.cx / 10, m_scrollPage.cy / 10};
    SetScrollPosition(m_scrollPos);
}

bool QvPreviewGeometry::CommandEnabled(int id) const {
    switch (id) {
    case kIdPrint:
    case kIdClose:
    case kIdPageNumber: return true;
    case kIdNumPages: return m_nZoomState == kZoomOut && kMaxPages != 1 && (m_nMaxPage > 1 || m_nPagesShown > 1);
    case kIdZoomIn: return m_nZoomState != kZoomIn;
    case kIdZoomOut: return m_nZoomState != kZoomOut;
    case kIdPrevPage: return m_nCurrentPage > m_nMinPage;
    case kIdNextPage: return uint64_t{m_nCurrentPage} + m_nPagesShown - 1 < m_nMaxPage;
    default: return false;
    }
}

std::string QvPreviewGeometry::CommandText(int id) const {
    if (id == kIdPageNumber) return std::to_string(m_nCurrentPage);
    if (id == kIdNumPages) {
        const unsigned pages = m_nZoomState == kZoomOut ? m_nPagesShown : m_nZoomOutPages;
        return pages == 1 ? "&Two Page" : "&One Page";
    }
    return {};
}

bool QvPreviewGeometry::Execute(int id) {
    // A command whose button is disabled cannot arrive from the dialog; refusing
    // it here keeps a caller from, say, showing two pages while zoomed.
    if (!CommandEnabled(id)) return false;
    switch (id) {
    case kIdNumPages:
        m_nPagesShown = 3 - m_nPagesShown;
        m_nZoomOutPages = m_nPagesShown;
        SetCurrentPage(m_nCurrentPage, true);
        return true;
    case kIdZoomIn: Zoom(m_nZoomState + 1, 0, {0, 0}); return true;
    case kIdZoomOut: Zoom(m_nZoomState - 1, 0, {0, 0}); return true;
    case kIdPrevPage: SetCurrentPage(int64_t{m_nCurrentPage} - 1, true); return true;
    case kIdNextPage: SetCurrentPage(int64_t{m_nCurrentPage} + 1, true); return true;
    default: return false;
    }
}

bool QvPreviewGeometry::PageBarUsable() const { return m_nMaxPage < 0x8000 && m_nMaxPage - m_nMinPage <= 32767; }

PixSize QvPreviewGeometry::ClientSize() const {
    PixSize client = m_client;
    if (!Zoomed()) {
        if (VerticalBarShown()) client.cx -= m_nBarExtent;
        return client;
    }
    bool needH = m_scrollTotal.cx > client.cx;
    bool needV = m_scrollTotal.cy > client.cy;
    if (needV && !needH) needH = m_scrollTotal.cx > client.cx - m_nBarExtent;
    if (needH && !needV) needV = m_scrollTotal.cy > client.cy - m_nBarExtent;
    return {client.cx - (needV ? m_nBarExtent : 0), client.cy - (needH ? m_nBarExtent : 0)};
}

bool QvPreviewGeometry::HorizontalBarShown() const { return Zoomed() && ClientSize().cy < m_client.cy; }

bool QvPreviewGeometry::VerticalBarShown() const {
    if (!Zoomed()) return PageBarUsable() && m_nMaxPage > m_nMinPage;
    return ClientSize().cx < m_client.cx;
}

PixSize QvPreviewGeometry::ScrollLimit() const {
    if (!Zoomed()) return {};
    const PixSize client = ClientSize();
    return {std::max(0, m_scrollTotal.cx - client.cx), std::max(0, m_scrollTotal.cy - client.cy)};
}

void QvPreviewGeometry::SetScrollPosition(PixPoint position) {
    const PixSize limit = ScrollLimit();
    m_scrollPos = {std::clamp(position.x, 0, limit.cx), std::clamp(position.y, 0, limit.cy)};
}

void QvPreviewGeometry::CenterOnPoint(PixPoint point) {
    const PixSize client = ClientSize();
    SetScrollPosition({point.x - client.cx / 2, point.y - client.cy / 2});
}

PixPoint QvPreviewGeometry::ViewportOrigin() const {
    if (!Zoomed()) return {};
    const PixSize client = ClientSize();
    return {m_scrollTotal.cx < client.cx ? (client.cx - m_scrollTotal.cx) / 2 : -m_scrollPos.x,
            m_scrollTotal.cy < client.cy ? (client.cy - m_scrollTotal.cy) / 2 : -m_scrollPos.y};
}

double QvPreviewGeometry::PixelsPerUnit(unsigned slot) const {
    const Ratio r = m_slots.at(slot).scaleRatio;
    if (r.num <= 0 || r.den <= 0) return 0;
    return double(m_screenDpi.cx) / kPrinterPixelsPerInch * r.num / r.den;
}

}  // namespace qv::preview
