#include "render/PdfSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "common/CqvEx.h"
#include "platform/FontFaces.h"
#include "platform/PictureDecoder.h"
#include "render/DeflatePool.h"
#include "render/PdfFont.h"

using qv::render::PdfDocument;
using qv::render::PdfFont;
using qv::render::PlacedGlyph;

// ---- Construction and page control ---------------------------------------------------

PdfSurface::PdfSurface(PdfDocument document) : m_document(std::move(document)) {}

PdfSurface::PdfSurface(PdfSurface&&) noexcept = default;
PdfSurface::~PdfSurface() = default;

PdfSurface PdfSurface::File(const std::string& path, int32_t paperWidth, int32_t paperHeight, int threads) {
    return PdfSurface(PdfDocument::File(path, paperWidth, paperHeight,
                                        threads > 0 ? threads : qv::render::DeflatePool::DefaultThreads()));
}

PdfSurface PdfSurface::Stream(WriteFunction write, const std::string& name, int32_t paperWidth, int32_t paperHeight,
                              int threads) {
    return PdfSurface(PdfDocument::Stream(std::move(write), name, paperWidth, paperHeight, std::max(threads, 1)));
}

void PdfSurface::StartPage() {
    if (m_finished) throw CqvEx("Drawing on \"" + m_document.Name() + "\" has already been finished");
    if (m_pageOpen) EndPage();
    m_page.Start(m_document.PaperWidth(), m_document.PaperHeight());
    m_pageOpen = true;
}

void PdfSurface::OpenPage() {
    if (!m_pageOpen) StartPage();
}

void PdfSurface::EndPage() {
    if (!m_pageOpen) StartPage();  // an empty page is still a page
    EndPageDrawing();
    const std::string& content = m_page.Finish();
    m_pageOpen = false;
    ++m_pagesDone;
    m_document.AddPage(content);
}

void PdfSurface::Finish() {
    if (m_finished) return;
    if (m_pageOpen) EndPage();
    m_finished = true;
    m_document.Finish();
}

// ---- Fonts ---------------------------------------------------------------------------

PdfSurface::SelectedFont& PdfSurface::Font() {
    if (m_selected) return *m_selected;
    const QvFontSpec& spec = CurrentFont();
    for (auto& [madeFor, font] : m_fonts)
        if (madeFor == spec) return *(m_selected = font.get());
    auto selected = std::make_unique<SelectedFont>();
    selected->faces = qv::platform::ResolveFontFaces(spec.face, spec.weight, spec.italic);
    selected->placement = qv::render::PlaceFont(spec, selected->faces->Primary().file->OutlineMetrics());
    // Fallback faces get their slots when a line first needs one: counting
    // them would look for them.
    selected->resources.resize(1);
    m_selected = selected.get();
    m_fonts.emplace_back(spec, std::move(selected));
    ResourceOf(*m_selected, 0);
    return *m_selected;
}

auto PdfSurface::ResourceOf(SelectedFont& font, size_t face) -> const Face& {
    if (face >= font.resources.size()) font.resources.resize(face + 1);
    std::optional<Face>& slot = font.resources[face];
    if (slot) return *slot;
    const qv::platform::ResolvedFont& resolved = font.faces->Face(face);
    Face resource;
    resource.syntheticBold = resolved.syntheticBold;
    resource.syntheticItalic = resolved.syntheticItalic;
    resource.pdf = &m_document.EmbeddedFont(resolved, CurrentFont().weight, CurrentFont().italic);
    resource.resource = m_document.FontResource(*resource.pdf, font.placement.emHeight);
    resource.resourceId = resource.pdf->ResourceNumber(resource.resource);
    slot = resource;
    return *slot;
}

// ---- Painting ------------------------------------------------------------------------

auto PdfSurface::BoxOf(const QvRect& rect) const -> PaintBox {
    return {static_cast<double>(std::min(rect.left, rect.right)), static_cast<double>(std::min(rect.top, rect.bottom)),
            static_cast<double>(std::max(rect.left, rect.right)), static_cast<double>(std::max(rect.top, rect.bottom))};
}

