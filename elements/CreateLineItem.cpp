// PLACEHOLDER until the line item lands: delete this file and define
// CreateLineItem beside the item class (CqvLineItem.cpp).
#include "elements/CqvPendingItem.h"
#include "elements/ItemFactory.h"

std::unique_ptr<CqvItem> CreateLineItem() { return std::make_unique<CqvPendingItem>(qv::kTypeLine); }
