#include "cli/QuorvaneCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliPrintHost.h"
#include "cli/Interrupt.h"
#include "cli/MeasureSurface.h"
#include "cli/ReportDump.h"
#include "cli/PageSelection.h"
#include "cli/ReportRenderer.h"
#include "cli/StandardStreams.h"
#include "cli/UsageError.h"
#include "common/CqvEx.h"
#include "common/ForeignFailure.h"
#include "engine/CqvReport.h"
#include "engine/QvSettings.h"
#include "platform/FontConfigurationPreload.h"

namespace {

constexpr const char* kVersionText = "quorvane " QV_VERSION;

// Seconds with three decimals and a full stop, whatever the process locale
// (printf's "%.3f" writes a decimal comma under de_DE).
std::string Seconds(double seconds) {
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("?");
}

struct Arguments {
    std::string templatePath;
    std::string dataPath;
    std::string outPath;
    std::string format;
    std::string pages;
    std::string base;
    double dpi = 150;
    int threads = 0;
    std::string printer;
    std::string toFile;
    bool timings = false;
    bool untrusted = false;
    bool trustedData = false;
};

// The data file's name as the command line gives it; "-" is standard input.
constexpr const char* kStandardStream = "-";

void AddReportFiles(CLI::App& command, Arguments& args) {
    command.add_option("TEMPLATE", args.templatePath, "The report template (.qvrp)")->required();
    command.add_option("DATA", args.dataPath, "The XML data file; - reads it from standard input")->required();
    command
        .add_option("--base", args.base,
                    "The folder relative paths in data from standard input resolve against "
                    "(default: the current folder)")
        ->check(CLI::ExistingDirectory);
    CLI::Option* untrusted = command.add_flag(
        "--untrusted", args.untrusted,
        "The data comes from strangers: refuse every external DTD and entity of the data file and every "
        "picture name from the data that is not a plain relative name, and show no path of the machine "
        "in messages about them");
    command
        .add_flag("--trusted-data", args.trustedData,
                  "The data may use external DTDs, entities and pictures anywhere on the machine (by "
                  "default only in the data file's folder and the template's picture folder)")
        ->excludes(untrusted);
}

// The report on the command's files. Data from standard input is read whole
// first; its DTD and entity references resolve against --base or the current
// folder, as if the data were a file there.
std::unique_ptr<CqvReport> MakeReport(const Arguments& args, PrintHost& host) {
    if (args.dataPath != kStandardStream) {
        if (!args.base.empty()) throw UsageError("--base applies only to data read from standard input (-)");
        return std::make_unique<CqvReport>(args.dataPath, args.templatePath, &host);
    }
    auto report = std::make_unique<CqvReport>(kStandardInputName, args.templatePath, &host);
    const std::string folder = args.base.empty() ? std::string(".") : args.base;
    report->SetDataText(ReadStandardInput(), (std::filesystem::path(folder) / kStandardStream).string());
    return report;
}

std::optional<OutputFormat> FormatByName(const std::string& name) {
    if (name == "pdf") return OutputFormat::Pdf;
    if (name == "png") return OutputFormat::Png;
    if (name == "svg") return OutputFormat::Svg;
    if (name == "ps") return OutputFormat::PostScript;
    return std::nullopt;
}

const char* ExtensionOf(OutputFormat format) {
    switch (format) {
    case OutputFormat::Pdf: return ".pdf";
    case OutputFormat::Png: return ".png";
    case OutputFormat::Svg: return ".svg";
    case OutputFormat::PostScript: break;
    }
    return ".ps";
}

void ApplyDataTrust(const Arguments& args) {
    QvSettings::Instance().dataTrust = args.untrusted     ? QvDataTrust::Untrusted
                                       : args.trustedData ? QvDataTrust::Trusted
                                                          : QvDataTrust::Folder;
}

int Render(const Arguments& args, std::ostream& err) {
    const bool toStandardOutput = args.outPath == kStandardStream;
    std::optional<OutputFormat> format;
    if (!args.format.empty()) format = FormatByName(args.format);
    else format = toStandardOutput ? std::optional(OutputFormat::Pdf) : FormatForPath(args.outPath);
    if (!format) {
        err << "quorvane render: the output file must end in .pdf, .png, .svg or .ps, or --format name one: "
            << args.outPath << "\n";
        return kExitUsage;
    }
    RenderOptions options;
    options.dpi = args.dpi;
    options.threads = args.threads;
    if (!args.pages.empty()) options.pages = PageSelection::Parse(args.pages);

    // While the template and the data are read; --threads 1 keeps to one.
    const qv::platform::FontConfigurationPreload fonts(args.threads != 1);
    CliHost host(isatty(STDERR_FILENO) != 0);
    const std::unique_ptr<CqvReport> report = MakeReport(args, host);
    RenderTimings timings;
    const auto loadStart = std::chrono::steady_clock::now();
    report->LoadAll();
    timings.loading = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();

    // Standard output gets the output only once it is complete: it is drawn
    // into a private folder first, by the same road as a file.
    std::optional<TemporaryFolder> folder;
    std::string outPath = args.outPath;
    if (toStandardOutput) {
        folder.emplace();
        outPath = (folder->Path() / (std::string("output") + ExtensionOf(*format))).string();
        options.singleFile = true;
    }
    if (!RenderReport(*report, host, outPath, *format, options, &timings)) {
        err << "quorvane: interrupted\n";
        return kExitInterrupted;
    }
    if (toStandardOutput) CopyFileToStandardOutput(outPath);
    if (args.timings) {
        err << "timings: loading " + Seconds(timings.loading) + " s, layout " + Seconds(timings.layout) +
                   " s, drawing " + Seconds(timings.drawing) + " s, " + std::to_string(report->PageCount()) +
                   " pages\n";
    }
    return kExitOk;
}

int Dump(const Arguments& args, std::ostream& out, std::ostream& err) {
    const qv::platform::FontConfigurationPreload fonts;
    CliHost host(isatty(STDERR_FILENO) != 0);
    const std::unique_ptr<CqvReport> reportOwner = MakeReport(args, host);
    CqvReport& report = *reportOwner;
    report.LoadAll();
    MeasureSurface surface;
    report.PreparePages(surface, report.PrintInfo());
    if (qv::cli::InterruptRequested()) {
        err << "quorvane: interrupted\n";
        return kExitInterrupted;
    }
    // Text from the documents is UTF-8; anything else is replaced rather than
    // failing the whole dump.
    out << DumpReport(report).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
    out.flush();
    if (!out) {
        err << "The dump cannot be written to the standard output\n";
        return kExitReportError;
    }
    return kExitOk;
}

int Print(const Arguments& args, std::ostream& out, std::ostream& err) {
    const qv::platform::FontConfigurationPreload fonts;
    CliPrintHost host(isatty(STDERR_FILENO) != 0, args.printer, args.toFile);
    const std::unique_ptr<CqvReport> report = MakeReport(args, host);
    report->Print();
    if (host.Interrupted()) {
        err << "quorvane: interrupted; the print job was cancelled\n";
        return kExitInterrupted;
    }
    if (host.Error()) throw CqvEx(*host.Error());
    if (!host.Printed()) throw CqvEx("Nothing was printed");
    // Like lp, say which job to look for in the queue.
    if (args.toFile.empty())
        // Numbers as text: a stream imbued with a user's locale would group 1234 as "1.234".
        out << "Job " + host.PrinterName() + "-" + std::to_string(host.JobId()) + ": " +
                   std::to_string(host.PagesPrinted()) + (host.PagesPrinted() == 1 ? " page" : " pages") + "\n";
    return kExitOk;
}

}  // namespace

