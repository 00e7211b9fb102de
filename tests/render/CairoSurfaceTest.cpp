#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "RenderTestSupport.h"
#include "common/CqvEx.h"
#include "common/CqvStopped.h"
#include "render/CairoSurface.h"
#include "support/TestScratchDir.h"

namespace {

namespace fs = std::filesystem;
using namespace qvrender;

// A fresh folder per test, removed afterwards.
class CairoSurfaceTest : public ::testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return m_folder.PathOf(name); }
    std::vector<std::string> FilesInDir() const { return m_folder.Files(); }

    qv::test::ScratchDir m_folder;
};

TEST_F(CairoSurfaceTest, PositiveFontHeightIsTheCellHeight) {
    auto render = [](int32_t height) {
        CairoSurface surface = CairoSurface::Image(400, 200, 0.5, 0, 0);
        QvFontSpec font;
        font.height = height;
        surface.SelectFont(font);
        surface.TextOut(0, 0, 0, {}, u"Hg", nullptr);
        const unsigned char* data = surface.ImageData();
        return std::vector<unsigned char>(data, data + surface.ImageStride() * surface.ImageHeight());
    };
    const auto em = render(-512);
    EXPECT_EQ(render(572), em);
    EXPECT_NE(render(-500), em);
    EXPECT_NE(std::count(em.begin(), em.end(), 0), static_cast<long>(em.size())) << "something is drawn";
}

TEST_F(CairoSurfaceTest, PngPageSizeFollowsTheResolution) {
    struct Case {
        double dpi;
        int width, height;
    };
    const Case cases[] = {{72, 595, 842}, {96, 794, 1123}, {254, 2100, 2970}, {300, 2480, 3508}};
    for (const Case& c : cases) {
        const std::string png = PathOf("page.png");
        CairoSurface surface = CairoSurface::Png(png, 2100, 2970, c.dpi);
        surface.StartPage();
        surface.EndPage();
        surface.Finish();
        PngImage image(png);
        ASSERT_TRUE(image.Ok()) << c.dpi;
        EXPECT_EQ(image.Width(), c.width) << c.dpi;
        EXPECT_EQ(image.Height(), c.height) << c.dpi;
        EXPECT_EQ(image.At(c.width / 2, c.height / 2), 0xFFFFFFu) << "paper is white";
    }
}

TEST_F(CairoSurfaceTest, PngFillsAndLinesCoverExactlyTheirPixels) {
    const std::string png = PathOf("shapes.png");
    {
        // 254 dpi: one logical unit is one pixel, y downward from the paper's top.
        CairoSurface surface = CairoSurface::Png(png, 1000, 1000, 254);
        surface.StartPage();
        surface.FillSolidRect({100, -100, 300, -200}, QvRgb(0, 0, 0));
        surface.MoveTo(100, -500);
        surface.LineTo(400, -500);
        surface.MoveTo(600, -100);
        surface.LineTo(600, -300);
        // A framed white box over a black fill: outline black, inside white.
        surface.FillSolidRect({700, -700, 900, -900}, QvRgb(0, 0, 0));
        surface.Rectangle({720, -720, 880, -880});
        surface.EndPage();
        surface.Finish();
    }
    PngImage image(png);
    ASSERT_TRUE(image.Ok());
    // Filled rectangle: pixels 100..299 × 100..199.
    EXPECT_EQ(image.DarkCount(100, 100, 300, 200), 200 * 100);
    EXPECT_EQ(image.DarkCount(90, 90, 310, 210), 200 * 100);
    // Horizontal line: row 500, from pixel 100 up to but not including 400.
    EXPECT_EQ(image.DarkCount(100, 500, 400, 501), 300);
    EXPECT_EQ(image.DarkCount(90, 495, 410, 506), 300);
    // Vertical line: column 600, rows 100..299.
    EXPECT_EQ(image.DarkCount(600, 100, 601, 300), 200);
    EXPECT_EQ(image.DarkCount(595, 95, 606, 305), 200);
    // Rectangle: a one-pixel outline on 720..879, white inside.
    EXPECT_TRUE(image.Dark(720, 800));
    EXPECT_TRUE(image.Dark(879, 800));
    EXPECT_TRUE(image.Dark(800, 720));
    EXPECT_TRUE(image.Dark(800, 879));
    EXPECT_EQ(image.DarkCount(721, 721, 879, 879), 0);
    EXPECT_TRUE(image.Dark(880, 800)) << "the black fill shows right of the outline";
}

