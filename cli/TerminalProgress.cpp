#include "cli/TerminalProgress.h"

#include <cstdio>

#include "cli/Interrupt.h"
#include "engine/QvSettings.h"

namespace {

// Back to the start of the line and clear it.
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

TerminalProgress::~TerminalProgress() {
    // The next output (an error message, the shell prompt) starts on a clean line.
    if (m_bDrawn) std::fputs(kClearLine, stderr);
}

void TerminalProgress::SetItemText(int item, const std::string& text) {
    switch (item) {
    case kProgressStatus: m_strStatus = text; break;
    case kProgressDocument: m_strDocument = text; break;
    case kProgressPage: m_strPage = text; break;
    default: return;  // printer and port mean nothing on a terminal
    }
    if (m_bShown) Redraw();
}

void TerminalProgress::Show() {
    m_bShown = true;
    Redraw();
}

bool TerminalProgress::AbortCheck() {
    if (!qv::cli::InterruptRequested()) return true;
    QvSettings::Instance().abort = true;
    return false;
}

std::string TerminalProgress::Line() const {
    std::string line = m_strStatus;
    if (!m_strDocument.empty()) line += " " + m_strDocument;
    if (!m_strPage.empty()) line += ": page " + m_strPage;
    return line;
}

void TerminalProgress::Redraw() {
    if (!m_bVisible) return;
    std::fprintf(stderr, "%s%s", kClearLine, Line().c_str());
    std::fflush(stderr);
    m_bDrawn = true;
}
