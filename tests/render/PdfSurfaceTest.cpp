// The PDF writer checked by what reads PDF: qpdf for the file's structure,
// poppler for text, fonts, pictures and pixels, compared with the same
// drawing rendered by Cairo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "common/CqvEx.h"
#include "platform/PictureDecoder.h"
#include "render/CairoSurface.h"
#include "render/PdfNumber.h"
#include "render/PdfPicture.h"
#include "render/PdfSurface.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

namespace fs = std::filesystem;
using namespace qvrender;
using qv::test::Capture;
using qv::test::ExitStatus;
using qv::test::ReadFile;
using qv::test::ShellQuoted;

class PdfSurfaceTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_folder.PathOf(name); }
    qv::test::ScratchDir m_folder;
};

size_t Occurrences(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

std::shared_ptr<const qv::platform::DecodedPicture> LoadPicture(const std::string& name) {
    const std::string bytes = ReadFile(std::string(QV_TEST_DATA) + "/images/" + name);
    return qv::platform::DecodePicture(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

// The value of a "Name: value" line of pdfinfo.
std::string InfoField(const std::string& info, const std::string& name) {
    std::istringstream lines(info);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            const size_t value = line.find_first_not_of(' ', name.size() + 1);
            return value == std::string::npos ? std::string() : line.substr(value);
        }
    }
    return {};
}

// Everything a report draws: two faces at two sizes, a decorated line,
// borders, framed and filled boxes, a clipped line that overflows its box and
// one that fits. On a page of 1016 × 1016 units (400 × 400 pixels at 100 dpi).
void DrawScene(Surface& surface) {
    surface.FillSolidRect({0, 0, 1016, -1016}, QvRgb(255, 255, 255));
    surface.FillSolidRect({50, -50, 950, -130}, QvRgb(200, 220, 255));
    surface.SetBkColor(QvRgb(200, 220, 255));
    DrawLine(surface, 60, -60, u"Register of dogs", "Arial", 700, 60, kTextOpaque | kTextClipped, {50, -50, 950, -130});
    surface.SetBkColor(QvRgb(255, 255, 255));
    DrawLine(surface, 60, -160, u"Hamburg Quay 12", "Arial", 400, 42);
    DrawLine(surface, 60, -220, u"Times at 35 units", "Times New Roman", 400, 35);
    QvFontSpec underlined;
    underlined.height = -42;
    underlined.underline = true;
    surface.SelectFont(underlined);
    const std::u16string note = u"underlined note";
    std::vector<int32_t> advances = AdvancesFor(note, "Arial", 400, 42);
    surface.TextOut(60, -280, 0, {}, note, advances.data());
    // A table row: borders as lines, cells filled.
    surface.FillSolidRect({60, -360, 500, -440}, QvRgb(255, 240, 200));
    for (int32_t x : {60, 280, 500}) {
        surface.MoveTo(x, -360);
        surface.LineTo(x, -440);
    }
    surface.MoveTo(60, -360);
    surface.LineTo(500, -360);
    surface.MoveTo(60, -440);
    surface.LineTo(500, -440);
    surface.Rectangle({600, -360, 900, -600});
    // A 200-unit font in a box 80 high: the glyphs overflow on every side.
    surface.SetBkColor(QvRgb(255, 0, 0));
    DrawLine(surface, 560, -620, u"WWWW", "Arial", 400, 200, kTextOpaque | kTextClipped, {600, -660, 900, -740});
    surface.SetTextColor(QvRgb(0, 0, 160));
    DrawLine(surface, 60, -800, u"Blue text fits its box", "Arial", 400, 42, kTextClipped, {50, -790, 700, -860});
}

// The bounding box of the dark pixels in a region: x0, y0, x1, y1 (inclusive).
std::vector<int> InkBox(const PngImage& image, int x0, int y0, int x1, int y1) {
    std::vector<int> box{x1, y1, x0 - 1, y0 - 1};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (image.Dark(x, y)) {
                box[0] = std::min(box[0], x), box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x), box[3] = std::max(box[3], y);
            }
    return box;
}

