// What reaches the paper: a page of several faces, sizes and scripts with a
// picture, printed as our PDF through the queues of ordinary printers of the
// private scheduler — a PostScript printer (the PDF rewritten as PostScript by
// the queue's filters) and raster printers (the PDF rasterized by Ghostscript
// or poppler) — whose output is read back and compared with the page as the
// PNG surface draws it: every glyph where the preview shows it.
#include <cups/cups.h>
#include <cups/raster.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CupsTestServer.h"
#include "render/CairoSurface.h"
#include "render/PdfSurface.h"
#include "render/PrintedPage.h"
#include "render/RenderTestSupport.h"
#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace {

using namespace std::chrono_literals;
using namespace qvrender;
using qv::test::Capture;
using qv::test::ShellQuoted;
namespace fs = std::filesystem;

constexpr int kDpi = 150;
constexpr auto kChainJobTimeout = 90s;
constexpr const char* kFilterDir = "/usr/lib/cups/filter/";

// A printer description of the least a queue needs: one paper the size of the
// page (so no filter scales or centres it), 150 dpi, grey. `extra` adds the
// lines that make it a raster printer.
std::string PrinterDescription(const std::string& model, const std::string& extra) {
    return "*PPD-Adobe: \"4.3\"\n"
           "*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n"
           "*LanguageVersion: English\n*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"QVTEST.PPD\"\n*Manufacturer: \"Generic\"\n"
           "*Product: \"(" +
           model + ")\"\n*ModelName: \"" + model +
           "\"\n"
           "*ShortNickName: \"" +
           model + "\"\n*NickName: \"" + model +
           "\"\n"
           "*PSVersion: \"(3010.000) 0\"\n*LanguageLevel: \"3\"\n"
           "*ColorDevice: False\n*DefaultColorSpace: Gray\n*FileSystem: False\n*Throughput: \"1\"\n"
           "*LandscapeOrientation: Plus90\n*TTRasterizer: Type42\n"
           "*OpenUI *PageSize/Media Size: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n"
           "*DefaultPageSize: Square4\n"
           "*PageSize Square4/4 x 4 in: \"<</PageSize[288 288]/ImagingBBox null>>setpagedevice\"\n"
           "*CloseUI: *PageSize\n"
           "*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n"
           "*DefaultPageRegion: Square4\n"
           "*PageRegion Square4/4 x 4 in: \"<</PageSize[288 288]/ImagingBBox null>>setpagedevice\"\n"
           "*CloseUI: *PageRegion\n"
           "*DefaultImageableArea: Square4\n*ImageableArea Square4/4 x 4 in: \"0 0 288 288\"\n"
           "*DefaultPaperDimension: Square4\n*PaperDimension Square4/4 x 4 in: \"288 288\"\n"
           "*OpenUI *Resolution/Resolution: PickOne\n*OrderDependency: 10 DocumentSetup *Resolution\n"
           "*DefaultResolution: 150dpi\n"
           "*Resolution 150dpi/150 DPI: \"<</HWResolution[150 150]>>setpagedevice\"\n"
           "*CloseUI: *Resolution\n"
           "*DefaultFont: Courier\n*Font Courier: Standard \"(001.005)\" Standard ROM\n" +
           extra;
}

// A CUPS raster printer taking 8-bit grey pages from `filter`, which the queue
// runs on the PDF (after pdftopdf) and sends straight to the device.
std::string RasterPrinterLines(const std::string& filter) {
    return "*cupsVersion: 2.4\n"
           "*cupsFilter2: \"application/vnd.cups-pdf application/vnd.cups-raster 0 " +
           filter +
           "\"\n"
           "*OpenUI *ColorModel/Color Mode: PickOne\n*OrderDependency: 10 AnySetup *ColorModel\n"
           "*DefaultColorModel: Gray\n"
           "*ColorModel Gray/Grayscale: \"<</cupsColorOrder 0/cupsColorSpace 18/cupsBitsPerColor 8>>setpagedevice\"\n"
           "*CloseUI: *ColorModel\n";
}