TEST_F(CairoSurfaceTest, ClippedTextStaysInsideItsRectangle) {
    const std::string png = PathOf("clip.png");
    const QvRect clip{100, -100, 400, -180};
    {
        CairoSurface surface = CairoSurface::Png(png, 1000, 1000, 254);
        surface.SetBkColor(QvRgb(255, 0, 0));
        // A 200-unit font starting above the clip: its glyphs overflow it on every side.
        DrawLine(surface, 60, -50, u"WWWWWW", "Arial", 400, 200, kTextOpaque | kTextClipped, clip);
        surface.Finish();
    }
    PngImage image(png);
    ASSERT_TRUE(image.Ok());
    EXPECT_GT(image.DarkCount(100, 100, 400, 180), 1000) << "the text is drawn inside";
    EXPECT_EQ(image.DarkCount(0, 0, 1000, 100), 0);
    EXPECT_EQ(image.DarkCount(0, 180, 1000, 1000), 0);
    EXPECT_EQ(image.DarkCount(0, 100, 100, 180), 0);
    EXPECT_EQ(image.DarkCount(400, 100, 1000, 180), 0);
    // The opaque fill covers the clip rectangle exactly.
    int red = 0, redOutside = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x) {
            const bool isRed = image.At(x, y) == 0xFF0000u;
            const bool inside = x >= 100 && x < 400 && y >= 100 && y < 180;
            (inside ? red : redOutside) += isRed;
        }
    EXPECT_GT(red, 300 * 80 / 4);
    EXPECT_EQ(redOutside, 0);
}

// The cell's top is at `top`; the baseline sits winAscent below it, and the
// underline and strikeout come from the font's tables.
TEST_F(CairoSurfaceTest, TextCellUnderlineAndStrikeoutFollowTheFontMetrics) {
    const std::string png = PathOf("lines.png");
    {
        CairoSurface surface = CairoSurface::Png(png, 1000, 1000, 254);
        QvFontSpec font;
        font.height = -420;
        font.underline = true;
        font.strikeout = true;
        surface.SelectFont(font);
        const int32_t advances[] = {400};
        surface.TextOut(100, 0, 0, {}, u" ", advances);  // a space: only the lines show
        surface.Finish();
    }
    PngImage image(png);
    ASSERT_TRUE(image.Ok());
    // Liberation Sans at em 420: k = 420/2048; baseline 1854k = 380.2 below the top;
    // underline from 67k = 13.7 below the baseline, 150k = 30.8 thick;
    // strikeout from 530k = 108.7 above the baseline, 102k = 20.9 thick.
    EXPECT_TRUE(image.Dark(300, 409));
    EXPECT_FALSE(image.Dark(300, 390));
    EXPECT_FALSE(image.Dark(300, 430));
    EXPECT_TRUE(image.Dark(300, 282));
    EXPECT_FALSE(image.Dark(300, 266));
    EXPECT_FALSE(image.Dark(300, 297));
    // The lines run over the advances given, from 100 to 500.
    EXPECT_TRUE(image.Dark(101, 409));
    EXPECT_TRUE(image.Dark(498, 409));
    EXPECT_FALSE(image.Dark(98, 409));
    EXPECT_FALSE(image.Dark(502, 409));
}

// Compressing a page of many megapixels takes seconds: a stop request that
// arrives meanwhile ends the write with CqvStopped, and the abandoned output
// leaves no file, the first page's included.
TEST_F(CairoSurfaceTest, AStopRequestEndsThePngWriteAndLeavesNoFile) {
    bool stop = false;
    int asked = 0;
    {
        CairoSurface surface = CairoSurface::Png(PathOf("out.png"), 2100, 2970, 60);
        surface.SetStopCheck([&] {
            ++asked;
            return stop;
        });
        surface.StartPage();
        DrawLine(surface, 200, -200, u"Page one", "Arial", 400, 42);
        surface.EndPage();
        const int askedForPageOne = asked;
        EXPECT_GT(askedForPageOne, 0) << "asked while the page is written";
        stop = true;
        surface.StartPage();
        DrawLine(surface, 200, -200, u"Page two", "Arial", 400, 42);
        EXPECT_THROW(surface.EndPage(), CqvStopped);
        EXPECT_EQ(asked, askedForPageOne + 1) << "the write ends at its first chunk after the request";
    }
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{});
}