TEST_F(PdfSurfaceTest, EveryKindOfDrawingMakesAValidDocument) {
    const std::string pdf = PathOf("all.pdf");
    auto jpeg = LoadPicture("tall_1to2.jpg");
    auto translucent = LoadPicture("translucent.png");
    ASSERT_TRUE(jpeg && translucent);
    ASSERT_FALSE(jpeg->jpeg.empty());
    {
        PdfSurface surface = PdfSurface::File(pdf, 1016, 1016);
        DrawScene(surface);
        surface.DrawPicture(jpeg, {100, -900, 200, -1000}, 0, jpeg->height);
        surface.DrawPicture(translucent, {300, -900, 400, -1000}, 0, translucent->height);
        surface.Finish();
    }
    EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(pdf) + " >/dev/null 2>&1"), 0)
        << Capture("qpdf --check " + ShellQuoted(pdf));
    const std::string bytes = ReadFile(pdf);
    EXPECT_EQ(bytes.rfind("%PDF-1.4\n%", 0), 0u);
    EXPECT_EQ(Occurrences(bytes, "/DCTDecode"), 1u);
    EXPECT_EQ(Occurrences(bytes, "/SMask"), 1u) << "the translucent picture has its alpha";
    EXPECT_NE(bytes.find("/Producer (Quorvane)"), std::string::npos);
    const std::string jpegBytes(jpeg->jpeg.begin(), jpeg->jpeg.end());
    EXPECT_NE(bytes.find(jpegBytes), std::string::npos) << "the JPEG file is in the PDF as it was";
}

