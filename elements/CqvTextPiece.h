#pragma once
// One page's portion of a text item. The page count is filled in when the
// piece is drawn, because it is known only after layout.
#include <string>
#include <string_view>

#include "engine/CqvPagePiece.h"

class CqvTextPiece : public CqvPagePiece {
public:
    CqvTextPiece(CqvStyle* style, std::string text, bool hasPageCount)
        : CqvPagePiece(style), m_strText(std::move(text)), m_bHasPageCount(hasPageCount) {}

    // Background, the wrapped text (unless frame only), then the borders.
    void Draw(Surface& surface) override;
    std::string_view Kind() const override { return "text"; }

    // The text as recorded, or as last drawn once a page count was filled in.
    const std::string& Text() const { return m_strText; }
    bool HasPageCount() const { return m_bHasPageCount; }

private:
    std::string m_strText;
    bool m_bHasPageCount;
};
