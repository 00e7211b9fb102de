// Our PDFs as the programs on the way to a printer read them: the filters
// that rebuild each glyph from the embedded font program (PostScript output,
// Ghostscript) must put the glyphs where a PDF viewer puts them, so the widths
// the document declares must be the program's own; and what the PNG surface
// cuts off at a cell's edge the PDF cuts off too.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "PrintedPage.h"
#include "RenderTestSupport.h"
#include "platform/FontFaces.h"
#include "platform/FontResolver.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using namespace qvrender;
using qv::test::Capture;
using qv::test::ExitStatus;
using qv::test::ReadFile;
using qv::test::ShellQuoted;

class PdfConsumerTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_folder.PathOf(name); }
    qv::test::ScratchDir m_folder;
};

// ---- Reading the document's fonts back ------------------------------------------------

// The objects of a document rewritten by qpdf with plain, uncompressed objects.
std::map<int, std::string> PlainObjects(const std::string& plainPdf) {
    std::map<int, std::string> objects;
    const std::string bytes = ReadFile(plainPdf);
    static const std::regex header(R"((\d+) 0 obj\n)");
    for (std::sregex_iterator it(bytes.begin(), bytes.end(), header), end; it != end; ++it) {
        const size_t from = it->position() + it->length();
        const size_t to = bytes.find("endobj", from);
        objects[std::stoi((*it)[1])] = bytes.substr(from, to - from);
    }
    return objects;
}

int Reference(const std::string& object, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(object, m, std::regex(key + R"(\s+(\d+) 0 R)"))) return 0;
    return std::stoi(m[1]);
}

// The /W array of a CIDFont as glyph id → width (only the "first [w ...]" form).
std::map<uint32_t, double> Widths(const std::string& cidFont) {
    std::map<uint32_t, double> widths;
    const size_t at = cidFont.find("/W [");
    if (at == std::string::npos) return widths;
    std::istringstream in(cidFont.substr(at + 4));
    std::string token;
    uint32_t next = 0;
    bool inRun = false;
    int depth = 1;
    while (depth > 0 && in >> token) {
        // Brackets may stand against the numbers.
        while (!token.empty() && token.front() == '[') {
            ++depth, inRun = true;
            token.erase(0, 1);
        }
        int closes = 0;
        while (!token.empty() && token.back() == ']') ++closes, token.pop_back();
        if (!token.empty()) {
            if (inRun) widths[next++] = std::stod(token);
            else next = static_cast<uint32_t>(std::stoul(token));
        }
        for (; closes > 0; --closes) {
            --depth;
            inRun = false;
        }
    }
    return widths;
}

struct FreeTypeFace {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    explicit FreeTypeFace(const std::string& bytes) {
        if (FT_Init_FreeType(&library) == 0)
            FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes.data()),
                               static_cast<FT_Long>(bytes.size()), 0, &face);
    }
    ~FreeTypeFace() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
    FreeTypeFace(const FreeTypeFace&) = delete;
    FreeTypeFace& operator=(const FreeTypeFace&) = delete;
};