TEST_F(PdfSurfaceTest, TextComesBackIncludingCyrillicAccentsAndOddCharacters) {
    const std::string pdf = PathOf("text.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
        DrawLine(surface, 200, -200, u"Quarterly report", "Arial", 400, 42);
        DrawLine(surface, 200, -300, u"Съешь же ещё этих булок", "Arial", 400, 42);
        DrawLine(surface, 200, -400, u"Zoë’s café, naïve Ærøskøbing", "Times New Roman", 700, 50);
        // Tabs and line breaks are white space, a lone surrogate is bad text,
        // a character outside the basic plane takes two units.
        DrawLine(surface, 200, -500, u"one\ttwo\nthree", "Arial", 400, 42);
        const char16_t broken[] = {u'x', 0xD800, u'y'};
        const int32_t advances[] = {20, 20, 20};
        surface.TextOut(200, -600, 0, {}, std::u16string_view(broken, 3), advances);
        const int32_t pair[] = {30, 0, 30};
        surface.TextOut(200, -700, 0, {}, u"\U00010400z", pair);
        // Without advances the font's own are used.
        surface.TextOut(200, -800, 0, {}, u"natural spacing", nullptr);
        // Glyph ids whose bytes are the string delimiters, the escape
        // character, a carriage return and a line feed (E, F, y, * and ').
        DrawLine(surface, 200, -900, u"FEEDy* 'yes' (EF)", "Arial", 400, 42);
        surface.EndPage();
        DrawLine(surface, 200, -200, u"Second page", "Arial", 400, 42);
        surface.Finish();
        EXPECT_EQ(surface.PageCount(), 2);
    }
    const std::string text = Capture("pdftotext -layout " + ShellQuoted(pdf) + " -");
    for (const char* expected :
         {"Quarterly report", "Съешь же ещё этих булок", "Zoë’s café, naïve Ærøskøbing", "one two three",
          "x\xEF\xBF\xBDy", "natural spacing", "FEEDy* 'yes' (EF)", "Second page"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;

    const std::string info = Capture("pdfinfo " + ShellQuoted(pdf));
    EXPECT_EQ(InfoField(info, "Page size"), "595.276 x 841.89 pts (A4)") << info;
    EXPECT_EQ(InfoField(info, "Pages"), "2") << info;
}

// One embedded subset per font file, however many sizes draw with it: every
// resource of a file names the same subset and shares one font program.
TEST_F(PdfSurfaceTest, EachFaceIsEmbeddedOnceAsASubset) {
    const std::string pdf = PathOf("fonts.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
        DrawLine(surface, 200, -200, u"Regular small", "Arial", 400, 35);
        DrawLine(surface, 200, -300, u"Bold heading", "Arial", 700, 60);
        surface.EndPage();
        DrawLine(surface, 200, -200, u"Regular large", "Arial", 400, 50);
        DrawLine(surface, 200, -300, u"Regular small again", "Arial", 400, 35);
        surface.Finish();
    }
    const std::string fonts = Capture("pdffonts " + ShellQuoted(pdf));
    std::istringstream lines(fonts);
    std::string line;
    std::set<std::string> regular, bold;
    int rows = 0;
    while (std::getline(lines, line)) {
        const std::string name = line.substr(0, line.find(' '));
        const size_t plus = name.find('+');
        if (plus == std::string::npos) continue;
        ++rows;
        EXPECT_EQ(plus, 6u) << line;
        EXPECT_NE(line.find("CID TrueType"), std::string::npos) << line;
        EXPECT_NE(line.find(" yes yes yes "), std::string::npos) << "embedded, subset, with a ToUnicode map: " << line;
        if (name.substr(plus) == "+LiberationSans") regular.insert(name);
        if (name.substr(plus) == "+LiberationSans-Bold") bold.insert(name);
    }
    EXPECT_EQ(rows, 3) << "regular at 35 and 50, bold at 60\n" << fonts;
    EXPECT_EQ(regular.size(), 1u) << fonts;
    EXPECT_EQ(bold.size(), 1u) << fonts;
    EXPECT_EQ(Occurrences(ReadFile(pdf), "/FontFile2 "), 2u) << "one font program per file";
}

// The engine's own advances land within a logical unit of where the viewer
// puts the glyphs by the font's widths (the truncation of running sums is a
// device-unit artefact); advances of the caller's own land exactly.
TEST_F(PdfSurfaceTest, GlyphsLandWhereTheyWereAsked) {
    struct Case {
        const char* name;
        std::u16string text;
        std::vector<int32_t> advances;
        double tolerance;  // points
    };
    const std::u16string words = u"Quarterly report with several words";
    const std::vector<Case> cases = {
        {"engine advances", words, AdvancesFor(words, "Arial", 400, 42), 72.0 / 254 + 0.01},
        {"spread out", u"A B C", {150, 25, 150, 25, 150}, 0.05},
        {"squeezed", u"Wide Wide", {20, 20, 20, 20, 20, 20, 20, 20, 20}, 0.05},
    };
    for (const Case& c : cases) {
        m_folder.Empty();
        const std::string pdf = PathOf("words.pdf");
        {
            PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
            QvFontSpec font;
            font.height = -42;
            surface.SelectFont(font);
            surface.TextOut(200, -1000, 0, {}, c.text, c.advances.data());
            surface.Finish();
        }
        const std::string bbox = Capture("pdftotext -bbox " + ShellQuoted(pdf) + " -");
        // Each word's left edge against the sum of the advances before it.
        int32_t x = 200;
        size_t searchFrom = 0;
        for (size_t i = 0; i < c.text.size(); ++i) {
            const bool wordStart = c.text[i] != u' ' && (i == 0 || c.text[i - 1] == u' ');
            if (wordStart) {
                const size_t at = bbox.find("xMin=\"", bbox.find("<word", searchFrom));
                ASSERT_NE(at, std::string::npos) << c.name << "\n" << bbox;
                EXPECT_NEAR(std::stod(bbox.substr(at + 6)), x * 72.0 / 254, c.tolerance) << c.name << " at " << i;
                searchFrom = at;
            }
            x += c.advances[i];
        }
    }
}

// Fonts of other kinds: CFF outlines (an OpenType .otf), a family installed
// as Type 1 and OpenType files, which draws with its OpenType file (a PDF
// cannot take Type 1 as it is), and an italic face.
TEST_F(PdfSurfaceTest, OtherKindsOfFontsStillGiveValidDocumentsWithTheirText) {
    struct Case {
        const char* family;
        int weight;
        bool italic;
        const char* type;  // as pdffonts names the embedded font
    };
    const Case cases[] = {
        {"Nimbus Sans", 400, false, "CID Type 0C (OT)"},
        {"Nimbus Sans Narrow", 400, false, "CID Type 0C (OT)"},
        {"Liberation Mono", 400, true, "CID TrueType"},
    };
    for (const Case& c : cases) {
        m_folder.Empty();
        const std::string pdf = PathOf("kinds.pdf");
        {
            PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
            QvFontSpec font;
            font.face = c.family;
            font.weight = c.weight;
            font.italic = c.italic;
            font.height = -60;
            surface.SelectFont(font);
            surface.TextOut(200, -200, 0, {}, u"Seven quick jumps", nullptr);
            surface.Finish();
        }
        EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(pdf) + " >/dev/null 2>&1"), 0)
            << c.family << "\n"
            << Capture("qpdf --check " + ShellQuoted(pdf));
        const std::string text = Capture("pdftotext " + ShellQuoted(pdf) + " -");
        EXPECT_NE(text.find("Seven quick jumps"), std::string::npos) << c.family << "\n" << text;
        const std::string fonts = Capture("pdffonts " + ShellQuoted(pdf));
        EXPECT_NE(fonts.find(std::string(c.type)), std::string::npos) << c.family << "\n" << fonts;
        EXPECT_NE(fonts.find(" yes yes yes "), std::string::npos) << c.family << "\n" << fonts;
    }
}

