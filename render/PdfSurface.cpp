#include "render/PdfSurface.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/CqvEx.h"
#include "platform/FontFaces.h"
#include "platform/PictureDecoder.h"
#include "render/DeflatePool.h"
#include "render/FontPlacement.h"
#include "render/PdfFont.h"
#include "render/PdfFontSubset.h"
#include "render/PdfNumber.h"
#include "render/PdfPicture.h"
#include "render/Utf16Text.h"

using qv::render::AppendInt;
using qv::render::AppendNumber;
using qv::render::CodePointAt;
using qv::render::kPointsPerUnit;
using qv::render::OutputFile;
using qv::render::PdfFont;
using qv::render::PdfObjectWriter;

namespace {

// libdeflate level of every stream. Measured on the 10,000-row benchmark's
// 668 page contents (6.05 MB): level 1 leaves 1.51 MB in 0.07 s, level 4
// 1.39 MB in 0.07-0.09 s, level 6 1.37 MB in 0.15 s, level 9 1.36 MB in
// 0.3 s (zlib at 6: 1.38 MB in 0.22 s). Level 4 is as fast as the fastest.
constexpr int kContentLevel = 4;
// Fonts and pictures are written once each: level 9 keeps the demos with
// pictures no larger than zlib at 6 made them (at 6 they grew by 0.7%).
constexpr int kStreamLevel = 9;
// A family whose file cannot be embedded (a Type 1 font) draws with this one:
// its text stays on the page and can be copied.
constexpr const char* kSubstituteFamily = "Liberation Sans";

// A glyph id as the two bytes of a literal string. Binary rather than hex
// halves the text's share of a page; the string delimiters and the escape
// character take a backslash, and so does a carriage return, which a reader
// would otherwise take for an end of line and turn into a line feed.
void AppendGlyphBytes(std::string& out, uint32_t glyph) {
    for (const unsigned char byte : {static_cast<unsigned char>(glyph >> 8), static_cast<unsigned char>(glyph)}) {
        switch (byte) {
            case '(':
            case ')':
            case '\\':
                out.push_back('\\');
                out.push_back(static_cast<char>(byte));
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out.push_back(static_cast<char>(byte));
        }
    }
}

void AppendPaperSize(std::string& out, int32_t width, int32_t height) {
    out += "[0 0 ";
    AppendNumber(out, width * kPointsPerUnit, 3);
    out += ' ';
    AppendNumber(out, height * kPointsPerUnit, 3);
    out += ']';
}

}  // namespace

// ---- Construction and page control ---------------------------------------------------

PdfSurface::PdfSurface(std::string name, int32_t paperWidth, int32_t paperHeight)
    : m_name(std::move(name)), m_paperWidth(paperWidth), m_paperHeight(paperHeight) {
    if (paperWidth <= 0 || paperHeight <= 0)
        throw CqvEx("The paper size " + std::to_string(paperWidth) + " x " + std::to_string(paperHeight) +
                    " cannot be drawn");
}

PdfSurface::PdfSurface(PdfSurface&&) noexcept = default;
PdfSurface::~PdfSurface() = default;

void PdfSurface::StartDocument(WriteFunction write, int threads) {
    m_writer = std::make_unique<PdfObjectWriter>(std::move(write), kContentLevel, kStreamLevel, threads);
    m_writer->WriteHeader();
    // Every page names its parent and the shared resources before they exist.
    m_pagesObject = m_writer->Reserve();
    m_resourcesObject = m_writer->Reserve();
    m_content.reserve(64 * 1024);
}

PdfSurface PdfSurface::File(const std::string& path, int32_t paperWidth, int32_t paperHeight, int threads) {
    PdfSurface s(path, paperWidth, paperHeight);
    s.m_file = std::make_unique<OutputFile>(path);
    OutputFile* file = s.m_file.get();
    s.StartDocument([file](const unsigned char* data, size_t length) { return file->Write(data, length); },
                    threads > 0 ? threads : qv::render::DeflatePool::DefaultThreads());
    return s;
}

PdfSurface PdfSurface::Stream(WriteFunction write, const std::string& name, int32_t paperWidth, int32_t paperHeight,
                              int threads) {
    PdfSurface s(name, paperWidth, paperHeight);
    s.StartDocument(std::move(write), std::max(threads, 1));
    return s;
}

