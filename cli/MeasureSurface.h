#pragma once
// A surface that only measures: layout for a dump needs fonts and metrics but
// produces no drawing, so there is nothing to write and no file to make.
#include "render/StatefulSurface.h"

class MeasureSurface : public StatefulSurface {
public:
    void TextOut(int32_t, int32_t, unsigned, const QvRect&, std::u16string_view, const int32_t*) override {}
    void FillSolidRect(const QvRect&, QvColor) override {}
    void LineTo(int32_t, int32_t) override {}
    void Rectangle(const QvRect&) override {}
};