void PdfSurface::FillBox(const PaintBox& box, QvColor color) { m_page.FillBox(box, color); }

void PdfSurface::FrameBox(const PaintBox& box) { m_page.FrameBox(box); }

void PdfSurface::StrokeLines(std::span<const PenLine> lines) { m_page.StrokeLines(lines); }

void PdfSurface::FillTextBand(int32_t x, int64_t width, const qv::render::TextBand& band) {
    m_page.FillBand(x, width, band, TextColor());
}

void PdfSurface::DrawText(int32_t x, int32_t top, unsigned options, const PaintBox& clip, std::u16string_view text,
                          const int32_t* advances) {
    SelectedFont& font = Font();
    const size_t begin = m_page.Position();
    const int64_t width = qv::render::PlaceGlyphs(
        *font.faces, font.placement.emHeight, text, advances,
        [&](size_t face) -> const qv::platform::FontFile& { return ResourceOf(font, face).pdf->File(); }, m_glyphs);
    const LineInk ink = InkOfGlyphs(font, x, top);
    const bool clipped = (options & kTextClipped) && !GlyphsFit(ink, clip);
    if (clipped) m_page.ClipTo(clip);
    DrawGlyphs(font, x, top);
    const qv::platform::FontFile& primary = font.Primary().pdf->File();
    const bool decorated = (CurrentFont().underline || CurrentFont().strikeout) && primary.OutlineMetrics();
    if (decorated) DrawTextDecorations(font.placement, primary.OutlineMetrics(), x, top, width);
    if (clipped) m_page.RestoreState();
    m_page.AddInk(begin, clipped ? clip : TextInk(font, ink, x, top, decorated ? width : 0));
}

auto PdfSurface::InkOfGlyphs(SelectedFont& font, int32_t x, int32_t top) -> LineInk {
    // Every line is drawn, checked against its clip and recorded as ink, so
    // the glyphs are visited once for all three. The faces were all made
    // resources while the line was placed; a line mostly keeps to one.
    const double em = font.placement.emHeight;
    const double baseline = top - font.placement.ascent;
    LineInk ink;
    auto add = [](bool& any, PaintBox& box, double x0, double y0, double x1, double y1) {
        box = any ? PaintBox{std::min(box.x0, x0), std::min(box.y0, y0), std::max(box.x1, x1), std::max(box.y1, y1)}
                  : PaintBox{x0, y0, x1, y1};
        any = true;
    };
    size_t faceIndex = SIZE_MAX;
    const Face* face = nullptr;
    double scale = 0;
    for (const PlacedGlyph& placed : m_glyphs) {
        if (placed.face != faceIndex) {
            faceIndex = placed.face;
            face = &ResourceOf(font, faceIndex);
            scale = em / face->pdf->EmSquare();
        }
        // Each glyph of each embedded face copies as its own character.
        face->pdf->UseGlyph(face->resource, placed.glyph, placed.codePoint);
        const double left = static_cast<double>(x + placed.offset);
        // Emboldened or slanted outlines reach beyond the outlines' box: a
        // whole em around the glyph holds them.
        if (face->syntheticBold || face->syntheticItalic) {
            add(ink.synthetic, ink.em, left - em, baseline - 2 * em, left + 2 * em, baseline + 2 * em);
            continue;
        }
        const PdfFont::GlyphInk& g = face->pdf->Ink(placed.glyph);
        if (g.Empty()) continue;
        add(ink.outlines, ink.outline, left + g.xMin * scale, baseline + g.yMin * scale, left + g.xMax * scale,
            baseline + g.yMax * scale);
    }
    return ink;
}

