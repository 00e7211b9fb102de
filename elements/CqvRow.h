#pragma once
// A table Row: its cells lie side by side, every cell gets a frame even when it
// has nothing (more) to print, all cells take the row's height, and a nowrap
// row moves whole to the next page unless it is too tall for that.
#include <cstdint>

#include "elements/CqvBlock.h"

class CqvRow : public CqvBlock {
public:
    CqvRow() : CqvBlock(qv::kTypeRow) {}

    void Load(const TiXmlElement& element) override;
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;

    // A header row repeats at the top of every page of its table.
    bool IsHeader() const { return m_bHeader; }
    // A header row cut on a page that held nothing before its table is taller
    // than any room its table will find: repeated, it would be cut at the same
    // word on every page and its table would never go on. From then on it is
    // laid out once, as any row, for the rest of the run (as a nowrap row too
    // tall to move stops trying).
    void StopRepeating() { m_bHeader = false; }
    // How tall the row was the last time it finished, its cells' spaces after
    // them counted: a header row takes as much on every page its table goes on
    // to, above the rows that wait for that page.
    int32_t FinishedExtent() const { return m_nFinishedExtent; }

private:
    bool m_bHeader = false;
    int32_t m_nFinishedExtent = 0;
};

namespace qv::rows {

// A nowrap row that places less than the room of a new page divided by this
// moves whole; one that places more is split where it stands, as moving it
// would only split it on the next page.
inline constexpr double kMoveWholeQuotient = 1.35;

// A row of which nothing fits (r = -1), or whose cells placed nothing but
// frames (r becomes -1), drops its pieces, the empty frames of its cells. Keep-together: true when the row (extent r < 0) is to move whole
// to the next page; its pieces are then dropped, and so are the pieces that its
// container cells (blocks, nested tables) already gave the report, those after
// the first `firstPiece` pieces of the page. A row too tall to move stops
// trying for the rest of the run.
// A row laid out at y that moved whole and again finds no more room than it
// had (it starts no higher on its new page) splits instead, or it would move
// for ever; a row `continuing` from an earlier page never moves whole, nor
// does one that begins on a page that held nothing before it (`pageWasEmpty`).
bool MovesWhole(CqvBlock& row, int32_t& r, size_t firstPiece, int32_t y, bool continuing, bool pageWasEmpty);

// Equal heights: every piece of the row (extent r) ends |r| below the row's
// top, and no lower than the bottom limit.
// Data rows use it too, rather than the lowest bottom among their pieces: the
// frame of a cell that placed nothing has the cell's declared height, which the
// row's extent does not count, and the next row would be drawn over it.
void ToRowExtent(CqvBlock& row, int32_t r);

}  // namespace qv::rows