void PdfSurface::RaiseIfWriteFailed() {
    if (!m_writer->Failed()) return;
    // A file tells why with the system's reason; a stream only that it failed.
    if (m_file) m_file->Close();
    throw CqvEx("Drawing on \"" + m_name + "\" failed: error while writing to output stream");
}

void PdfSurface::StartPage() {
    if (m_finished) throw CqvEx("Drawing on \"" + m_name + "\" has already been finished");
    if (m_pageOpen) EndPage();
    m_content.clear();
    // Logical units from here on: 72/254 points each, y upward from the paper's top.
    m_content += "q 0.283465 0 0 0.283465 0 ";
    AppendNumber(m_content, m_paperHeight * kPointsPerUnit, 3);
    // Square ends close the corners where borders meet. The character spacing
    // turns the font program's own widths into the engine's advances.
    m_content += " cm\n2 J\n";
    AppendNumber(m_content, PdfFont::kAdvanceBias, 3);
    m_content += " Tc\n";
    m_state = GraphicsState{};
    m_savedStates.clear();
    m_paints.Clear(m_paperWidth, m_paperHeight);
    m_pageOpen = true;
}

std::string& PdfSurface::Content() {
    if (!m_pageOpen) StartPage();
    return m_content;
}

void PdfSurface::EndPage() {
    if (!m_pageOpen) StartPage();  // an empty page is still a page
    FlushLines();
    m_cleanFill.reset();
    while (!m_savedStates.empty()) RestoreState();
    m_content += "Q\n";
    m_paints.Compose(m_content, m_page);
    m_pageOpen = false;
    ++m_pagesDone;
    WritePage();
    m_writer->Flush();
    RaiseIfWriteFailed();
}

void PdfSurface::WritePage() {
    const int contents = m_writer->Reserve();
    m_writer->WriteContentStream(contents, m_page);
    const int page = m_writer->Reserve();
    std::string body = "<< /Type /Page /Parent ";
    AppendInt(body, m_pagesObject);
    body += " 0 R /Resources ";
    AppendInt(body, m_resourcesObject);
    body += " 0 R /Contents ";
    AppendInt(body, contents);
    body += " 0 R >>";
    m_writer->WriteObject(page, body);
    m_pageObjects.push_back(page);
}

void PdfSurface::Finish() {
    if (m_finished) return;
    if (m_pageOpen) EndPage();
    m_finished = true;
    WriteDocumentEnd();
    RaiseIfWriteFailed();
    if (m_file) m_file->Commit();
}

void PdfSurface::WriteDocumentEnd() {
    PdfObjectWriter& w = *m_writer;
    for (const auto& font : m_fonts) font->Write(w);

    std::string resources = "<< /ProcSet [/PDF /Text /ImageB /ImageC]";
    if (m_fontResources > 0) {
        // By resource number, so the dictionary reads F1, F2, ...
        std::vector<std::pair<int, int>> fonts;  // number, object
        for (const auto& font : m_fonts)
            for (size_t r = 0; r < font->ResourceCount(); ++r)
                fonts.emplace_back(font->ResourceNumber(r), font->ObjectOf(r));
        std::sort(fonts.begin(), fonts.end());
        resources += " /Font <<";
        for (const auto& [number, object] : fonts) {
            resources += " /F";
            AppendInt(resources, number);
            resources += ' ';
            AppendInt(resources, object);
            resources += " 0 R";
        }
        resources += " >>";
    }
    if (!m_pictures.empty()) {
        resources += " /XObject <<";
        for (const auto& [id, picture] : m_pictures) {
            resources += " /Im";
            AppendInt(resources, picture.first);
            resources += ' ';
            AppendInt(resources, picture.second);
            resources += " 0 R";
        }
        resources += " >>";
    }
    resources += " >>";
    w.WriteObject(m_resourcesObject, resources);

    std::string pages = "<< /Type /Pages /Kids [";
    for (size_t i = 0; i < m_pageObjects.size(); ++i) {
        pages += (i % 10 == 0) ? '\n' : ' ';
        AppendInt(pages, m_pageObjects[i]);
        pages += " 0 R";
    }
    pages += "\n] /Count ";
    AppendInt(pages, static_cast<int64_t>(m_pageObjects.size()));
    pages += " /MediaBox ";
    AppendPaperSize(pages, m_paperWidth, m_paperHeight);
    pages += " >>";
    w.WriteObject(m_pagesObject, pages);

    const int catalog = w.Reserve();
    std::string root = "<< /Type /Catalog /Pages ";
    AppendInt(root, m_pagesObject);
    root += " 0 R";
    // The header went out before the first page, when the fonts were not yet
    // known; the catalog raises the version for what only a later one allows.
    if (std::any_of(m_fonts.begin(), m_fonts.end(), [](const auto& f) { return f->WroteOpenTypeProgram(); }))
        root += " /Version /1.6";
    root += " >>";
    w.WriteObject(catalog, root);
    const int info = w.Reserve();
    w.WriteObject(info, "<< /Producer (Quorvane) /Creator (Quorvane) >>");
    w.Finish(catalog, info);
}