TEST_F(PdfConsumerTest, TheWidthsAreTheEmbeddedProgramsOwnAdvances) {
    struct Case {
        const char* name;
        std::vector<Styled> lines;
        bool openType;  // CFF outlines: the document must say PDF 1.6
    };
    const std::vector<Case> cases = {
        {"TrueType at two sizes, bold and italic",
         {{u"One row per dog, in the order of registration", "Arial", 400, false, 35},
          {u"One row per dog, in the order of registration", "Arial", 400, false, 50},
          {u"Overview Tmvfx", "Arial", 700, false, 60},
          {u"Italic fjord", "Times New Roman", 400, true, 42}},
         false},
        {"Cyrillic and a fallback face", {{u"Товарная накладная № 7 漢字", "Arial", 400, false, 42}}, false},
        {"CFF outlines", {{u"Seven quick jumps", "Nimbus Sans", 400, false, 42}}, true},
    };
    for (const Case& c : cases) {
        m_folder.Empty();
        const std::string pdf = PathOf("widths.pdf");
        {
            PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
            int32_t top = -200;
            for (const Styled& line : c.lines) {
                DrawStyled(surface, 200, top, line);
                top -= 100;
            }
            surface.Finish();
        }
        const std::string check = Capture("qpdf --check " + ShellQuoted(pdf) + " 2>&1");
        EXPECT_NE(check.find("No syntax or stream encoding errors found"), std::string::npos) << c.name << check;
        EXPECT_EQ(check.find("WARNING"), std::string::npos) << c.name << check;

        const std::string plain = PathOf("plain.pdf");
        ASSERT_EQ(ExitStatus("qpdf --qdf --object-streams=disable " + ShellQuoted(pdf) + " " + ShellQuoted(plain)), 0);
        const std::map<int, std::string> objects = PlainObjects(plain);
        int cidFonts = 0;
        for (const auto& [number, object] : objects) {
            if (object.find("/CIDFontType") == std::string::npos) continue;
            ++cidFonts;
            const std::string& descriptor = objects.at(Reference(object, "/FontDescriptor"));
            int program = Reference(descriptor, "/FontFile2");
            if (program == 0) program = Reference(descriptor, "/FontFile3");
            ASSERT_NE(program, 0) << c.name << descriptor;
            const std::string bytes = Capture("qpdf --show-object=" + std::to_string(program) +
                                              " --filtered-stream-data " + ShellQuoted(plain));
            FreeTypeFace face(bytes);
            ASSERT_NE(face.face, nullptr) << c.name << ": FreeType cannot read the embedded program";
            const std::map<uint32_t, double> widths = Widths(object);
            EXPECT_FALSE(widths.empty()) << c.name << object;
            for (const auto& [glyph, width] : widths) {
                FT_Fixed advance = 0;
                ASSERT_EQ(FT_Get_Advance(face.face, glyph, FT_LOAD_NO_SCALE, &advance), 0) << c.name;
                EXPECT_NEAR(width, advance * 1000.0 / face.face->units_per_EM, 0.0005)
                    << c.name << ": glyph " << glyph << " of " << face.face->family_name;
            }
        }
        EXPECT_GE(cidFonts, static_cast<int>(c.lines.size() > 1 ? 3 : 1)) << c.name;
        const std::string bytes = ReadFile(pdf);
        EXPECT_EQ(bytes.find("/Version /1.6") != std::string::npos, c.openType)
            << c.name << ": an OpenType program needs PDF 1.6, others keep 1.4";
        EXPECT_EQ(bytes.rfind("%PDF-1.4\n", 0), 0u);
    }
}

// ---- A page through the PostScript path ------------------------------------------------

TEST_F(PdfConsumerTest, PostScriptFromOurPdfRasterizesLikeThePdfItself) {
    const std::string pdf = PathOf("page.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, kPrintedPageSize, kPrintedPageSize);
        DrawPrintedPage(surface);
        surface.Finish();
    }
    const std::string ps = PathOf("page.ps");
    // The PostScript page the size of the PDF's, not centred on the default paper.
    const std::string warnings =
        Capture("pdftocairo -ps -origpagesizes " + ShellQuoted(pdf) + " " + ShellQuoted(ps) + " 2>&1");
    EXPECT_EQ(warnings, "") << "pdftocairo -ps should read our PDF without a word";
    const int dpi = 150;
    const std::string gsOut =
        Capture("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r" + std::to_string(dpi) +
                " -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile=" + ShellQuoted(PathOf("gs.png")) + " " +
                ShellQuoted(ps) + " 2>&1");
    EXPECT_EQ(gsOut, "") << "Ghostscript should read the PostScript without a word";
    Capture("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile " + ShellQuoted(pdf) + " " +
            ShellQuoted(PathOf("poppler")));
    PngImage viewer(PathOf("poppler.png")), printed(PathOf("gs.png"));
    ASSERT_TRUE(viewer.Ok() && printed.Ok());

    const TextComparison c = CompareText(InkMap::FromPng(viewer), InkMap::FromPng(printed), dpi);
    for (const std::string& fault : c.faults) ADD_FAILURE() << fault;
    // Ghostscript's TrueType hinter draws the smallest serif line narrower, as
    // it does from the font file itself: a few of its edges may stray.
    EXPECT_LE(c.unmatched * 50, c.edges) << c.Summary();
    std::printf("PostScript path at %d dpi: %s\n", dpi, c.Summary().c_str());
    // Anti-aliasing alone makes about 2% of the text rows' pixels cross the
    // darkness threshold; misplaced or rescaled glyphs make far more.
    EXPECT_LT(c.differing, viewer.Width() * c.textRows * 4 / 100) << "more than 4% of the pixels differ";
}

