#pragma once
// The two shapes the painting surfaces pass around: a box of paint and a line
// of the pen.
#include <cstdint>

namespace qv::render {

// A rectangle with x0 <= x1 and y0 <= y1, in the units of the surface that
// paints it: a PDF page's logical units (y upward), Cairo's device units
// (y downward).
struct PaintBox {
    double x0, y0, x1, y1;
};

// A line of the pen from (x0, y0) to (x1, y1), in logical units.
struct PenLine {
    int32_t x0, y0, x1, y1;
};

}  // namespace qv::render