// ---- State ---------------------------------------------------------------------------

PdfFont& PdfSurface::EmbeddedFont(const qv::platform::ResolvedFont& resolved) {
    auto found = m_fontByFile.find(resolved.file.get());
    if (found != m_fontByFile.end()) return *found->second;
    std::shared_ptr<const qv::platform::FontFile> file = resolved.file;
    if (!qv::render::CanEmbedFontProgram(*file)) {
        const qv::platform::ResolvedFont substitute =
            qv::platform::ResolveFont(kSubstituteFamily, CurrentFont().weight, CurrentFont().italic);
        if (qv::render::CanEmbedFontProgram(*substitute.file)) file = substitute.file;
        else throw CqvEx("The font file \"" + file->Path() + "\" cannot be embedded in a PDF document");
    }
    // Two families may come to the same file (a substitute among them).
    auto same = std::find_if(m_fonts.begin(), m_fonts.end(),
                             [&](const auto& font) { return &font->File() == file.get(); });
    PdfFont* font = same != m_fonts.end() ? same->get() : m_fonts.emplace_back(std::make_unique<PdfFont>(file)).get();
    m_fontByFile.emplace(resolved.file.get(), font);
    return *font;
}

PdfSurface::SelectedFont& PdfSurface::Font() {
    if (m_selected) return *m_selected;
    SelectedFont selected;
    selected.faces = qv::platform::ResolveFontFaces(CurrentFont().face, CurrentFont().weight, CurrentFont().italic);
    const qv::render::FontPlacement placement =
        qv::render::PlaceFont(CurrentFont(), selected.faces->Primary().file->OutlineMetrics());
    selected.emHeight = placement.emHeight;
    selected.ascent = placement.ascent;
    selected.descent = placement.descent;
    selected.resources.resize(selected.faces->Count());
    m_selected = std::move(selected);
    ResourceOf(*m_selected, 0);
    return *m_selected;
}

const PdfSurface::FaceResource& PdfSurface::ResourceOf(SelectedFont& font, size_t face) {
    std::optional<FaceResource>& slot = font.resources[face];
    if (slot) return *slot;
    const qv::platform::ResolvedFont& resolved = font.faces->Face(face);
    FaceResource resource;
    resource.syntheticBold = resolved.syntheticBold;
    resource.syntheticItalic = resolved.syntheticItalic;
    resource.pdf = &EmbeddedFont(resolved);
    const size_t before = resource.pdf->ResourceCount();
    resource.resource = resource.pdf->ResourceFor(font.emHeight, m_fontResources + 1);
    if (resource.pdf->ResourceCount() > before) ++m_fontResources;
    resource.resourceId = resource.pdf->ResourceNumber(resource.resource);
    slot = resource;
    return *slot;
}

// ---- Graphics state ------------------------------------------------------------------

void PdfSurface::AppendColor(QvColor color, bool stroke) {
    const unsigned r = QvRed(color), g = QvGreen(color), b = QvBlue(color);
    if (r == g && g == b) {
        AppendNumber(m_content, r / 255.0, 3);
        m_content += stroke ? " G\n" : " g\n";
        return;
    }
    AppendNumber(m_content, r / 255.0, 3);
    m_content += ' ';
    AppendNumber(m_content, g / 255.0, 3);
    m_content += ' ';
    AppendNumber(m_content, b / 255.0, 3);
    m_content += stroke ? " RG\n" : " rg\n";
}

void PdfSurface::SetFill(QvColor color) {
    if (m_state.fillKnown && m_state.fill == color) return;
    m_state.fill = color;
    m_state.fillKnown = true;
    AppendColor(color, false);
}

