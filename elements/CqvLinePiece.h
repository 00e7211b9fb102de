#pragma once
// A line item on its page: one stroke along the top of its box with the
// surface's current pen. No background, no borders, no style colour.
#include <string_view>

#include "engine/CqvPagePiece.h"

class CqvLinePiece : public CqvPagePiece {
public:
    explicit CqvLinePiece(CqvStyle* style) : CqvPagePiece(style) {}

    void Draw(Surface& surface) override;
    std::string_view Kind() const override { return "line"; }
};
