#include "cli/QuorvaneCommand.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliHost.h"
#include "cli/CliPrintHost.h"
#include "cli/Interrupt.h"
#include "cli/MeasureSurface.h"
#include "cli/ReportDump.h"
#include "cli/ReportRenderer.h"
#include "common/CqvEx.h"
#include "common/ForeignFailure.h"
#include "engine/CqvReport.h"
#include "engine/QvSettings.h"

namespace {

constexpr const char* kVersionText = "quorvane " QV_VERSION;

struct Arguments {
    std::string templatePath;
    std::string dataPath;
    std::string outPath;
    double dpi = 150;
    std::string printer;
    std::string toFile;
    bool timings = false;
    bool untrusted = false;
    bool trustedData = false;
};

void AddReportFiles(CLI::App& command, Arguments& args) {
    command.add_option("TEMPLATE", args.templatePath, "The report template (.qvrp)")->required();
    command.add_option("DATA", args.dataPath, "The XML data file")->required();
    CLI::Option* untrusted = command.add_flag(
        "--untrusted", args.untrusted,
        "The data comes from strangers: refuse every external DTD and entity of the data file and every "
        "picture name from the data that is not a plain relative name, and show no path of the machine "
        "in messages about them");
    command.add_flag("--trusted-data", args.trustedData,
                     "The data may use external DTDs, entities and pictures anywhere on the machine (by "
                     "default only in the data file's folder and the template's picture folder)")
        ->excludes(untrusted);
}

void ApplyDataTrust(const Arguments& args) {
    QvSettings::Instance().dataTrust = args.untrusted     ? QvDataTrust::Untrusted
                                       : args.trustedData ? QvDataTrust::Trusted
                                                          : QvDataTrust::Folder;
}

int Render(const Arguments& args, std::ostream& err) {
    const std::optional<OutputFormat> format = FormatForPath(args.outPath);
    if (!format) {
        err << "quorvane render: the output file must end in .pdf, .png, .svg or .ps: " << args.outPath
            << "\n";
        return kExitUsage;
    }
    CliHost host(isatty(STDERR_FILENO) != 0);
    CqvReport report(args.dataPath, args.templatePath, &host);
    RenderTimings timings;
    const auto loadStart = std::chrono::steady_clock::now();
    report.LoadAll();
    timings.loading = std::chrono::duration<double>(std::chrono::steady_clock::now() - loadStart).count();
    if (!RenderReport(report, host, args.outPath, *format, args.dpi, &timings)) {
        err << "quorvane: interrupted\n";
        return kExitInterrupted;
    }
    if (args.timings) {
        char line[160];
        std::snprintf(line, sizeof line, "timings: loading %.3f s, layout %.3f s, drawing %.3f s, %zu pages\n",
                      timings.loading, timings.layout, timings.drawing, report.PageCount());
        err << line;
    }
    return kExitOk;
}

int Dump(const Arguments& args, std::ostream& out, std::ostream& err) {
    CliHost host(isatty(STDERR_FILENO) != 0);
    CqvReport report(args.dataPath, args.templatePath, &host);
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
    CliPrintHost host(isatty(STDERR_FILENO) != 0, args.printer, args.toFile);
    CqvReport report(args.dataPath, args.templatePath, &host);
    report.Print();
    if (host.Interrupted()) {
        err << "quorvane: interrupted; the print job was cancelled\n";
        return kExitInterrupted;
    }
    if (host.Error()) throw CqvEx(*host.Error());
    if (!host.Printed()) throw CqvEx("Nothing was printed");
    // Like lp, say which job to look for in the queue.
    if (args.toFile.empty())
        out << "Job " << host.PrinterName() << "-" << host.JobId() << ": " << host.PagesPrinted()
            << (host.PagesPrinted() == 1 ? " page" : " pages") << "\n";
    return kExitOk;
}

}  // namespace

int RunQuorvane(int argc, char** argv) { return RunQuorvane(argc, argv, std::cout, std::cerr); }

int RunQuorvane(int argc, char** argv, std::ostream& out, std::ostream& err) {
    CLI::App app{"Quorvane: XML-template reports from XML data, as PDF, PNG, SVG or PostScript.", "quorvane"};
    app.set_version_flag("--version", kVersionText, "Show the version and exit");
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 on success, 1 when the report fails (its message on stderr), 2 for a usage error.");

    Arguments args;
    CLI::App* render = app.add_subcommand("render", "Lay the report out and draw its pages into OUT");
    AddReportFiles(*render, args);
    render->add_option("-o,--output", args.outPath,
                       "OUT.pdf: all pages; OUT.png, .svg or .ps: OUT for a one-page report, "
                       "else NAME-1.EXT, NAME-2.EXT, ...")
        ->required();
    render->add_option("--dpi", args.dpi, "Pixels per inch of PNG pages (default 150)")
        ->check(CLI::PositiveNumber);
    render->add_flag("--timings", args.timings,
                     "Report the seconds spent loading, laying out and drawing on stderr");

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
