#include "elements/CqvBlock.h"

#include <tinyxml.h>

#include <algorithm>

#include "elements/AttributeName.h"
#include "elements/CqvRow.h"
#include "elements/CqvTable.h"
#include "elements/CqvTrial.h"
#include "elements/CqvXmlBlock.h"
#include "elements/ItemFactory.h"
#include "engine/CqvReport.h"
#include "engine/QvSettings.h"
#include "xml/XmlNav.h"

CqvBlock::CqvBlock(int typeCode) : CqvItem(typeCode) {}

CqvBlock::~CqvBlock() = default;

// ---- loading ---------------------------------------------------------------

void CqvBlock::Load(const TiXmlElement& element) {
    CqvItem::Load(element);
    for (const TiXmlAttribute* a = qv::xml::FirstAttribute(&element); a; a = qv::xml::NextAttribute(a)) {
        const std::string name = LowerAttributeName(*a);
        if (name == "asblank") m_nAsBlank = qv::xml::AttributeInt(a) != 0 ? 1 : 0;
        else if (name == "nowrap") m_bNoWrap = qv::xml::AttributeInt(a) != 0;
    }
    LoadChildren(element);

    if (m_nType == qv::kTypeFooter) m_nAsBlank = 1;
    if (m_nType == qv::kTypeFooter || m_bInFooter) SetInFooter();
    if (qv::TriIsTrue(m_nAsBlank) || m_bAbsolute) SetAbsolute();
}

void CqvBlock::LoadChildren(const TiXmlElement& element) {
    for (const TiXmlElement* child = qv::xml::FirstChildElement(&element); child;
         child = qv::xml::NextSiblingElement(child)) {
        std::unique_ptr<CqvItem> item = MakeChild(*child);
        if (!item) continue;  // unknown elements are skipped with their subtree
        item->SetReport(m_pReport);
        item->SetParent(this);
        item->Style().CopyFrom(m_style);
        item->Load(*child);
        AddChild(std::move(item));
    }
}

std::unique_ptr<CqvItem> CqvBlock::MakeChild(const TiXmlElement& child) {
    const std::string& name = *qv::xml::ElementName(&child);
    // Presence of the attribute decides, not its value: an empty path still
    // makes the bound kind.
    const bool bound = HasAttributeNoCase(child, "xml-element-name");
    if (name == "Block") {
        if (bound) return std::make_unique<CqvXmlBlock>();
        return std::make_unique<CqvBlock>(qv::kTypeBlock);
    }
    if (name == "Text") return CreateTextItem(bound);
    if (name == "Image") return CreateImageItem(bound);
    if (name == "Table") return std::make_unique<CqvTable>();
    if (name == "Line") return CreateLineItem();
    return nullptr;
}

CqvItem* CqvBlock::AddChild(std::unique_ptr<CqvItem> child) {
    child->SetParent(this);
    if (!child->Report()) child->SetReport(m_pReport);
    CqvItem* added = m_children.Add(std::move(child));
    const int64_t childRight = int64_t{added->Left()} + added->Width();
    if (childRight > int64_t{m_nLeft} + m_nWidth) m_nWidth = qv::Clamp32(childRight - m_nLeft);
    return added;
}

namespace {

// Asked of every child a table places, on every page: the type code (only a
// CqvRow is made with kTypeRow) answers where a cast would search the classes.
bool IsHeaderRow(const CqvItem& item) {
    return item.TypeCode() == qv::kTypeRow && static_cast<const CqvRow&>(item).IsHeader();
}

// Whether a table stands anywhere inside the block.
bool HoldsTable(const CqvBlock& block) {
    for (const auto& child : block.Children()) {
        if (child->TypeCode() == qv::kTypeTable) return true;
        const auto* inner = dynamic_cast<const CqvBlock*>(child.get());
        if (inner && HoldsTable(*inner)) return true;
    }
    return false;
}

// A table that opens with header rows, or a block that opens with such a
// table: its header row stands alone only at the top of a page, which a trial
// below a kept item never shows. Not so when the row after them is nowrap: it
// takes its whole height below them wherever the table starts (or is cut
// below them on a page too short for it), and the trial tells where the table
// can start.
bool OpensWithHeaderRowAlone(const CqvItem& item) {
    const auto* block = dynamic_cast<const CqvBlock*>(&item);
    if (!block || block->Children().Size() == 0) return false;
    const CqvItem& first = *block->Children().At(0);
    if (!IsHeaderRow(first)) return !qv::IsRowType(first.TypeCode()) && OpensWithHeaderRowAlone(first);
    for (const auto& row : block->Children()) {
        if (IsHeaderRow(*row)) continue;
        // A nested table in that row has header rows and rows of its own,
        // which a page that holds the kept item may place otherwise than
        // the trial: only a row without one is needed whole anywhere.
        const auto* body = dynamic_cast<const CqvBlock*>(row.get());
        return !body || !body->NoWrap() || HoldsTable(*body);
    }
    return true;
}

}  // namespace

// ---- simple operations -----------------------------------------------------

void CqvBlock::Reset() {
    m_nProgress = 0;
    // A second layout of the report (the counting pass of a streamed one)
    // must make the same pages as the first.
    m_nRowWaitedBelowHeadersOnPage = 0;
    m_nHeaderCutOnPage = 0;
    m_bHeadersGiveWay = false;
    ForgetCutHeaderRows();
    for (const auto& child : m_children) child->Reset();
    m_children.Placement().Clear();
    m_pieces.clear();
}

void CqvBlock::SetInFooter() {
    CqvItem::SetInFooter();
    for (const auto& child : m_children) child->SetInFooter();
}

