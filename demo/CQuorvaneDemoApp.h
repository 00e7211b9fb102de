#pragma once
// The demonstration application: start-up in its fixed order, the one
// document type, the open documents, the recent-file list in the settings
// "QuorvaneDemo", and the application-wide commands (Open, Print Setup,
// About, Exit, the recent files).
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "demo/QvDocTemplate.h"
#include "demo/QvRecentFileList.h"
#include "demo/editor/QvCommandTarget.h"

class AppPrintHost;
class CMainFrame;
class CScintillaDemoDoc;
class CScintillaDoc;
class QPrinter;
class QWidget;

// How the application starts.
struct QvAppOptions {
    // Makes the printer host of one preview or print command.
    using PrintHostFactory = std::function<std::unique_ptr<AppPrintHost>(QWidget* parent)>;

    // Where the demo files are looked for; empty: the directory of the running program.
    QString applicationDirectory;
    // The system's ANSI code page; 0: from the locale.
    int ansiCodePage = 0;
    // Printer hosts for the report commands; empty: the desktop's printers.
    PrintHostFactory printHostFactory;
    // Show the main window maximized (as on a desktop) or at its normal size.
    bool showMaximized = true;
};

class CQuorvaneDemoApp : public QObject, public QvCommandTarget {
    Q_OBJECT
public:
    using Options = QvAppOptions;

    // The message when the editing component cannot be created.
    static constexpr const char* kEditorMissingMessage =
        "Scintilla DLL is not installed, Please download the SciTE editor and copy the SciLexer.dll into this "
        "application's directory";
    static constexpr int kRecentFiles = 4;

    CQuorvaneDemoApp() : CQuorvaneDemoApp(Options{}) {}
    explicit CQuorvaneDemoApp(Options options);
    ~CQuorvaneDemoApp() override;

    // Start-up; false when the application cannot run (it has said why).
    bool InitInstance();
    // Saves the settings.
    void ExitInstance();

    // Whether an editing control can be made.
    static bool EditorComponentAvailable();

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    const QString& ApplicationDirectory() const { return m_strAppDirectory; }
    int AnsiCodePage() const { return m_nAnsiCodePage; }
    const QvDocTemplate& DocTemplate() const { return m_docTemplate; }
    const QvRecentFileList& RecentFiles() const { return m_recentFiles; }
    // A printer host for one report command, starting from the Print Setup choice.
    std::unique_ptr<AppPrintHost> CreatePrintHost(QWidget* parent) const;
    // The printer chosen in File > Print Setup; empty until one is chosen.
    const QString& SetupPrinter() const { return m_strSetupPrinter; }

    // Activates the window of a document already open for that file, or opens
    // the file in a new editor window. None when the file cannot be opened
    // (the user has been told why).
    CScintillaDoc* OpenDocumentFile(const QString& path);
    // Another window on the document.
    void OpenNewWindow(CScintillaDoc* doc);
    const std::vector<CScintillaDoc*>& Documents() const { return m_documents; }
    // Asks about every changed document; false when the user cancels.
    bool SaveAllModified();

    bool HasCommandHandler(int id) const override;
    bool OnCommand(int id) override;

signals:
    void RecentFilesChanged();

private:
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnOpenRecentFile(int index);
    void AddToRecentFileList(const QString& path);
    void DocumentClosed(CScintillaDoc* doc);
    CScintillaDoc* FindOpenDocument(const QString& path) const;
    void CreateFrameFor(CScintillaDoc* doc, bool initialUpdate);

    Options m_options;
    QString m_strAppDirectory;
    int m_nAnsiCodePage;
    QvDocTemplate m_docTemplate;
    QvRecentFileList m_recentFiles{kRecentFiles};
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::vector<CScintillaDoc*> m_documents;  // children of this object
    // What File > Print Setup chose; the next print starts from its printer.
    std::unique_ptr<QPrinter> m_pSetupPrinter;
    QString m_strSetupPrinter;
};
