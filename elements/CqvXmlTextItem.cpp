#include "elements/CqvXmlTextItem.h"

#include <cstdlib>

#include "elements/CqvFontScope.h"
#include "elements/CqvTrial.h"
#include "elements/ExpandFields.h"
#include "engine/CqvReport.h"

void CqvXmlTextItem::Load(const TiXmlElement& element) { CqvItem::Load(element); }

int32_t CqvXmlTextItem::Layout(Surface& surface, QvPrintInfo&, int32_t y, QvDataElement data, QvRect& itemRect,
                               CqvTrial* trial) {
    if (trial) trial->Register(*this);
    CqvFontScope scope(surface, m_style);

    // The box of one line, for the caller when nothing fits.
    const int64_t oneLine = std::abs(int64_t{m_style.m_metrics.OneLineHeight()});
    const int64_t left = int64_t{m_pReport->BodyArea().left} + m_nLeft;
    itemRect = QvRect{qv::Clamp32(left), qv::Clamp32(-int64_t{y}), qv::Clamp32(left + m_nWidth),
                      qv::Clamp32(-int64_t{y} - oneLine)};
    if (BottomLimit() < int64_t{y} + oneLine) return qv::kLayoutNextPage;

    // The attribute name comes from the path alone; xml-property-name selects nothing.
    QvDataValue value = FindDataValue(data, m_strXmlElementName);
    SetSource(std::move(value.text));
    return LayoutText(y, value.element, itemRect);
}