// Families fontconfig alone would give a Type 1 file, a dingbat font, an
// italic script or nothing in particular print with outline text faces (the
// metric-compatible ones where they exist), and characters the family lacks
// print from a face that has them: every face is a TrueType or OpenType
// subset of its own whose ToUnicode map gives each glyph its own character.
TEST_F(PdfSurfaceTest, EveryFamilyAndEveryCharacterPrintsAndComesBack) {
    struct Line {
        std::u16string text;
        const char* utf8;
        const char* family;
        int weight;
    };
    const Line lines[] = {
        {u"A漢B字C", "A漢B字C", "Arial", 400},
        {u"Narrow columns", "Narrow columns", "Arial Narrow", 400},
        {u"Impact headline", "Impact headline", "Impact", 700},
        {u"Calibri body", "Calibri body", "Calibri", 400},
        {u"Comic Sans MS note", "Comic Sans MS note", "Comic Sans MS", 400},
        {u"Unknown family 漢字 ★", "Unknown family 漢字 ★", "No Such Family 4711", 400},
        {u"Bold A漢B字C", "Bold A漢B字C", "Times New Roman", 700},
    };
    const std::string pdf = PathOf("families.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, 2100, 2970);
        int32_t top = -200;
        for (const Line& line : lines) {
            DrawLine(surface, 200, top, line.text, line.family, line.weight, 42);
            top -= 100;
        }
        surface.Finish();
    }
    EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(pdf) + " >/dev/null 2>&1"), 0)
        << Capture("qpdf --check " + ShellQuoted(pdf));
    const std::string text = Capture("pdftotext " + ShellQuoted(pdf) + " -");
    std::istringstream textLines(text);
    std::set<std::string> extracted;
    for (std::string line; std::getline(textLines, line);) extracted.insert(line);
    for (const Line& line : lines) EXPECT_EQ(extracted.count(line.utf8), 1u) << line.utf8 << "\n" << text;

    const std::string fonts = Capture("pdffonts " + ShellQuoted(pdf));
    std::istringstream fontLines(fonts);
    std::set<std::string> names;
    for (std::string line; std::getline(fontLines, line);) {
        const size_t plus = line.find('+');
        if (plus != 6) continue;
        names.insert(line.substr(plus + 1, line.find(' ') - plus - 1));
        const bool outline =
            line.find("CID TrueType") != std::string::npos || line.find("CID Type 0C (OT)") != std::string::npos;
        EXPECT_TRUE(outline) << line;
        EXPECT_NE(line.find(" yes yes yes "), std::string::npos) << "embedded, subset, with ToUnicode: " << line;
    }
    EXPECT_GE(names.size(), 7u) << fonts;
    for (const char* face :
         {"LiberationSans", "LiberationSansNarrow", "DejaVuSans-Bold", "Carlito", "DejaVuSans", "LiberationSerif-Bold"})
        EXPECT_EQ(names.count(face), 1u) << face << "\n" << fonts;
    EXPECT_TRUE(std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name.find("WenQuanYi") != std::string::npos;
    })) << fonts;
    EXPECT_EQ(fonts.find("Type 1"), std::string::npos) << fonts;
}

