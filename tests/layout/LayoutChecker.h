#pragma once
// Lays a generated report out through the engine, in process, and judges its
// pages by what any sound layout must show, whatever the template:
//   words     every word of every text placed and drawn, in order, once per
//             repetition (page furniture once per page);
//   paper     nothing drawn off the paper;
//   body      no piece of the flow outside the body area;
//   overlap   pieces of the flow do not lie over each other (children of one
//             asblank form may, where the template puts them);
//   keep      an item with not-last-item does not end a page while what follows
//             it opens the next one and both would have fitted there;
//   pages     the report lays out within max-pages (a generated one within
//             ten times its max-pages: the generator cannot tell how long
//             its content is), and twice the same;
//   pdf       (on request; it costs processes) the PDF the command renders holds
//             every word of the command's dump.
#include <string>
#include <vector>

#include "LayoutGenerator.h"

namespace qv::layoutcheck {

struct Violation {
    std::string invariant;  // one of the names above
    std::string detail;
    std::vector<std::string> items;  // the items whose pieces break it
    std::vector<std::string> kinds;  // and those pieces' kinds ("text", "line", "image")
};

struct CheckOptions {
    // The quorvane command, for the pdf invariant; empty skips it.
    std::string quorvaneExe;
};

// The scratch folder receives the template and data files.
std::vector<Violation> CheckReport(const GeneratedReport& report, const std::string& scratchFolder,
                                   const CheckOptions& options = {});

// The template and data, ready to paste into a regression test.
std::string DescribeFailure(const GeneratedReport& report, const std::vector<Violation>& violations);

}  // namespace qv::layoutcheck
