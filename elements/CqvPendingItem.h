#pragma once
// PLACEHOLDER for leaf items whose classes have not landed yet (text, line,
// image): reads the common attributes and places nothing. Each Create*Item
// maker that still returns it is replaced when its item class arrives.
#include "elements/CqvItem.h"

class CqvPendingItem : public CqvItem {
public:
    explicit CqvPendingItem(int typeCode) : CqvItem(typeCode) {}

    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, const TiXmlElement* data,
                   QvRect& itemRect, CqvTrial* trial) override;
};