void CqvBlock::SetAbsolute() {
    CqvItem::SetAbsolute();
    for (const auto& child : m_children) child->SetAbsolute();
}

void CqvBlock::DeferLast(int& count) {
    for (size_t i = m_children.Size(); i-- > 0;) {
        CqvItem* child = m_children.At(i);
        if (qv::TriIsTrue(child->NotLastItem())) continue;
        if (child->IsContainer() && !qv::IsRowType(child->TypeCode())) {
            child->DeferLast(count);
        } else if (count == 0 && !child->IsDone() && !child->HasStarted()) {
            // A child continued from an earlier page cannot wait for the next
            // one: that page would ask the same of it, for ever.
            child->SetDeferred(true);
            count = 1;
        }
    }
}

bool CqvBlock::HasStarted() const {
    if (IsDone()) return true;
    for (size_t i = m_children.Size(); i-- > 0;) {
        if (m_children.At(i)->HasStarted()) return true;
    }
    return false;
}

void CqvBlock::ContinueOnNewPage() {
    m_children.Placement().ContinueOnNewPage();
    for (const auto& child : m_children) {
        // A row or repetition left for the next page by a failed keep is owed
        // that page only. Its table may not have reached it (it moved whole
        // with its header rows): still set, it stood the row down once more
        // below the header rows, alone at the top of the new page.
        child->SetDeferred(false);
        if (auto* block = dynamic_cast<CqvBlock*>(child.get())) block->ContinueOnNewPage();
    }
}

void CqvBlock::TellFreshPageTop(CqvItem& child) const {
    if (!child.IsContainer()) return;
    if (auto* block = dynamic_cast<CqvBlock*>(&child)) {
        // As the layout places it: its space-before below this block's top,
        // and in a form its own top too.
        int64_t fresh = int64_t{FreshPageTop()} + child.Style().m_nSpaceBefore + (m_bAbsolute ? child.Top() : 0);
        // A body row goes on below the header rows, which repeat there.
        if (!IsHeaderRow(child)) fresh += HeaderRowsExtent();
        block->SetFreshPageTop(qv::Clamp32(fresh));
    }
}

int64_t CqvBlock::HeaderRowsExtent() const {
    if (m_nType != qv::kTypeTable) return 0;
    int64_t extent = 0;
    for (const auto& child : m_children) {
        if (!IsHeaderRow(*child)) break;
        const CqvStyle& style = child->Style();
        extent +=
            int64_t{style.m_nSpaceBefore} + static_cast<const CqvRow&>(*child).FinishedExtent() + style.m_nSpaceAfter;
    }
    return extent;
}

int32_t CqvBlock::FreshPageTop() const {
    if (m_freshPageTop) return *m_freshPageTop;
    return qv::Clamp32(ContinuedPageTop());
}

void CqvBlock::HandPiecesToReport() {
    for (auto& piece : m_pieces) m_pReport->AddPiece(std::move(piece));
    m_pieces.clear();
}

// ---- layout ------------------------------------------------------------------

int32_t CqvBlock::Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                         CqvTrial* trial) {
    if (trial) trial->Register(*this);
    m_pieces.clear();
    const int32_t r = LayoutChildren(surface, printInfo, y, data, trial);
    HandPiecesToReport();
    itemRect = ItemRect(y);
    itemRect.bottom = qv::Clamp32(int64_t{itemRect.top} - (r < 0 ? -int64_t{r} : r));
    if (r >= 0) Finish();
    return r;
}

namespace {

int32_t BreakResult(int32_t result) { return result == 0 ? qv::kLayoutNextPage : -result; }

bool OverlapsAnySpan(const std::vector<std::pair<int32_t, int32_t>>& spans, int32_t left, int32_t right) {
    // Both ends included, as in the placement record.
    return std::any_of(spans.begin(), spans.end(),
                       [&](const auto& span) { return span.first <= right && left <= span.second; });
}

}  // namespace

