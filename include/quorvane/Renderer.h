#pragma once
/// @file
/// The library's own surfaces: a Renderer writes the pages drawn on it as a
/// PDF document, as PNG images, or as SVG or PostScript files, into files or
/// into memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvane/Export.h"
#include "quorvane/Surface.h"

namespace quorvane {

namespace bridge {
struct RendererAccess;
}

/// A surface that writes PDF, PNG, SVG or PostScript. Draw pages on it with
/// Report::DrawPage between StartPage and EndPage, then call Finish.
///
/// File output takes its name only when Finish completes it: a renderer
/// destroyed without Finish, or one whose drawing failed, leaves no file.
/// Per-page formats (PNG, SVG, PostScript) write `path` itself for a one-page
/// output, else NAME-1.EXT, NAME-2.EXT, ... Paper sizes are in tenths of a
/// millimetre (2100 x 2970 is A4), as Report::PaperWidth and
/// Report::PaperHeight give them. Failures raise CqvEx.
class QUORVANE_API Renderer final : public Surface {
public:
    /// Every page in one PDF file.
    static Renderer PdfFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight);
    /// Every page in one PDF document in memory, read with PdfBytes after Finish.
    static Renderer PdfInMemory(std::int32_t paperWidth, std::int32_t paperHeight);
    /// One PNG file per page at `dpi` pixels per inch.
    static Renderer PngFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight,
                            double dpi = 150);
    /// One PNG image per page in memory at `dpi` pixels per inch, read with
    /// PngPages; each page's image is there once the page ends.
    static Renderer PngInMemory(std::int32_t paperWidth, std::int32_t paperHeight, double dpi = 150);
    /// One SVG file per page.
    static Renderer SvgFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight);
    /// One PostScript file per page.
    static Renderer PostScriptFile(const std::string& path, std::int32_t paperWidth, std::int32_t paperHeight);

    /// Takes over another renderer; the other can then only be destroyed or assigned to.
    Renderer(Renderer&& other) noexcept;
    /// Takes over another renderer; the other can then only be destroyed or assigned to.
    Renderer& operator=(Renderer&& other) noexcept;
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;
    /// Abandons unfinished output: no file is left behind.
    ~Renderer() override;

    /// Starts a page; an open page is ended first. Drawing without a started
    /// page starts one.
    void StartPage();
    /// Ends the open page; with none open, adds an empty page.
    void EndPage();
    /// Ends an open page and completes the output, putting files in place.
    void Finish();
    /// The pages ended so far.
    std::size_t PageCount() const;

    /// The PDF document of PdfInMemory, complete after Finish; empty for other outputs.
    const std::vector<std::byte>& PdfBytes() const;
    /// The PNG image of each ended page of PngInMemory, in page order; empty for other outputs.
    const std::vector<std::vector<std::byte>>& PngPages() const;

    Font SelectFont(const Font& font) override;
    const Font& CurrentFont() const override;
    Color SetTextColor(Color color) override;
    Color SetBkColor(Color color) override;
    Color TextColor() const override;
    Color BkColor() const override;
    void TextOut(std::int32_t x, std::int32_t top, unsigned options, const Rect& clip, std::u16string_view text,
                 const std::int32_t* advances) override;
    void FillSolidRect(const Rect& rect, Color color) override;
    void MoveTo(std::int32_t x, std::int32_t y) override;
    void LineTo(std::int32_t x, std::int32_t y) override;
    void Rectangle(const Rect& rect) override;
    void DrawPicture(const Picture& picture, const Rect& dest, std::int32_t sourceTop,
                     std::int32_t sourceHeight) override;

private:
    friend struct bridge::RendererAccess;
    struct Impl;
    QUORVANE_LOCAL explicit Renderer(std::unique_ptr<Impl> impl);
    QUORVANE_LOCAL Impl& Checked() const;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvane
