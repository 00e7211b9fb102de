#pragma once
// Where the glyphs of a line of text go: the face that draws each character,
// its glyph and its offset from the line's start. Every surface that draws
// text places it so, which keeps PDF, PNG, SVG and PostScript in agreement.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/FontFaces.h"
#include "platform/FontFile.h"
#include "render/Utf16Text.h"

namespace qv::render {

struct PlacedGlyph {
    char32_t codePoint;  // as drawn: a control character as a space
    uint32_t glyph;
    int64_t offset;  // logical units from the line's start
    size_t face;     // of the font's faces
};

// Places `text` in `glyphs` and returns the line's advance. `advances` as
// Surface::TextOut takes them, or null for the faces' own at `emHeight`.
// `fileOf(face)` is the font file that draws face number `face`: a surface
// may draw a face with another file.
template <typename FileOf>
int64_t PlaceGlyphs(const qv::platform::FontFaces& faces, double emHeight, std::u16string_view text,
                    const int32_t* advances, FileOf&& fileOf, std::vector<PlacedGlyph>& glyphs) {
    glyphs.clear();
    glyphs.reserve(text.size());
    int64_t offset = 0;
    // The file and scale of the face of the glyph before: a line mostly keeps
    // to one face, and every character of every line comes through here.
    size_t lastFace = SIZE_MAX;
    const qv::platform::FontFile* file = nullptr;
    double designScale = 0.0;
    for (size_t i = 0; i < text.size();) {
        auto [codePoint, units] = CodePointAt(text, i);
        // Tabs and line breaks are white space inside a line; drawn as the
        // font's control-character glyphs they would show as boxes.
        if (codePoint < 0x20) codePoint = U' ';
        // A character the first face lacks comes from the face that has it. A
        // lone surrogate measured as the first face's missing glyph, and is
        // drawn so.
        const bool badUnit = codePoint == 0xFFFD && text[i] != 0xFFFD;
        const size_t face = badUnit ? 0 : faces.FaceFor(codePoint);
        if (face != lastFace) {
            lastFace = face;
            file = &fileOf(face);
            const auto& metrics = file->OutlineMetrics();
            designScale = metrics ? emHeight / metrics->emSquare : 0.0;
        }
        glyphs.push_back({codePoint, file->GlyphIndex(codePoint), offset, face});
        for (size_t k = 0; k < units; ++k) {
            // Without explicit advances the face's own, scaled, are used.
            offset +=
                advances ? advances[i + k] : (k == 0 ? std::lround(file->DesignAdvance(codePoint) * designScale) : 0);
        }
        i += units;
    }
    return offset;
}

}  // namespace qv::render
