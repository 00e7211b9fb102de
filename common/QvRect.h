#pragma once
// A rectangle in logical units (0.1 mm, y upward: bottom < top below the paper's top).
#include <cstdint>

struct QvRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return top - bottom; }
    friend bool operator==(const QvRect&, const QvRect&) = default;
};

// Colour: red in the low byte, then green, then blue.
using QvColor = uint32_t;
constexpr QvColor QvRgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned QvRed(QvColor c) { return c & 0xFFu; }
constexpr unsigned QvGreen(QvColor c) { return (c >> 8) & 0xFFu; }
constexpr unsigned QvBlue(QvColor c) { return (c >> 16) & 0xFFu; }