// Filling a page of many megapixels takes seconds on a busy machine, so large
// raster fills go in bands with a look at the stop request between them. The
// bands cover each pixel as one fill does, fractional edges included; a stop
// request ends the white fill of a new PNG page, and no file is left.
TEST_F(CairoSurfaceTest, LargeRasterFillsGoInBandsThatAStopRequestEnds) {
    int asked = 0;
    auto fill = [&](bool banded) {
        // 3000 x 2000 pixels: more than one band.
        CairoSurface surface = CairoSurface::Image(3000, 2000, 0.37, 0.3, 0.6);
        if (banded)
            surface.SetStopCheck([&] {
                ++asked;
                return false;
            });
        surface.FillSolidRect({3, -5, 8000, -5300}, QvRgb(10, 120, 200));
        const unsigned char* data = surface.ImageData();
        return std::vector<unsigned char>(data, data + surface.ImageStride() * surface.ImageHeight());
    };
    const std::vector<unsigned char> whole = fill(false);
    EXPECT_EQ(fill(true), whole);
    EXPECT_GE(asked, 2) << "asked between the bands";

    asked = 0;
    {
        // A4 at 300 dpi: 2480 x 3508 pixels.
        CairoSurface surface = CairoSurface::Png(PathOf("out.png"), 2100, 2970, 300);
        surface.SetStopCheck([&] {
            ++asked;
            return true;
        });
        EXPECT_THROW(surface.StartPage(), CqvStopped);
        EXPECT_EQ(asked, 1) << "the fill ends at its first band after the request";
    }
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{});
}

TEST_F(CairoSurfaceTest, PerPageFilesAreNamedByPageOnlyWhenThereAreSeveral) {
    struct Case {
        CairoSurface (*make)(const std::string&);
        const char* name;
        int pages;
        std::vector<std::string> files;
        const char* start;  // how each file begins
    };
    auto png = [](const std::string& p) { return CairoSurface::Png(p, 2100, 2970, 30); };
    auto svg = [](const std::string& p) { return CairoSurface::Svg(p, 2100, 2970); };
    auto ps = [](const std::string& p) { return CairoSurface::PostScript(p, 2100, 2970); };
    const Case cases[] = {
        {png, "out.png", 1, {"out.png"}, "\x89PNG"},
        {png, "out.png", 3, {"out-1.png", "out-2.png", "out-3.png"}, "\x89PNG"},
        {svg, "out.svg", 1, {"out.svg"}, "<?xml"},
        {svg, "out.svg", 2, {"out-1.svg", "out-2.svg"}, "<?xml"},
        {ps, "out.ps", 2, {"out-1.ps", "out-2.ps"}, "%!PS"},
    };
    for (const Case& c : cases) {
        m_folder.Empty();
        {
            CairoSurface surface = c.make(PathOf(c.name));
            for (int page = 0; page < c.pages; ++page) {
                surface.StartPage();
                DrawLine(surface, 200, -200, u"Page", "Arial", 400, 42);
                surface.EndPage();
                // Nothing appears under the output's names before Finish.
                for (const std::string& file : c.files) EXPECT_FALSE(fs::exists(PathOf(file))) << file;
            }
            surface.Finish();
        }
        EXPECT_EQ(FilesInDir(), c.files) << c.name << " " << c.pages;
        for (const std::string& file : c.files) {
            std::ifstream in(PathOf(file), std::ios::binary);
            std::string head(std::string_view(c.start).size(), '\0');
            in.read(head.data(), static_cast<std::streamsize>(head.size()));
            EXPECT_EQ(head, c.start) << file;
        }
    }
    // An SVG page is the paper's size in points.
    m_folder.Empty();
    {
        CairoSurface surface = CairoSurface::Svg(PathOf("a4.svg"), 2100, 2970);
        surface.EndPage();
        surface.Finish();
    }
    std::ifstream in(PathOf("a4.svg"));
    std::string svgText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(svgText.find("width=\"595.275591pt\" height=\"841.889764pt\""), std::string::npos)
        << svgText.substr(0, 300);
}

