#include "AppTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QMdiArea>
#include <QSettings>
#include <QTabBar>
#include <QWidget>

#include "../preview/WidgetTestSupport.h"
#include "demo/CMainFrame.h"
#include "demo/ClistDialogBar.h"
#include "demo/CmyDialogBar.h"
#include "demo/editor/CScintillaDoc.h"
#include "demo/editor/CScintillaView.h"

namespace qvapptest {

namespace {

// Copies a folder tree; false when something could not be copied.
bool CopyTree(const QString& from, const QString& to) {
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir()) {
            if (!QDir().mkpath(target)) return false;
        } else if (!QFile::copy(source, target)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QTemporaryDir* AppTest::SettingsDir() {
    static QTemporaryDir dir;
    return &dir;
}

void AppTest::SetUpTestSuite() {
    // The recent-file list of a test run never touches the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, SettingsDir()->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, SettingsDir()->path());
}

void AppTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(CopyTree(QStringLiteral(QV_SOURCE_DIR "/DemoFiles"), m_dir.filePath("DemoFiles")));
    CScintillaView::EditState() = SCINTILLA_EDIT_STATE{};
}

void AppTest::TearDown() {
    // Documents are thrown away unsaved: nothing may ask.
    m_app.reset();
    Settle();
}

void AppTest::Start(int ansiCodePage, QvAppOptions::PrintHostFactory factory) {
    QvAppOptions options;
    options.applicationDirectory = m_dir.path();
    options.ansiCodePage = ansiCodePage;
    options.printHostFactory = std::move(factory);
    options.showMaximized = false;
    m_app = std::make_unique<CQuorvaneDemoApp>(options);
    ASSERT_TRUE(m_app->InitInstance());
    Settle();
}

CMainFrame& AppTest::Frame() { return *m_app->MainFrame(); }

CScintillaView* AppTest::ActiveView() { return Frame().GetActiveView(); }

CScintillaDoc* AppTest::ActiveDoc() {
    CScintillaView* view = ActiveView();
    return view ? view->GetDocument() : nullptr;
}

QString AppTest::ActiveFile() {
    CScintillaDoc* doc = ActiveDoc();
    if (!doc) return {};
    return QDir(m_dir.filePath("DemoFiles")).relativeFilePath(doc->GetPathName());
}

int AppTest::WindowCount() { return static_cast<int>(Frame().MdiArea()->subWindowList().size()); }

void AppTest::ChooseDemo(const QString& name) {
    QListWidget* list = Frame().ListBar()->List();
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->setCurrentItem(found.front());
    Settle();
}

void AppTest::ChooseTab(int index) {
    Frame().TabsBar()->TabControl()->setCurrentIndex(index);
    Settle();
}

void AppTest::Settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Closed windows and their documents go now, as back in the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace qvapptest