int32_t CqvBlock::LayoutChildren(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data,
                                 CqvTrial* trial) {
    PlacementRecord& placement = m_children.Placement();
    const bool blockIsRow = qv::IsRowType(m_nType);
    int32_t result = 0;
    bool wrapped = false;
    // What a form needs to move whole to the next page.
    const bool freshForm = IsFormInBody() && !AnyChildStarted();
    const bool pageWasEmpty = m_pReport->PageEmpty();
    const size_t firstPiece = m_pReport->CurrentPagePieceCount();
    int64_t lowest = y;                                // the lowest box bottom, spaces after left out
    std::vector<std::pair<int32_t, int32_t>> waiting;  // spans of the children that wait
    // What a table's header rows give back when they give way, or when the
    // table leaves the page to the next (HeaderRowsGiveWay).
    std::optional<PlacementRecord::Entries> entriesBeforeHeaders;
    if (m_nType == qv::kTypeTable && !m_bHeadersGiveWay && !m_bInTrial) entriesBeforeHeaders = placement.AllEntries();
    bool bodyRowPlaced = false;
    bool bodyRowWaits = false;  // a row of the table placed nothing and waits for the next page
    m_bPlacedAnything = false;
    m_lowestBox.reset();
    if (m_bHeadersGiveWay) ContinueCutHeaderRows(trial);

    for (size_t index = 0; index < m_children.Size(); ++index) {
        // One page of a block can hold a great many items: a stop request is
        // obeyed inside it, not only between pages.
        QvSettings::StopIfRequested();
        CqvItem& child = *m_children.At(index);
        const bool childIsRow = qv::IsRowType(child.TypeCode());
        if (m_bHeadersGiveWay && IsHeaderRow(child) && !IsCutHeaderRow(child)) continue;

        // Header rows start afresh whenever their table is laid out, so they
        // repeat at the top of every page of the table.
        if (IsHeaderRow(child) && !m_bHeadersGiveWay) {
            if (trial) trial->RegisterTree(child);
            child.Reset();
        }

        // Rows keep visiting finished cells (and tables finished rows) so that
        // every cell of a continued row still gets its frame.
        if (child.IsDone() && !blockIsRow && !childIsRow) continue;

        const int32_t spanLeft = child.SpanLeft();
        const int32_t spanRight = child.SpanRight();

        // Blocked span: a child waits for the next page while an unfinished
        // sibling above it occupies any part of its span, or a sibling before it
        // waits there already (passing it would change the order of the flow).
        // A waiting child keeps the block unfinished: it is placed on a later
        // page, not forgotten when its siblings complete.
        if (!m_bAbsolute && !blockIsRow && !IsHeaderRow(child) &&
            (placement.OverlapsUnfinished(&child, spanLeft, spanRight) ||
             OverlapsAnySpan(waiting, spanLeft, spanRight))) {
            // A finished row is visited only for its frame.
            if (!child.IsDone()) {
                waiting.emplace_back(spanLeft, spanRight);
                wrapped = true;
            }
            continue;
        }

        int64_t position = y;
        if (!m_bAbsolute) {
            const int32_t below = placement.LargestFinishedBottom(&child, spanLeft, spanRight);
            if (below != 0) position = below;
        }
        const int32_t e = qv::Clamp32(position + child.Style().m_nSpaceBefore);

        // Start of page: the break is made once; on the new page the pending flag
        // is already cleared and the child is placed. A trial breaks where the
        // layout will, and leaves the flag to it.
        if (qv::TriIsTrue(child.StartPagePending()) && !m_pReport->PageEmpty() && !child.HasStarted()) {
            if (m_bInTrial) {
                if (trial) trial->NoteStartPageBreak();
            } else {
                child.SetStartPagePending(0);
            }
            return BreakResult(result);
        }

        const bool wasDone = child.IsDone();
        if (wasDone) {
            // Only rows and the rows of tables get here; a finished cell still
            // shows its frame in its row, but not from inside a trial: the
            // cell itself is not laid out, so nothing marks it as tried.
            if (blockIsRow && !m_bInTrial) {
                const QvRect rc = child.ItemRect(e);
                MakePiece(child, e, 0, true, rc);
            }
            continue;
        }

        // A data-bound block is tried on an empty page too: what it may give
        // to the next page is its last repetition, not itself.
        if (qv::TriIsTrue(child.NotLastItem()) &&
            (!m_pReport->PageEmpty() || child.HasStarted() || child.TypeCode() == qv::kTypeXmlBlock)) {
            if (KeepWithNextFails(index, y, e, surface, printInfo, data)) {
                // An item continued at the top of a page that holds nothing
                // yet would find no more room on the next one: it stays, or
                // it would move on for ever.
                if (child.IsLeaf() || childIsRow) {
                    if (!m_pReport->PageEmpty()) return BreakResult(result);
                } else {
                    // Inside a trial the row it defers must be restored with
                    // it: recorded only when laid out, after the deferral, it
                    // kept waiting once the trial ended, and every later trial
                    // of the page found its table unable to start.
                    if (trial) trial->RegisterTree(child);
                    int count = 0;
                    child.DeferLast(count);
                }
            }
        }

        // A child of an absolute block sits its own top below the block's
        // position. A leaf adds its top itself; a block is given its place, so
        // that its own children count from it.
        const int64_t reached = int64_t{e} + (m_bAbsolute ? child.Top() : 0);
        const int32_t at = m_bAbsolute && child.IsContainer() ? qv::Clamp32(reached) : e;

        TellFreshPageTop(child);
        QvRect itemRect;
        if (m_bInTrial) child.SetInTrial(true);
        if (trial) trial->Register(child);
        const bool pageEmptyBefore = m_pReport->PageEmpty();
        const size_t piecesBefore = m_pReport->CurrentPagePieceCount();
        const bool startedBefore = child.HasStarted();
        const int32_t m = child.Layout(surface, printInfo, at, data, itemRect, trial);
        child.SetInTrial(false);

        if (!m_bInTrial && pageWasEmpty && m < 0 && IsHeaderRow(child)) static_cast<CqvRow&>(child).StopRepeating();
        if (HeaderRowMovesWithItsTable(child, m, pageWasEmpty)) {
            m_pReport->DropPiecesFrom(piecesBefore);
            child.Reset();
            m_pReport->SetPageEmpty(pageEmptyBefore);
            return BreakResult(result);
        }
        // A bound row may place repetitions before one of them moves on (a
        // trial makes no pieces, but the row has started).
        if (childIsRow && !IsHeaderRow(child) &&
            (m_pReport->CurrentPagePieceCount() != piecesBefore || (!startedBefore && child.HasStarted())))
            bodyRowPlaced = true;
        if (entriesBeforeHeaders &&
            ((pageWasEmpty && HeaderRowsGiveWay(child, m, bodyRowPlaced) && RowWaitedBelowHeadersBefore()) ||
             HeaderRowCutBefore(child, m, pageWasEmpty))) {
            if (trial) trial->RegisterTree(*this);
            m_pieces.clear();
            m_pReport->DropPiecesFrom(firstPiece);
            // A header row cut on an earlier page left its span there as
            // unfinished: started afresh and skipped, it would block the rows
            // below it.
            for (const auto& row : m_children) {
                if (!IsHeaderRow(*row)) continue;
                row->Reset();
                entriesBeforeHeaders->erase(row.get());
            }
            placement.Restore(std::move(*entriesBeforeHeaders));
            m_pReport->SetPageEmpty(pageWasEmpty);
            // Cleared however the layout ends: a report laid out again after
            // a stop or a failure must show its header rows.
            struct ClearAtEnd {
                bool& flag;
                ~ClearAtEnd() { flag = false; }
            } clear{m_bHeadersGiveWay};
            m_bHeadersGiveWay = true;
            return LayoutChildren(surface, printInfo, y, data, trial);
        }
        if (childIsRow && !IsHeaderRow(child) && m != 0 && m != qv::kLayoutNextPage) bodyRowPlaced = true;
        if (childIsRow && !IsHeaderRow(child) && m == qv::kLayoutNextPage) bodyRowWaits = true;

        if (!m_bInTrial && ((m != 0 && m != qv::kLayoutNextPage) || blockIsRow))
            MakePiece(child, e, m, false, itemRect);
        if (m != 0 && m != qv::kLayoutNextPage) m_bPlacedAnything = true;

        if (m < 0) {
            wrapped = true;
            placement.RegisterUnfinished(&child, spanLeft, spanRight);
            // A child that moved whole to the next page placed nothing here:
            // its space-before alone must not make this block look begun, or a
            // keep-with-next trial keeps an item with a block that then leaves
            // the page without it.
            if (m != qv::kLayoutNextPage || blockIsRow)
                result = std::max<int32_t>(result, qv::Clamp32(-int64_t{m} + reached - y));
        } else if (m > 0) {
            // In a form a box may be taller than what it holds (a framed field,
            // a label of fixed height): what follows the form starts below the
            // lowest box, not below the lowest text.
            int64_t end = reached + m;
            if (m_bAbsolute && child.IsLeaf() && child.TypeCode() != qv::kTypeLine)
                end = std::max<int64_t>(end, -int64_t{itemRect.bottom});
            // A nested block counts by its own lowest box: the spaces after
            // its items fall below the form as the form's own do, and counted
            // here they moved a form that fits to the next page.
            const auto* nested = m_bAbsolute ? dynamic_cast<const CqvBlock*>(&child) : nullptr;
            lowest = std::max(lowest, nested && nested->LowestBox() ? reached + *nested->LowestBox() : end);
            const int32_t bottom = qv::Clamp32(end + child.Style().m_nSpaceAfter);
            placement.Register(&child, spanLeft, spanRight, bottom, startedBefore);
            result = std::max<int32_t>(result, qv::Clamp32(int64_t{bottom} - y));
        }
    }

    // A form that does not fit below its position moves whole to a page of its
    // own; only a form that does not fit on an empty page either stays, cut at
    // the body's bottom (MakePiece), rather than being placed below the paper.
    if (freshForm && !pageWasEmpty && (wrapped || lowest > BottomLimit())) {
        if (trial) trial->RegisterTree(*this);
        m_pieces.clear();
        m_pReport->DropPiecesFrom(firstPiece);
        CqvBlock::Reset();
        m_pReport->SetPageEmpty(pageWasEmpty);
        return qv::kLayoutNextPage;
    }
    // A table that would show nothing but its header rows here (the row after
    // them has no room left below them) starts on
    // the next page instead: in a cell, the header rows of the table around
    // it come first there, and they give way to it when nothing else fits.
    // A keep-with-next trial judges the same, or it would keep an item with a
    // table that then leaves the page without it.
    if (m_nType == qv::kTypeTable && !m_bHeadersGiveWay && !pageWasEmpty && bodyRowWaits && !bodyRowPlaced &&
        std::any_of(m_children.begin(), m_children.end(),
                    [](const auto& row) { return IsHeaderRow(*row) && row->IsDone(); })) {
        if (trial) trial->RegisterTree(*this);
        // The row has waited below its header rows here. On the next page,
        // where the header rows around the table give way to it, it finds the
        // same room below its own, and waiting there once more would leave
        // them alone on a page of their own. A wait on the page just before
        // is kept: the table leaves each page until the header rows around it
        // give way.
        if (!m_bInTrial) {
            const uint32_t page = m_pReport->CurrentPage();
            if (m_nRowWaitedBelowHeadersOnPage == 0 || m_nRowWaitedBelowHeadersOnPage + 1 < page)
                m_nRowWaitedBelowHeadersOnPage = page;
        }
        m_pieces.clear();
        m_pReport->DropPiecesFrom(firstPiece);
        for (const auto& row : m_children)
            if (IsHeaderRow(*row)) row->Reset();
        if (entriesBeforeHeaders) placement.Restore(std::move(*entriesBeforeHeaders));
        m_pReport->SetPageEmpty(pageWasEmpty);
        return qv::kLayoutNextPage;
    }
    RememberCutHeaderRows();
    if (!wrapped) m_lowestBox = lowest - y;
    // Something left for the next page always reads as unfinished, even when
    // what waits placed nothing here.
    if (wrapped) return BreakResult(result);
    return result;
}

