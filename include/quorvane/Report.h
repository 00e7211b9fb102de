#pragma once
/// @file
/// The report object of the library: a template filled with XML data, laid
/// out into pages and rendered to PDF, PNG, SVG or PostScript, into a file or
/// into memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "quorvane/CqvEx.h"
#include "quorvane/Export.h"
#include "quorvane/PrintHost.h"
#include "quorvane/Progress.h"
#include "quorvane/Surface.h"

/// The public API of libquorvane.
namespace quorvane {

/// The formats a report renders to.
enum class Format {
    Pdf,        ///< One PDF document with every page.
    Png,        ///< One PNG image per page.
    Svg,        ///< One SVG drawing per page.
    PostScript  ///< One PostScript file per page.
};

/// A report: a template filled with data. Both are loaded when the report is
/// made; the layout runs when a page count or an output is asked for.
///
/// Every failure raises CqvEx with the engine's message, the same text the
/// quorvane command prints. The engine keeps process-wide settings (the
/// default style, the code pages), so reports are used one at a time, from
/// one thread.
class QUORVANE_API Report {
public:
    /// Loads the template and the data from files. Relative picture paths in
    /// the template resolve against the template's folder, DTD and entity
    /// references against the folder of the file that holds them.
    Report(const std::string& templatePath, const std::string& dataPath);

    /// Loads the template and the data from bytes in memory (a server that
    /// receives them over the network). Relative picture, DTD and entity
    /// paths in either resolve against `baseFolder`. Messages name the
    /// template "template" and the data "data".
    static Report FromMemory(std::string templateText, std::string dataText, const std::string& baseFolder);

    /// Releases the report and its pages.
    ~Report();
    /// Takes over another report; the other is left empty and can only be destroyed or assigned to.
    Report(Report&& other) noexcept;
    /// Takes over another report; the other is left empty and can only be destroyed or assigned to.
    Report& operator=(Report&& other) noexcept;
    Report(const Report&) = delete;
    Report& operator=(const Report&) = delete;

    /// The number of pages; lays the report out the first time.
    std::size_t PageCount();

    /// The paper's width in tenths of a millimetre, turned for landscape.
    std::int32_t PaperWidth() const;
    /// The paper's height in tenths of a millimetre, turned for landscape.
    std::int32_t PaperHeight() const;

    /// Lays the report out and writes it to `path`: every page into one PDF,
    /// or one PNG, SVG or PostScript file per page (`path` itself for a
    /// one-page report, else NAME-1.EXT, NAME-2.EXT, ...). `dpi` is the
    /// resolution of PNG pages. Output takes its name only once complete; a
    /// failure leaves no file.
    void RenderToFile(const std::string& path, Format format = Format::Pdf, double dpi = 150);

    /// Lays the report out and returns the PDF document with every page, the
    /// same bytes RenderToFile writes.
    std::vector<std::byte> RenderPdf();

    /// Lays the whole report out into pages, measuring on `surface` (a
    /// Renderer, or a program's own surface). Nothing is drawn. `progress`,
    /// when given, shows the page being laid out and may cancel: the pages
    /// laid out so far then stay. PageCount and DrawPage lay the report out
    /// on their own when it is not yet, so calling this is needed only to
    /// measure on a surface of one's choice or to show progress.
    void Prepare(Surface& surface, Progress* progress = nullptr);

    /// Draws page `page` (1 to PageCount()) onto `surface`, into its open
    /// page; lays the report out first when it is not yet. Drawing never lays
    /// out again, so a page can be drawn any number of times, onto any
    /// surfaces. Raises CqvEx for a page outside the report.
    void DrawPage(std::size_t page, Surface& surface);

    /// Prints the report through `host`: reads both sources again, asks the
    /// host for the default printer and its print dialog (a missing printer
    /// or a cancelled dialog ends quietly), lays the report out on the
    /// printer's surface and prints every page in a job named "Quorvane",
    /// with the host's progress display. Raises CqvEx when the printer cannot
    /// be opened.
    void Print(PrintHost& host);

    /// Runs the host's preview dialog on the report, read again from its
    /// sources, and prints through the same host when the dialog answers
    /// kPreviewResultPrint.
    void Preview(PrintHost& host);

private:
    struct Impl;
    QUORVANE_LOCAL explicit Report(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}  // namespace quorvane
