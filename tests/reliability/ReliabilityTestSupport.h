#pragma once
// Hostile-input tests: a whole report run from template and data to every
// drawn page, as the fuzz targets run it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/CqvEx.h"
#include "engine/CqvReport.h"
#include "render/RecordingSurface.h"
#include "support/TestSettingsGuard.h"

namespace qvrel {

// What a whole run of a report came to: its error, or its pages.
struct Outcome {
    std::string error;  // the CqvEx message; empty when the report was drawn
    size_t pages = 0;
    size_t pieces = 0;    // on all pages
    size_t textOuts = 0;  // lines of text drawn on all pages
};

// Loads, lays out and draws every page on a recording surface.
inline Outcome RunReport(const std::string& templatePath, const std::string& dataPath) {
    qv::test::SettingsGuard settings;
    Outcome outcome;
    CqvReport report(dataPath, templatePath);
    try {
        report.LoadAll();
        RecordingSurface surface;
        QvPrintInfo& printInfo = report.PrintInfo();
        report.PreparePages(surface, printInfo);
        outcome.pages = report.PageCount();
        for (uint32_t page = 1; page <= report.PageCount(); ++page) {
            outcome.pieces += report.PagePieces(page - 1).size();
            surface.Clear();
            printInfo.currentPage = page;
            report.DrawPage(surface, printInfo);
            outcome.textOuts += surface.CallsOf(RecordedCall::Kind::TextOut).size();
        }
    } catch (const CqvEx& error) {
        outcome.error = error.Message();
    }
    return outcome;
}

// A template of the given blocks on A4 with a 10-point default style and a
// footer that shows the page count.
inline std::string Template(const std::string& blocks, const std::string& rootAttributes = "",
                            const std::string& styles = "", const std::string& header = "") {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<XmlTemplateReport " + rootAttributes +
           ">\n<Styles><Style name=\"default\" font-family=\"Arial\" font-size=\"10\"/>" + styles +
           "</Styles>\n<PageHeader height=\"10mm\">" + header +
           "</PageHeader>\n<PageFooter height=\"10mm\"><Text left=\"0\" top=\"0\" width=\"50mm\" "
           "height=\"5mm\">Page [%qv_curpage%] of [%qv_pages%]</Text></PageFooter>\n" +
           blocks + "\n</XmlTemplateReport>\n";
}

}  // namespace qvrel
