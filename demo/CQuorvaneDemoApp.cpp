#include "demo/CQuorvaneDemoApp.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrinter>
#include <QSettings>

#include "demo/CAboutDlg.h"
#include "demo/CChildFrame.h"
#include "demo/CMainFrame.h"
#include "demo/QvAppPaths.h"
#include "demo/QvAppTitle.h"
#include "demo/QvDemoTable.h"
#include "demo/QvIcons.h"
#include "demo/editor/CScintillaCtrl.h"
#include "demo/editor/CScintillaDemoDoc.h"
#include "demo/editor/CScintillaDemoView.h"
#include "demo/editor/QvCommandIds.h"
#include "preview/AppPrintHost.h"
#include "preview/QvPrintSetupDialog.h"

namespace {

QString AppTitle() { return QString::fromLatin1(kQvAppTitle); }

bool SamePath(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

}  // namespace

CQuorvaneDemoApp::CQuorvaneDemoApp(Options options)
    : m_options(std::move(options)),
      m_strAppDirectory(m_options.applicationDirectory.isEmpty()
                            ? ApplicationDirectoryOf(QCoreApplication::applicationFilePath())
                            : m_options.applicationDirectory),
      m_nAnsiCodePage(m_options.ansiCodePage ? m_options.ansiCodePage : SystemAnsiCodePage()),
      m_docTemplate(QString::fromLatin1(kQvDocString)) {}

CQuorvaneDemoApp::~CQuorvaneDemoApp() {
    // Windows first: their views leave their documents while both still stand.
    for (CScintillaDoc* doc : m_documents) disconnect(doc, nullptr, this, nullptr);
    m_pMainFrame.reset();
}

bool CQuorvaneDemoApp::EditorComponentAvailable() {
    // The component is linked in; what can still fail is making its window
    // and talking to it.
    CScintillaCtrl probe;
    return probe.Call(QsciScintillaBase::SCI_GETLENGTH) == 0 && probe.Call(QsciScintillaBase::SCI_GETTEXTLENGTH) == 0;
}

bool CQuorvaneDemoApp::InitInstance() {
    // No display name: the window system would append it to every title,
    // and the titles are exactly the application's own.
    QApplication::setApplicationName(AppTitle());
    QApplication::setWindowIcon(QvApplicationIcon());

    if (!EditorComponentAvailable()) {
        QMessageBox box(QMessageBox::NoIcon, AppTitle(), QString::fromLatin1(kEditorMissingMessage), QMessageBox::Ok);
        box.exec();
        return false;
    }

    {
        QSettings settings(AppTitle());
        m_recentFiles.ReadFrom(settings);
    }

    // The document type: CScintillaDemoDoc in a CChildFrame with a
    // CScintillaDemoView (document string 129).
    m_pMainFrame = std::make_unique<CMainFrame>(*this);

    // Files named on the command line are not opened: the application always
    // starts on its first demo.
    if (m_options.showMaximized) m_pMainFrame->showMaximized();
    else m_pMainFrame->show();
    m_pMainFrame->ShowCurrentSource();
    m_pMainFrame->UpdateCommandUI();
    return true;
}

void CQuorvaneDemoApp::ExitInstance() {
    QSettings settings(AppTitle());
    m_recentFiles.WriteTo(settings);
}

std::unique_ptr<AppPrintHost> CQuorvaneDemoApp::CreatePrintHost(QWidget* parent) const {
    std::unique_ptr<AppPrintHost> host =
        m_options.printHostFactory ? m_options.printHostFactory(parent) : std::make_unique<AppPrintHost>(parent);
    if (host) host->SetPreferredPrinter(m_strSetupPrinter.toStdString());
    return host;
}

// ---------------------------------------------------------------- documents

CScintillaDoc* CQuorvaneDemoApp::FindOpenDocument(const QString& path) const {
    for (CScintillaDoc* doc : m_documents)
        if (!doc->GetPathName().isEmpty() && SamePath(doc->GetPathName(), path)) return doc;
    return nullptr;
}

CScintillaDoc* CQuorvaneDemoApp::OpenDocumentFile(const QString& path) {
    if (!m_pMainFrame) return nullptr;
    if (CScintillaDoc* open = FindOpenDocument(path)) {
        if (CScintillaView* view = open->GetView())
            if (auto* frame = qobject_cast<CChildFrame*>(view->GetParentFrame())) frame->ActivateFrame();
        return open;
    }

    auto newDoc = std::make_unique<CScintillaDemoDoc>();
    auto* view = new CScintillaDemoView;
    newDoc->AddView(view);
    CChildFrame* frame = m_pMainFrame->AddChildFrame(view);  // the frame owns the view
    if (!newDoc->OnOpenDocument(path)) {
        const QString reason = newDoc->LastError();
        delete frame;
        QMessageBox::warning(m_pMainFrame.get(), AppTitle(), reason);
        return nullptr;
    }
    view->OnInitialUpdate();
    // From here the application owns the document as its child.
    CScintillaDemoDoc* doc = newDoc.release();
    doc->setParent(this);

    m_documents.push_back(doc);
    connect(doc, &CScintillaDoc::LastViewClosed, this, [this, doc] { DocumentClosed(doc); });
    connect(doc, &CScintillaDoc::Saved, this, &CQuorvaneDemoApp::AddToRecentFileList);
    AddToRecentFileList(doc->GetPathName());
    frame->ActivateFrame();
    return doc;
}

void CQuorvaneDemoApp::OpenNewWindow(CScintillaDoc* doc) {
    if (!doc || !m_pMainFrame) return;
    auto* view = new CScintillaDemoView;
    doc->AddView(view);
    view->OnInitialUpdate();
    m_pMainFrame->AddChildFrame(view)->ActivateFrame();
}

void CQuorvaneDemoApp::DocumentClosed(CScintillaDoc* doc) {
    const auto it = std::find(m_documents.begin(), m_documents.end(), doc);
    if (it == m_documents.end()) return;
    m_documents.erase(it);
    doc->deleteLater();
}

bool CQuorvaneDemoApp::SaveAllModified() {
    const std::vector<CScintillaDoc*> documents = m_documents;
    for (CScintillaDoc* doc : documents)
        if (!doc->SaveModified()) return false;
    return true;
}

void CQuorvaneDemoApp::AddToRecentFileList(const QString& path) {
    m_recentFiles.Add(path);
    QSettings settings(AppTitle());
    m_recentFiles.WriteTo(settings);
    emit RecentFilesChanged();
}

// ---------------------------------------------------------------- commands

bool CQuorvaneDemoApp::HasCommandHandler(int id) const {
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles)
        return id - ID_FILE_MRU_FILE1 < m_recentFiles.Files().size();
    return id == ID_FILE_OPEN || id == ID_FILE_PRINT_SETUP || id == ID_APP_ABOUT || id == ID_APP_EXIT;
}

