// Draws page 1 of a report into a PNG image in memory with libquorvane:
//     page_png TEMPLATE DATA OUT.png [DPI]
// The image could go straight into a network reply; here it goes to OUT.png.
#include <quorvane/Renderer.h>
#include <quorvane/Report.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s TEMPLATE DATA OUT.png [DPI]\n", argv[0]);
        return 2;
    }
    const double dpi = argc == 5 ? std::atof(argv[4]) : 150;
    try {
        quorvane::Report report(argv[1], argv[2]);
        quorvane::Renderer png = quorvane::Renderer::PngInMemory(report.PaperWidth(), report.PaperHeight(), dpi);
        report.DrawPage(1, png);  // lays the report out first
        png.Finish();
        const std::vector<std::byte>& image = png.PngPages().at(0);
        std::ofstream(argv[3], std::ios::binary).write(reinterpret_cast<const char*>(image.data()), image.size());
        std::printf("page 1 of %zu: %zu bytes of PNG\n", report.PageCount(), image.size());
    } catch (const CqvEx& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
}
