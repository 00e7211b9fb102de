#include "render/CleanFill.h"

namespace qv::render {

void CleanFill::TextDrawn(const PaintBox& box, bool clipped) {
    if (m_fill && clipped) m_fill->inked.push_back(box);
    else m_fill.reset();
}

bool CleanFill::AlreadyFilled(const PaintBox& box, QvColor color) const {
    // The box must not even touch what was drawn since, so that no edge of
    // earlier ink is painted over.
    if (!m_fill || m_fill->color != color) return false;
    const PaintBox& r = m_fill->rect;
    if (!(r.x0 <= box.x0 && box.x1 <= r.x1 && r.y0 <= box.y0 && box.y1 <= r.y1)) return false;
    for (const PaintBox& ink : m_fill->inked) {
        if (ink.x0 <= box.x1 && box.x0 <= ink.x1 && ink.y0 <= box.y1 && box.y0 <= ink.y1) return false;
    }
    return true;
}

}  // namespace qv::render
