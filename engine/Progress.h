#pragma once
// The print progress dialog as the layout and printing loops see it. The Qt
// dialog lives in preview/, a terminal line in cli/; tests use none.
#include <string>

// Items of the dialog, by their control numbers.
constexpr int kProgressStatus = 2005;    // "Prepare print" or "Print"
constexpr int kProgressDocument = 2013;  // data file name without its folder
constexpr int kProgressPage = 2014;      // page number, decimal
constexpr int kProgressPrinter = 2015;   // printer (device) name
constexpr int kProgressPort = 2016;      // port name

class Progress {
public:
    virtual ~Progress() = default;

    virtual void SetItemText(int item, const std::string& text) = 0;

    // Shows the dialog and paints it at once, before the long loop starts.
    virtual void Show() = 0;

    // The abort procedure: lets pending user-interface events run, then answers
    // true to go on, false when the user cancelled (the implementation sets
    // Settings().abort) or the application is quitting.
    virtual bool AbortCheck() = 0;
};