void PdfSurface::SetStroke(QvColor color) {
    if (m_state.stroke == color) return;
    m_state.stroke = color;
    AppendColor(color, true);
}

void PdfSurface::SetLineWidth(double width) {
    if (m_state.lineWidth == width) return;
    m_state.lineWidth = width;
    AppendNumber(m_content, width, 3);
    m_content += " w\n";
}

void PdfSurface::SaveState() {
    m_savedStates.push_back(m_state);
    m_content += "q ";
}

void PdfSurface::RestoreState() {
    m_content += "Q\n";
    m_state = m_savedStates.back();
    m_savedStates.pop_back();
}

// ---- Drawing -------------------------------------------------------------------------

PdfSurface::Box PdfSurface::Normalized(const QvRect& rect) {
    return {std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
            std::max(rect.top, rect.bottom)};
}

void PdfSurface::AppendBox(const Box& box) {
    AppendInt(m_content, box.x0);
    m_content += ' ';
    AppendInt(m_content, box.y0);
    m_content += ' ';
    AppendInt(m_content, int64_t{box.x1} - box.x0);
    m_content += ' ';
    AppendInt(m_content, int64_t{box.y1} - box.y0);
    m_content += " re";
}

auto PdfSurface::PaintBox(const Box& box, double grow) -> qv::render::PdfPaintList::Box {
    return {box.x0 - grow, box.y0 - grow, box.x1 + grow, box.y1 + grow};
}

void PdfSurface::FillBox(const Box& box, QvColor color) {
    // A white fill may be left out when the page ends, its colour operator
    // with it; what follows must then set the fill colour again.
    const bool white = color == QvRgb(255, 255, 255);
    const size_t begin = m_content.size();
    SetFill(color);
    AppendBox(box);
    m_content += " f\n";
    m_paints.AddFill(begin, m_content.size(), PaintBox(box), color, white);
    if (white) m_state.fillKnown = false;
}

void PdfSurface::FillSolidRect(const QvRect& rect, QvColor color) {
    Content();
    FlushLines();
    const Box box = Normalized(rect);
    FillBox(box, color);
    m_cleanFill = CleanFill{box, color, {}};
}

void PdfSurface::LineTo(int32_t x, int32_t y) {
    Content();
    m_cleanFill.reset();
    // The lines of one pen stroke the same as one path: a cell's four borders,
    // and the borders of the cells that follow, go out as one stroke.
    m_pendingLines.push_back({CurrentX(), CurrentY(), x, y});
    StatefulSurface::MoveTo(x, y);
}

void PdfSurface::FlushLines() {
    if (m_pendingLines.empty()) return;
    // The pen: black, one logical unit (0.1 mm) wide.
    SetStroke(QvRgb(0, 0, 0));
    SetLineWidth(1);
    // The lines themselves are written when the page ends, without those
    // that another cell's border already drew.
    m_paints.AddStroke(m_content.size(), m_pendingLines);
    m_pendingLines.clear();
}

void PdfSurface::Rectangle(const QvRect& rect) {
    Content();
    FlushLines();
    m_cleanFill.reset();
    // Filled with the default brush (white), outlined with the pen.
    const size_t begin = m_content.size();
    SetFill(QvRgb(255, 255, 255));
    SetStroke(QvRgb(0, 0, 0));
    SetLineWidth(1);
    const Box box = Normalized(rect);
    AppendBox(box);
    m_content += " B\n";
    m_paints.AddInk(begin, m_content.size(), PaintBox(box, 0.5));
}

bool PdfSurface::AlreadyFilled(const Box& box, QvColor color) const {
    // Painting a colour over an area that holds nothing but that colour
    // changes nothing: a text line's opaque box inside the cell just filled
    // with the same background. The box must not even touch what was drawn
    // since, so that no edge of earlier ink is painted over.
    if (!m_cleanFill || m_cleanFill->color != color) return false;
    const Box& r = m_cleanFill->rect;
    if (!(r.x0 <= box.x0 && box.x1 <= r.x1 && r.y0 <= box.y0 && box.y1 <= r.y1)) return false;
    for (const Box& ink : m_cleanFill->inked) {
        if (ink.x0 <= box.x1 && box.x0 <= ink.x1 && ink.y0 <= box.y1 && box.y0 <= ink.y1) return false;
    }
    return true;
}

