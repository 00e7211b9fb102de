#pragma once
// The demo list on the right of the main window, with the "Print Preview" and
// "Print" buttons. Choosing a demo makes it current and asks the frame to show
// its source (ID_TEMPLATE_CHANGE); the buttons and a double click ask for the
// preview or the print of the current demo, which only an open editor window
// carries out, so the frame disables the buttons while none is open.
#include <QDockWidget>
#include <vector>

#include "demo/QvDemoTable.h"

class QListWidget;
class QPushButton;

class ClistDialogBar : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 131;
    static constexpr int kListId = 1002;

    // Lists the demos the code page admits; the first is current.
    explicit ClistDialogBar(int ansiCodePage, QWidget* parent = nullptr);

    const DemoEntry* CurrentDemo() const { return m_pCurrent; }
    const std::vector<DemoEntry>& Entries() const { return m_entries; }
    QListWidget* List() const { return m_pList; }
    QPushButton* PreviewButton() const { return m_pPreview; }
    QPushButton* PrintButton() const { return m_pPrint; }

    // Whether the preview and print commands have a handler now.
    void EnableButtons(bool preview, bool print);

signals:
    // A command for the parent frame, routed like a menu command.
    void SendCommand(int id);

private:
    void OnSelChange(int row);

    std::vector<DemoEntry> m_entries;
    const DemoEntry* m_pCurrent = nullptr;  // into m_entries
    QListWidget* m_pList;
    QPushButton* m_pPreview;
    QPushButton* m_pPrint;
};
