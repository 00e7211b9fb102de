#include "cli/CliHost.h"

#include "cli/TerminalProgress.h"

std::unique_ptr<Progress> CliHost::CreateProgress() { return std::make_unique<TerminalProgress>(m_bShowProgress); }