void PdfSurface::TextOut(int32_t x, int32_t top, unsigned options, const QvRect& clip, std::u16string_view text,
                         const int32_t* advances) {
    Content();
    FlushLines();
    const Box box = Normalized(clip);
    if ((options & kTextOpaque) && !AlreadyFilled(box, BkColor())) FillBox(box, BkColor());
    // What the glyphs may cover: the clip box, or anything when unclipped.
    if (m_cleanFill && (options & kTextClipped))
        m_cleanFill->inked.push_back(box);
    else
        m_cleanFill.reset();
    if (text.empty()) return;

    SelectedFont& font = Font();
    const size_t begin = m_content.size();
    const int64_t width = PlaceGlyphs(font, text, advances);
    const bool clipped = (options & kTextClipped) && !GlyphsFit(font, x, top, box);
    if (clipped) {
        SaveState();
        AppendBox(box);
        m_content += " W n\n";
    }
    DrawGlyphs(font, x, top);
    const bool decorated = (CurrentFont().underline || CurrentFont().strikeout) && font.Primary().pdf->File().OutlineMetrics();
    if (decorated) DrawTextDecorations(font, x, top, width);
    if (clipped) RestoreState();
    m_paints.AddInk(begin, m_content.size(), clipped ? PaintBox(box) : TextInk(font, x, top, decorated ? width : 0));
}

qv::render::PdfPaintList::Box PdfSurface::TextInk(SelectedFont& font, int32_t x, int32_t top, int64_t width) {
    // Where the line may put ink, for leaving out fills and borders it does
    // not touch: every glyph's outline box, a unit wider for rounding, and
    // the underline and strike-out bands across the whole advance.
    constexpr double kMargin = 1;
    const double baseline = top - font.ascent;
    bool any = false;
    qv::render::PdfPaintList::Box ink{0, 0, 0, 0};
    auto add = [&](double x0, double y0, double x1, double y1) {
        ink = any ? qv::render::PdfPaintList::Box{std::min(ink.x0, x0), std::min(ink.y0, y0), std::max(ink.x1, x1),
                                                  std::max(ink.y1, y1)}
                  : qv::render::PdfPaintList::Box{x0, y0, x1, y1};
        any = true;
    };
    for (const PlacedGlyph& placed : m_glyphs) {
        const FaceResource& face = ResourceOf(font, placed.face);
        const double left = static_cast<double>(x + placed.offset);
        // Emboldened or slanted outlines reach beyond the outlines' box: a
        // whole em around the glyph holds them.
        if (face.syntheticBold || face.syntheticItalic) {
            add(left - font.emHeight, baseline - 2 * font.emHeight, left + 2 * font.emHeight,
                baseline + 2 * font.emHeight);
            continue;
        }
        const PdfFont::GlyphInk& g = face.pdf->Ink(placed.glyph);
        if (g.Empty()) continue;
        const double scale = font.emHeight / face.pdf->EmSquare();
        add(left + g.xMin * scale - kMargin, baseline + g.yMin * scale - kMargin, left + g.xMax * scale + kMargin,
            baseline + g.yMax * scale + kMargin);
    }
    if (width > 0) {
        const qv::render::FontPlacement placement{font.emHeight, font.ascent, font.descent};
        for (const qv::render::TextBand& band :
             qv::render::DecorationBands(CurrentFont(), placement, font.Primary().pdf->File().OutlineMetrics(), top))
            add(x - kMargin, band.top - band.thickness - kMargin, static_cast<double>(x + width) + kMargin,
                band.top + kMargin);
    }
    return ink;
}

bool PdfSurface::GlyphsFit(SelectedFont& font, int32_t x, int32_t top, const Box& box) {
    // A PNG clips every clipped line; a PDF clips only the lines whose ink can
    // leave the box, which looks the same and keeps the clip operators off the
    // many cells whose text fits. Ink, not the advances: an italic j or f and
    // other overhangs reach past their advance into the next cell.
    // Ink that reaches less than half a unit (0.05 mm) out, as the left
    // bearing of a w a hair below zero, cannot be seen on paper; clipping it
    // would put a clip on a good share of a table's cells.
    constexpr double kInvisible = 0.5;
    const double baseline = top - font.ascent;
    for (const PlacedGlyph& placed : m_glyphs) {
        const FaceResource& face = ResourceOf(font, placed.face);
        // Emboldened or slanted outlines reach beyond the outlines' box.
        if (face.syntheticBold || face.syntheticItalic) return false;
        const PdfFont::GlyphInk& ink = face.pdf->Ink(placed.glyph);
        if (ink.Empty()) continue;
        const double scale = font.emHeight / face.pdf->EmSquare();
        const double left = static_cast<double>(x + placed.offset);
        if (left + ink.xMin * scale < box.x0 - kInvisible || left + ink.xMax * scale > box.x1 + kInvisible ||
            baseline + ink.yMax * scale > box.y1 + kInvisible || baseline + ink.yMin * scale < box.y0 - kInvisible)
            return false;
    }
    return true;
}

