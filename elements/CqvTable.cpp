#include "elements/CqvTable.h"

#include <tinyxml.h>

#include <algorithm>

#include "elements/AttributeName.h"
#include "elements/CqvRow.h"
#include "elements/CqvXmlRow.h"
#include "xml/XmlNav.h"

void CqvTable::Load(const TiXmlElement& element) {
    // A table reads neither asblank nor nowrap.
    CqvItem::Load(element);
    if (m_style.m_nBorderLeft == qv::kTriUnset && m_style.m_nBorderTop == qv::kTriUnset &&
        m_style.m_nBorderRight == qv::kTriUnset && m_style.m_nBorderBottom == qv::kTriUnset) {
        m_style.m_nBorderLeft = m_style.m_nBorderTop = m_style.m_nBorderRight = m_style.m_nBorderBottom = 1;
    }
    m_style.m_nSpaceAfter = 0;

    for (const TiXmlElement* child = qv::xml::FirstChildElement(&element, "Row"); child;
         child = qv::xml::NextSiblingElement(child, "Row")) {
        std::unique_ptr<CqvBlock> row;
        if (HasAttributeNoCase(*child, "xml-element-name")) row = std::make_unique<CqvXmlRow>();
        else row = std::make_unique<CqvRow>();
        row->SetReport(m_pReport);
        row->SetParent(this);
        row->Style().CopyFrom(m_style);
        row->Load(*child);
        row->SetStartPage(0);
        m_children.Add(std::move(row));
    }
    PlaceRows();
}

bool CqvTable::HasStarted() const {
    // A row that finished with no extent (its only cell a nested table whose
    // bound rows found no data) showed nothing either, though it is done.
    return std::any_of(m_children.begin(), m_children.end(), [](const auto& row) {
        // Only a CqvRow is made with kTypeRow, as CqvBlock's header test relies on.
        if (row->TypeCode() == qv::kTypeRow && row->IsDone() && static_cast<const CqvRow&>(*row).FinishedExtent() == 0)
            return false;
        return row->HasStarted();
    });
}

void CqvTable::MoveTo(int32_t left) {
    m_nLeft = left;
    PlaceRows();
}

void CqvTable::PlaceRows() {
    // The table is as wide as its widest row: a cell beside a nested table
    // whose first row is its widest must start after that row.
    if (m_children.Size() == 0) return;
    int32_t widest = 0;
    for (const auto& row : m_children) widest = std::max(widest, PlaceCells(static_cast<CqvBlock&>(*row)));
    m_nWidth = widest;
}

int32_t CqvTable::PlaceCells(CqvBlock& row) {
    // Cells sit 1 apart, so one cell's right border and the next one's left
    // border (drawn one unit left of the edge) fall on the same line.
    int64_t x = m_nLeft;
    for (const auto& cell : row.Children()) {
        auto* nested = dynamic_cast<CqvTable*>(cell.get());
        if (nested && nested->Children().Size() > 0) {
            // A nested table's cells were placed from its own left when it
            // loaded; they follow it into this column. As a cell it is as wide
            // as its cells span (its own width would count from the body's left
            // edge), so that the next cell starts right after it and the row's
            // layout does not see the two overlap.
            nested->MoveTo(qv::Clamp32(x));
            const int64_t span = int64_t{nested->Width()} - x - 1;
            nested->SetWidth(qv::Clamp32(span));
            x += span + 1;
            continue;
        }
        cell->SetLeft(qv::Clamp32(x));
        x += int64_t{cell->Width()} + 1;
    }
    // The width is the end position, not the end less the table's left.
    row.SetWidth(qv::Clamp32(x));
    return qv::Clamp32(x);
}
