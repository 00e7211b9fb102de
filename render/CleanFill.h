#pragma once
// The last rectangle a surface filled and the boxes of the text drawn into it
// since. Painting a colour over an area that holds nothing but that colour
// changes nothing: a text line's opaque box inside the cell just filled with
// the same background need not be painted again.
#include <optional>
#include <vector>

#include "common/QvRect.h"
#include "render/PaintGeometry.h"

namespace qv::render {

class CleanFill {
public:
    // `box` was filled with `color` and holds nothing else now.
    void Filled(const PaintBox& box, QvColor color) { m_fill = Fill{box, color, {}}; }
    // Something was drawn that may reach anywhere.
    void Forget() { m_fill.reset(); }
    // A line of text was drawn: clipped, its glyphs stay inside `box`;
    // unclipped, they may reach anywhere.
    void TextDrawn(const PaintBox& box, bool clipped);
    // Whether `box` lies in the last filled rectangle, of `color`, untouched since.
    bool AlreadyFilled(const PaintBox& box, QvColor color) const;

private:
    struct Fill {
        PaintBox rect;
        QvColor color;
        std::vector<PaintBox> inked;
    };
    std::optional<Fill> m_fill;
};

}  // namespace qv::render