int64_t PdfSurface::PlaceGlyphs(SelectedFont& font, std::u16string_view text, const int32_t* advances) {
    const qv::platform::FontFaces& faces = *font.faces;
    m_glyphs.clear();
    int64_t offset = 0;  // logical units from x to the current glyph
    for (size_t i = 0; i < text.size();) {
        auto [codePoint, units] = CodePointAt(text, i);
        // Tabs and line breaks are white space inside a line; drawn as the
        // font's control-character glyphs they would show as boxes.
        if (codePoint < 0x20) codePoint = U' ';
        // A character the first face lacks comes from the face that has it,
        // so each glyph of each embedded face copies as its own character.
        // A lone surrogate measured as the first face's missing glyph, and is
        // drawn so.
        const bool badUnit = codePoint == 0xFFFD && text[i] != 0xFFFD;
        const size_t face = badUnit ? 0 : faces.FaceFor(codePoint);
        const FaceResource& resource = ResourceOf(font, face);
        const qv::platform::FontFile& file = resource.pdf->File();
        const uint32_t glyph = file.GlyphIndex(codePoint);
        resource.pdf->UseGlyph(resource.resource, glyph, codePoint);
        m_glyphs.push_back({glyph, offset, face});
        for (size_t k = 0; k < units; ++k) {
            // Without explicit advances the face's own, scaled, are used.
            const auto& metrics = file.OutlineMetrics();
            const double designScale = metrics ? font.emHeight / metrics->emSquare : 0.0;
            offset += advances ? advances[i + k]
                               : (k == 0 ? std::lround(file.DesignAdvance(codePoint) * designScale) : 0);
        }
        i += units;
    }
    return offset;
}

void PdfSurface::DrawGlyphs(SelectedFont& font, int32_t x, int32_t top) {
    // A line of one face is one text object; a line that mixes faces gets one
    // per run of a face, each placed where its first glyph was measured.
    for (size_t start = 0; start < m_glyphs.size();) {
        size_t end = start + 1;
        while (end < m_glyphs.size() && m_glyphs[end].face == m_glyphs[start].face) ++end;
        DrawGlyphRun(font, ResourceOf(font, m_glyphs[start].face), x + m_glyphs[start].offset, top, start, end);
        start = end;
    }
}

