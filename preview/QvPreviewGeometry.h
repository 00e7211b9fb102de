#pragma once
// Where the preview puts its pages and which of its commands apply: the page
// slots, the three zoom states, hit testing, paging and scrolling. It knows
// nothing of widgets, so every rule can be driven and checked without a window;
// CqvWinPreview feeds it the window's sizes and mirrors its scroll state.
//
// All screen figures are pixels with y downward; rectangles exclude their right
// and bottom edges, as the platform's do.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qv::preview {

struct PixPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixPoint&, const PixPoint&) = default;
};

struct PixSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const PixSize&, const PixSize&) = default;
};

struct PixRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    PixPoint TopLeft() const { return {left, top}; }
    bool Contains(PixPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    void Offset(int dx, int dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    friend bool operator==(const PixRect&, const PixRect&) = default;
};

// A scale as numerator over denominator; a numerator of 0 marks a slot that
// has not been positioned yet.
struct Ratio {
    int num = 0;
    int den = 0;
    friend bool operator==(const Ratio&, const Ratio&) = default;
};

// a × b / c rounded to the nearest integer, halves away from zero, with a
// 64-bit product; -1 when c is 0 or the result does not fit in an int. Every
// scaling of the preview goes through it so that sizes round the same way
// wherever they are computed.
int MulDiv(int a, int b, int c);

// Control ids of the preview dialog, which are also the window's commands.
constexpr int kIdHyperLink = 2000;
constexpr int kIdPageNumber = 2002;
constexpr int kIdPrint = 2006;
constexpr int kIdNumPages = 2007;
constexpr int kIdZoomIn = 2008;
constexpr int kIdZoomOut = 2009;
constexpr int kIdClose = 2010;
constexpr int kIdPrevPage = 2011;
constexpr int kIdNextPage = 2012;

constexpr int kZoomOut = 0;
constexpr int kZoomMiddle = 1;
constexpr int kZoomIn = 2;

// The page range before a report has published its page count.
constexpr uint32_t kNoPageCount = 0xFFFF;
// Every surface of the engine reports this resolution, the printer's too.
constexpr int kPrinterPixelsPerInch = 254;

// Gap around and between pages.
constexpr int kPageMargin = 8;

// The vertical scroll bar's requests, which page through the report in the
// zoom-out state.
enum class ScrollCode { LineUp, LineDown, PageUp, PageDown, Thumb, Top, Bottom, Other };

class QvPreviewGeometry {
public:
    struct PageSlot {
        PixRect rect;        // the page frame in window coordinates (zoomed: scrolled coordinates)
        PixSize unscaled;    // the physical page in screen pixels at 1:1
        Ratio scaleRatio;    // printer output to screen; num 0 = not positioned
        Ratio zoomOutRatio;  // the ratio at which the page fits the display size
    };

    struct Hit {
        int slot = 0;
        PixPoint pagePoint;  // in unscaled page pixels
    };

    static constexpr unsigned kMaxPages = 2;

    // ---- what the window tells the geometry --------------------------------------

    // The client size as it would be without scroll bars, and the width of a
    // vertical (= height of a horizontal) scroll bar.
    void SetWindow(PixSize clientWithoutBars, int scrollBarExtent);
    void SetScreenDpi(int dpiX, int dpiY);
    // The paper as the printer sees it, in printer pixels (tenths of a
    // millimetre at 254 dpi).
    void SetPhysicalPageSize(PixSize printerPixels) { m_physicalPage = printerPixels; }

    // After the report is laid out: its page range and the number of pages to
    // show side by side (0 means 1, more than two means two).
    void Start(uint32_t minPage, uint32_t maxPage, uint32_t currentPage, unsigned previewPages);

    // ---- the rules -----------------------------------------------------------------

    void SetCurrentPage(int64_t page, bool clearRatios);
    PixSize PageDisplaySize();
    static Ratio ComputeScaleRatio(PixSize available, PixSize page);
    void PositionPage(unsigned slot);
    void ComputeScaledSize(unsigned slot);
    // The slot and unscaled page point under a window point, or none.
    std::optional<Hit> HitTest(PixPoint windowPoint) const;
    void Zoom(int newState, unsigned slot, PixPoint pagePoint);
    // A left click: on a page it moves to the next zoom state, from zoom-in back
    // to zoom-out. Returns true when the point was on a page.
    bool Click(PixPoint windowPoint);
    // Whether the magnifier is the cursor at this window point.
    bool MagnifierAt(PixPoint windowPoint) const;
    void VScrollZoomOut(ScrollCode code, int thumbPosition);
    // The window was resized (SetWindow already has the new size).
    void OnSize();

    // ---- commands ------------------------------------------------------------------

    bool CommandEnabled(int id) const;
    // The texts that follow the state: the page box and the one/two pages button.
    std::string CommandText(int id) const;
    // Runs one of the window's commands (2007 to 2012); false when it is not one.
    // The one/two toggle's new count is what the application remembers.
    bool Execute(int id);
    unsigned ToggledPreviewPages() const { return m_nZoomOutPages; }

    // ---- scrolling in the zoomed states ----------------------------------------------

    bool Zoomed() const { return m_nZoomState != kZoomOut; }
    // Actual client size once the zoomed state's scroll bars take their room.
    PixSize ClientSize() const;
    bool HorizontalBarShown() const;
    bool VerticalBarShown() const;
    // Largest scroll position per axis (zoomed states).
    PixSize ScrollLimit() const;
    PixPoint ScrollPosition() const { return m_scrollPos; }
    void SetScrollPosition(PixPoint position);
    PixSize ScrollTotal() const { return m_scrollTotal; }
    PixSize ScrollPageSize() const { return m_scrollPage; }
    PixSize ScrollLineSize() const { return m_scrollLine; }
    // Where the scrolled page coordinates' origin lies in the window: minus the
    // scroll position, or centred on an axis where everything fits.
    PixPoint ViewportOrigin() const;
    // The vertical bar of the zoom-out state pages through the report; its
    // range is the page range. False when the range is too large to show.
    bool PageBarUsable() const;

    // ---- state -----------------------------------------------------------------------

    int ZoomState() const { return m_nZoomState; }
    unsigned PagesShown() const { return m_nPagesShown; }
    unsigned ZoomOutPages() const { return m_nZoomOutPages; }
    uint32_t CurrentPage() const { return m_nCurrentPage; }
    uint32_t MinPage() const { return m_nMinPage; }
    uint32_t MaxPage() const { return m_nMaxPage; }
    int SecondPageOffset() const { return m_nSecondPageOffset; }
    const PageSlot& Slot(unsigned i) const { return m_slots.at(i); }
    int ScreenDpiX() const { return m_screenDpi.cx; }
    // Screen pixels per logical unit (0.1 mm) of a positioned slot.
    double PixelsPerUnit(unsigned slot) const;

private:
    void ClearRatios();
    void CenterOnPoint(PixPoint point);

    PixSize m_client;  // without scroll bars
    int m_nBarExtent = 0;
    PixSize m_screenDpi{96, 96};
    PixSize m_physicalPage{2100, 2970};

    uint32_t m_nMinPage = 1;
    uint32_t m_nMaxPage = kNoPageCount;
    uint32_t m_nCurrentPage = 1;
    unsigned m_nPagesShown = 1;
    unsigned m_nZoomOutPages = 1;
    int m_nZoomState = kZoomOut;
    int m_nSecondPageOffset = 0;
    std::array<PageSlot, kMaxPages> m_slots{};

    PixSize m_scrollTotal{1, 1};
    PixSize m_scrollPage;
    PixSize m_scrollLine;
    PixPoint m_scrollPos;
};

}  // namespace qv::preview
