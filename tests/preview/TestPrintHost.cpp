#include "TestPrintHost.h"

#include <QPushButton>

#include "engine/Progress.h"

namespace qvtest {

bool CancellingProgress::AbortCheck() {
    if (ItemText(kProgressStatus) == m_phase) {
        if (auto* cancel = findChild<QPushButton*>(QStringLiteral("id2")); cancel && isVisible()) cancel->click();
    }
    return CqvPrintingDialog::AbortCheck();
}

}  // namespace qvtest
