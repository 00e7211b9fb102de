#pragma once
// The progress dialog of the command line: one line on the terminal, redrawn
// in place, showing the phase, the data file and the page. When stderr is not
// a terminal it shows nothing and only answers the abort check.
#include <string>

#include "engine/Progress.h"

class TerminalProgress : public Progress {
public:
    explicit TerminalProgress(bool visible) : m_bVisible(visible) {}
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void SetItemText(int item, const std::string& text) override;
    void Show() override;
    // False once Ctrl-C was pressed; the report's loops then stop.
    bool AbortCheck() override;

    // The line as it is shown, for tests.
    std::string Line() const;

private:
    void Redraw();

    bool m_bVisible;
    bool m_bShown = false;
    bool m_bDrawn = false;
    std::string m_strStatus;
    std::string m_strDocument;
    std::string m_strPage;
};
