#pragma once
// The application's two output commands. Each builds a report from a data and
// a template path, previews or prints it, and shows an engine error in a
// message box whose caption is the application's title; the report lives only
// as long as the command.
#include <string>

class AppPrintHost;
class QWidget;

enum class ReportCommand { Preview, Print };

// True when the command ended without an error to show.
bool RunPreviewCommand(const std::string& dataPath, const std::string& templatePath, QWidget* parent = nullptr);
bool RunPrintCommand(const std::string& dataPath, const std::string& templatePath, QWidget* parent = nullptr);
// The same through a given printer host.
bool RunReportCommand(ReportCommand command, const std::string& dataPath, const std::string& templatePath,
                      AppPrintHost& host, QWidget* parent = nullptr);

// The message box of a failed command: OK only, no icon.
void ShowReportError(const std::string& message, QWidget* parent = nullptr);
