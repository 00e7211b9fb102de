#include "elements/CqvPendingItem.h"

#include "elements/CqvTrial.h"

int32_t CqvPendingItem::Layout(Surface&, QvPrintInfo&, int32_t y, const TiXmlElement*,
                               QvRect& itemRect, CqvTrial* trial) {
    if (trial) trial->Register(*this);
    itemRect = ItemRect(y);
    Finish();
    return qv::kLayoutNothing;
}
