#pragma once
// The main window: the editor windows in an MDI area, the toolbar, the source
// tabs bar on top, the demo list on the right, the status bar with the lock
// indicators, and the menus, which change while an editor window is active.
// Commands go to the active view, its document, this frame and the
// application, in that order; the frame itself shows the current source and
// runs the preview and print of the current demo.
#include <QMainWindow>
#include <map>
#include <vector>

#include "demo/editor/QvCommandTarget.h"

class CChildFrame;
class CQuorvaneDemoApp;
class CScintillaView;
class ClistDialogBar;
class CmyDialogBar;
class QvLockKeys;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

class CMainFrame : public QMainWindow, public QvCommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(CQuorvaneDemoApp& app);
    ~CMainFrame() override;

    QMdiArea* MdiArea() const { return m_pMdiArea; }
    CmyDialogBar* TabsBar() const { return m_pTabsBar; }
    ClistDialogBar* ListBar() const { return m_pListBar; }
    QToolBar* ToolBar() const { return m_pToolBar; }
    // The action of a command id (menus, toolbar and accelerators share it).
    QAction* Action(int id) const;
    // The menus on the menu bar now: 128 without an editor window, else 129.
    int CurrentMenuId() const { return m_nMenuId; }
    QString StatusIndicatorText(int id) const;

    CChildFrame* ActiveChildFrame() const;
    CScintillaView* GetActiveView() const;
    // Adds an editor window to the MDI area.
    CChildFrame* AddChildFrame(CScintillaView* view);

    // Runs a command along the route; false when nobody handles it.
    bool ExecuteCommand(int id);
    bool CommandEnabled(int id) const;
    // Brings menus, toolbar, bar buttons and indicators up to date now.
    void UpdateCommandUI();

    // Show current source: opens (or brings up) the current tab's file of the current demo.
    void ShowCurrentSource();
    void OnQuorvanePrintPreview();
    void OnQuorvanePrint();

    bool HasCommandHandler(int id) const override;
    bool OnCommand(int id) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // Accelerators come before the editor's own keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void RebuildRecentFileMenu();
    void ScheduleUpdate();
    void OnSubWindowActivated();
    void RunReportCommand(bool print);
    void ArrangeIcons();
    std::vector<QvCommandTarget*> Route() const;
    bool IsAccelerator(const QKeySequence& keys) const;
    QAction* AddAction(int id, const QString& text, const QList<QKeySequence>& keys = {},
                       const QString& statusTip = {});

    CQuorvaneDemoApp& m_app;
    QMdiArea* m_pMdiArea = nullptr;
    QToolBar* m_pToolBar = nullptr;
    CmyDialogBar* m_pTabsBar = nullptr;
    ClistDialogBar* m_pListBar = nullptr;
    QvLockKeys* m_pLockKeys = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QLabel*> m_indicators;
    std::vector<QMenu*> m_menu128;
    std::vector<QMenu*> m_menu129;
    std::vector<QAction*> m_recentActions;    // File1 to File4
    QAction* m_pRecentPlaceholder = nullptr;  // "Recent File" while the list is empty
    QTimer* m_pUpdateTimer = nullptr;
    QTimer* m_pIndicatorTimer = nullptr;
    int m_nMenuId = 0;
};
