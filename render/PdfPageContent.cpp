#include "render/PdfPageContent.h"

#include <cmath>

#include "render/PdfFont.h"
#include "render/PdfNumber.h"

namespace qv::render {

namespace {

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
        case '\r': out += "\\r"; break;
        default: out.push_back(static_cast<char>(byte));
        }
    }
}

// Box coordinates are whole logical units on a PDF page.
int64_t Whole(double value) { return static_cast<int64_t>(value); }

PaintBox Grown(const PaintBox& box, double grow) {
    return {box.x0 - grow, box.y0 - grow, box.x1 + grow, box.y1 + grow};
}

}  // namespace

PdfPageContent::PdfPageContent() { m_content.reserve(64 * 1024); }

void PdfPageContent::Start(int32_t paperWidth, int32_t paperHeight) {
    m_content.clear();
    // Logical units from here on: 72/254 points each, y upward from the paper's top.
    m_content += "q 0.283465 0 0 0.283465 0 ";
    AppendNumber(m_content, paperHeight * kPointsPerUnit, 3);
    // Square ends close the corners where borders meet. The character spacing
    // turns the font program's own widths into the engine's advances.
    m_content += " cm\n2 J\n";
    AppendNumber(m_content, PdfFont::kAdvanceBias, 3);
    m_content += " Tc\n";
    m_state = GraphicsState{};
    m_savedStates.clear();
    m_paints.Clear(paperWidth, paperHeight);
}

const std::string& PdfPageContent::Finish() {
    while (!m_savedStates.empty()) RestoreState();
    m_content += "Q\n";
    m_paints.Compose(m_content, m_page);
    return m_page;
}

void PdfPageContent::AddInk(size_t begin, const PaintBox& box) { m_paints.AddInk(begin, m_content.size(), box); }

// ---- Graphics state ------------------------------------------------------------------

void PdfPageContent::AppendColor(QvColor color, bool stroke) {
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

void PdfPageContent::SetFill(QvColor color) {
    if (m_state.fillKnown && m_state.fill == color) return;
    m_state.fill = color;
    m_state.fillKnown = true;
    AppendColor(color, false);
}

void PdfPageContent::SetStroke(QvColor color) {
    if (m_state.stroke == color) return;
    m_state.stroke = color;
    AppendColor(color, true);
}

void PdfPageContent::SetLineWidth(double width) {
    if (m_state.lineWidth == width) return;
    m_state.lineWidth = width;
    AppendNumber(m_content, width, 3);
    m_content += " w\n";
}

void PdfPageContent::SetFont(const Face& face, double em) {
    if (m_state.fontResource == face.resourceId && m_state.fontSize == em) return;
    m_state.fontResource = face.resourceId;
    m_state.fontSize = em;
    m_content += '/';
    m_content += face.pdf->ResourceName(face.resource);
    m_content += ' ';
    AppendNumber(m_content, em, 3);
    m_content += " Tf\n";
}

void PdfPageContent::SetRenderMode(int mode) {
    if (m_state.renderMode == mode) return;
    m_state.renderMode = mode;
    AppendInt(m_content, mode);
    m_content += " Tr\n";
}

void PdfPageContent::SaveState() {
    m_savedStates.push_back(m_state);
    m_content += "q ";
}

void PdfPageContent::RestoreState() {
    m_content += "Q\n";
    m_state = m_savedStates.back();
    m_savedStates.pop_back();
}

// ---- Paint ---------------------------------------------------------------------------

void PdfPageContent::AppendBox(const PaintBox& box) {
    AppendInt(m_content, Whole(box.x0));
    m_content += ' ';
    AppendInt(m_content, Whole(box.y0));
    m_content += ' ';
    AppendInt(m_content, Whole(box.x1) - Whole(box.x0));
    m_content += ' ';
    AppendInt(m_content, Whole(box.y1) - Whole(box.y0));
    m_content += " re";
}

void PdfPageContent::FillBox(const PaintBox& box, QvColor color) {
    // A white fill may be left out when the page ends, its colour operator
    // with it; what follows must then set the fill colour again.
    const bool white = color == QvRgb(255, 255, 255);
    const size_t begin = m_content.size();
    SetFill(color);
    AppendBox(box);
    m_content += " f\n";
    m_paints.AddFill(begin, m_content.size(), box, color, white);
    if (white) m_state.fillKnown = false;
}

void PdfPageContent::FrameBox(const PaintBox& box) {
    const size_t begin = m_content.size();
    SetFill(QvRgb(255, 255, 255));
    SetStroke(QvRgb(0, 0, 0));
    SetLineWidth(1);
    AppendBox(box);
    m_content += " B\n";
    m_paints.AddInk(begin, m_content.size(), Grown(box, 0.5));
}

void PdfPageContent::StrokeLines(std::span<const PenLine> lines) {
    // The pen: black, one logical unit (0.1 mm) wide.
    SetStroke(QvRgb(0, 0, 0));
    SetLineWidth(1);
    // The lines themselves are written when the page ends, without those
    // that another cell's border already drew.
    m_paints.AddStroke(m_content.size(), lines);
}

void PdfPageContent::ClipTo(const PaintBox& box) {
    SaveState();
    AppendBox(box);
    m_content += " W n\n";
}

void PdfPageContent::FillBand(int32_t x, int64_t width, const TextBand& band, QvColor color) {
    SetFill(color);
    AppendInt(m_content, x);
    m_content += ' ';
    AppendNumber(m_content, band.top - band.thickness, 2);
    m_content += ' ';
    AppendInt(m_content, width);
    m_content += ' ';
    AppendNumber(m_content, band.thickness, 2);
    m_content += " re f\n";
}

void PdfPageContent::DrawPicture(int image, const PaintBox& dest, double wholeHeight, double bottom, bool slice) {
    const size_t begin = m_content.size();
    SaveState();
    if (slice) {
        AppendBox(dest);
        m_content += " W n ";
    }
    AppendInt(m_content, Whole(dest.x1) - Whole(dest.x0));
    m_content += " 0 0 ";
    AppendNumber(m_content, wholeHeight, 3);
    m_content += ' ';
    AppendInt(m_content, Whole(dest.x0));
    m_content += ' ';
    AppendNumber(m_content, bottom, 3);
    m_content += " cm /Im";
    AppendInt(m_content, image);
    m_content += " Do ";
    RestoreState();
    m_paints.AddInk(begin, m_content.size(), dest);
}

// ---- Text ----------------------------------------------------------------------------

void PdfPageContent::ShowGlyphs(const Face& face, double em, QvColor color, int64_t x, double baseline,
                                std::span<const PlacedGlyph> glyphs) {
    m_content += "BT\n";
    SetFill(color);
    SetFont(face, em);
    if (face.syntheticBold) {
        // Outlines stroked as well as filled, about as much wider as the
        // emboldening of a face without a bold style.
        SetStroke(color);
        SetLineWidth(std::round(em / 24.0 * 100) / 100);
    }
    SetRenderMode(face.syntheticBold ? 2 : 0);
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
    AppendGlyphs(*face.pdf, em, glyphs);
}

void PdfPageContent::AppendGlyphs(const PdfFont& pdf, double em, std::span<const PlacedGlyph> glyphs) {
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
    const int64_t origin = glyphs.front().offset;
    double pen = 0;
    bool adjusted = false;
    const size_t start = m_content.size();
    m_content += '(';
    for (const PlacedGlyph& placed : glyphs) {
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

}  // namespace qv::render