TEST_F(PdfSurfaceTest, APictureDrawnOnThreePagesIsStoredOnce) {
    const std::string pdf = PathOf("pictures.pdf");
    auto jpeg = LoadPicture("tall_1to2.jpg");
    auto translucent = LoadPicture("translucent.png");
    ASSERT_TRUE(jpeg && translucent);
    {
        PdfSurface surface = PdfSurface::File(pdf, 1000, 2000);
        for (int page = 0; page < 3; ++page) {
            surface.DrawPicture(jpeg, {100, -100, 300, -500}, 0, jpeg->height);
            // The lower half of the picture, stretched over the box.
            surface.DrawPicture(translucent, {400, -100, 600, -300}, translucent->height / 2, translucent->height / 2);
            surface.EndPage();
        }
        surface.Finish();
    }
    const std::string list = Capture("pdfimages -list " + ShellQuoted(pdf));
    std::istringstream lines(list);
    std::string line;
    std::set<std::string> images, masks;
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string page, num, type, width, height, color, comp, bpc, enc, interp, object;
        if (!(fields >> page >> num >> type >> width >> height >> color >> comp >> bpc >> enc >> interp >> object) ||
            page == "page" || page.find('-') != std::string::npos)
            continue;
        ++rows;
        (type == "smask" ? masks : images).insert(object);
    }
    EXPECT_EQ(rows, 9) << "two pictures and a mask on each page\n" << list;
    EXPECT_EQ(images.size(), 2u) << list;
    EXPECT_EQ(masks.size(), 1u) << list;
    EXPECT_EQ(Occurrences(ReadFile(pdf), "/Subtype /Image"), 3u);
}