auto PdfSurface::TextInk(SelectedFont& font, const LineInk& glyphs, int32_t x, int32_t top, int64_t width) -> PaintBox {
    // Where the line may put ink, for leaving out fills and borders it does
    // not touch: every glyph's outline box, a unit wider for rounding, and
    // the underline and strike-out bands across the whole advance. (Widening
    // the union is widening each box: rounding is monotonic.)
    constexpr double kMargin = 1;
    bool any = false;
    PaintBox ink{0, 0, 0, 0};
    auto add = [&](double x0, double y0, double x1, double y1) {
        ink = any ? PaintBox{std::min(ink.x0, x0), std::min(ink.y0, y0), std::max(ink.x1, x1), std::max(ink.y1, y1)}
                  : PaintBox{x0, y0, x1, y1};
        any = true;
    };
    if (glyphs.synthetic) add(glyphs.em.x0, glyphs.em.y0, glyphs.em.x1, glyphs.em.y1);
    if (glyphs.outlines)
        add(glyphs.outline.x0 - kMargin, glyphs.outline.y0 - kMargin, glyphs.outline.x1 + kMargin,
            glyphs.outline.y1 + kMargin);
    if (width > 0) {
        for (const qv::render::TextBand& band : qv::render::DecorationBands(
                 CurrentFont(), font.placement, font.Primary().pdf->File().OutlineMetrics(), top))
            add(x - kMargin, band.top - band.thickness - kMargin, static_cast<double>(x + width) + kMargin,
                band.top + kMargin);
    }
    return ink;
}

bool PdfSurface::GlyphsFit(const LineInk& glyphs, const PaintBox& box) {
    // A PNG clips every clipped line; a PDF clips only the lines whose ink can
    // leave the box, which looks the same and keeps the clip operators off the
    // many cells whose text fits. Ink, not the advances: an italic j or f and
    // other overhangs reach past their advance into the next cell.
    // Ink that reaches less than half a unit (0.05 mm) out, as the left
    // bearing of a w a hair below zero, cannot be seen on paper; clipping it
    // would put a clip on a good share of a table's cells.
    constexpr double kInvisible = 0.5;
    // Emboldened or slanted outlines reach beyond the outlines' box.
    if (glyphs.synthetic) return false;
    if (!glyphs.outlines) return true;
    const PaintBox& ink = glyphs.outline;
    return !(ink.x0 < box.x0 - kInvisible || ink.x1 > box.x1 + kInvisible || ink.y1 > box.y1 + kInvisible ||
             ink.y0 < box.y0 - kInvisible);
}

void PdfSurface::DrawGlyphs(SelectedFont& font, int32_t x, int32_t top) {
    // A line of one face is one text object; a line that mixes faces gets one
    // per run of a face, each placed where its first glyph was measured.
    const double baseline = top - font.placement.ascent;
    for (size_t start = 0; start < m_glyphs.size();) {
        size_t end = start + 1;
        while (end < m_glyphs.size() && m_glyphs[end].face == m_glyphs[start].face) ++end;
        m_page.ShowGlyphs(ResourceOf(font, m_glyphs[start].face), font.placement.emHeight, TextColor(),
                          x + m_glyphs[start].offset, baseline,
                          std::span<const PlacedGlyph>(m_glyphs).subspan(start, end - start));
        start = end;
    }
}

// ---- Pictures ------------------------------------------------------------------------

void PdfSurface::DrawPictureSlice(const std::shared_ptr<const qv::platform::DecodedPicture>& picture,
                                  const PaintBox& dest, int32_t top, int32_t height) {
    const int image = m_document.PictureResource(*picture);
    // The rows top .. top + height fill the destination; the rest of the
    // picture lies outside the clip. The document holds the whole picture once
    // and each drawing shows its slice, so a JPEG keeps its own encoding.
    const double destHeight = dest.y1 - dest.y0;
    const double wholeHeight = destHeight * picture->height / height;
    const double pictureTop = dest.y1 + destHeight * top / height;
    m_page.DrawPicture(image, dest, wholeHeight, pictureTop - wholeHeight, top > 0 || height < picture->height);
}