// ---- Every reader on the way to a printer ------------------------------------------------

// What a reader says about a PDF: empty when it has no complaint.
struct Reader {
    const char* name;
    std::string (*complaints)(const std::string& pdf, const std::string& scratch);
};

// A reader's words with the lines that are about the reader itself, not the
// document, left out.
std::string Without(std::string words, const std::vector<std::string>& noise) {
    for (const std::string& line : noise)
        for (size_t at; (at = words.find(line + "\n")) != std::string::npos;) words.erase(at, line.size() + 1);
    return words;
}

const std::vector<Reader>& Readers() {
    static const std::vector<Reader> readers = {
        {"qpdf --check",
         [](const std::string& pdf, const std::string&) {
             const std::string out = Capture("qpdf --check " + ShellQuoted(pdf) + " 2>&1");
             const bool clean = out.find("No syntax or stream encoding errors found") != std::string::npos &&
                                out.find("WARNING") == std::string::npos;
             return clean ? std::string() : out;
         }},
        // Draws every page, fonts and pictures; Debian's build says once that it
        // has no colour management, whatever the file.
        {"mutool draw",
         [](const std::string& pdf, const std::string&) {
             return Without(Capture("mutool draw -q -r 72 -F pgm -o /dev/null " + ShellQuoted(pdf) + " 2>&1"),
                            {"warning: ICC support is not available"});
         }},
        {"Ghostscript pdfwrite",
         [](const std::string& pdf, const std::string& scratch) {
             return Capture("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -sOutputFile=" +
                            ShellQuoted(scratch + "/gs.pdf") + " " + ShellQuoted(pdf) + " 2>&1");
         }},
        {"Ghostscript ps2write",
         [](const std::string& pdf, const std::string& scratch) {
             return Capture("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ps2write -sOutputFile=" +
                            ShellQuoted(scratch + "/gs.ps") + " " + ShellQuoted(pdf) + " 2>&1");
         }},
        {"pdftocairo -ps",
         [](const std::string& pdf, const std::string& scratch) {
             return Capture("pdftocairo -ps " + ShellQuoted(pdf) + " " + ShellQuoted(scratch + "/cairo.ps") + " 2>&1");
         }},
    };
    return readers;
}

