#include "render/FontPlacement.h"

#include <algorithm>

namespace qv::render {

namespace {

// A font of height 0 asks for "some sensible size"; 12 points at 254 dpi.
constexpr double kDefaultEmHeight = 42.0;

}  // namespace

FontPlacement PlaceFont(const QvFontSpec& font, const std::optional<qv::platform::FontOutlineMetrics>& metrics) {
    FontPlacement placement;
    // A negative height is the em height; a positive one is the cell height,
    // of which the em is the part the font's em square takes.
    if (font.height < 0) placement.emHeight = -static_cast<double>(font.height);
    else if (font.height > 0 && metrics && metrics->cellHeight > 0)
        placement.emHeight = static_cast<double>(font.height) * metrics->emSquare / metrics->cellHeight;
    else if (font.height > 0) placement.emHeight = font.height;
    else placement.emHeight = kDefaultEmHeight;
    if (metrics) {
        placement.ascent = metrics->winAscent * placement.emHeight / metrics->emSquare;
        placement.descent = metrics->winDescent * placement.emHeight / metrics->emSquare;
    } else {
        placement.ascent = placement.emHeight * 0.8;  // no outline metrics: a common ascent share
        placement.descent = placement.emHeight * 0.2;
    }
    return placement;
}

std::vector<TextBand> DecorationBands(const QvFontSpec& font, const FontPlacement& placement,
                                      const std::optional<qv::platform::FontOutlineMetrics>& metrics, double top) {
    std::vector<TextBand> bands;
    if (!metrics) return bands;
    const double k = placement.emHeight / metrics->emSquare;
    const double baseline = top - placement.ascent;
    // A stroke of at least one design unit, so that a font that declares none still shows it.
    if (font.underline)
        bands.push_back({baseline + metrics->underlinePosition * k, std::max(1, metrics->underlineThickness) * k});
    if (font.strikeout)
        bands.push_back({baseline + metrics->strikeoutPosition * k, std::max(1, metrics->strikeoutSize) * k});
    return bands;
}

}  // namespace qv::render
