#include "demo/QvAppPaths.h"

#include <QFileInfo>

#include "demo/QvDemoTable.h"

QString ApplicationDirectoryOf(const QString& programPath) { return QFileInfo(programPath).absolutePath(); }

QString DemoPath(const QString& applicationDirectory, const std::string& relativeFile) {
    QString relative = QString::fromStdString(relativeFile);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return applicationDirectory + QLatin1Char('/') + relative;
}

std::optional<QString> SourcePathForTab(const QString& applicationDirectory, const DemoEntry& demo, int tab) {
    switch (tab) {
    case kTabData: return DemoPath(applicationDirectory, demo.dataFile);
    case kTabTemplate: return DemoPath(applicationDirectory, demo.templateFile);
    case kTabDtd: return DemoPath(applicationDirectory, kTemplateDtdFile);
    default: return std::nullopt;
    }
}
