#pragma once
// The engine's drawing surface as a PDF document, written directly: every
// coordinate in logical units under one page transformation, graphics state
// set only when it changes, a text line as one string of glyph ids placed by
// the font's widths, each font file and each picture embedded once.
//
// Logical units are 0.1 mm with y upward and the paper's top at y = 0; a page's
// content starts by scaling 72/254 points per unit and moving the origin to the
// paper's top, so logical coordinates are written as they are.
//
// Objects are written as they are made (a page's content at its end, the fonts
// and the document's structure at Finish), so memory stays flat however many
// pages there are, and a printer receives each page as it ends.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FontResolver.h"
#include "render/OutputFile.h"
#include "render/StatefulSurface.h"
#include "render/PdfObjectWriter.h"
#include "render/PdfPaintList.h"

namespace qv::render {
class PdfFont;
}

class PdfSurface : public StatefulSurface {
public:
    using WriteFunction = qv::render::PdfObjectWriter::WriteFunction;

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

    // Surface
    void TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                 const int32_t* advances) override;
    void FillSolidRect(const QvRect& rect, QvColor color) override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(const QvRect& rect) override;
    // A JPEG picture goes in as the JPEG file itself; every picture is written
    // once per document however often it is drawn.
    void DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                     int32_t sourceTop, int32_t sourceHeight) override;

private:
    void FontChanged() override { m_selected.reset(); }
    // One face of the selected font as the page uses it: the embedded file
    // its glyphs come from and its resource at the selected em height.
    struct FaceResource {
        qv::render::PdfFont* pdf = nullptr;
        size_t resource = 0;  // of pdf, at this em height
        int resourceId = 0;   // document-wide, for the state tracking
        bool syntheticBold = false;
        bool syntheticItalic = false;
    };
    // The font the selected QvFontSpec names, resolved when text is first drawn with it.
    struct SelectedFont {
        std::shared_ptr<const qv::platform::FontFaces> faces;
        // By face index; the first face's at once, a fallback face's when it
        // first draws a character.
        std::vector<std::optional<FaceResource>> resources;
        double emHeight = 0;  // logical units
        double ascent = 0;    // baseline below the cell top, of the first face
        double descent = 0;   // cell bottom below the baseline
        const FaceResource& Primary() const { return *resources.front(); }
    };
    // A rectangle in logical units with x0 <= x1 and y0 <= y1 (y upward).
    struct Box {
        int32_t x0, y0, x1, y1;
    };
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
    using Line = qv::render::PdfPaintList::Line;
    // A glyph of the line being drawn: its id and where the caller put it,
    // in logical units from the line's start.
    struct PlacedGlyph {
        uint32_t glyph;
        int64_t offset;
        size_t face;  // of the selected font's faces
    };

    PdfSurface(std::string name, int32_t paperWidth, int32_t paperHeight);
    void StartDocument(WriteFunction write, int threads);

    std::string& Content();
    void RaiseIfWriteFailed();
    SelectedFont& Font();
    const FaceResource& ResourceOf(SelectedFont& font, size_t face);
    qv::render::PdfFont& EmbeddedFont(const qv::platform::ResolvedFont& resolved);

    static Box Normalized(const QvRect& rect);
    void AppendBox(const Box& box);
    void SetFill(QvColor color);
    void SetStroke(QvColor color);
    void SetLineWidth(double width);
    void AppendColor(QvColor color, bool stroke);
    void FillBox(const Box& box, QvColor color);
    static qv::render::PdfPaintList::Box PaintBox(const Box& box, double grow = 0);
    qv::render::PdfPaintList::Box TextInk(SelectedFont& font, int32_t x, int32_t top, int64_t width);
    void FlushLines();
    bool AlreadyFilled(const Box& box, QvColor color) const;
    bool GlyphsFit(SelectedFont& font, int32_t x, int32_t top, const Box& box);
    int64_t PlaceGlyphs(SelectedFont& font, std::u16string_view text, const int32_t* advances);
    void DrawGlyphs(SelectedFont& font, int32_t x, int32_t top);
    void DrawGlyphRun(const SelectedFont& font, const FaceResource& face, int64_t x, int32_t top, size_t first,
                      size_t end);
    void DrawTextDecorations(const SelectedFont& font, int32_t x, int32_t top, int64_t width);
    void SaveState();
    void RestoreState();
    void WritePage();
    void WriteDocumentEnd();

    std::string m_name;  // the file or stream named in messages
    int32_t m_paperWidth = 0;
    int32_t m_paperHeight = 0;
    std::unique_ptr<qv::render::OutputFile> m_file;  // none when streaming
    std::unique_ptr<qv::render::PdfObjectWriter> m_writer;
    int m_pagesObject = 0;
    int m_resourcesObject = 0;
    std::vector<int> m_pageObjects;

    bool m_pageOpen = false;
    bool m_finished = false;
    int m_pagesDone = 0;
    std::string m_content;  // the open page's content stream, as drawn
    qv::render::PdfPaintList m_paints;  // what it paints, to leave out what changes nothing
    std::string m_page;     // the content stream as written
    GraphicsState m_state;
    std::vector<GraphicsState> m_savedStates;

    std::optional<SelectedFont> m_selected;
    std::vector<Line> m_pendingLines;
    // The last rectangle filled, and the boxes of the text drawn into it since;
    // none once anything else was drawn.
    struct CleanFill {
        Box rect;
        QvColor color;
        std::vector<Box> inked;
    };
    std::optional<CleanFill> m_cleanFill;
    std::vector<PlacedGlyph> m_glyphs;

    // Embedded fonts by file, in the order of first use; resources are named
    // F1, F2 ... across the document.
    std::vector<std::unique_ptr<qv::render::PdfFont>> m_fonts;
    std::map<const qv::platform::FontFile*, qv::render::PdfFont*> m_fontByFile;
    int m_fontResources = 0;
    // Pictures written so far: by picture id, their resource number (Im1 …) and object.
    std::map<uint64_t, std::pair<int, int>> m_pictures;
};