// The first page of a CUPS raster stream as ink or paper; why not, when it
// cannot be read.
std::optional<InkMap> ReadRasterPage(const std::string& path, std::string& why) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        why = "cannot open " + path;
        return std::nullopt;
    }
    std::unique_ptr<cups_raster_t, void (*)(cups_raster_t*)> raster(cupsRasterOpen(fd, CUPS_RASTER_READ),
                                                                    cupsRasterClose);
    std::optional<InkMap> page;
    cups_page_header2_t header{};
    if (!raster || !cupsRasterReadHeader2(raster.get(), &header)) {
        why = "no CUPS raster page in " + path;
    } else if (header.cupsBitsPerPixel != 8 || header.HWResolution[0] != kDpi || header.HWResolution[1] != kDpi ||
               (header.cupsColorSpace != CUPS_CSPACE_SW && header.cupsColorSpace != CUPS_CSPACE_W &&
                header.cupsColorSpace != CUPS_CSPACE_K)) {
        why = "a raster page of " + std::to_string(header.cupsBitsPerPixel) + " bits per pixel in colour space " +
              std::to_string(header.cupsColorSpace) + " at " + std::to_string(header.HWResolution[0]) +
              " dpi, not 8-bit grey at " + std::to_string(kDpi);
    } else {
        page.emplace(static_cast<int>(header.cupsWidth), static_cast<int>(header.cupsHeight));
        std::vector<unsigned char> line(header.cupsBytesPerLine);
        for (unsigned y = 0; y < header.cupsHeight; ++y) {
            if (cupsRasterReadPixels(raster.get(), line.data(), header.cupsBytesPerLine) != header.cupsBytesPerLine) {
                why = "the raster page ends at row " + std::to_string(y);
                page.reset();
                break;
            }
            for (unsigned x = 0; x < header.cupsWidth; ++x)
                page->SetGray(static_cast<int>(x), static_cast<int>(y),
                              header.cupsColorSpace == CUPS_CSPACE_K ? 255u - line[x] : line[x]);
        }
    }
    raster.reset();
    close(fd);
    return page;
}

// What a printer of each kind receives, rasterized (for PostScript by
// Ghostscript, as a PostScript printer would).
std::optional<InkMap> ReadPrinterOutput(const std::string& path, bool raster, const std::string& png,
                                        std::string& why) {
    if (raster) return ReadRasterPage(path, why);
    const std::string gs = Capture("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pnggray -r" + std::to_string(kDpi) +
                                   " -dTextAlphaBits=4 -dGraphicsAlphaBits=4 -sOutputFile=" + ShellQuoted(png) + " " +
                                   ShellQuoted(path) + " 2>&1");
    PngImage image(png);
    if (!gs.empty() || !image.Ok()) {
        why = "Ghostscript did not read the PostScript cleanly: " + gs;
        return std::nullopt;
    }
    return InkMap::FromPng(image);
}

struct PrinterKind {
    const char* name;
    const char* queue;
    std::string ppdLines;
    bool raster;
    std::vector<const char*> filters;  // what the queue runs, with its Debian package
};

const std::vector<PrinterKind>& PrinterKinds() {
    static const std::vector<PrinterKind> kinds = {
        {"PostScript printer",
         "QvChainPostScript",
         "",
         false,
         {"pdftopdf cups-filters-core-drivers", "pdftops cups-filters-core-drivers"}},
        {"raster printer through Ghostscript",
         "QvChainGsRaster",
         RasterPrinterLines("gstoraster"),
         true,
         {"pdftopdf cups-filters-core-drivers", "gstoraster cups-filters"}},
        {"raster printer through poppler",
         "QvChainPopplerRaster",
         RasterPrinterLines("pdftoraster"),
         true,
         {"pdftopdf cups-filters-core-drivers", "pdftoraster cups-filters-core-drivers"}},
    };
    return kinds;
}