// The same drawing on Cairo's image and through a PDF reader: apart from
// anti-aliasing the pixels agree, and the glyphs' ink sits within a pixel.
TEST_F(PdfSurfaceTest, PagesRasterizeLikeCairosDrawing) {
    const std::string pdf = PathOf("scene.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, 1016, 1016);
        DrawScene(surface);
        surface.Finish();
    }
    // 200 dpi: at 100 the em of a 10-point line is 16 pixels, and Cairo's
    // hinted outlines move its descenders by up to two pixels, which says
    // something about the rasterizers but nothing about where the glyphs are.
    const int dpi = 200;
    const int side = 4 * dpi;
    CairoSurface image = CairoSurface::Image(side, side, dpi / 254.0, 0, 0);
    DrawScene(image);
    image.Finish();
    SaveImage(image, PathOf("cairo.png"));
    Capture("pdftoppm -r " + std::to_string(dpi) + " -png -singlefile " + ShellQuoted(pdf) + " " +
            ShellQuoted(PathOf("poppler")));
    PngImage cairo(PathOf("cairo.png")), poppler(PathOf("poppler.png"));
    ASSERT_TRUE(cairo.Ok() && poppler.Ok());
    ASSERT_EQ(poppler.Width(), side);
    ASSERT_EQ(poppler.Height(), side);

    int differing = 0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const uint32_t a = cairo.At(x, y), b = poppler.At(x, y);
            int worst = 0;
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            differing += worst > 96;
        }
    EXPECT_LT(differing, side * side / 100) << "more than 1% of the pixels differ";

    // Ink boxes of the text lines, the underline and the clipped glyphs, given
    // in pixels at 100 dpi (units × 100/254).
    struct Region {
        const char* name;
        int x0, y0, x1, y1;
    };
    const Region regions[] = {
        {"bold heading", 20, 20, 380, 52}, {"regular line", 20, 60, 380, 84},      {"Times line", 20, 84, 380, 108},
        {"underlined", 20, 108, 380, 130}, {"clipped glyphs", 236, 258, 355, 292}, {"blue line", 20, 312, 380, 340},
    };
    for (const Region& r : regions) {
        const int k = dpi / 100;
        const std::vector<int> expected = InkBox(cairo, r.x0 * k, r.y0 * k, r.x1 * k, r.y1 * k);
        const std::vector<int> actual = InkBox(poppler, r.x0 * k, r.y0 * k, r.x1 * k, r.y1 * k);
        ASSERT_LE(expected[0], expected[2]) << r.name << ": Cairo drew nothing there";
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(actual[i], expected[i], 1) << r.name << " edge " << i;
    }
}

TEST_F(PdfSurfaceTest, ClippedTextStaysInsideItsBoxAndFittingTextIsNotClipped) {
    const std::string pdf = PathOf("clip.pdf");
    const QvRect clip{100, -100, 400, -180};
    {
        PdfSurface surface = PdfSurface::File(pdf, 1016, 1016);
        surface.SetBkColor(QvRgb(255, 0, 0));
        // A 200-unit font starting above the clip: its glyphs overflow it on every side.
        DrawLine(surface, 60, -50, u"WWWWWW", "Arial", 400, 200, kTextOpaque | kTextClipped, clip);
        surface.SetBkColor(QvRgb(255, 255, 255));
        // Lines whose cells fit their boxes need no clip.
        for (int32_t top : {-300, -360, -420})
            DrawLine(surface, 100, top, u"fits", "Arial", 400, 42, kTextOpaque | kTextClipped,
                     {90, top, 400, top - 60});
        surface.Finish();
    }
    Capture("pdftoppm -r 254 -png -singlefile " + ShellQuoted(pdf) + " " + ShellQuoted(PathOf("page")));
    PngImage image(PathOf("page.png"));
    ASSERT_TRUE(image.Ok());
    EXPECT_GT(image.DarkCount(100, 100, 400, 180), 1000) << "the text is drawn inside";
    EXPECT_EQ(image.DarkCount(0, 0, 1016, 100), 0);
    // The reader's clip takes in the pixel row on its lower edge.
    EXPECT_EQ(image.DarkCount(0, 181, 1016, 290), 0);
    EXPECT_EQ(image.DarkCount(0, 100, 99, 180), 0);
    EXPECT_EQ(image.DarkCount(401, 100, 1016, 180), 0);
    int redOutside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x)
            redOutside += image.At(x, y) == 0xFF0000u && !(x >= 99 && x <= 400 && y >= 99 && y <= 180);
    EXPECT_EQ(redOutside, 0);

    ASSERT_EQ(
        ExitStatus("qpdf --qdf --object-streams=disable " + ShellQuoted(pdf) + " " + ShellQuoted(PathOf("plain.pdf"))),
        0);
    EXPECT_EQ(Occurrences(ReadFile(PathOf("plain.pdf")), " W n"), 1u) << "only the overflowing line is clipped";
}

