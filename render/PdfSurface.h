#pragma once
// The engine's drawing surface as a PDF document, written directly: the
// document (PdfDocument) holds what the pages share and writes each page as it
// ends; the page being drawn is a PdfPageContent. This class turns the
// engine's drawing into both: it places each line's glyphs by the font's
// widths, clips only what can leave its box, and embeds each font file and
// each picture once.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FontResolver.h"
#include "render/GlyphPlacement.h"
#include "render/PaintingSurface.h"
#include "render/PdfDocument.h"
#include "render/PdfPageContent.h"

class PdfSurface : public PaintingSurface {
public:
    using WriteFunction = qv::render::PdfDocument::WriteFunction;

    // All pages in one PDF file, written under a temporary name and put in
    // place by Finish. Paper size in logical units (2100 × 2970 is A4).
    // `threads` deflate the pages while the next are drawn: 0 for one per
    // core, 1 to do everything on the calling thread. The file is the same
    // byte for byte however many there are.
    static PdfSurface File(const std::string& path, int32_t paperWidth, int32_t paperHeight, int threads = 0);
    // The document handed to `write` as it is produced: each page's bytes when
    // the page ends (with more than one thread, when it is deflated), the rest
    // at Finish. `name` stands for the output in error messages. A write
    // function that fails once gets nothing more.
    static PdfSurface Stream(WriteFunction write, const std::string& name, int32_t paperWidth, int32_t paperHeight,
                             int threads = 1);

    PdfSurface(PdfSurface&&) noexcept;
    ~PdfSurface() override;

    // Page control. Drawing without a started page starts one. Raise CqvEx when
    // the output cannot be written, naming the file.
    void StartPage();
    void EndPage();
    // Ends an open page, completes the document and puts the file in its
    // place; before Finish nothing is visible under the file's name. An
    // abandoned surface (destroyed without Finish) leaves no file behind.
    void Finish();
    int PageCount() const { return m_pagesDone; }

private:
    using Face = qv::render::PdfPageContent::Face;
    // The font the selected QvFontSpec names, resolved when text is first drawn with it.
    struct SelectedFont {
        std::shared_ptr<const qv::platform::FontFaces> faces;
        // By face index; the first face's at once, a fallback face's when it
        // first draws a character. A deque, as a line's faces are held by
        // reference while a later face of it gets its slot.
        std::deque<std::optional<Face>> resources;
        qv::render::FontPlacement placement;
        const Face& Primary() const { return *resources.front(); }
    };

    explicit PdfSurface(qv::render::PdfDocument document);

    // Where the glyphs of the line being drawn put ink, found in one pass
    // over them: the union of their outline boxes, and of the em boxes that
    // stand for emboldened or slanted outlines.
    struct LineInk {
        bool outlines = false, synthetic = false;
        PaintBox outline{0, 0, 0, 0};
        PaintBox em{0, 0, 0, 0};
    };

    SelectedFont& Font();
    const Face& ResourceOf(SelectedFont& font, size_t face);
    LineInk InkOfGlyphs(SelectedFont& font, int32_t x, int32_t top);
    PaintBox TextInk(SelectedFont& font, const LineInk& glyphs, int32_t x, int32_t top, int64_t width);
    static bool GlyphsFit(const LineInk& glyphs, const PaintBox& box);
    void DrawGlyphs(SelectedFont& font, int32_t x, int32_t top);

    // PaintingSurface
    void FontChanged() override { m_selected = nullptr; }
    void OpenPage() override;
    PaintBox BoxOf(const QvRect& rect) const override;
    void FillBox(const PaintBox& box, QvColor color) override;
    void FrameBox(const PaintBox& box) override;
    void StrokeLines(std::span<const PenLine> lines) override;
    void DrawText(int32_t x, int32_t top, unsigned options, const PaintBox& clip, std::u16string_view text,
                  const int32_t* advances) override;
    // A JPEG picture goes in as the JPEG file itself; every picture is written
    // once per document however often it is drawn.
    void DrawPictureSlice(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const PaintBox& dest,
                          int32_t top, int32_t height) override;
    void FillTextBand(int32_t x, int64_t width, const qv::render::TextBand& band) override;

    qv::render::PdfDocument m_document;
    qv::render::PdfPageContent m_page;
    bool m_pageOpen = false;
    bool m_finished = false;
    int m_pagesDone = 0;
    // The fonts selected so far, by the font settings they were made for: a report
    // switches between a handful of styles thousands of times.
    std::vector<std::pair<QvFontSpec, std::unique_ptr<SelectedFont>>> m_fonts;
    SelectedFont* m_selected = nullptr;             // of m_fonts; null until text is drawn with the current font
    std::vector<qv::render::PlacedGlyph> m_glyphs;  // of the line being drawn
};