void CqvBlock::ContinueCutHeaderRows(CqvTrial* trial) {
    m_continuedHeaderRows.clear();
    const uint32_t page = m_pReport->CurrentPage();
    // The rows as they were cut on an earlier page; one cut on this very page
    // lost its pieces when the header rows gave way.
    auto owed = std::find_if(m_cutHeaderRows.rbegin(), m_cutHeaderRows.rend(),
                             [&](const CutHeaderRows& cut) { return cut.page < page; });
    // A row that stopped repeating goes on as any row from where it stands:
    // written back, it would place its words twice.
    if (owed == m_cutHeaderRows.rend() || owed->rows.empty() ||
        !std::all_of(owed->rows.begin(), owed->rows.end(), [](const CqvItem* row) { return IsHeaderRow(*row); }))
        return;
    for (CqvItem* row : owed->rows)
        if (trial) trial->RegisterTree(*row);
    const bool pageEmpty = m_pReport->PageEmpty();
    owed->state->Restore();
    m_pReport->SetPageEmpty(pageEmpty);
    // Kept as it was: the table may be laid out again on this page.
    for (CqvItem* row : owed->rows) owed->state->RegisterTree(*row);
    for (CqvItem* row : owed->rows) static_cast<CqvBlock&>(*row).ContinueOnNewPage();
    m_continuedHeaderRows = owed->rows;
}

