#pragma once
// A Text element with xml-element-name: its text is a value of the data,
// looked up afresh at every layout against the layout's data element.
#include "elements/CqvTextItem.h"

class CqvXmlTextItem : public CqvTextItem {
public:
    CqvXmlTextItem() : CqvTextItem(qv::kTypeXmlText) {}

    // Common attributes and style only: the text comes from the data.
    void Load(const TiXmlElement& element) override;
    int32_t Layout(Surface& surface, QvPrintInfo& printInfo, int32_t y, QvDataElement data, QvRect& itemRect,
                   CqvTrial* trial) override;
};
