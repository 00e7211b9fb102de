#include "elements/CqvRow.h"

#include <tinyxml.h>

#include <algorithm>

#include "elements/CqvTrial.h"
#include "engine/CqvReport.h"
#include "xml/XmlNav.h"

namespace qv::rows {

namespace {

bool PlacedNothing(CqvBlock& row, size_t firstPiece) {
    // A trial makes no pieces: judged by them, every row cut in a trial had
    // placed nothing, and a keep-with-next trial took a table whose first
    // row goes on below the kept item for one that leaves the page.
    if (row.InTrial()) return !row.PlacedAnything();
    if (row.Report()->CurrentPagePieceCount() != firstPiece) return false;
    for (const auto& piece : row.Pieces())
        if (!piece->FrameOnly()) return false;
    return true;
}

}  // namespace

bool MovesWhole(CqvBlock& row, int32_t& r, size_t firstPiece, int32_t y, bool continuing, bool pageWasEmpty) {
    // A row whose cells placed nothing here (each one's space-before still
    // counts in its extent) has not started: it reports nothing placed, as
    // when nothing fits.
    if (r < 0 && PlacedNothing(row, firstPiece)) r = qv::kLayoutNextPage;
    // A row of which nothing fits leaves nothing on the page: the frames of
    // its cells would be empty slivers below the body's bottom.
    if (r == qv::kLayoutNextPage) row.Pieces().clear();
    // A trial leaves no trace: it neither records a move nor forgets one.
    const bool inTrial = row.InTrial();
    const std::optional<int32_t> movedFrom = row.MovedWholeFrom();
    if (!inTrial) row.SetMovedWholeFrom(std::nullopt);
    // A row split on an earlier page is no longer whole: moving it would
    // start its cells again and place what they placed there a second time.
    if (!row.NoWrap() || r >= 0 || continuing) return false;
    // On a page that held nothing before it, no later page has more room.
    if (pageWasEmpty) return false;
    // The page's own rows above it (a table's header rows) come again on the
    // next page, so moving a row that moved already gains it nothing.
    if (movedFrom && y <= *movedFrom) return false;
    // A row that would fill most of a new page is split where it stands:
    // moving it would only split it on the next page. The room it finds there
    // lies below the page header, the space-before of the blocks around it
    // and its table's header rows, not the whole body: measured by the body, a
    // row that is split on the next page anyway moved there first and left its
    // header row alone at the foot.
    const double room = double(int64_t{row.BottomLimit()} - row.FreshPageTop());
    const double q = room / -double(r);
    if (q < kMoveWholeQuotient) {
        row.SetNoWrap(false);
        return false;
    }
    row.Pieces().clear();
    row.Report()->DropPiecesFrom(firstPiece);
    if (!inTrial) row.SetMovedWholeFrom(y);
    return true;
}

void ToRowExtent(CqvBlock& row, int32_t r) {
    const int64_t extent = r < 0 ? -int64_t{r} : r;
    const int64_t limit = -int64_t{row.BottomLimit()};
    // A cell whose space-before puts its box below the limit placed nothing
    // here: its frame has no room on this page.
    std::erase_if(row.Pieces(), [&](const auto& piece) { return piece->m_rcOuter.top < limit; });
    for (auto& piece : row.Pieces()) {
        // The extent counts from the row's top, which lies a cell's
        // space-before above the cell's box; and a row that continues on the
        // next page ends at the body's bottom, whatever space its cells ask
        // after them.
        const int64_t rowTop = int64_t{piece->m_rcOuter.top} + (piece->Style() ? piece->Style()->m_nSpaceBefore : 0);
        piece->m_rcOuter.bottom = qv::Clamp32(std::max(rowTop - extent, limit));
    }
    // A finished cell's frame on a later page of its row still stands its
    // space-before below the row's top; when the cells that continue use less
    // than that, its box would begin below the row's bottom: it has no room
    // in the row on this page.
    std::erase_if(row.Pieces(), [](const auto& piece) { return piece->m_rcOuter.bottom >= piece->m_rcOuter.top; });
}

}  // namespace qv::rows

void CqvRow::Load(const TiXmlElement& element) {
    CqvBlock::Load(element);
    // Looked up by its exact name, unlike the common attributes.
    int32_t header = 0;
    qv::xml::AttributeByName(&element, "header", &header);
    m_bHeader = header != 0;
    m_nNotLastItem = m_bHeader ? 1 : 0;
    SetStartPage(0);
}

int32_t CqvRow::Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                       CqvTrial* trial) {
    if (trial) trial->Register(*this);
    m_pieces.clear();
    itemRect = ItemRect(y);
    const bool pageWasEmpty = m_pReport->PageEmpty();
    if (m_bDeferred) {
        m_bDeferred = false;
        // Left for the next page by a failed keep, a row that would stand
        // first on this one stays: on the next it would stand first all the
        // same, and the keep would fail again, page after page.
        if (!pageWasEmpty) return qv::kLayoutNextPage;
    }
    const size_t firstPiece = m_pReport->CurrentPagePieceCount();
    const bool continuing = HasStarted();
    int32_t r = LayoutChildren(surface, printInfo, y, data, trial);
    if (qv::rows::MovesWhole(*this, r, firstPiece, y, continuing, pageWasEmpty)) {
        if (trial) trial->RegisterTree(*this);
        Reset();
        return qv::kLayoutNextPage;
    }
    // Equal heights: every cell's box reaches the row's extent.
    qv::rows::ToRowExtent(*this, r);
    itemRect.bottom = qv::Clamp32(int64_t{itemRect.top} - (r < 0 ? -int64_t{r} : r));
    if (r >= 0) {
        m_nFinishedExtent = r;
        Finish();
    }
    HandPiecesToReport();
    return r;
}