bool CqvBlock::IsCutHeaderRow(const CqvItem& row) const {
    return std::find(m_continuedHeaderRows.begin(), m_continuedHeaderRows.end(), &row) != m_continuedHeaderRows.end();
}

void CqvBlock::RememberCutHeaderRows() {
    // A header row cut here shows the rest of its words whole at the top of
    // the next page of its table; but where the header rows give way there,
    // only what was kept of it here can place the rest.
    if (m_bInTrial || m_nType != qv::kTypeTable) return;
    const uint32_t page = m_pReport->CurrentPage();
    CutHeaderRows now{page, {}, nullptr};
    bool shown = false;  // some header row placed something here
    for (const auto& row : m_children) {
        // A continued row that stopped repeating here places the rest of its
        // words as any row from now on.
        if (!(IsHeaderRow(*row) || IsCutHeaderRow(*row)) || !row->HasStarted()) continue;
        shown = true;
        if (IsHeaderRow(*row) && !row->IsDone()) now.rows.push_back(row.get());
    }
    // A page where no header row showed anything still owes what an earlier
    // one cut.
    if (!shown) return;
    if (!now.rows.empty()) {
        now.state = std::make_unique<CqvTrial>(*m_pReport);
        for (CqvItem* row : now.rows) now.state->RegisterTree(*row);
    }
    auto before = std::find_if(m_cutHeaderRows.rbegin(), m_cutHeaderRows.rend(),
                               [&](const CutHeaderRows& cut) { return cut.page < page; });
    std::vector<CutHeaderRows> kept;
    if (before != m_cutHeaderRows.rend()) kept.push_back(std::move(*before));
    kept.push_back(std::move(now));
    m_cutHeaderRows = std::move(kept);
}

void CqvBlock::ForgetCutHeaderRows() {
    m_cutHeaderRows.clear();
    m_continuedHeaderRows.clear();
}

bool CqvBlock::HeaderRowMovesWithItsTable(const CqvItem& child, int32_t m, bool pageWasEmpty) const {
    // A header row is shown whole on every page of its table, so one cut at
    // the foot loses the rest of its words on that page and stands there
    // without a row under it. Before any row of the table is placed, the
    // table starts on the next page instead; on an empty page, or once the
    // table is under way, a header taller than the room is cut as any row.
    if (!IsHeaderRow(child) || m >= 0 || pageWasEmpty) return false;
    for (const auto& sibling : m_children)
        if (sibling.get() != &child && !IsHeaderRow(*sibling) && sibling->HasStarted()) return false;
    return true;
}

bool CqvBlock::HeaderRowsGiveWay(const CqvItem& row, int32_t m, bool bodyRowPlaced) const {
    // A row that cannot start below its table's header rows on a page that
    // holds nothing else would find them above it again on every next page,
    // and move on until max-pages. The header rows give way on this page, and
    // the row starts where they stood: nothing of the table is lost.
    if (m != qv::kLayoutNextPage || bodyRowPlaced || !qv::IsRowType(row.TypeCode()) || IsHeaderRow(row)) return false;
    return std::any_of(m_children.begin(), m_children.end(),
                       [](const auto& sibling) { return IsHeaderRow(*sibling) && sibling->IsDone(); });
}

bool CqvBlock::RowWaitedBelowHeadersBefore() {
    // The row waits once, as a word does below a repeated header row: what
    // it waits for (a word that will be cut, a keep) may give it room on the
    // next page. Only a row that finds no room there either is placed
    // without the header rows.
    const uint32_t page = m_pReport->CurrentPage();
    if (m_nRowWaitedBelowHeadersOnPage != 0 && m_nRowWaitedBelowHeadersOnPage < page) return true;
    m_nRowWaitedBelowHeadersOnPage = page;
    return false;
}

bool CqvBlock::HeaderRowCutBefore(const CqvItem& child, int32_t m, bool pageWasEmpty) {
    // A table under way below what repeats above it on every page (the header
    // rows of the table around it) finds the same room on each of them: its
    // header row, started afresh, would be cut at the same word on every page
    // while the rows below it wait for ever. Cut once more on a later page,
    // the header rows give way there to the rows that go on.
    if (!IsHeaderRow(child) || m >= 0 || pageWasEmpty || HeaderRowMovesWithItsTable(child, m, pageWasEmpty))
        return false;
    const uint32_t page = m_pReport->CurrentPage();
    if (m_nHeaderCutOnPage != 0 && m_nHeaderCutOnPage < page) return true;
    m_nHeaderCutOnPage = page;
    return false;
}

bool CqvBlock::IsFormInBody() const {
    // The outermost absolute block of the body: the header and footer have
    // their fixed places, and a nested form moves with the one around it.
    if (!m_bAbsolute || m_bInFooter || m_nType == qv::kTypeFooter) return false;
    if (this == &m_pReport->PageHeader()) return false;
    return !(m_pParent && m_pParent->IsAbsolute());
}

bool CqvBlock::AnyChildStarted() const {
    for (const auto& child : m_children) {
        if (child->HasStarted()) return true;
    }
    return false;
}