// Pages deflated on worker threads come out in order, with the pictures
// written between them where one thread writes them: the same file byte for
// byte, to a file or a stream.
TEST_F(PdfSurfaceTest, WorkerThreadsWriteTheSameBytesAsOneThread) {
    auto jpeg = LoadPicture("tall_1to2.jpg");
    auto translucent = LoadPicture("translucent.png");
    ASSERT_TRUE(jpeg && translucent);
    auto draw = [&](PdfSurface& surface) {
        for (int page = 0; page < 12; ++page) {
            DrawScene(surface);
            if (page == 3) surface.DrawPicture(jpeg, {100, -900, 200, -1000}, 0, jpeg->height);
            if (page == 7) surface.DrawPicture(translucent, {300, -900, 400, -1000}, 0, translucent->height);
            surface.EndPage();
        }
        surface.Finish();
    };
    std::vector<std::string> files;
    for (int threads : {1, 2, 4}) {
        const std::string pdf = PathOf("threads-" + std::to_string(threads) + ".pdf");
        PdfSurface surface = PdfSurface::File(pdf, 1016, 1016, threads);
        draw(surface);
        files.push_back(ReadFile(pdf));
    }
    std::string streamed;
    {
        PdfSurface surface = PdfSurface::Stream(
            [&](const unsigned char* data, size_t length) {
                streamed.append(reinterpret_cast<const char*>(data), length);
                return true;
            },
            "printer", 1016, 1016, 3);
        draw(surface);
    }
    ASSERT_GT(files[0].size(), 1000u);
    EXPECT_TRUE(files[1] == files[0]) << "two threads";
    EXPECT_TRUE(files[2] == files[0]) << "four threads";
    EXPECT_TRUE(streamed == files[0]) << "a stream, three threads";
    const std::string pdf = PathOf("threads-4.pdf");
    EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(pdf) + " >/dev/null 2>&1"), 0)
        << Capture("qpdf --check " + ShellQuoted(pdf));
}

TEST_F(PdfSurfaceTest, AStreamGetsTheSameBytesAsAFile) {
    auto jpeg = LoadPicture("tall_1to2.jpg");
    ASSERT_TRUE(jpeg);
    auto draw = [&](PdfSurface& surface) {
        for (int page = 0; page < 2; ++page) {
            DrawScene(surface);
            surface.DrawPicture(jpeg, {100, -900, 200, -1000}, 0, jpeg->height);
            surface.EndPage();
        }
        surface.Finish();
    };
    const std::string pdf = PathOf("file.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, 1016, 1016);
        draw(surface);
    }
    std::string streamed;
    std::vector<size_t> afterPage;
    {
        PdfSurface surface = PdfSurface::Stream(
            [&](const unsigned char* data, size_t length) {
                streamed.append(reinterpret_cast<const char*>(data), length);
                return true;
            },
            "printer", 1016, 1016);
        DrawScene(surface);
        surface.EndPage();
        afterPage.push_back(streamed.size());
        draw(surface);
    }
    EXPECT_GT(afterPage[0], 300u) << "the first page went out when it ended";
    // The streamed document has one more page; the file's bytes are the same
    // drawing, so compare a stream of the same pages.
    std::string again;
    {
        PdfSurface surface = PdfSurface::Stream(
            [&](const unsigned char* data, size_t length) {
                again.append(reinterpret_cast<const char*>(data), length);
                return true;
            },
            "printer", 1016, 1016);
        draw(surface);
    }
    EXPECT_TRUE(again == ReadFile(pdf)) << "stream and file differ";
}

TEST_F(PdfSurfaceTest, AFailingStreamRaisesAndGetsNothingMore) {
    int calls = 0;
    PdfSurface surface = PdfSurface::Stream(
        [&](const unsigned char*, size_t) {
            ++calls;
            return false;
        },
        "Desk", 2100, 2970);
    DrawLine(surface, 200, -200, u"lost", "Arial", 400, 42);
    try {
        surface.EndPage();
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_EQ(ex.Message(), "Drawing on \"Desk\" failed: error while writing to output stream");
    }
    EXPECT_EQ(calls, 1);
    DrawLine(surface, 200, -200, u"more", "Arial", 400, 42);
    EXPECT_THROW(surface.Finish(), CqvEx);
    EXPECT_EQ(calls, 1);
}

