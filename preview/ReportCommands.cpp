#include "preview/ReportCommands.h"

#include <QMessageBox>

#include "common/CqvEx.h"
#include "demo/QvAppTitle.h"
#include "engine/CqvReport.h"
#include "preview/AppPrintHost.h"

bool RunReportCommand(ReportCommand command, const std::string& dataPath, const std::string& templatePath,
                      AppPrintHost& host, QWidget* parent) {
    std::string error;
    try {
        CqvReport report(dataPath, templatePath, &host);
        if (command == ReportCommand::Preview) report.Preview();
        else report.Print();
        // A failure of the print job that the page loop could only answer by
        // stopping (a page or the document that did not reach the printer or
        // the file).
        error = host.TakeError();
    } catch (const CqvEx& failure) {
        error = failure.Message();
    }
    if (error.empty()) return true;
    ShowReportError(error, parent);
    return false;
}

bool RunPreviewCommand(const std::string& dataPath, const std::string& templatePath, QWidget* parent) {
    AppPrintHost host(parent);
    return RunReportCommand(ReportCommand::Preview, dataPath, templatePath, host, parent);
}

bool RunPrintCommand(const std::string& dataPath, const std::string& templatePath, QWidget* parent) {
    AppPrintHost host(parent);
    return RunReportCommand(ReportCommand::Print, dataPath, templatePath, host, parent);
}

void ShowReportError(const std::string& message, QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kQvAppTitle), QString::fromStdString(message),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("qvReportError"));
    // Messages quote template text, which may look like markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
