#pragma once
// Where a logical font's glyphs sit, in logical units, the same on every
// surface: its em height, its baseline below the cell top, and the bands of
// its underline and strikeout. Vector and raster surfaces differ only in how
// they draw them.
#include <optional>
#include <vector>

#include "engine/Surface.h"
#include "platform/FontFile.h"

namespace qv::render {

// PostScript points per logical unit (0.1 mm).
inline constexpr double kPointsPerUnit = 72.0 / 254.0;

struct FontPlacement {
    double emHeight = 0;  // logical units
    double ascent = 0;    // baseline below the cell top
    double descent = 0;   // cell bottom below the baseline
};

// `metrics` is empty for a font without outline metrics.
FontPlacement PlaceFont(const QvFontSpec& font, const std::optional<qv::platform::FontOutlineMetrics>& metrics);

// A filled band across a line of text: its top edge and its thickness,
// logical units with y upward.
struct TextBand {
    double top = 0;
    double thickness = 0;
};

// The underline and strikeout bands `font` asks for, on a line whose cell top
// is `top`; none when the font has no outline metrics.
std::vector<TextBand> DecorationBands(const QvFontSpec& font, const FontPlacement& placement,
                                      const std::optional<qv::platform::FontOutlineMetrics>& metrics, double top);

}  // namespace qv::render
