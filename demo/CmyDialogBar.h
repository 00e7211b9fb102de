#pragma once
// The source tabs bar along the top of the main window: "XML Data",
// "Xml Template" and "Template DTD". Choosing a tab asks the frame to show
// that source of the current demo (command ID_TAB_CHANGE).
#include <QDockWidget>

class QTabBar;

class CmyDialogBar : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 128;
    static constexpr int kTabControlId = 1000;

    explicit CmyDialogBar(QWidget* parent = nullptr);

    // The tab control's current selection (-1 with no tabs).
    int CurrentSelection() const;
    QTabBar* TabControl() const { return m_pTabs; }

signals:
    // A command for the parent frame.
    void SendCommand(int id);

private:
    void OnSelChange(int index);

    QTabBar* m_pTabs;
};
