// PLACEHOLDER until the image item lands: delete this file and define
// CreateImageItem beside the item class (CqvImageItem.cpp).
#include "elements/CqvPendingItem.h"
#include "elements/ItemFactory.h"

std::unique_ptr<CqvItem> CreateImageItem(bool bound) {
    return std::make_unique<CqvPendingItem>(bound ? qv::kTypeXmlImage : qv::kTypeImage);
}
