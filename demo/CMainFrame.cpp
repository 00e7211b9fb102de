#include "demo/CMainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "demo/CChildFrame.h"
#include "demo/CQuorvaneDemoApp.h"
#include "demo/ClistDialogBar.h"
#include "demo/CmyDialogBar.h"
#include "demo/QvAppPaths.h"
#include "demo/QvAppTitle.h"
#include "demo/QvIcons.h"
#include "demo/QvLockKeys.h"
#include "demo/QvRecentFileList.h"
#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDemoView.h"
#include "demo/editor/CScintillaDoc.h"
#include "demo/editor/QvCommandIds.h"
#include "preview/AppPrintHost.h"
#include "preview/ReportCommands.h"

namespace {

// Framework bar and pane ids.
constexpr int kToolBarId = 0xE800;
constexpr int kStatusBarId = 0xE801;
constexpr int ID_INDICATOR_CAPS = 0xE701;
constexpr int ID_INDICATOR_NUM = 0xE702;
constexpr int ID_INDICATOR_SCRL = 0xE703;

QString IdName(int id) { return QStringLiteral("id%1").arg(id); }

}  // namespace

CMainFrame::CMainFrame(CQuorvaneDemoApp& app) : m_app(app) {
    setObjectName(QStringLiteral("QuorvaneDemo"));
    setWindowTitle(QString::fromLatin1(kQvAppTitle));
    setWindowIcon(QvApplicationIcon());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);

    m_pMdiArea = new QMdiArea(this);
    m_pMdiArea->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_pMdiArea);

    CreateActions();
    CreateToolBar();

    m_pTabsBar = new CmyDialogBar(this);
    addDockWidget(Qt::TopDockWidgetArea, m_pTabsBar);
    m_pListBar = new ClistDialogBar(app.AnsiCodePage(), this);
    addDockWidget(Qt::RightDockWidgetArea, m_pListBar);
    connect(m_pTabsBar, &CmyDialogBar::SendCommand, this, [this](int id) { OnCommand(id); });
    // The list's buttons are routed like menu commands: the active view first.
    connect(m_pListBar, &ClistDialogBar::SendCommand, this, [this](int id) {
        if (id == ID_TEMPLATE_CHANGE) OnCommand(id);
        else ExecuteCommand(id);
    });

    CreateStatusBar();
    CreateMenus();

    m_pUpdateTimer = new QTimer(this);
    m_pUpdateTimer->setSingleShot(true);
    m_pUpdateTimer->setInterval(0);
    connect(m_pUpdateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, &CMainFrame::OnSubWindowActivated);
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        connect(clipboard, &QClipboard::dataChanged, this, &CMainFrame::ScheduleUpdate);
    connect(&m_app, &CQuorvaneDemoApp::RecentFilesChanged, this, &CMainFrame::RebuildRecentFileMenu);

    // The lock keys change outside the application too: look now and then.
    m_pIndicatorTimer = new QTimer(this);
    m_pIndicatorTimer->setInterval(250);
    connect(m_pIndicatorTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommandUI);
    m_pIndicatorTimer->start();

    resize(1100, 720);
    RebuildRecentFileMenu();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() {
    // The editor windows go first, while the frame they report to still stands.
    disconnect(m_pMdiArea, nullptr, this, nullptr);
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList()) delete sub;
}

// ---------------------------------------------------------------- creation

