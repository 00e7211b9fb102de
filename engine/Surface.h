#pragma once
// What the engine draws and measures on. Coordinates are logical units of
// 0.1 mm with x to the right and y upward; the paper's top edge is y = 0, so
// everything on the page has y <= 0. Implementations live in render/.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/QvRect.h"

namespace qv::platform {
struct DecodedPicture;
}

// A logical font as a style describes it. A negative height is an em height
// (character height without internal leading) in logical units, as font heights
// are given by the styles.
struct QvFontSpec {
    std::string face = "Arial";  // at most 31 bytes, cut by the caller
    int32_t height = 0;
    int32_t weight = 400;  // 100..900; 700 is bold
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
    int32_t charset = 1;
    friend bool operator==(const QvFontSpec&, const QvFontSpec&) = default;
};

// Text output options.
constexpr unsigned kTextOpaque = 0x2;   // fill the clip rectangle with the background colour first
constexpr unsigned kTextClipped = 0x4;  // clip the glyphs to the clip rectangle

class Surface {
public:
    virtual ~Surface() = default;

    // Every surface reports 254 dots per inch, so a font size is a point size on
    // every target and lines break identically in preview, PDF and print.
    virtual int LogPixelsY() const { return 254; }

    // The font that later text output uses; returns the font it replaces.
    virtual QvFontSpec SelectFont(const QvFontSpec& font) = 0;
    virtual const QvFontSpec& CurrentFont() const = 0;

    // Returns the previous colour.
    virtual QvColor SetTextColor(QvColor color) = 0;
    virtual QvColor SetBkColor(QvColor color) = 0;
    virtual QvColor TextColor() const = 0;
    virtual QvColor BkColor() const = 0;

    // One line of text: the first glyph's cell has its top-left corner at (x, top);
    // glyph k starts advances[0] + … + advances[k-1] units to the right of x.
    // `advances` has text.size() entries.
    virtual void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                         const int32_t* advances) = 0;

    virtual void FillSolidRect(const QvRect& rect, QvColor color) = 0;

    // Lines with the current pen: black, one device pixel on raster targets and
    // 0.1 mm on vector targets.
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    virtual void LineTo(int32_t x, int32_t y) = 0;

    // Outline with the current pen, filled with the current brush (white).
    virtual void Rectangle(const QvRect& rect) = 0;

    // Paints the rows sourceTop .. sourceTop + sourceHeight of the picture
    // (its own pixels, top row 0, all of its width) stretched over `dest`. A
    // surface may keep the picture for as long as it needs it. Surfaces that
    // only measure draw no pictures.
    virtual void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& /*picture*/,
                             const QvRect& /*dest*/, int32_t /*sourceTop*/, int32_t /*sourceHeight*/) {}
};