// Why the chain cannot be tried here; empty when it can.
std::string FilterSkipReason() {
    for (const PrinterKind& kind : PrinterKinds())
        for (const std::string filter : kind.filters) {
            const std::string program = filter.substr(0, filter.find(' '));
            if (!fs::exists(kFilterDir + program))
                return "the CUPS filter " + program + " is not installed (Debian package " +
                       filter.substr(filter.find(' ') + 1) + ")";
        }
    if (std::system("command -v gs >/dev/null 2>&1") != 0) return "gs is not installed (Debian package ghostscript)";
    return {};
}

TEST(PrintChain, EveryGlyphReachesThePrinterWhereThePreviewDrawsIt) {
    std::string skip = CupsTestServer::SkipReason();
    if (skip.empty()) skip = FilterSkipReason();
    if (!skip.empty()) GTEST_SKIP() << skip;
    std::unique_ptr<CupsTestServer> server = CupsTestServer::Start();
    if (!server->IsPrivate()) GTEST_SKIP() << "no private CUPS scheduler: the machine's does not print to files";

    qv::test::ScratchDir scratch;
    const std::string pdf = scratch.PathOf("page.pdf");
    {
        PdfSurface surface = PdfSurface::File(pdf, kPrintedPageSize, kPrintedPageSize);
        DrawPrintedPage(surface);
        surface.Finish();
    }
    const int pixels = kPrintedPageSize * kDpi / 254;
    CairoSurface preview = CairoSurface::Image(pixels, pixels, kDpi / 254.0, 0, 0);
    DrawPrintedPage(preview);
    preview.Finish();
    const InkMap reference =
        InkMap::FromArgb(preview.ImageData(), preview.ImageWidth(), preview.ImageHeight(), preview.ImageStride());

    // Every queue's job at once: the filters of one run while another's wait.
    struct Submitted {
        const PrinterKind* kind;
        std::string output;
        int job;
    };
    std::vector<Submitted> jobs;
    for (const PrinterKind& kind : PrinterKinds()) {
        std::string why;
        const std::string output = server->AddFileQueue(kind.queue, PrinterDescription(kind.name, kind.ppdLines), why);
        ASSERT_FALSE(output.empty()) << kind.name << ": " << why;
        const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, kind.queue, pdf.c_str(), "Print chain", 0, nullptr);
        ASSERT_GT(job, 0) << kind.name << ": " << cupsLastErrorString();
        jobs.push_back({&kind, output, job});
    }
    for (const Submitted& submitted : jobs) {
        const PrinterKind& kind = *submitted.kind;
        const std::optional<CupsJobInfo> end = server->WaitForJobEnd(submitted.job, kChainJobTimeout, kind.queue);
        ASSERT_TRUE(end && end->state == IPP_JSTATE_COMPLETED) << kind.name << ": the job did not complete\n"
                                                               << server->LogTail();
        std::string why;
        const std::optional<InkMap> printed =
            ReadPrinterOutput(submitted.output, kind.raster, scratch.PathOf("printed.png"), why);
        ASSERT_TRUE(printed) << kind.name << ": " << why;
        const TextComparison c = CompareText(reference, *printed, kDpi);
        for (const std::string& fault : c.faults) ADD_FAILURE() << kind.name << ": " << fault;
        std::printf("%s at %d dpi against the PNG surface: %s\n", kind.name, kDpi, c.Summary().c_str());
        // Ghostscript's TrueType hinter draws the smallest serif line (a 16-pixel
        // em) a little narrower, as it does from the font file itself: a few of
        // its edges may stray.
        EXPECT_LE(c.unmatched * 50, c.edges) << kind.name << ": " << c.Summary();
        EXPECT_LT(c.differing, reference.Width() * c.textRows * 4 / 100) << kind.name << ": " << c.Summary();
    }
}

}  // namespace
