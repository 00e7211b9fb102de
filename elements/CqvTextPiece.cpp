#include "elements/CqvTextPiece.h"

#include <string>

#include "elements/CqvFontScope.h"
#include "elements/CqvStyle.h"
#include "elements/ExpandFields.h"
#include "engine/QvSettings.h"

namespace {

unsigned AlignFlags(int32_t align) {
    if (align == kQvAlignCenter) return kQvTextCenter;
    if (align == kQvAlignRight) return kQvTextRight;
    return 0;
}

}  // namespace

void CqvTextPiece::Draw(Surface& surface) {
    if (!m_pStyle) return;
    CqvStyle& style = *m_pStyle;
    CqvFontScope scope(surface, style);
    surface.FillSolidRect(m_rcOuter, style.m_crBg);
    if (!m_bFrameOnly) {
        if (m_bHasPageCount) {
            // Every field at once: filling in one per drawing would print the
            // second field literally on a page that is drawn only once (a PDF,
            // a printer). The piece keeps the result. It is built in one pass:
            // replacing each field in place would move the rest of the text once
            // per field.
            const std::string count = std::to_string(QvSettings::Instance().pageCount);
            std::string filled;
            filled.reserve(m_strText.size());
            size_t copied = 0;
            for (size_t at = m_strText.find(kPageCountField); at != std::string::npos;
                 at = m_strText.find(kPageCountField, copied)) {
                filled.append(m_strText, copied, at - copied);
                filled += count;
                copied = at + kPageCountField.size();
            }
            filled.append(m_strText, copied);
            m_strText = std::move(filled);
        }
        style.m_metrics.DrawWrapped(&surface, m_strText.c_str(), static_cast<std::ptrdiff_t>(m_strText.size()),
                                    m_rcContent, AlignFlags(style.m_nTextAlign), true);
    }
    style.DrawBorders(surface, m_rcOuter);
}