TEST_F(CairoSurfaceTest, PageFileNames) {
    struct Case {
        const char* path;
        int page, count;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/out.png", 1, 1, "/tmp/out.png"},
        {"/tmp/out.png", 2, 5, "/tmp/out-2.png"},
        {"out.svg", 1, 2, "out-1.svg"},
        {"/a.b/report", 3, 4, "/a.b/report-3"},
        {"/tmp/x.tar.ps", 10, 12, "/tmp/x.tar-10.ps"},
    };
    for (const Case& c : cases) EXPECT_EQ(CairoSurface::PageFileName(c.path, c.page, c.count), c.expected) << c.path;
}

TEST_F(CairoSurfaceTest, AbandonedOutputLeavesNoFileBehind) {
    {
        CairoSurface ps = CairoSurface::PostScript(PathOf("a.ps"), 2100, 2970);
        DrawLine(ps, 200, -200, u"lost", "Arial", 400, 42);
        ps.EndPage();
        CairoSurface png = CairoSurface::Png(PathOf("a.png"), 2100, 2970, 30);
        png.EndPage();
        png.StartPage();
        CairoSurface svg = CairoSurface::Svg(PathOf("a.svg"), 2100, 2970);
        svg.StartPage();
    }
    EXPECT_TRUE(FilesInDir().empty());
}

TEST_F(CairoSurfaceTest, UnwritableOutputRaisesNamingTheFile) {
    const std::string missingFolder = PathOf("no-such-folder/out.svg");
    try {
        CairoSurface svg = CairoSurface::Svg(missingFolder, 2100, 2970);
        svg.StartPage();
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_EQ(ex.Message(), "The file \"" + missingFolder + "\" cannot be written: No such file or directory");
    }

    const std::string missingPng = PathOf("no-such-folder/out.png");
    CairoSurface png = CairoSurface::Png(missingPng, 2100, 2970, 30);
    try {
        png.StartPage();
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_NE(ex.Message().find(missingPng), std::string::npos) << ex.Message();
    }

    // A folder where the file should go: found when the file is put in place.
    fs::create_directories(PathOf("taken.ps"));
    CairoSurface ps = CairoSurface::PostScript(PathOf("taken.ps"), 2100, 2970);
    ps.EndPage();
    try {
        ps.Finish();
        FAIL() << "no exception";
    } catch (const CqvEx& ex) {
        EXPECT_NE(ex.Message().find("\"" + PathOf("taken.ps") + "\" cannot be written"), std::string::npos)
            << ex.Message();
    }
}

TEST_F(CairoSurfaceTest, BadSizesAreRefused) {
    EXPECT_THROW(CairoSurface::Svg(PathOf("a.svg"), 0, 2970), CqvEx);
    EXPECT_THROW(CairoSurface::Png(PathOf("a.png"), 2100, 2970, 0), CqvEx);
    EXPECT_THROW(CairoSurface::Png(PathOf("a.png"), 2100, 2970, 5000), CqvEx);
    EXPECT_THROW(CairoSurface::Image(0, 10, 1, 0, 0), CqvEx);
    uint32_t pixels[4] = {};
    EXPECT_THROW(CairoSurface::ImageOnBuffer(reinterpret_cast<unsigned char*>(pixels), 4, 1, 8, 1, 0, 0), CqvEx);
    EXPECT_TRUE(FilesInDir().empty());
}