void CqvBlock::MakePiece(CqvItem& child, int32_t e, int32_t m, bool wasDone, const QvRect& itemRect) {
    std::unique_ptr<CqvPagePiece> piece = child.CreatePiece();
    if (!piece) return;  // containers, and items inside a trial
    piece->m_rcOuter = child.ItemRect(e);
    const QvRect& body = m_pReport->BodyArea();
    // An item that starts at or beyond the body's right edge is laid out but not
    // drawn (its right side was already cut to the edge by ItemRect).
    if (!(piece->m_rcOuter.left < body.right && piece->m_rcOuter.right <= body.right)) return;

    piece->m_rcOuter.top = itemRect.top;
    piece->m_rcOuter.bottom = itemRect.bottom;
    if (m_bAbsolute) {
        // An item placed by its own top may reach below the page's room (a form
        // too tall for any page): it is cut there, and one wholly below it is
        // not drawn, so nothing lies off the paper.
        const int32_t limit = qv::Clamp32(-int64_t{child.BottomLimit()});
        if (piece->m_rcOuter.top <= limit) return;
        piece->m_rcOuter.bottom = std::max(piece->m_rcOuter.bottom, limit);
    }
    // An image brings its own box as the content rectangle.
    if (!qv::IsImageType(child.TypeCode())) piece->m_rcContent = piece->m_rcOuter;
    const CqvStyle& style = child.Style();
    QvRect& content = piece->m_rcContent;
    content.left = qv::Clamp32(int64_t{content.left} + style.m_nPaddingLeft);
    content.top = qv::Clamp32(int64_t{content.top} - style.m_nPaddingTop);
    content.right = qv::Clamp32(int64_t{content.right} - style.m_nPaddingRight);
    // A text cut at the limit chose its lines down to the limit: lifting its
    // content by the padding bottom would leave its last line undrawn.
    if (!child.CutAtBottomLimit()) content.bottom = qv::Clamp32(int64_t{content.bottom} + style.m_nPaddingBottom);
    piece->m_bFrameOnly = wasDone || m == 0 || m == qv::kLayoutNextPage;
    m_pieces.push_back(std::move(piece));
}

// ---- keep with next ----------------------------------------------------------

bool CqvBlock::TrialStarts(CqvItem& item, CqvTrial& trial, int32_t e, std::vector<TriedItem>& tried, Surface& surface,
                           QvPrintInfo& printInfo, QvDataElement data) {
    QvRect itemRect;
    const bool wasDone = item.IsDone();
    TellFreshPageTop(item);
    item.SetInTrial(true);
    trial.Register(item);
    const int32_t m = item.Layout(surface, printInfo, e, data, itemRect, &trial);
    item.SetInTrial(false);
    int64_t end = int64_t{e} + m;
    // As in the real layout, whatever finished keeps its space-after below it.
    if (m > 0) end += item.Style().m_nSpaceAfter;
    tried.push_back({item.SpanLeft(), item.SpanRight(), m, qv::Clamp32(end)});
    // A finished leaf tried again on an empty page that finds no room there
    // places nothing: it did not start, though it is finished. Taken as
    // begun, it let the run after it be judged to fit.
    if (wasDone && item.IsLeaf() && m == qv::kLayoutNextPage) return false;
    return item.HasStarted();
}

std::optional<int32_t> CqvBlock::TrialPosition(const CqvItem& item, int32_t y,
                                               const std::vector<TriedItem>& tried) const {
    const int32_t spaceBefore = item.Style().m_nSpaceBefore;
    // Forms and rows keep the plain rule: each item moves down by its own
    // space-before from where the previous one ended.
    if (m_bAbsolute || qv::IsRowType(m_nType)) return qv::Clamp32(int64_t{tried.back().end} + spaceBefore);
    // In the flow the item starts where the real layout would start it: below
    // the lowest finished sibling in its span, which need not be the item
    // before it (that one may stand beside it, above a longer neighbour).
    const int32_t left = item.SpanLeft(), right = item.SpanRight();
    // Below something that continues on the next page the item waits for it
    // there: it follows that one, so the kept item is not left alone.
    if (m_children.Placement().OverlapsUnfinished(&item, left, right)) return std::nullopt;
    int64_t top = m_children.Placement().LargestFinishedBottom(&item, left, right);
    if (top == 0) top = y;
    for (const TriedItem& t : tried) {
        if (t.left > right || left > t.right || t.m == 0) continue;
        if (t.m < 0) return std::nullopt;
        top = std::max<int64_t>(top, t.end);
    }
    return qv::Clamp32(top + spaceBefore);
}

void CqvBlock::ReleaseDeferrals(CqvItem& item, CqvTrial& trial) {
    // A row or repetition left for the next page by a failed keep (of the
    // block around it, with what follows that block) is owed that page only.
    // The empty page of a trial stands for the next page, where it takes its
    // turn: still waiting there, it made a block that does start below a kept
    // item at the top of the next page look as if it never did, and the kept
    // item stayed at the foot while the block opened the next page.
    trial.RegisterTree(item);
    item.SetDeferred(false);
    if (auto* block = dynamic_cast<CqvBlock*>(&item))
        for (const auto& child : block->Children()) ReleaseDeferrals(*child, trial);
}

