#pragma once
/// @file
/// The progress display of the long loops: laying a report out and printing
/// it. A program implements Progress to show where the work is and to let the
/// user cancel it.
#include <string>

#include "quorvane/Export.h"

namespace quorvane {

/// The lines of a progress display.
enum class ProgressItem {
    Status = 2005,    ///< "Prepare print" while the report is laid out, "Print" while it prints.
    Document = 2013,  ///< The data file's name without its folder.
    Page = 2014,      ///< The page being laid out or printed, in decimal.
    Printer = 2015,   ///< The printer's name.
    Port = 2016       ///< The printer's port.
};

/// A progress display. The report sets its items, shows it once before the
/// long loop starts, and asks AbortCheck between pages.
class QUORVANE_API Progress {
public:
    virtual ~Progress();

    /// Sets the text of one item.
    virtual void SetItemText(ProgressItem item, const std::string& text) = 0;

    /// Shows the display, at once, before the long loop starts.
    virtual void Show() = 0;

    /// Called between pages: lets pending user-interface events run, then
    /// answers true to go on or false to cancel. A layout cancelled keeps the
    /// pages laid out so far, and Report::Print then abandons its job; a cancel
    /// while printing ends the job after the page just printed.
    virtual bool AbortCheck() = 0;
};

}  // namespace quorvane
