#pragma once
// What the surface tests share: the engine's advances for a text, and
// reading PNG pages back.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Surface.h"

class CairoSurface;

namespace qvrender {

// The advances the text metrics would give: each glyph's design advance scaled
// to the em height, accumulated and truncated as drawn lines are.
std::vector<int32_t> AdvancesFor(std::u16string_view text, const char* family, int weight, double emHeight);

void DrawLine(Surface& surface, int32_t x, int32_t top, std::u16string_view text, const char* family, int weight,
              int32_t emHeight, unsigned options = 0, QvRect clip = {});

// The image of a Cairo surface written as a PNG, for the same reading as
// pdftoppm's page.
void SaveImage(CairoSurface& surface, const std::string& path);

// A PNG read back with Cairo: 0x00RRGGBB per pixel.
class PngImage {
public:
    explicit PngImage(const std::string& path);
    ~PngImage();
    PngImage(const PngImage&) = delete;
    PngImage& operator=(const PngImage&) = delete;

    bool Ok() const;
    int Width() const;
    int Height() const;
    uint32_t At(int x, int y) const;
    bool Dark(int x, int y) const;
    // Dark pixels in [x0, x1) × [y0, y1).
    int DarkCount(int x0, int y0, int x1, int y1) const;

private:
    cairo_surface_t* m_surface;
};

}  // namespace qvrender