// The preview's image: logical (x, y) lands on (x × scale + offsetX, −y × scale + offsetY).
TEST_F(CairoSurfaceTest, ImageMapsWithItsScaleAndOffset) {
    const int width = 200, height = 100;
    const int stride = width * 4;
    std::vector<uint32_t> pixels(width * height, 0xFFFFFFFFu);  // opaque white, as a QImage filled white
    {
        CairoSurface surface = CairoSurface::ImageOnBuffer(reinterpret_cast<unsigned char*>(pixels.data()), width,
                                                           height, stride, 0.5, 10, 20);
        surface.FillSolidRect({0, 0, 100, -40}, QvRgb(0, 0, 255));
        surface.Finish();
        EXPECT_EQ(surface.ImageWidth(), width);
        EXPECT_EQ(surface.ImageStride(), stride);
    }
    auto at = [&](int x, int y) { return pixels[y * width + x]; };
    EXPECT_EQ(at(10, 20), 0xFF0000FFu);  // blue, ARGB
    EXPECT_EQ(at(59, 39), 0xFF0000FFu);
    EXPECT_EQ(at(60, 39), 0xFFFFFFFFu);
    EXPECT_EQ(at(59, 40), 0xFFFFFFFFu);
    EXPECT_EQ(at(9, 20), 0xFFFFFFFFu);
    EXPECT_EQ(at(10, 19), 0xFFFFFFFFu);

    CairoSurface own = CairoSurface::Image(50, 50, 1, 0, 0);
    own.FillSolidRect({0, 0, 10, -10}, QvRgb(255, 0, 0));
    const unsigned char* data = own.ImageData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(data)[0], 0xFFFF0000u);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(data)[10], 0u) << "the rest stays transparent";
}

TEST_F(CairoSurfaceTest, SurfaceStateBehavesLikeADeviceContext) {
    CairoSurface surface = CairoSurface::Image(10, 10, 1, 0, 0);
    EXPECT_EQ(surface.LogPixelsY(), 254);
    EXPECT_EQ(surface.TextColor(), QvRgb(0, 0, 0));
    EXPECT_EQ(surface.BkColor(), QvRgb(255, 255, 255));
    EXPECT_EQ(surface.SetTextColor(QvRgb(1, 2, 3)), QvRgb(0, 0, 0));
    EXPECT_EQ(surface.SetTextColor(QvRgb(4, 5, 6)), QvRgb(1, 2, 3));
    EXPECT_EQ(surface.SetBkColor(QvRgb(7, 8, 9)), QvRgb(255, 255, 255));
    QvFontSpec times;
    times.face = "Times New Roman";
    times.height = -50;
    const QvFontSpec before = surface.SelectFont(times);
    EXPECT_EQ(before.face, "Arial");
    EXPECT_EQ(surface.CurrentFont(), times);
    EXPECT_EQ(surface.SelectFont(before), times);
}

}  // namespace

namespace {

// Characters the family lacks are drawn from a face that has them: two
// different ideographs draw differently (each was the same missing-glyph box
// once), and each inks far more than that box.
TEST(CairoSurfaceFallback, CharactersTheFamilyLacksDrawAsThemselves) {
    auto render = [](std::u16string_view text) {
        CairoSurface surface = CairoSurface::Image(600, 200, 1.0, 0, 0);
        surface.FillSolidRect({0, 0, 600, -200}, QvRgb(255, 255, 255));
        DrawLine(surface, 10, 0, text, "Arial", 400, 150);
        const unsigned char* data = surface.ImageData();
        return std::vector<unsigned char>(data, data + surface.ImageStride() * surface.ImageHeight());
    };
    auto dark = [](const std::vector<unsigned char>& pixels) {
        int count = 0;
        for (size_t i = 1; i < pixels.size(); i += 4)
            if (pixels[i] < 128) ++count;
        return count;
    };
    const auto han = render(u"漢");
    const auto zi = render(u"字");
    const auto none = render(u"\U0000E000");  // no face has it: the missing-glyph box
    EXPECT_NE(han, zi);
    EXPECT_GT(dark(han), 2 * dark(none));
    EXPECT_GT(dark(zi), 2 * dark(none));
    // Around it, the family's own letters are drawn as before.
    const auto mixed = render(u"A漢B");
    const auto latin = render(u"A");
    const std::vector<int32_t> advances = AdvancesFor(u"A漢B", "Arial", 400, 150);
    EXPECT_NEAR(advances[1], 150, 1) << "an ideograph is one em wide";
    int sameInA = 0, inA = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 10 + advances[0]; ++x) {
            const size_t at = (static_cast<size_t>(y) * 600 + x) * 4 + 1;
            if (latin[at] < 128) {
                ++inA;
                if (mixed[at] < 128) ++sameInA;
            }
        }
    EXPECT_GT(inA, 0);
    EXPECT_EQ(sameInA, inA);
}

}  // namespace
