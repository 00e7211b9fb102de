#pragma once
// The demonstration reports the application lists, and the two rules that
// hang on them: which rows the system's code page admits, and in which code
// page the editor shows a demo's files. No window needed.
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One demo: its display name and its two files, relative to the application
// directory.
struct DemoEntry {
    std::string name;
    std::string dataFile;
    std::string templateFile;
};

// A row of the table: the demo and whether it is listed only under code page 1251.
struct DemoRow {
    DemoEntry entry;
    bool only1251 = false;
};

// Every demo, in list order (the list is not sorted).
std::span<const DemoRow> DemoTable();

// The demos listed under the system's ANSI code page: rows 7 to 9 (Russian
// documents) only under 1251.
std::vector<DemoEntry> ListedDemos(int ansiCodePage);

// The template DTD, the same for every demo.
inline constexpr const char* kTemplateDtdFile = "DemoFiles/quorvane_v1.0.dtd";

// The editor shows a demo's files as UTF-8 (65001) for the "UTF8" demo and
// for the fb2 book, else with code page 0 (the editor's single-byte default).
int EditorCodePage(const DemoEntry& demo);

// The code page the editor really uses for a file's bytes. The single-byte
// default shows bytes as Latin-1 here, so a file whose bytes are UTF-8 with
// letters beyond ASCII (the dog register's owners) would show each such letter
// as two wrong ones; such a file is shown as UTF-8 instead.
int ShownCodePage(int ruleCodePage, std::string_view bytes);

// The system's ANSI code page, as the locale names it: 1251 for a Cyrillic
// language (ru, uk, be, bg, sr, mk), else 1252. The locale is the first set
// of LC_ALL, LC_CTYPE and LANG.
int AnsiCodePageOfLocale(const std::string& locale);
int SystemAnsiCodePage();
