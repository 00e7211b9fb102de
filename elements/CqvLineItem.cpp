#include "elements/CqvLineItem.h"

#include <algorithm>

#include "elements/CqvLinePiece.h"
#include "elements/CqvTrial.h"
#include "elements/ItemFactory.h"

std::unique_ptr<CqvItem> CreateLineItem() { return std::make_unique<CqvLineItem>(); }

int32_t CqvLineItem::Layout(Surface&, QvPrintInfo&, int32_t y, QvDataElement, QvRect& itemRect, CqvTrial* trial) {
    if (trial) trial->Register(*this);
    itemRect = ItemRect(y);
    // A rule in the flow that would lie below the body goes to the next page
    // like any item, unless only the spaces above it keep it off a page that
    // holds nothing yet: then it rises there. An absolutely placed one stays
    // with its form, whose block decides the page.
    if (!m_bAbsolute && int64_t{y} + kLineHeight > BottomLimit()) {
        const std::optional<int32_t> risen = RisenTop(kLineHeight);
        if (!risen) return qv::kLayoutNextPage;
        itemRect = ItemRect(*risen);
    }
    // The rule is drawn along the top of its box and takes only its own
    // thickness of the flow, so one in the last millimetres of the body keeps
    // its box inside the body too rather than reaching below the foot.
    if (!m_bAbsolute) itemRect.bottom = std::max(itemRect.bottom, -BottomLimit());
    Finish();
    return kLineHeight;
}

std::unique_ptr<CqvPagePiece> CqvLineItem::CreatePiece() {
    if (m_bInTrial) return nullptr;
    return std::make_unique<CqvLinePiece>(&m_style);
}
