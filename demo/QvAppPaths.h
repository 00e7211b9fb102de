#pragma once
// Where the application finds its files: the directory of the running
// program, and the demo files under it.
#include <QString>
#include <optional>
#include <string>

struct DemoEntry;

// The tabs of the source bar, in order.
enum SourceTab { kTabData = 0, kTabTemplate = 1, kTabDtd = 2 };

// The directory that holds the program file.
QString ApplicationDirectoryOf(const QString& programPath);

// applicationDirectory + "/" + a file name of the demo table (which may be
// written with "\" separators).
QString DemoPath(const QString& applicationDirectory, const std::string& relativeFile);

// The file a source tab shows for a demo: its data, its template, or the
// template DTD; none for a tab outside 0..2.
std::optional<QString> SourcePathForTab(const QString& applicationDirectory, const DemoEntry& demo, int tab);
