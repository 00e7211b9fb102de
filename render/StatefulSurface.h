#pragma once
// The device state every surface keeps alike: the selected font, the text and
// background colours and the pen's current point. Surfaces derive from it and
// add only their drawing, so that a newly selected font or colour means the
// same on paper, on screen, in a recording and when only measuring.
#include <cstdint>

#include "engine/Surface.h"

class StatefulSurface : public Surface {
public:
    QvFontSpec SelectFont(const QvFontSpec& font) override;
    const QvFontSpec& CurrentFont() const override { return m_font; }
    QvColor SetTextColor(QvColor color) override;
    QvColor SetBkColor(QvColor color) override;
    QvColor TextColor() const override { return m_textColor; }
    QvColor BkColor() const override { return m_bkColor; }
    void MoveTo(int32_t x, int32_t y) override;

protected:
    // Told before a different font replaces the selected one: whatever a
    // surface resolved for the old font no longer applies.
    virtual void FontChanged() {}
    int32_t CurrentX() const { return m_curX; }
    int32_t CurrentY() const { return m_curY; }

private:
    QvFontSpec m_font;
    QvColor m_textColor = QvRgb(0, 0, 0);
    QvColor m_bkColor = QvRgb(255, 255, 255);
    int32_t m_curX = 0;
    int32_t m_curY = 0;
};