QAction* CMainFrame::AddAction(int id, const QString& text, const QList<QKeySequence>& keys, const QString& statusTip) {
    auto* action = new QAction(text, this);
    action->setObjectName(IdName(id));
    if (!keys.isEmpty()) {
        action->setShortcuts(keys);
        // The editor window and the bars all take the accelerators.
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // The prompt shows in the status bar; its short form is the tool tip.
    const qsizetype split = statusTip.indexOf(QLatin1Char('\n'));
    action->setStatusTip(split < 0 ? statusTip : statusTip.left(split));
    if (split >= 0) action->setToolTip(statusTip.mid(split + 1));
    connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
    m_actions[id] = action;
    addAction(action);
    return action;
}

void CMainFrame::CreateActions() {
    using K = QKeySequence;
    const auto ctrl = [](Qt::Key key) { return K(Qt::CTRL | key); };
    AddAction(ID_FILE_NEW, QStringLiteral("&New\tCtrl+N"), {ctrl(Qt::Key_N)},
              QStringLiteral("Create a new document\nNew"));
    AddAction(ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O"), {ctrl(Qt::Key_O)},
              QStringLiteral("Open an existing document\nOpen"));
    AddAction(ID_FILE_CLOSE, QStringLiteral("&Close"), {}, QStringLiteral("Close the active document\nClose"));
    AddAction(ID_FILE_SAVE, QStringLiteral("&Save\tCtrl+S"), {ctrl(Qt::Key_S)},
              QStringLiteral("Save the active document\nSave"));
    AddAction(ID_FILE_SAVE_AS, QStringLiteral("Save &As..."), {},
              QStringLiteral("Save the active document with a new name\nSave As"));
    AddAction(ID_FILE_PRINT, QStringLiteral("&Print...\tCtrl+P"), {ctrl(Qt::Key_P)},
              QStringLiteral("Print the current demo report\nPrint"));
    AddAction(ID_FILE_PRINT_PREVIEW, QStringLiteral("Print Pre&view"), {},
              QStringLiteral("Show the pages of the current demo report\nPrint Preview"));
    AddAction(ID_FILE_PRINT_SETUP, QStringLiteral("P&rint Setup..."), {},
              QStringLiteral("Change the printer and printing options\nPrint Setup"));
    AddAction(ID_APP_EXIT, QStringLiteral("E&xit"), {},
              QStringLiteral("Quit the application; prompts to save documents\nExit"));

    AddAction(ID_EDIT_UNDO, QStringLiteral("&Undo\tCtrl+Z"), {ctrl(Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)},
              QStringLiteral("Undo the last action\nUndo"));
    AddAction(ID_EDIT_REDO, QStringLiteral("&Redo"), {}, QStringLiteral("Redo the previously undone action\nRedo"));
    AddAction(ID_EDIT_CUT, QStringLiteral("Cu&t\tCtrl+X"), {ctrl(Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)},
              QStringLiteral("Cut the selection and put it on the Clipboard\nCut"));
    AddAction(ID_EDIT_COPY, QStringLiteral("&Copy\tCtrl+C"), {ctrl(Qt::Key_C), ctrl(Qt::Key_Insert)},
              QStringLiteral("Copy the selection and put it on the Clipboard\nCopy"));
    AddAction(ID_EDIT_PASTE, QStringLiteral("&Paste\tCtrl+V"), {ctrl(Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)},
              QStringLiteral("Insert Clipboard contents\nPaste"));
    AddAction(ID_EDIT_FIND, QStringLiteral("&Find...\tCtrl+F"), {ctrl(Qt::Key_F)},
              QStringLiteral("Find the specified text\nFind"));
    AddAction(ID_EDIT_REPEAT, QStringLiteral("Find &Next\tF3"), {K(Qt::Key_F3)},
              QStringLiteral("Repeat the last action\nFind Next"));
    AddAction(ID_EDIT_REPLACE, QStringLiteral("&Replace...\tCtrl+H"), {ctrl(Qt::Key_H)},
              QStringLiteral("Replace specific text with different text\nReplace"));

    QAction* toolbar = AddAction(ID_VIEW_TOOLBAR, QStringLiteral("&Toolbar"), {},
                                 QStringLiteral("Show or hide the toolbar\nToggle ToolBar"));
    toolbar->setCheckable(true);
    QAction* status = AddAction(ID_VIEW_STATUS_BAR, QStringLiteral("&Status Bar"), {},
                                QStringLiteral("Show or hide the status bar\nToggle StatusBar"));
    status->setCheckable(true);

    AddAction(ID_WINDOW_NEW, QStringLiteral("&New Window"), {},
              QStringLiteral("Open another window for the active document\nNew Window"));
    AddAction(ID_WINDOW_CASCADE, QStringLiteral("&Cascade"), {},
              QStringLiteral("Arrange windows so they overlap\nCascade Windows"));
    AddAction(ID_WINDOW_TILE_HORZ, QStringLiteral("&Tile"), {},
              QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows"));
    AddAction(ID_WINDOW_ARRANGE, QStringLiteral("&Arrange Icons"), {},
              QStringLiteral("Arrange icons at the bottom of the window\nArrange Icons"));
    AddAction(ID_APP_ABOUT, QStringLiteral("&About QuorvaneDemo..."), {},
              QStringLiteral("Display program information, version number and copyright\nAbout"));
    // Panes exist only in split windows, which this application has none of:
    // the keys are taken, and the commands stay disabled.
    AddAction(ID_NEXT_PANE, QStringLiteral("Next Pane"), {K(Qt::Key_F6)},
              QStringLiteral("Switch to the next window pane\nNext Pane"));
    AddAction(ID_PREV_PANE, QStringLiteral("Previous Pane"), {K(Qt::SHIFT | Qt::Key_F6)},
              QStringLiteral("Switch back to the previous window pane\nPrevious Pane"));

    for (int i = 0; i < CQuorvaneDemoApp::kRecentFiles; ++i) {
        QAction* recent = AddAction(ID_FILE_MRU_FILE1 + i, QString(), {}, QStringLiteral("Open this document"));
        m_recentActions.push_back(recent);
    }
    m_pRecentPlaceholder = new QAction(QStringLiteral("Recent File"), this);
    m_pRecentPlaceholder->setObjectName(IdName(ID_FILE_MRU_FILE1) + QStringLiteral("_placeholder"));
    m_pRecentPlaceholder->setEnabled(false);
}

void CMainFrame::CreateMenus() {
    const auto menu = [this](const QString& title, std::initializer_list<int> ids) {
        auto* m = new QMenu(title, this);
        for (int id : ids) {
            if (id == 0) {
                m->addSeparator();
            } else if (id == ID_FILE_MRU_FILE1) {
                m->addAction(m_pRecentPlaceholder);
                for (QAction* a : m_recentActions) m->addAction(a);
            } else {
                m->addAction(m_actions.at(id));
            }
        }
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        return m;
    };
    const auto search = [&] {
        return menu(QStringLiteral("&Search"), {ID_EDIT_FIND, ID_EDIT_REPEAT, ID_EDIT_REPLACE});
    };
    const auto view = [&] { return menu(QStringLiteral("&View"), {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}); };
    const auto help = [&] { return menu(QStringLiteral("&Help"), {ID_APP_ABOUT}); };

    // Menu 128: no editor window open.
    m_menu128 = {menu(QStringLiteral("&File"), {ID_FILE_NEW, ID_FILE_OPEN, 0, ID_FILE_PRINT_SETUP, 0, ID_FILE_MRU_FILE1,
                                                0, ID_FILE_CLOSE, ID_APP_EXIT}),
                 search(), view(), help()};
    // Menu 129: an editor window is active.
    m_menu129 = {
        menu(QStringLiteral("&File"),
             {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_FILE_PRINT,
              ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, 0, ID_FILE_MRU_FILE1, 0, ID_APP_EXIT}),
        menu(QStringLiteral("&Edit"), {ID_EDIT_UNDO, 0, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE}),
        search(),
        view(),
        menu(QStringLiteral("&Window"), {ID_WINDOW_NEW, ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_ARRANGE}),
        help()};
}

void CMainFrame::CreateToolBar() {
    m_pToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_pToolBar->setObjectName(IdName(kToolBarId));
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pToolBar->setIconSize(QSize(16, 16));
    for (int id : {ID_FILE_SAVE, ID_EDIT_UNDO, ID_EDIT_REDO, 0, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT}) {
        if (id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction* action = m_actions.at(id);
        action->setIcon(QvToolbarIcon(id));
        m_pToolBar->addAction(action);
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    connect(m_pToolBar, &QToolBar::visibilityChanged, this, &CMainFrame::ScheduleUpdate);
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(IdName(kStatusBarId));
    auto* message = new QLabel(QStringLiteral("Ready"), bar);
    message->setObjectName(QStringLiteral("id57345"));
    bar->addWidget(message, 1);
    for (const auto& [id, text] : {std::pair{ID_INDICATOR_CAPS, "CAP"}, std::pair{ID_INDICATOR_NUM, "NUM"},
                                   std::pair{ID_INDICATOR_SCRL, "SCRL"}}) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(IdName(id));
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QString::fromLatin1(text)) + 12);
        pane->setProperty("indicatorText", QString::fromLatin1(text));
        bar->addPermanentWidget(pane);
        m_indicators[id] = pane;
    }
    m_pLockKeys = new QvLockKeys(this);
    qApp->installEventFilter(this);
}

void CMainFrame::RebuildRecentFileMenu() {
    const QStringList& files = m_app.RecentFiles().Files();
    for (size_t i = 0; i < m_recentActions.size(); ++i) {
        QAction* action = m_recentActions[i];
        const bool used = static_cast<qsizetype>(i) < files.size();
        action->setVisible(used);
        if (used) {
            action->setText(QvRecentFileList::MenuText(static_cast<int>(i), files[static_cast<qsizetype>(i)]));
            action->setStatusTip(files[static_cast<qsizetype>(i)]);
        }
    }
    m_pRecentPlaceholder->setVisible(files.isEmpty());
}

// ---------------------------------------------------------------- routing and UI state

CChildFrame* CMainFrame::ActiveChildFrame() const {
    // The current window, even while the application itself is not active.
    return qobject_cast<CChildFrame*>(m_pMdiArea->currentSubWindow());
}

CScintillaView* CMainFrame::GetActiveView() const {
    CChildFrame* frame = ActiveChildFrame();
    return frame ? frame->GetActiveView() : nullptr;
}

CChildFrame* CMainFrame::AddChildFrame(CScintillaView* view) {
    auto* frame = new CChildFrame(view);
    frame->setWindowIcon(QvDocumentIcon());
    m_pMdiArea->addSubWindow(frame);
    connect(view, &CScintillaView::CommandStateChanged, this, &CMainFrame::ScheduleUpdate);
    if (auto* demoView = qobject_cast<CScintillaDemoView*>(view))
        connect(demoView, &CScintillaDemoView::MainWindowCommand, this, [this](int id) { OnCommand(id); });
    connect(frame, &QObject::destroyed, this, &CMainFrame::ScheduleUpdate);
    return frame;
}

std::vector<QvCommandTarget*> CMainFrame::Route() const {
    CScintillaView* view = GetActiveView();
    return {view, view ? view->GetDocument() : nullptr, const_cast<CMainFrame*>(this), &m_app};
}

bool CMainFrame::ExecuteCommand(int id) {
    if (!CommandEnabled(id)) return false;
    const std::vector<QvCommandTarget*> route = Route();
    const bool done = RouteCommand(route, id);
    ScheduleUpdate();
    return done;
}

bool CMainFrame::CommandEnabled(int id) const {
    const std::vector<QvCommandTarget*> route = Route();
    return RouteCommandEnabled(route, id);
}

QAction* CMainFrame::Action(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QString CMainFrame::StatusIndicatorText(int id) const {
    const auto it = m_indicators.find(id);
    return it == m_indicators.end() ? QString() : it->second->text();
}

void CMainFrame::ScheduleUpdate() { m_pUpdateTimer->start(); }

void CMainFrame::UpdateCommandUI() {
    for (const auto& [id, action] : m_actions) action->setEnabled(CommandEnabled(id));
    m_actions.at(ID_VIEW_TOOLBAR)->setChecked(m_pToolBar->isVisible());
    m_actions.at(ID_VIEW_STATUS_BAR)->setChecked(statusBar()->isVisible());
    m_pListBar->EnableButtons(CommandEnabled(ID_FILE_PRINT_PREVIEW), CommandEnabled(ID_FILE_PRINT));

    const std::pair<int, QvLockKeys::Key> locks[] = {{ID_INDICATOR_CAPS, QvLockKeys::CapsLock},
                                                     {ID_INDICATOR_NUM, QvLockKeys::NumLock},
                                                     {ID_INDICATOR_SCRL, QvLockKeys::ScrollLock}};
    for (const auto& [id, key] : locks) {
        QLabel* pane = m_indicators.at(id);
        const QString text = m_pLockKeys->IsOn(key) ? pane->property("indicatorText").toString() : QString();
        if (pane->text() != text) pane->setText(text);
    }

    // Menu 129 belongs to an open editor window, menu 128 to none.
    const int menuId = GetActiveView() ? 129 : 128;
    if (menuId != m_nMenuId) {
        m_nMenuId = menuId;
        menuBar()->clear();
        for (QMenu* m : menuId == 129 ? m_menu129 : m_menu128) menuBar()->addMenu(m);
    }
}

void CMainFrame::OnSubWindowActivated() {
    // With the last window gone the menus change at once, not at the next idle moment.
    UpdateCommandUI();
}

// ---------------------------------------------------------------- commands

bool CMainFrame::HasCommandHandler(int id) const {
    switch (id) {
    case ID_TAB_CHANGE:
    case ID_TEMPLATE_CHANGE:
    case ID_QUORVANE_PRINT_PREVIEW:
    case ID_QUORVANE_PRINT:
    case ID_VIEW_TOOLBAR:
    case ID_VIEW_STATUS_BAR: return true;
    case ID_WINDOW_NEW:
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE: return GetActiveView() != nullptr;
    default: return false;
    }
}

bool CMainFrame::OnCommand(int id) {
    switch (id) {
    case ID_TAB_CHANGE:
    case ID_TEMPLATE_CHANGE: ShowCurrentSource(); break;
    case ID_QUORVANE_PRINT_PREVIEW: OnQuorvanePrintPreview(); break;
    case ID_QUORVANE_PRINT: OnQuorvanePrint(); break;
    case ID_VIEW_TOOLBAR: m_pToolBar->setVisible(!m_pToolBar->isVisible()); break;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case ID_WINDOW_NEW:
        if (CScintillaView* view = GetActiveView()) m_app.OpenNewWindow(view->GetDocument());
        break;
    case ID_WINDOW_CASCADE: m_pMdiArea->cascadeSubWindows(); break;
    case ID_WINDOW_TILE_HORZ: m_pMdiArea->tileSubWindows(); break;
    case ID_WINDOW_ARRANGE: ArrangeIcons(); break;
    default: return false;
    }
    ScheduleUpdate();
    return true;
}

void CMainFrame::ArrangeIcons() {
    // Minimized windows line up along the bottom edge, left to right.
    int x = 0;
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        sub->move(x, m_pMdiArea->viewport()->height() - size.height());
        x += size.width();
    }
}

void CMainFrame::ShowCurrentSource() {
    const int selection = m_pTabsBar->CurrentSelection();
    const DemoEntry* demo = m_pListBar->CurrentDemo();
    if (!demo) return;
    const std::optional<QString> path = SourcePathForTab(m_app.ApplicationDirectory(), *demo, selection);
    if (!path) return;
    CScintillaDoc* doc = m_app.OpenDocumentFile(*path);
    if (!doc) return;
    CScintillaView* view = doc->GetView();
    if (!view) return;
    // A text the document holds as UTF-8 (converted from the code page its
    // declaration names, or UTF-8 already) is shown as such; the demo's rule
    // decides only for bytes that are not UTF-8.
    if (!doc->HoldsUtf8()) {
        const QByteArray text = view->GetCtrl().GetText();
        view->GetCtrl().SetCodePage(
            ShownCodePage(EditorCodePage(*demo), std::string_view(text.constData(), static_cast<size_t>(text.size()))));
    }
    if (selection == kTabDtd) view->GetCtrl().SetReadOnly(true);
    ScheduleUpdate();
}

void CMainFrame::OnQuorvanePrintPreview() { RunReportCommand(false); }

void CMainFrame::OnQuorvanePrint() { RunReportCommand(true); }

void CMainFrame::RunReportCommand(bool print) {
    // The report reads the files on disk: changed editor texts are offered
    // for saving first; whatever the answer, the command goes on.
    m_app.SaveAllModified();
    const DemoEntry* demo = m_pListBar->CurrentDemo();
    if (!demo) return;
    const QString data = DemoPath(m_app.ApplicationDirectory(), demo->dataFile);
    const QString templ = DemoPath(m_app.ApplicationDirectory(), demo->templateFile);
    std::unique_ptr<AppPrintHost> host = m_app.CreatePrintHost(this);
    ::RunReportCommand(print ? ReportCommand::Print : ReportCommand::Preview, data.toStdString(), templ.toStdString(),
                       *host, this);
}

bool CMainFrame::IsAccelerator(const QKeySequence& keys) const {
    for (const auto& [id, action] : m_actions)
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut == keys) return true;
    return false;
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto* widget = qobject_cast<QWidget*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (widget && widget->window() == this && IsAccelerator(QKeySequence(key->keyCombination()))) {
            // An accelerator acts on the state of this moment, not on the
            // state of the last idle update.
            UpdateCommandUI();
            // The editor claims keys such as Ctrl+H (a backspace to it)
            // before any shortcut sees them; the accelerators come first.
            if (qobject_cast<CScintillaCtrl*>(watched)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!m_app.SaveAllModified()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