// Our PDF with every kind of content the writer makes (TrueType and CFF
// programs, Cyrillic, a fallback face, a picture, glyphs clipped at a cell's
// edge, two pages) goes through every reader without a word; the same file
// cut short makes each of them speak, so a reader that is missing or says
// nothing about anything fails the test.
TEST_F(PdfConsumerTest, EveryReaderTakesOurPdfWithoutAWord) {
    if (ExitStatus("command -v mutool >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "mutool is not installed (Debian package mupdf-tools)";
    const std::string pdf = PathOf("ours.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, kPrintedPageSize, kPrintedPageSize);
        DrawPrintedPage(surface);
        surface.EndPage();
        surface.StartPage();
        DrawStyled(surface, 40, -60, {u"Seven quick jumps", "Nimbus Sans", 400, false, 42});
        DrawStyled(surface, 40, -160, {u"Товарная накладная № 7 漢字", "Arial", 400, false, 42});
        DrawStyled(surface, 40, -260, {u"Elf", "Times New Roman", 400, true, 200}, kTextClipped, {40, -260, 300, -560});
        surface.Finish();
    }
    // The file cut off part way, as a full disk leaves it.
    const std::string bytes = ReadFile(pdf);
    const std::string broken = PathOf("broken.pdf");
    {
        std::ofstream out(broken, std::ios::binary);
        out << bytes.substr(0, bytes.size() * 6 / 10);
    }
    for (const Reader& reader : Readers()) {
        EXPECT_EQ(reader.complaints(pdf, m_folder.Path().string()), "") << reader.name << " on our PDF";
        EXPECT_NE(reader.complaints(broken, m_folder.Path().string()), "") << reader.name << " on a broken PDF";
    }
}

// ---- Overhanging glyphs at a cell's edge ------------------------------------------------

// A clipped line whose advances fit its box but whose ink does not (an italic
// f's hook past its advance, an italic j's tail before its origin) is cut at
// the box in the PDF as in the PNG; a line whose ink fits stays unclipped.
TEST_F(PdfConsumerTest, GlyphsReachingPastTheirAdvanceAreClippedAsInThePng) {
    struct Case {
        const char* name;
        Styled line;
        int32_t left, right;  // the box, in units from x
        bool overhangs;
    };
    // The advances of the line's text, summed: the box's right edge.
    auto width = [](const Styled& s) {
        const auto faces = qv::platform::ResolveFontFaces(s.family, s.weight, s.italic);
        const qv::platform::FontFile& file = *faces->Face(0).file;
        int32_t w = 0;
        for (char16_t c : s.text)
            w += static_cast<int32_t>(file.DesignAdvance(c) * s.em / file.OutlineMetrics()->emSquare + 0.5);
        return w;
    };
    const Styled italicF{u"Elf", "Times New Roman", 400, true, 200};
    const Styled italicJ{u"jet", "Times New Roman", 400, true, 200};
    const Styled upright{u"Elk", "Arial", 400, false, 200};
    const std::vector<Case> cases = {
        {"italic f at the right edge", italicF, 0, width(italicF), true},
        {"italic j at the left edge", italicJ, 0, width(italicJ) + 40, true},
        {"upright letters inside", upright, -20, width(upright) + 20, false},
    };
    const int32_t x = 200, top = -100;
    for (const Case& c : cases) {
        m_folder.Empty();
        const QvRect clip{x + c.left, top, x + c.right, top - 300};
        auto draw = [&](Surface& surface) {
            surface.FillSolidRect({0, 0, 1016, -508}, QvRgb(255, 255, 255));
            DrawStyled(surface, x, top, c.line, kTextClipped, clip);
        };
        const std::string pdf = PathOf("overhang.pdf");
        {
            PdfSurface surface = PdfSurface::File(pdf, 1016, 508);
            draw(surface);
            surface.Finish();
        }
        // 254 dpi: a pixel per unit.
        Capture("pdftoppm -r 254 -png -singlefile " + ShellQuoted(pdf) + " " + ShellQuoted(PathOf("pdf")));
        CairoSurface cairoSurface = CairoSurface::Image(1016, 508, 1.0, 0, 0);
        draw(cairoSurface);
        cairoSurface.Finish();
        SaveImage(cairoSurface, PathOf("cairo.png"));
        PngImage fromPdf(PathOf("pdf.png")), fromCairo(PathOf("cairo.png"));
        ASSERT_TRUE(fromPdf.Ok() && fromCairo.Ok());
        const int left = x + c.left, right = x + c.right;
        for (const PngImage* image : {&fromCairo, &fromPdf}) {
            const char* which = image == &fromPdf ? "PDF" : "PNG";
            EXPECT_GT(image->DarkCount(left, 100, right, 400), 500) << c.name << " " << which;
            // The rasterizer may take in the pixel column on the clip's edge.
            EXPECT_EQ(image->DarkCount(0, 0, left - 1, 508), 0) << c.name << " " << which << ": ink left of the box";
            EXPECT_EQ(image->DarkCount(right + 1, 0, 1016, 508), 0)
                << c.name << " " << which << ": ink right of the box";
        }
        ASSERT_EQ(ExitStatus("qpdf --qdf --object-streams=disable " + ShellQuoted(pdf) + " " +
                             ShellQuoted(PathOf("plain.pdf"))),
                  0);
        const bool clipOperator = ReadFile(PathOf("plain.pdf")).find(" W n") != std::string::npos;
        EXPECT_EQ(clipOperator, c.overhangs) << c.name;
    }
}

}  // namespace
