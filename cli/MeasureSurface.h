#pragma once
// A surface that only measures: layout for a dump needs fonts and metrics but
// produces no drawing, so there is nothing to write and no file to make.
#include "engine/Surface.h"

class MeasureSurface : public Surface {
public:
    QvFontSpec SelectFont(const QvFontSpec& font) override;
    const QvFontSpec& CurrentFont() const override { return m_font; }
    QvColor SetTextColor(QvColor color) override;
    QvColor SetBkColor(QvColor color) override;
    QvColor TextColor() const override { return m_textColor; }
    QvColor BkColor() const override { return m_bkColor; }
    void TextOut(int32_t, int32_t, unsigned, const QvRect&, std::u16string_view, const int32_t*) override {}
    void FillSolidRect(const QvRect&, QvColor) override {}
    void MoveTo(int32_t, int32_t) override {}
    void LineTo(int32_t, int32_t) override {}
    void Rectangle(const QvRect&) override {}

private:
    QvFontSpec m_font;
    QvColor m_textColor = QvRgb(0, 0, 0);
    QvColor m_bkColor = QvRgb(255, 255, 255);
};