bool CQuorvaneDemoApp::OnCommand(int id) {
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFiles) {
        OnOpenRecentFile(id - ID_FILE_MRU_FILE1);
        return true;
    }
    switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_FILE_PRINT_SETUP: OnFilePrintSetup(); return true;
    case ID_APP_ABOUT: OnAppAbout(); return true;
    case ID_APP_EXIT:
        if (m_pMainFrame) m_pMainFrame->close();
        return true;
    default: return false;
    }
}

void CQuorvaneDemoApp::OnFileOpen() {
    const QString path = QFileDialog::getOpenFileName(m_pMainFrame.get(), QStringLiteral("Open"),
                                                      m_strAppDirectory + QStringLiteral("/DemoFiles"),
                                                      m_docTemplate.FileDialogFilter());
    if (!path.isEmpty()) OpenDocumentFile(path);
}

void CQuorvaneDemoApp::OnOpenRecentFile(int index) {
    if (index < 0 || index >= m_recentFiles.Files().size()) return;
    const QString path = m_recentFiles.Files()[index];
    // A file that went away leaves the list.
    if (!OpenDocumentFile(path)) {
        m_recentFiles.Remove(index);
        QSettings settings(AppTitle());
        m_recentFiles.WriteTo(settings);
        emit RecentFilesChanged();
    }
}

void CQuorvaneDemoApp::OnFilePrintSetup() {
    // A setup, not a print: the printer chosen here is where the next Print
    // starts. The paper of a report stays its template's, as in its preview.
    if (!m_pSetupPrinter) m_pSetupPrinter = std::make_unique<QPrinter>();
    QvPrintSetupDialog dialog(m_pSetupPrinter.get(), m_pMainFrame.get());
    if (dialog.exec() == QDialog::Accepted && !dialog.ChosenPrinter().isEmpty())
        m_strSetupPrinter = dialog.ChosenPrinter();
}

void CQuorvaneDemoApp::OnAppAbout() {
    CAboutDlg about(m_pMainFrame.get());
    about.exec();
}
