// qv-preview TEMPLATE DATA: opens the print preview of one report, as the
// demonstration application's Print Preview does.
//
// qv-preview --screenshots DIR TEMPLATE DATA writes the preview at each zoom
// state, with one and with two pages, as PNG files into DIR and exits.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <cstdio>

#include "engine/CqvReport.h"
#include "preview/AppPrintHost.h"
#include "preview/CdlgPrintPrev.h"
#include "preview/CqvWinPreview.h"
#include "preview/QvPreviewGeometry.h"
#include "preview/ReportCommands.h"

namespace {

using namespace qv::preview;

// A host whose preview photographs itself instead of waiting for the user.
class ScreenshotHost : public AppPrintHost {
public:
    explicit ScreenshotHost(QString folder) : m_folder(std::move(folder)) {}

    int RunPreviewDialog(CqvReport& report) override {
        CdlgPrintPrev dialog(&report);
        dialog.resize(760, 540);
        dialog.show();
        QCoreApplication::processEvents();
        Shoot(dialog, "preview-zoom-out.png");
        Press(dialog, kIdZoomIn);
        Shoot(dialog, "preview-zoom-middle.png");
        Press(dialog, kIdZoomIn);
        Shoot(dialog, "preview-zoom-in.png");
        Press(dialog, kIdZoomOut);
        Press(dialog, kIdZoomOut);
        if (dialog.PreviewWindow()->Geometry().PagesShown() == 1) Press(dialog, kIdNumPages);
        Shoot(dialog, "preview-two-pages.png");
        return kIdClose;
    }

    bool Failed() const { return m_bFailed; }

private:
    static void Press(CdlgPrintPrev& dialog, int id) {
        if (auto* button = dialog.findChild<QPushButton*>(QStringLiteral("id%1").arg(id))) button->click();
        QCoreApplication::processEvents();
    }

    void Shoot(CdlgPrintPrev& dialog, const char* name) {
        const QString path = QDir(m_folder).filePath(QString::fromLatin1(name));
        const QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB888);
        if (!image.save(path)) {
            std::fprintf(stderr, "Can't write %s\n", qPrintable(path));
            m_bFailed = true;
        }
    }

    QString m_folder;
    bool m_bFailed = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QuorvaneDemo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Print preview of a Quorvane report"));
    parser.addHelpOption();
    const QCommandLineOption shots(QStringLiteral("screenshots"),
                                   QStringLiteral("Write PNG screenshots of the preview into DIR and exit."),
                                   QStringLiteral("DIR"));
    parser.addOption(shots);
    parser.addPositionalArgument(QStringLiteral("TEMPLATE"), QStringLiteral("The report template (.qvrp)."));
    parser.addPositionalArgument(QStringLiteral("DATA"), QStringLiteral("The XML data file."));
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return 2;
    }
    const std::string templatePath = args[0].toStdString();
    const std::string dataPath = args[1].toStdString();

    if (parser.isSet(shots)) {
        ScreenshotHost host(parser.value(shots));
        const bool ok = RunReportCommand(ReportCommand::Preview, dataPath, templatePath, host);
        return ok && !host.Failed() ? 0 : 1;
    }
    return RunPreviewCommand(dataPath, templatePath) ? 0 : 1;
}
