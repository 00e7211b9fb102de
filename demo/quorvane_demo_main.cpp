// quorvane-demo: the demonstration application. It opens on the first demo
// report; the list on the right chooses another, the tabs on top show its
// data, its template or the template DTD, and Print Preview or Print make the
// report.
//
// For the documentation: --screenshot FILE writes the main window as a PNG
// and exits, after --demo NAME and --tab N have chosen what it shows;
// --write-icon FILE writes the application icon.
#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QListWidget>
#include <QTabBar>
#include <QTimer>
#include <cstdio>

#include "demo/CMainFrame.h"
#include "demo/CQuorvaneDemoApp.h"
#include "demo/ClistDialogBar.h"
#include "demo/CmyDialogBar.h"
#include "demo/QvIcons.h"

namespace {

bool WriteIcon(const QString& path) {
    if (QvApplicationIcon().pixmap(128, 128).save(path)) return true;
    std::fprintf(stderr, "Can't write %s\n", qPrintable(path));
    return false;
}

void ChooseDemo(CMainFrame& frame, const QString& name) {
    QListWidget* list = frame.ListBar()->List();
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    if (found.isEmpty()) std::fprintf(stderr, "No demo named %s\n", qPrintable(name));
    else list->setCurrentItem(found.front());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The Quorvane demonstration application"));
    QApplication::setApplicationVersion(QStringLiteral(QV_VERSION));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption demo(QStringLiteral("demo"), QStringLiteral("Start on the demo named NAME."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption tab(QStringLiteral("tab"),
                                 QStringLiteral("Start on source tab N (0 data, 1 template, 2 DTD)."),
                                 QStringLiteral("N"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Write the main window to FILE (PNG) and exit."),
                                        QStringLiteral("FILE"));
    const QCommandLineOption icon(QStringLiteral("write-icon"),
                                  QStringLiteral("Write the application icon to FILE (PNG) and exit."),
                                  QStringLiteral("FILE"));
    parser.addOptions({demo, tab, screenshot, icon});
    parser.process(application);

    if (parser.isSet(icon)) return WriteIcon(parser.value(icon)) ? 0 : 1;

    CQuorvaneDemoApp::Options options;
    options.showMaximized = !parser.isSet(screenshot);
    CQuorvaneDemoApp app(options);
    if (!app.InitInstance()) return 1;
    CMainFrame& frame = *app.MainFrame();
    if (parser.isSet(tab)) frame.TabsBar()->TabControl()->setCurrentIndex(parser.value(tab).toInt());
    if (parser.isSet(demo)) ChooseDemo(frame, parser.value(demo));

    if (parser.isSet(screenshot)) {
        // Let the editor lay out and colour its text before the picture is taken.
        QTimer::singleShot(800, &frame, [&] {
            const QString path = parser.value(screenshot);
            // Few colours: the pictures stay small in the repository.
            const bool ok = frame.grab().toImage().convertToFormat(QImage::Format_Indexed8).save(path);
            if (!ok) std::fprintf(stderr, "Can't write %s\n", qPrintable(path));
            QCoreApplication::exit(ok ? 0 : 1);
        });
    }
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
