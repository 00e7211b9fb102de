#pragma once
// A page of text in several faces, sizes and scripts with a picture, as the
// tests that follow our PDF towards the paper draw it; and the comparison of
// two rasterizations of it, line by line and glyph by glyph.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/Surface.h"

namespace qvrender {

class PngImage;

// A line in a face of a family, styled, at the engine's advances.
struct Styled {
    std::u16string text;
    const char* family;
    int weight;
    bool italic;
    int32_t em;
};

// Draws `line` with each character at the advance of the face that draws it,
// the running sum truncated as drawn lines are.
void DrawStyled(Surface& surface, int32_t x, int32_t top, const Styled& line, unsigned options = 0, QvRect clip = {});

// The page: four inches square, white, six lines of text and a picture below.
constexpr int32_t kPrintedPageSize = 1016;
const std::vector<Styled>& PrintedLines();
void DrawPrintedPage(Surface& surface);

// A page's pixels as ink or paper: darker than half white, where a rasterizer
// without anti-aliasing, which inks a pixel whose centre the glyph covers,
// and one with it agree best.
class InkMap {
public:
    InkMap(int width, int height) : m_width(width), m_height(height), m_dark(static_cast<size_t>(width) * height) {}
    static InkMap FromPng(const PngImage& image);
    // Premultiplied ARGB32 words, as a Cairo image holds them.
    static InkMap FromArgb(const unsigned char* data, int width, int height, int stride);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Dark(int x, int y) const { return m_dark[static_cast<size_t>(y) * m_width + x] != 0; }
    void SetGray(int x, int y, unsigned gray) { m_dark[static_cast<size_t>(y) * m_width + x] = gray < 128; }

private:
    int m_width, m_height;
    std::vector<uint8_t> m_dark;
};

// How far a rasterization of the printed page strays from the reference.
struct TextComparison {
    int textRows = 0;  // rows holding the lines of text (the picture below is left out)
    // The whole page's shift, the median of the lines' ink boxes' shifts: a
    // rasterizer's own pixel-centre rounding. Glyphs are compared after it.
    int shiftX = 0, shiftY = 0;
    int differing = 0;                     // pixels of those rows that are ink in one image only
    int edges = 0;                         // left and right edges of the reference's runs of glyphs
    int joined = 0;                        // edges inside a run of the other image: glyphs that touch there
    int unmatched = 0;                     // other edges with no edge of the other image within a pixel
    std::vector<std::string> unmatchedAt;  // their column and line's top row
    int worstMatched = 0;                  // the largest offset of a matched edge, in pixels
    int worstLine = 0;                     // the largest offset of a line's ink box (down: in halves)
    std::vector<std::string> faults;       // lines whose ink is elsewhere, one sentence each
    std::string Summary() const;
};

// Compares, line by line, where the glyphs' ink lies in `actual` against
// `reference`, both of the printed page at `dpi`. A run of glyphs is a glyph
// or a few touching ones: a run of columns that hold ink within the line.
TextComparison CompareText(const InkMap& reference, const InkMap& actual, int dpi);

}  // namespace qvrender
