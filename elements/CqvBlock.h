#pragma once
// A container of items: the Block element, the page header and footer, and the
// base of data-bound blocks, tables and rows. Places its children by block
// layout and hands the pieces of its leaves to the report.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "elements/CqvItem.h"
#include "engine/CqvPagePiece.h"
#include "xml/NamedElementList.h"

class CqvTrial;

class CqvBlock : public CqvItem {
public:
    explicit CqvBlock(int typeCode = qv::kTypeBlock);
    ~CqvBlock() override;

    void Load(const TiXmlElement& element) override;
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    void Reset() override;
    void SetInFooter() override;
    void SetAbsolute() override;
    void DeferLast(int& count) override;
    bool HasStarted() const override;

    // Before the block is laid out again on a new page: finished children leave
    // the placement record, the others start at the top again.
    virtual void ContinueOnNewPage();

    NamedElementList<CqvItem>& Children() { return m_children; }
    const NamedElementList<CqvItem>& Children() const { return m_children; }
    PlacementRecord& Placement() { return m_children.Placement(); }
    const PlacementRecord& Placement() const { return m_children.Placement(); }

    // Adds a child made outside the factory (the factory uses it too): links it
    // to this block and grows the block's width to cover it.
    CqvItem* AddChild(std::unique_ptr<CqvItem> child);

    int AsBlank() const { return m_nAsBlank; }
    void SetAsBlank(int value) { m_nAsBlank = value; }
    bool NoWrap() const { return m_bNoWrap; }
    void SetNoWrap(bool value) { m_bNoWrap = value; }
    // Where a nowrap row last moved whole from, until it is placed.
    std::optional<int32_t> MovedWholeFrom() const { return m_movedWholeFrom; }
    void SetMovedWholeFrom(std::optional<int32_t> y) { m_movedWholeFrom = y; }

    // Where the block's children start on a page it goes on to: below the
    // page header and the space-before of every block it sits in. A trial of
    // what an empty page holds starts there, as the real page does.
    int32_t FreshPageTop() const;
    void SetFreshPageTop(int32_t y) { m_freshPageTop = y; }
    // Gives a child block its FreshPageTop before it is laid out, in a trial too.
    void TellFreshPageTop(CqvItem& child) const;
    // What the header rows that open this table take at the top of each of its
    // pages, their spaces counted; 0 for a block that is no table.
    int64_t HeaderRowsExtent() const;

    // Whether a child of the last LayoutChildren placed more than a frame.
    // Told by what the children returned, it holds inside a trial too, where
    // no piece is made.
    bool PlacedAnything() const { return m_bPlacedAnything; }

    // How far below its position the lowest box of the last LayoutChildren
    // reached, the spaces after its items left out; unset when it broke.
    std::optional<int64_t> LowestBox() const { return m_lowestBox; }

    // Pieces made by the current Layout, not yet handed to the report.
    std::vector<std::unique_ptr<CqvPagePiece>>& Pieces() { return m_pieces; }

protected:
    // Places the children at y: the block layout proper.
    int32_t LayoutChildren(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, CqvTrial* trial);
    // Moves the pieces of the current Layout to the report's current page.
    void HandPiecesToReport();
    // Makes the children of the element (the child factory).
    void LoadChildren(const TiXmlElement& element);
    virtual std::unique_ptr<CqvItem> MakeChild(const TiXmlElement& child);

    NamedElementList<CqvItem> m_children;
    int m_nAsBlank = qv::kTriUnset;
    std::vector<std::unique_ptr<CqvPagePiece>> m_pieces;
    bool m_bNoWrap = false;
    std::optional<int32_t> m_movedWholeFrom;
    std::optional<int32_t> m_freshPageTop;  // unset for a top-level block
    bool m_bPlacedAnything = false;
    std::optional<int64_t> m_lowestBox;
    // Set while a table lays out a page again without its header rows.
    bool m_bHeadersGiveWay = false;
    // The page on which a row of the table last waited below its header rows.
    uint32_t m_nRowWaitedBelowHeadersOnPage = 0;
    // The page on which a header row of the table, under way, was last cut.
    uint32_t m_nHeaderCutOnPage = 0;
    // The header rows of the table cut at the foot of a page, as they stood
    // there (none once they are shown whole or have placed their remaining
    // part). The one of the page before is kept too, for a table laid out
    // again on the same page.
    struct CutHeaderRows {
        uint32_t page = 0;
        std::vector<CqvItem*> rows;
        std::unique_ptr<CqvTrial> state;
    };
    std::vector<CutHeaderRows> m_cutHeaderRows;
    std::vector<CqvItem*> m_continuedHeaderRows;

private:
    // An item laid out by a keep-with-next trial: its span, its result and
    // where what follows it in its span may start.
    struct TriedItem {
        int32_t left, right, m, end;
    };
    static void ReleaseDeferrals(CqvItem& item, CqvTrial& trial);
    bool KeepWithNextFails(size_t index, int32_t y, int32_t e, Surface& surface, QvPrintInfo& printInfo,
                           QvDataElement data);
    bool TrialStarts(CqvItem& item, CqvTrial& trial, int32_t e, std::vector<TriedItem>& tried, Surface& surface,
                     QvPrintInfo& printInfo, QvDataElement data);
    // Where the real layout would start the item after the tried ones; none
    // when it would wait for the next page below one that continues.
    std::optional<int32_t> TrialPosition(const CqvItem& item, int32_t y, const std::vector<TriedItem>& tried) const;
    // The same on a page that holds nothing but the tried items.
    std::optional<int32_t> PositionOnEmptyPage(const CqvItem& item, const std::vector<TriedItem>& tried) const;
    // Whether the item before this block in its parent is kept with it; for
    // a block that opens its parent, the item before the parent.
    bool KeptWithWhatComesBefore() const;
    // A plain block, or a bound one laying out its first repetition.
    bool InFirstRepetition() const;
    // A kept item of a run, finished on the current page.
    bool StandsHereInRun(const CqvItem& item) const;
    // The first item of the kept run around child `index` that stands on this
    // page (`index` itself when none before it does).
    size_t FirstOfRunHere(size_t index) const;
    // The outermost absolute block of the body (an `asblank` form), which
    // moves whole to the next page when it does not fit.
    bool IsFormInBody() const;
    bool HeaderRowMovesWithItsTable(const CqvItem& child, int32_t m, bool pageWasEmpty) const;
    // A table's header rows leave a page that holds nothing but them to the
    // row after them, which cannot start below them.
    bool HeaderRowsGiveWay(const CqvItem& row, int32_t m, bool bodyRowPlaced) const;
    bool RowWaitedBelowHeadersBefore();
    bool HeaderRowCutBefore(const CqvItem& child, int32_t m, bool pageWasEmpty);
    bool AnyChildStarted() const;
    // Where the header rows give way, a header row cut on an earlier page
    // places its remaining part: no word of it may be lost.
    void ContinueCutHeaderRows(CqvTrial* trial);
    bool IsCutHeaderRow(const CqvItem& row) const;
    void RememberCutHeaderRows();
    void ForgetCutHeaderRows();
    void MakePiece(CqvItem& child, int32_t e, int32_t m, bool wasDone, const QvRect& itemRect);
};