int RunQuorvane(int argc, char** argv) { return RunQuorvane(argc, argv, std::cout, std::cerr); }

int RunQuorvane(int argc, char** argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Quorvane: XML-template reports from XML data, as PDF, PNG, SVG or PostScript.", "quorvane"};
    app.set_version_flag("--version", kVersionText, "Show the version and exit");
    app.require_subcommand(1);
    app.footer("Exit status: 0 on success, 1 when the report fails (its message on stderr), 2 for a usage error.");

    Arguments args;
    CLI::App* render = app.add_subcommand("render", "Lay the report out and draw its pages into OUT");
    AddReportFiles(*render, args);
    render
        ->add_option("-o,--output", args.outPath,
                     "OUT.pdf: all pages; OUT.png, .svg or .ps: OUT for a one-page report, "
                     "else NAME-1.EXT, NAME-2.EXT, ...; - writes to standard output "
                     "(PDF, or one PNG, SVG or PostScript page)")
        ->required();
    render
        ->add_option("--format", args.format,
                     "pdf, png, svg or ps, whatever OUT ends in (default: by OUT's "
                     "extension; pdf for -)")
        ->check(CLI::IsMember({"pdf", "png", "svg", "ps"}));
    render->add_option("--pages", args.pages, "Draw only these pages, such as 3-5,9 (the layout still runs whole)");
    render->add_option("--dpi", args.dpi, "Pixels per inch of PNG pages (default 150)")->check(CLI::PositiveNumber);
    render
        ->add_option("--threads", args.threads,
                     "Threads drawing and compressing PDF pages (default: one per core, at most 4; 1: one thread only; "
                     "the PDF is the same either way)")
        ->check(CLI::Range(1, 64));
    render->add_flag("--timings", args.timings, "Report the seconds spent loading, laying out and drawing on stderr");

    CLI::App* dump = app.add_subcommand("dump", "Write the laid-out pages as JSON on stdout");
    AddReportFiles(*dump, args);

    CLI::App* print = app.add_subcommand("print", "Print the report as a CUPS job named \"Quorvane\"");
    AddReportFiles(*print, args);
    CLI::Option* printer =
        print->add_option("--printer", args.printer, "The CUPS queue (default: the default printer)");
    print->add_option("--to-file", args.toFile, "Write the job's PDF to this file instead of a printer")
        ->excludes(printer);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }

    qv::cli::InstallInterruptHandlers();
    ApplyDataTrust(args);
    try {
        if (render->parsed()) return Render(args, err);
        if (dump->parsed()) return Dump(args, out, err);
        return Print(args, out, err);
    } catch (const UsageError& e) {
        err << "quorvane "
            << (render->parsed() ? "render"
                : dump->parsed() ? "dump"
                                 : "print")
            << ": " << e.what() << "\n";
        return kExitUsage;
    } catch (const CqvEx& e) {
        // A stop request may surface as the failure it caused on its way out.
        if (qv::cli::InterruptRequested()) {
            err << "quorvane: interrupted\n";
            return kExitInterrupted;
        }
        // The report's message exactly as composed, and nothing else.
        err << e.Message() << "\n";
        return kExitReportError;
    } catch (const std::bad_alloc&) {
        err << kOutOfMemoryText << "\n";
        return kExitReportError;
    } catch (const std::exception& e) {
        err << "quorvane: " << e.what() << "\n";
        return kExitReportError;
    }
}
