// PLACEHOLDER until the text item lands: delete this file and define
// CreateTextItem beside the item class (CqvTextItem.cpp).
#include "elements/CqvPendingItem.h"
#include "elements/ItemFactory.h"

std::unique_ptr<CqvItem> CreateTextItem(bool bound) {
    return std::make_unique<CqvPendingItem>(bound ? qv::kTypeXmlText : qv::kTypeText);
}