bool CqvBlock::KeepWithNextFails(size_t index, int32_t y, int32_t e, Surface& surface, QvPrintInfo& printInfo,
                                 QvDataElement data) {
    CqvItem& kept = *m_children.At(index);
    // How many items after the first tried one (`start`, the kept one unless
    // said otherwise) were laid out when one of the run, laid out from `at`,
    // did not start; none when the run fits. On an empty page what follows
    // the run starts below the run's own items only.
    constexpr size_t kFits = 0;
    bool stoppedAtStartPage = false;  // an item that did not start broke the page for a start-page item
    bool leadFinished = false;        // the first tried item finished in the last trial
    auto runStops = [&](int32_t at, bool emptyPage, size_t start, bool pageHoldsNothing = false) -> size_t {
        CqvItem& lead = *m_children.At(start);
        // The items of the trial keep what they did in it until it ends, so
        // that each one meets the page as the real layout would leave it: the
        // ones before it placed, the page no longer empty.
        CqvTrial trial(*m_pReport);
        struct RestoreAtEnd {
            CqvTrial& trial;
            ~RestoreAtEnd() { trial.Restore(); }
        } restore{trial};
        // The trial restores the flag when it ends.
        if (pageHoldsNothing) m_pReport->SetPageEmpty(true);
        std::vector<TriedItem> tried;
        // What cannot start, or goes on to a further page, fits on no page.
        const size_t never = emptyPage ? 1 : kFits;
        if (emptyPage) ReleaseDeferrals(lead, trial);
        if (!TrialStarts(lead, trial, at, tried, surface, printInfo, data)) return never;
        leadFinished = lead.IsDone() && tried.back().m > 0;
        // Follow every keep-with-next sibling that comes next; the first
        // sibling after them decides. Each of them keeps itself with the rest
        // of the run when its turn comes: a trial that stopped short of the
        // run's end would let this item stay while the next one leaves the
        // page without it.
        bool afterKeptBoundBlock = false;
        for (size_t next = start + 1; next < m_children.Size(); ++next) {
            CqvItem& sibling = *m_children.At(next);
            // A finished cell of a row stands on an earlier page, and the
            // layout shows only its frame here: no page can hold the kept cell
            // with it. Tried again whole it seldom fits, and the failed keep
            // held back the kept cell's last row on every page its row went on
            // over, leaving pages all but empty.
            if (qv::IsRowType(m_nType) && sibling.IsDone()) return kFits;
            const bool chained = qv::TriIsTrue(sibling.NotLastItem());
            const std::optional<int32_t> from =
                emptyPage ? PositionOnEmptyPage(sibling, tried) : TrialPosition(sibling, y, tried);
            // On an empty page an item of the run that goes on to a later
            // page ends what one page can keep together: the items after it
            // follow it there. Counted as a failure, it let a long run stay at
            // the foot and leave its first item alone, though that item and
            // the start of the next fit on an empty page.
            if (!from) return emptyPage && tried.size() > 1 ? kFits : never;
            trial.TakeStartPageBreak();
            // A start-page item breaks the page below what the run placed
            // before it places anything, as the layout breaks it. Tried as if
            // it were not one, it let a kept item go on to a page where it
            // then stood alone before that item's own page.
            if (qv::TriIsTrue(sibling.StartPagePending()) && !m_pReport->PageEmpty() && !sibling.HasStarted()) {
                stoppedAtStartPage = true;
                return emptyPage && afterKeptBoundBlock ? kFits : tried.size();
            }
            if (emptyPage) ReleaseDeferrals(sibling, trial);
            const bool started = TrialStarts(sibling, trial, *from, tried, surface, printInfo, data);
            // An item that finished placing nothing (a bound block without
            // data) shows on no page: what comes after it decides.
            if (sibling.IsDone() && tried.back().m == 0) continue;
            // A kept bound block gives the item after it its last repetition,
            // which goes on to the next page with it: on an empty page the
            // block's first repetitions end what must fit, as an item that
            // goes on does.
            if (!started) {
                stoppedAtStartPage = trial.TakeStartPageBreak();
                return emptyPage && afterKeptBoundBlock ? kFits : tried.size() - 1;
            }
            if (!chained) return kFits;
            afterKeptBoundBlock = sibling.TypeCode() == qv::kTypeXmlBlock;
        }
        return kFits;
    };
    if (runStops(e, false, index) == kFits) return false;
    // The run tried on an empty page from its first item there.
    auto stopsOnEmptyPageFrom = [&](size_t first) {
        const int64_t top = int64_t{FreshPageTop()} + m_children.At(first)->Style().m_nSpaceBefore;
        return runStops(qv::Clamp32(top), true, first);
    };
    // What follows broke the page for a start-page item before it placed
    // anything here. If it does the same below the kept item on an empty page
    // (the start-page item comes first in it), the kept item stays: moved,
    // it would stand alone there all the same. If it places something there
    // first (what came before the start-page item lacked room here), the
    // kept item goes with it.
    // Judged from the run's first item on this page, as a long run is: that
    // one stayed because the run from there fits on no page, and this one,
    // nearer the top of an empty page, found room there and went on alone.
    if (stoppedAtStartPage) return stopsOnEmptyPageFrom(FirstOfRunHere(index)) == kFits;
    // An item of a run of at most three kept ones moves with the rest and the
    // one after them, as it always has. A longer run that would not fit on an
    // empty page either cannot be kept together: moved, it would leave one
    // item a page, page after page. It stays, and fills the page as far as
    // it goes. A block gives the next page only its last row or repetition.
    // The run is counted whole, the kept items before this one too: counted
    // from each item, the first of a run would stay as part of a long run
    // while the second, seeing a short one ahead of it, moved on alone.
    size_t run = 0;
    while (index + 1 + run < m_children.Size() && qv::TriIsTrue(m_children.At(index + 1 + run)->NotLastItem())) ++run;
    for (size_t before = index; before > 0 && qv::TriIsTrue(m_children.At(before - 1)->NotLastItem()); --before) ++run;
    // A short run moves on whole, unless a kept item of it already stands
    // here: placed first on a page that held nothing (where no trial moves
    // anything), it stays whatever this one does, and a run that does not fit
    // below it fits on no page, as a long one is judged below.
    // One continued from an earlier page never stood on an empty page here:
    // the run may fit below the page header where it started.
    const bool keptItemStandsHere = index > 0 && StandsHereInRun(*m_children.At(index - 1)) &&
                                    !m_children.Placement().Find(m_children.At(index - 1))->continued;
    if (run == 0 && index == 0 && kept.IsLeaf() && index + 1 < m_children.Size() && KeptWithWhatComesBefore() &&
        !OpensWithHeaderRowAlone(*m_children.At(index + 1))) {
        // A lone keep no page can honour (what follows does not start below
        // the whole item even on a page that holds nothing) is given up when
        // the item opens a block that the item before it is kept with:
        // moved, the item would stand alone on the next page all the same,
        // and that kept item would end this page alone. Elsewhere the item
        // moves as it always has: what follows may hold a keep of its own
        // that the trial honours only below the item.
        // What opens with a header row keeps the plain rule: below the kept
        // item it needs its first body row too, at the top of a page only
        // the header row, so the trial cannot tell where it would start;
        // unless that body row is nowrap, which it needs whole anywhere.
        const int64_t fresh = int64_t{FreshPageTop()} + kept.Style().m_nSpaceBefore;
        return runStops(qv::Clamp32(fresh), true, index, true) == kFits || !leadFinished;
    }
    if (run <= 2 && !keptItemStandsHere) return true;
    // The run is judged from its first item on this page: each kept item
    // before this one stayed because the run from there fits on no page, and
    // this one leaving would strand them at the foot. Judged from itself, the
    // shorter rest often fits on an empty page, so the second item of such a
    // run moved on and left the first alone, though the page had room for it.
    const size_t first = FirstOfRunHere(index);
    // A table or block that opens such a run moves with it as it always has;
    // one after kept items that stay here stays with them, or its last row
    // (its only one, often) left them alone at the foot.
    if (!kept.IsLeaf() && !qv::IsRowType(kept.TypeCode()) && first == index) return true;
    const size_t stops = stopsOnEmptyPageFrom(first);
    if (stops == kFits) return true;
    // Of a short run, only a leaf that cannot start below it (a nowrap
    // picture, a rule) shows that the run fits on no page. A block or table
    // that did not start below the items standing here may start below this
    // one alone, at the top of the next page (where the items before it,
    // standing first on a page that held nothing, do not go): the kept item
    // goes with it. Right after this item, one that does not start there
    // either keeps it here: moved, it would end the next page alone too and
    // leave the items before it alone at this page's foot. Kept items between
    // them go on as they always have: this one opens the next page, where
    // nothing moves it, and the rest follow with the block.
    if (run <= 2 && first + stops < m_children.Size() && m_children.At(first + stops)->IsContainer())
        return first == index || first + stops != index + 1 || stopsOnEmptyPageFrom(index) == kFits;
    // A start-page item of the run breaks the page wherever the run stands:
    // the items before it are all that must fit together, and when they do
    // on an empty page, staying would leave this one alone at the foot.
    // Right after this one, that item would leave it alone there too.
    return stoppedAtStartPage && first + stops > index + 1;
}

