#pragma once
// A Line element: a horizontal rule along the top edge of the item's box. It
// always takes 2 units in its block's flow, whatever its height; in the flow,
// one that would lie below the body waits for the next page.
#include <memory>

#include "elements/CqvItem.h"

class CqvLineItem : public CqvItem {
public:
    // The height a line reports to its block.
    static constexpr int32_t kLineHeight = 2;

    CqvLineItem() : CqvItem(qv::kTypeLine) {}

    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
    // None inside a keep-with-next trial.
    std::unique_ptr<CqvPagePiece> CreatePiece() override;
};