TEST_F(PdfSurfaceTest, UnwritableFilesRaiseNamingTheFile) {
    const std::string missingFolder = PathOf("no-such-folder/out.pdf");
    try {
        PdfSurface::File(missingFolder, 2100, 2970);
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_EQ(ex.Message(), "The file \"" + missingFolder + "\" cannot be written: No such file or directory");
    }
    // A folder where the file should go: found when the file is put in place.
    fs::create_directories(PathOf("taken.pdf"));
    PdfSurface pdf = PdfSurface::File(PathOf("taken.pdf"), 2100, 2970);
    pdf.EndPage();
    try {
        pdf.Finish();
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_EQ(ex.Message(), "The file \"" + PathOf("taken.pdf") + "\" cannot be written: Is a directory");
    }
}

TEST_F(PdfSurfaceTest, NothingIsLeftBehindBeforeFinishOrWhenAbandoned) {
    {
        PdfSurface pdf = PdfSurface::File(PathOf("a.pdf"), 2100, 2970);
        DrawLine(pdf, 200, -200, u"lost", "Arial", 400, 42);
        pdf.EndPage();
        EXPECT_FALSE(fs::exists(PathOf("a.pdf")));
    }
    EXPECT_TRUE(m_folder.Files().empty());
    EXPECT_THROW(PdfSurface::File(PathOf("a.pdf"), 0, 2970), CqvEx);
    EXPECT_THROW(PdfSurface::File(PathOf("a.pdf"), 2100, -1), CqvEx);
    EXPECT_TRUE(m_folder.Files().empty());

    // Finished without a page: a valid document all the same.
    PdfSurface done = PdfSurface::File(PathOf("done.pdf"), 2100, 2970);
    done.Finish();
    EXPECT_EQ(m_folder.Files(), std::vector<std::string>{"done.pdf"});
    EXPECT_EQ(ExitStatus("qpdf --check " + ShellQuoted(PathOf("done.pdf")) + " >/dev/null 2>&1"), 0)
        << Capture("qpdf --check " + ShellQuoted(PathOf("done.pdf")));
    EXPECT_THROW(done.StartPage(), CqvEx) << "a finished document takes no more pages";
}

TEST(PdfNumber, ShortestSpellingUpToTheDecimalsAsked) {
    struct Case {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {0, 3, "0"},
        {12, 3, "12"},
        {-2970, 2, "-2970"},
        {0.5, 3, "0.5"},
        {-0.25, 3, "-0.25"},
        {841.889764, 3, "841.89"},
        {31.6796875, 2, "31.68"},
        {1.0004, 3, "1"},
        {-0.0004, 3, "0"},
        {0.283464567, 6, "0.283465"},
        {1234.5, 0, "1235"},
        {-7.05, 1, "-7.1"},
    };
    for (const Case& c : cases) {
        std::string out;
        qv::render::AppendNumber(out, c.value, c.decimals);
        EXPECT_EQ(out, c.expected) << c.value << " with " << c.decimals;
    }
}

TEST(PdfPicture, TheJpegFrameHeaderTellsSizeAndColours) {
    const std::string jpeg = ReadFile(std::string(QV_TEST_DATA) + "/images/tall_1to2.jpg");
    const qv::render::JpegFrame frame = qv::render::ReadJpegFrame(jpeg);
    auto decoded = LoadPicture("tall_1to2.jpg");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(frame.width, decoded->width);
    EXPECT_EQ(frame.height, decoded->height);
    EXPECT_EQ(frame.components, 3);
    EXPECT_TRUE(frame.baselineOrProgressive8Bit);
    EXPECT_FALSE(frame.adobe);
    // Cut short or not a JPEG at all: no frame.
    for (const std::string& broken : {jpeg.substr(0, 40), std::string("\xFF\xD8\xFF"), std::string("GIF89a")})
        EXPECT_EQ(qv::render::ReadJpegFrame(broken).components, 0);
}

}  // namespace
