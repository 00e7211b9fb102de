// Renders a report to a PDF file with libquorvane:
//     render_pdf TEMPLATE DATA OUT.pdf
// and, with --memory, loads both files into memory first and writes the PDF
// from memory, as a server would that receives its data over the network.
#include <quorvane/Report.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

static std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int main(int argc, char** argv) {
    const bool memory = argc == 5 && std::string(argv[1]) == "--memory";
    if (argc != 4 && !memory) {
        std::fprintf(stderr, "usage: %s [--memory] TEMPLATE DATA OUT.pdf\n", argv[0]);
        return 2;
    }
    char** files = argv + (memory ? 2 : 1);
    try {
        if (!memory) {
            quorvane::Report report(files[0], files[1]);
            std::printf("%zu pages\n", report.PageCount());
            report.RenderToFile(files[2], quorvane::Format::Pdf);
            return 0;
        }
        // Relative picture paths resolve against the template's folder.
        const std::string folder = std::string(files[0]).substr(0, std::string(files[0]).find_last_of('/') + 1);
        quorvane::Report report = quorvane::Report::FromMemory(ReadAll(files[0]), ReadAll(files[1]), folder);
        const std::vector<std::byte> pdf = report.RenderPdf();
        std::ofstream(files[2], std::ios::binary).write(reinterpret_cast<const char*>(pdf.data()), pdf.size());
        std::printf("%zu pages, %zu bytes\n", report.PageCount(), pdf.size());
    } catch (const CqvEx& error) {
        std::fprintf(stderr, "%s\n", error.Message().c_str());
        return 1;
    }
}
