#pragma once
/// @file
/// What a report draws on: the Surface interface and the plain types its
/// operations take. A program implements Surface to draw pages onto a target
/// of its own (a widget, a canvas, a test recorder); the library's Renderer is
/// a Surface that writes PDF, PNG, SVG or PostScript.
///
/// Coordinates are logical units of 0.1 mm with x to the right and y upward;
/// the paper's top edge is y = 0, so everything on a page has y <= 0.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "quorvane/Export.h"

namespace quorvane {

/// A rectangle in logical units. Below the paper's top `bottom` < `top`.
struct Rect {
    std::int32_t left = 0;    ///< Left edge.
    std::int32_t top = 0;     ///< Top edge (the larger y).
    std::int32_t right = 0;   ///< Right edge.
    std::int32_t bottom = 0;  ///< Bottom edge (the smaller y).
    /// Rectangles with the same four edges are equal.
    friend bool operator==(const Rect&, const Rect&) = default;
};

/// A colour: red in the low byte, then green, then blue; the high byte is 0.
using Color = std::uint32_t;

/// The colour of red, green and blue intensities 0 to 255.
constexpr Color Rgb(unsigned red, unsigned green, unsigned blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}

/// A logical font as a template's style describes it.
struct Font {
    std::string face = "Arial";  ///< Family name, at most 31 bytes.
    /// Size in logical units; negative: the em height (character height
    /// without internal leading), as the styles give it.
    std::int32_t height = 0;
    std::int32_t weight = 400;  ///< 100 to 900; 700 is bold.
    bool italic = false;        ///< Italic or oblique.
    bool underline = false;     ///< Underlined text.
    bool strikeout = false;     ///< Struck-out text.
    std::int32_t charset = 1;   ///< Character set of the template's code page.
    /// Fonts with the same fields are equal.
    friend bool operator==(const Font&, const Font&) = default;
};

/// TextOut option: fill the clip rectangle with the background colour first.
inline constexpr unsigned kTextOpaque = 0x2;
/// TextOut option: clip the glyphs to the clip rectangle.
inline constexpr unsigned kTextClipped = 0x4;

/// A decoded picture, as a page draws it. The pixels stay valid as long as
/// a copy of `owner` is kept.
struct Picture {
    int width = 0;   ///< Pixels per row.
    int height = 0;  ///< Rows.
    /// Rows top to bottom, `width` words each: premultiplied ARGB32 in native
    /// byte order (alpha in the high byte).
    std::span<const std::uint32_t> pixels;
    /// The JPEG file itself when the picture is one and its pixels are exactly
    /// what the file shows (a vector target can embed it); else empty.
    std::span<const unsigned char> jpeg;
    /// The same for every drawing of the same picture within a process, so
    /// that a document can store a picture once.
    std::uint64_t id = 0;
    /// Keeps `pixels` and `jpeg` alive.
    std::shared_ptr<const void> owner;
};

/// The drawing operations a report's pages use. Every surface works at 254
/// dots per inch: a font's size is a point size on every target, so lines
/// break identically everywhere.
class QUORVANE_API Surface {
public:
    virtual ~Surface();

    /// Selects the font that later text output uses; returns the font it replaces.
    virtual Font SelectFont(const Font& font) = 0;
    /// The font last selected.
    virtual const Font& CurrentFont() const = 0;

    /// Sets the text colour; returns the previous one.
    virtual Color SetTextColor(Color color) = 0;
    /// Sets the background colour of opaque text; returns the previous one.
    virtual Color SetBkColor(Color color) = 0;
    /// The text colour.
    virtual Color TextColor() const = 0;
    /// The background colour of opaque text.
    virtual Color BkColor() const = 0;

    /// Draws one line of text in the current font. The first glyph's cell has
    /// its top-left corner at (x, top); glyph k starts advances[0] + ... +
    /// advances[k-1] units to the right of x. `advances` has text.size()
    /// entries. `options` combines kTextOpaque and kTextClipped, which use `clip`.
    virtual void TextOut(std::int32_t x, std::int32_t top, unsigned options, const Rect& clip, std::u16string_view text,
                         const std::int32_t* advances) = 0;

    /// Fills a rectangle with a colour.
    virtual void FillSolidRect(const Rect& rect, Color color) = 0;

    /// Moves the pen to (x, y) without drawing.
    virtual void MoveTo(std::int32_t x, std::int32_t y) = 0;
    /// Draws a line with the pen (black, one device pixel on raster targets and
    /// 0.1 mm on vector targets) from its position to (x, y), and moves it there.
    virtual void LineTo(std::int32_t x, std::int32_t y) = 0;

    /// Outlines a rectangle with the pen and fills it white.
    virtual void Rectangle(const Rect& rect) = 0;

    /// Paints the rows sourceTop to sourceTop + sourceHeight of the picture
    /// (its own pixels, top row 0, all of its width) stretched over `dest`.
    /// The surface may keep the picture's `owner` as long as it needs the
    /// pixels. The default draws nothing, as suits a surface that only measures.
    virtual void DrawPicture(const Picture& picture, const Rect& dest, std::int32_t sourceTop,
                             std::int32_t sourceHeight);
};

}  // namespace quorvane