void PdfSurface::DrawGlyphRun(const SelectedFont& font, const FaceResource& face, int64_t x, int32_t top,
                              size_t first, size_t end) {
    m_content += "BT\n";
    SetFill(TextColor());
    if (m_state.fontResource != face.resourceId || m_state.fontSize != font.emHeight) {
        m_state.fontResource = face.resourceId;
        m_state.fontSize = font.emHeight;
        m_content += '/';
        m_content += face.pdf->ResourceName(face.resource);
        m_content += ' ';
        AppendNumber(m_content, font.emHeight, 3);
        m_content += " Tf\n";
    }
    const int renderMode = face.syntheticBold ? 2 : 0;
    if (face.syntheticBold) {
        // Outlines stroked as well as filled, about as much wider as the
        // emboldening of a face without a bold style.
        SetStroke(TextColor());
        SetLineWidth(std::round(font.emHeight / 24.0 * 100) / 100);
    }
    if (m_state.renderMode != renderMode) {
        m_state.renderMode = renderMode;
        AppendInt(m_content, renderMode);
        m_content += " Tr\n";
    }
    const double baseline = top - font.ascent;
    if (face.syntheticItalic) {
        m_content += "1 0 0.2 1 ";  // slanted by about 11 degrees
        AppendInt(m_content, x);
        m_content += ' ';
        AppendNumber(m_content, baseline, 2);
        m_content += " Tm\n";
    } else {
        AppendInt(m_content, x);
        m_content += ' ';
        AppendNumber(m_content, baseline, 2);
        m_content += " Td\n";
    }

    // The viewer advances each glyph by its /W width plus the character
    // spacing, which is the engine's ideal advance at this em (design advance
    // × em / em square + 0.5) before
    // the engine truncates running sums to whole units. So the viewer's pen and
    // the requested position differ by less than one logical unit wherever
    // the caller used the engine's advances: that difference is an artefact of
    // whole device units, and the viewer's exact metric positions are the
    // better ones. Only where the difference reaches a whole unit (advances of
    // the caller's own, a substituted glyph) does an adjustment put the glyph
    // exactly where it was asked for.
    PdfFont& pdf = *face.pdf;
    const double em = font.emHeight;
    const int64_t origin = m_glyphs[first].offset;
    double pen = 0;
    bool adjusted = false;
    const size_t start = m_content.size();
    m_content += '(';
    for (size_t g = first; g < end; ++g) {
        const PlacedGlyph& placed = m_glyphs[g];
        const double difference = static_cast<double>(placed.offset - origin) - pen;
        if (std::fabs(difference) >= 1.0) {
            // A TJ number moves the pen left by number / 1000 em.
            const double number = std::round(-difference * 1000.0 / em * 10) / 10;
            m_content += ") ";
            AppendNumber(m_content, number, 1);
            m_content += " (";
            pen -= number * em / 1000.0;
            adjusted = true;
        }
        AppendGlyphBytes(m_content, placed.glyph);
        pen += pdf.Advance(placed.glyph, em);
    }
    m_content += ')';
    if (adjusted) {
        m_content.insert(start, 1, '[');
        m_content += "] TJ\nET\n";
    } else {
        m_content += " Tj\nET\n";
    }
}

void PdfSurface::DrawTextDecorations(const SelectedFont& font, int32_t x, int32_t top, int64_t width) {
    const qv::render::FontPlacement placement{font.emHeight, font.ascent, font.descent};
    for (const qv::render::TextBand& band :
         qv::render::DecorationBands(CurrentFont(), placement, font.Primary().pdf->File().OutlineMetrics(), top)) {
        SetFill(TextColor());
        AppendInt(m_content, x);
        m_content += ' ';
        AppendNumber(m_content, band.top - band.thickness, 2);
        m_content += ' ';
        AppendInt(m_content, width);
        m_content += ' ';
        AppendNumber(m_content, band.thickness, 2);
        m_content += " re f\n";
    }
}

// ---- Pictures ------------------------------------------------------------------------

void PdfSurface::DrawPicture(const std::shared_ptr<const qv::platform::DecodedPicture>& picture, const QvRect& dest,
                             int32_t sourceTop, int32_t sourceHeight) {
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    const int32_t top = std::clamp(sourceTop, 0, picture->height);
    const int32_t height = std::min(sourceHeight, picture->height - top);
    if (height <= 0) return;
    Content();
    FlushLines();
    m_cleanFill.reset();
    const Box d = Normalized(dest);
    if (!(d.x1 > d.x0) || !(d.y1 > d.y0)) return;

    auto [entry, isNew] = m_pictures.try_emplace(picture->id, 0, 0);
    if (isNew) {
        entry->second.first = static_cast<int>(m_pictures.size());
        entry->second.second = m_writer->Reserve();
        qv::render::WritePicture(*m_writer, entry->second.second, *picture);
    }

    // The rows top .. top + height fill the destination; the rest of the
    // picture lies outside the clip. The document holds the whole picture once
    // and each drawing shows its slice, so a JPEG keeps its own encoding.
    const double destHeight = d.y1 - d.y0;
    const double wholeHeight = destHeight * picture->height / height;
    const double pictureTop = d.y1 + destHeight * top / height;
    const size_t begin = m_content.size();
    SaveState();
    if (top > 0 || height < picture->height) {
        AppendBox(d);
        m_content += " W n ";
    }
    AppendInt(m_content, int64_t{d.x1} - d.x0);
    m_content += " 0 0 ";
    AppendNumber(m_content, wholeHeight, 3);
    m_content += ' ';
    AppendInt(m_content, d.x0);
    m_content += ' ';
    AppendNumber(m_content, pictureTop - wholeHeight, 3);
    m_content += " cm /Im";
    AppendInt(m_content, entry->second.first);
    m_content += " Do ";
    RestoreState();
    m_paints.AddInk(begin, m_content.size(), PaintBox(d));
}