bool CqvBlock::KeptWithWhatComesBefore() const {
    const CqvBlock* parent = Parent();
    if (!parent) return false;
    const auto& siblings = parent->Children();
    for (size_t i = 1; i < siblings.Size(); ++i)
        if (siblings.At(i) == static_cast<const CqvItem*>(this))
            return qv::TriIsTrue(siblings.At(i - 1)->NotLastItem());
    if (siblings.Size() == 0 || siblings.At(0) != static_cast<const CqvItem*>(this)) return false;
    return InFirstRepetition() && parent->InFirstRepetition() && parent->KeptWithWhatComesBefore();
}

bool CqvBlock::InFirstRepetition() const {
    // The block that opens its parent follows what comes before the parent
    // only in plain blocks, and in a bound block's first repetition: a later
    // one follows the repetition before it. Rows and tables stand beside or
    // below their own header rows, not below what comes before them.
    if (m_nType == qv::kTypeBlock) return true;
    if (m_nType != qv::kTypeXmlBlock) return false;
    const auto* bound = dynamic_cast<const CqvXmlBlock*>(this);
    return bound && !bound->Repetitions().anyShown && bound->Repetitions().size() <= 1;
}

bool CqvBlock::StandsHereInRun(const CqvItem& item) const {
    // Finished items leave the placement record when a new page starts, so a
    // finished one still in it was placed on this page. Only a leaf is tried
    // again whole once finished: a finished block lays out nothing more.
    return item.IsLeaf() && qv::TriIsTrue(item.NotLastItem()) && item.IsDone() && m_children.Placement().Find(&item);
}

size_t CqvBlock::FirstOfRunHere(size_t index) const {
    size_t first = index;
    while (first > 0 && StandsHereInRun(*m_children.At(first - 1))) --first;
    return first;
}

std::optional<int32_t> CqvBlock::PositionOnEmptyPage(const CqvItem& item, const std::vector<TriedItem>& tried) const {
    if (m_bAbsolute || qv::IsRowType(m_nType)) return TrialPosition(item, 0, tried);
    int64_t top = FreshPageTop();
    for (const TriedItem& t : tried) {
        if (t.left > item.SpanRight() || item.SpanLeft() > t.right || t.m == 0) continue;
        if (t.m < 0) return std::nullopt;
        top = std::max<int64_t>(top, t.end);
    }
    return qv::Clamp32(top + item.Style().m_nSpaceBefore);
}
