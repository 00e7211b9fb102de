#pragma once
// What the surfaces that paint pages (PdfSurface, CairoSurface) do alike:
// drawing without a started page starts one; the pen's lines wait to be
// stroked together until something else is drawn; a text line's opaque box
// is left out where the rectangle just filled already shows that colour; a
// picture's slice is checked before it is drawn. A painting surface supplies
// the steps that differ: where a rectangle lands and how a box, a line, a
// line of text and a picture are painted.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "render/CleanFill.h"
#include "render/FontPlacement.h"
#include "render/PaintGeometry.h"
#include "render/StatefulSurface.h"

class PaintingSurface : public StatefulSurface {
public:
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances) final;
    void FillSolidRect(const QvRect& rect, QvColor color) final;
    void LineTo(int32_t x, int32_t y) final;
    void Rectangle(const QvRect& rect) final;
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight) final;

protected:
    using PaintBox = qv::render::PaintBox;
    using PenLine = qv::render::PenLine;

    // Starts a page when none is open.
    virtual void OpenPage() = 0;
    // `rect` in the units the surface paints in, normalised.
    virtual PaintBox BoxOf(const QvRect& rect) const = 0;
    virtual void FillBox(const PaintBox& box, QvColor color) = 0;
    // A rectangle filled with the default brush (white) and outlined with the pen.
    virtual void FrameBox(const PaintBox& box) = 0;
    // Lines of the pen, in the order drawn.
    virtual void StrokeLines(std::span<const PenLine> lines) = 0;
    // Whether the pen's lines wait to be stroked together (else each goes out
    // at once), and whether fills are remembered to leave out a repeated one.
    virtual bool BatchesLines() const { return true; }
    virtual bool RemembersFills() const { return true; }
    // The glyphs of a line of text whose opaque box is painted; `clip` in the
    // surface's units.
    virtual void DrawText(int32_t x, int32_t top, unsigned options, const PaintBox& clip, std::u16string_view text,
                          const int32_t* advances) = 0;
    // Rows top .. top + height of `picture` over `dest`, both non-empty.
    virtual void DrawPictureSlice(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                  const PaintBox& dest, int32_t top, int32_t height) = 0;
    // One underline or strike-out band across a line of text `width` long.
    virtual void FillTextBand(int32_t x, int64_t width, const qv::render::TextBand& band) = 0;

    // The underline and strike-out the selected font asks for, in the text colour.
    void DrawTextDecorations(const qv::render::FontPlacement& placement,
                             const std::optional<qv::platform::FontOutlineMetrics>& metrics, int32_t x, int32_t top,
                             int64_t width);
    // Strokes the lines drawn since the last other operation.
    void FlushLines();
    // The page ends: its lines go out, and its fills are no longer known.
    void EndPageDrawing();

private:
    qv::render::CleanFill m_cleanFill;
    std::vector<PenLine> m_pendingLines;
};
