#pragma once
// The content stream of one PDF page as it is drawn: every coordinate in
// logical units under one page transformation, graphics state set only when
// it changes, a text run as one string of glyph ids placed by the font's
// widths. What a page paints is kept in a paint list until it ends, so that
// paint which changes nothing can be left out.
//
// Logical units are 0.1 mm with y upward and the paper's top at y = 0; the
// content starts by scaling 72/254 points per unit and moving the origin to
// the paper's top, so logical coordinates are written as they are.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/QvRect.h"
#include "render/FontPlacement.h"
#include "render/GlyphPlacement.h"
#include "render/PaintGeometry.h"
#include "render/PdfPaintList.h"

namespace qv::render {

class PdfFont;

class PdfPageContent {
public:
    // A face of a font as a page draws with it: the embedded file its glyphs
    // come from and its resource at one em height.
    struct Face {
        PdfFont* pdf = nullptr;
        size_t resource = 0;  // of pdf, at this em height
        int resourceId = 0;   // document-wide, for the state tracking
        bool syntheticBold = false;
        bool syntheticItalic = false;
    };

    PdfPageContent();

    // Starts a page of the given size, in logical units.
    void Start(int32_t paperWidth, int32_t paperHeight);
    // The page's content stream, without the paint that changes nothing.
    const std::string& Finish();

    // Where the next operator goes: paint between two positions is one item
    // of the paint list.
    size_t Position() const { return m_content.size(); }
    // Paint that stays, taken as covering all of `box`.
    void AddInk(size_t begin, const PaintBox& box);

    void FillBox(const PaintBox& box, QvColor color);
    // Filled with the default brush (white), outlined with the pen.
    void FrameBox(const PaintBox& box);
    void StrokeLines(std::span<const PenLine> lines);
    // Saves the graphics state and clips to `box` until RestoreState.
    void ClipTo(const PaintBox& box);
    void RestoreState();
    // `glyphs` drawn with `face` at em height `em` in `color`, the first on the
    // baseline at x; the others at their offsets from it.
    void ShowGlyphs(const Face& face, double em, QvColor color, int64_t x, double baseline,
                    std::span<const PlacedGlyph> glyphs);
    // An underline or strike-out band from x, `width` long.
    void FillBand(int32_t x, int64_t width, const TextBand& band, QvColor color);
    // Picture resource Im<image> over `dest`, the whole picture `wholeHeight`
    // high with its bottom at `bottom`; clipped to `dest` when it shows a slice.
    void DrawPicture(int image, const PaintBox& dest, double wholeHeight, double bottom, bool slice);

private:
    // What the page's graphics state holds, so that operators go out only on
    // a change. Saved and restored with q/Q.
    struct GraphicsState {
        QvColor fill = QvRgb(0, 0, 0);
        bool fillKnown = true;  // false after a fill that may be left out
        QvColor stroke = QvRgb(0, 0, 0);
        double lineWidth = 1;  // the default, one logical unit under the page's scaling
        int fontResource = 0;  // none
        double fontSize = 0;
        int renderMode = 0;
    };

    void SaveState();
    void AppendBox(const PaintBox& box);
    void AppendColor(QvColor color, bool stroke);
    void SetFill(QvColor color);
    void SetStroke(QvColor color);
    void SetLineWidth(double width);
    void SetFont(const Face& face, double em);
    void SetRenderMode(int mode);
    void AppendGlyphs(const PdfFont& pdf, double em, std::span<const PlacedGlyph> glyphs);

    std::string m_content;  // as drawn
    PdfPaintList m_paints;  // what it paints, to leave out what changes nothing
    std::string m_page;     // as written
    GraphicsState m_state;
    std::vector<GraphicsState> m_savedStates;
};

}  // namespace qv::render
