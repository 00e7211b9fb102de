// Pictures through the real surfaces: a PDF that a reader renders back, and
// pages drawn straight to PNG.
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

#include "ImageTestSupport.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using namespace qvimages;
using qv::test::Capture;
using qv::test::ScratchDir;

constexpr double kDpi = 50;

struct Rgb {
    int r, g, b;
};

// The colour of a PNG page at a logical point (tenths of a millimetre from the
// paper's top-left corner) drawn at kDpi.
class PngPage {
public:
    explicit PngPage(const std::string& path) : m_surface(cairo_image_surface_create_from_png(path.c_str())) {}
    ~PngPage() { cairo_surface_destroy(m_surface); }
    bool Ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }

    Rgb At(int x, int y) const {
        cairo_surface_flush(m_surface);
        const int px = int(x * kDpi / 254), py = int(y * kDpi / 254);
        const unsigned char* row =
            cairo_image_surface_get_data(m_surface) + py * cairo_image_surface_get_stride(m_surface);
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[px];
        return {int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF), int(pixel & 0xFF)};
    }

private:
    cairo_surface_t* m_surface;
};

::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected) {
    const int tolerance = 40;
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "colour (" << actual.r << ", " << actual.g << ", " << actual.b
                                         << ") instead of (" << expected.r << ", " << expected.g << ", " << expected.b
                                         << ")";
}

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

template <class OutputSurface>
void DrawAllPages(Report& report, OutputSurface& surface) {
    report->PreparePages(surface, report->PrintInfo());
    for (uint32_t page = 1; page <= report->PageCount(); ++page) {
        surface.StartPage();
        report->PrintInfo().currentPage = page;
        report->DrawPage(surface, report->PrintInfo());
        surface.EndPage();
    }
    surface.Finish();
}

size_t Occurrences(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

// A PNG (red over green, 2 : 1) in a box 400 x 200 at the top left, and a JPEG
// (blue over yellow, 1 : 2) in a box 400 x 800 beside it.
const std::string kTwoPictures = Page("<Block><Image width=\"40mm\" height=\"80mm\">" + ImageFile("wide_2to1.png") +
                                      "</Image><Image left=\"50mm\" width=\"40mm\" height=\"80mm\">" +
                                      ImageFile("tall_1to2.jpg") + "</Image></Block>");

void ExpectTwoPictures(const PngPage& page) {
    EXPECT_TRUE(Near(page.At(200, 50), kRed));
    EXPECT_TRUE(Near(page.At(200, 150), kGreen));
    EXPECT_TRUE(Near(page.At(700, 200), kBlue));
    EXPECT_TRUE(Near(page.At(700, 600), kYellow));
    EXPECT_TRUE(Near(page.At(700, 1000), Rgb{255, 255, 255}));  // paper below the pictures
    EXPECT_TRUE(Near(page.At(200, 400), Rgb{255, 255, 255}));
}

TEST(ImagePdf, APngAndAJpegShowInThePdfAndTheJpegStaysAJpeg) {
    ScratchDir folder;
    const std::string pdf = folder / "pictures.pdf";
    {
        Report report(kTwoPictures);
        PdfSurface surface = PdfSurface::File(pdf, 1000, 2000);
        DrawAllPages(report, surface);
    }
    const std::string bytes = ReadBytes(pdf);
    const std::string jpeg = ReadBytes(ImageFile("tall_1to2.jpg"));
    EXPECT_EQ(Occurrences(bytes, "/DCTDecode"), 1u);
    EXPECT_NE(bytes.find(jpeg), std::string::npos) << "the JPEG file is not in the PDF as it was";

    Capture("pdftoppm -r " + std::to_string(int(kDpi)) + " -png '" + pdf + "' '" + (folder / "page") + "'");
    PngPage page(folder / "page-1.png");
    ASSERT_TRUE(page.Ok()) << "pdftoppm made no page";
    ExpectTwoPictures(page);
}

TEST(ImagePdf, PicturesDrawnStraightToPngShowTheirPartsOnEachPage) {
    ScratchDir folder;
    {
        Report report(kTwoPictures);
        CairoSurface surface = CairoSurface::Png(folder / "two.png", 1000, 2000, kDpi);
        DrawAllPages(report, surface);
    }
    PngPage two(folder / "two.png");
    ASSERT_TRUE(two.Ok());
    ExpectTwoPictures(two);

    // A JPEG 800 high with 300 left: blue on the first page, then the rest
    // (the last of the blue, then yellow) at the top of the second.
    {
        Report report(Page("<Block><Image stretch=\"1\" width=\"30mm\" height=\"170mm\">" + ImageFile("square.png") +
                           "</Image><Image left=\"20mm\" width=\"40mm\" height=\"80mm\">" + ImageFile("tall_1to2.jpg") +
                           "</Image></Block>"));
        CairoSurface surface = CairoSurface::Png(folder / "split.png", 1000, 2000, kDpi);
        DrawAllPages(report, surface);
    }
    PngPage first(folder / "split-1.png"), second(folder / "split-2.png");
    ASSERT_TRUE(first.Ok() && second.Ok());
    EXPECT_TRUE(Near(first.At(400, 1850), kBlue));
    EXPECT_TRUE(Near(second.At(400, 30), kBlue));
    EXPECT_TRUE(Near(second.At(400, 300), kYellow));
    EXPECT_TRUE(Near(second.At(400, 600), Rgb{255, 255, 255}));
}

TEST(ImagePdf, ASplitPictureIsWrittenIntoThePdfOnce) {
    ScratchDir folder;
    const std::string pdf = folder / "split.pdf";
    {
        Report report(Page("<Block><Image stretch=\"1\" width=\"30mm\" height=\"170mm\">" + ImageFile("square.png") +
                           "</Image><Image left=\"20mm\" width=\"40mm\" height=\"80mm\">" + ImageFile("tall_1to2.jpg") +
                           "</Image></Block>"));
        PdfSurface surface = PdfSurface::File(pdf, 1000, 2000);
        DrawAllPages(report, surface);
        ASSERT_EQ(report->PageCount(), 2u);
    }
    EXPECT_EQ(Occurrences(ReadBytes(pdf), "/DCTDecode"), 1u);
    const std::string info = Capture("pdfimages -list '" + pdf + "'");
    EXPECT_NE(info.find("jpeg"), std::string::npos) << info;
}

}  // namespace
