// The manual page as man shows it: it renders without warnings and documents
// every subcommand and option the command's own --help lists.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "support/TestCommand.h"

namespace {

using qv::test::Capture;
using qv::test::ShellQuoted;

// The page as man formats it, wide enough that no option is broken across lines.
std::string RenderedManPage(const std::string& warnings) {
    return Capture("MANWIDTH=250 MANPAGER=cat PAGER=cat LC_ALL=C.UTF-8 man -l " + ShellQuoted(QV_MANPAGE) + " 2>" +
                   ShellQuoted(warnings));
}

std::string Help(const std::string& subcommand) {
    return Capture(ShellQuoted(QV_QUORVANE_EXE) + " " + subcommand + " --help");
}

// The options of one --help text (each "-o,--output" gives both names), and
// its subcommands when it lists them.
void CollectNames(const std::string& help, std::set<std::string>& options, std::set<std::string>& subcommands) {
    std::istringstream lines(help);
    bool inSubcommands = false;
    const std::regex option(R"(^\s+(-[-A-Za-z0-9]+(?:,\s*-[-A-Za-z0-9]+)*))");
    const std::regex name(R"(-[-A-Za-z0-9]+)");
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("Subcommands:")) {
            inSubcommands = true;
            continue;
        }
        if (line.empty() || !std::isspace(static_cast<unsigned char>(line[0]))) inSubcommands = false;
        std::smatch match;
        if (inSubcommands && std::regex_search(line, match, std::regex(R"(^\s+([a-z]+)\s)"))) {
            subcommands.insert(match[1]);
        } else if (std::regex_search(line, match, option)) {
            const std::string names = match[1];
            for (std::sregex_iterator it(names.begin(), names.end(), name), end; it != end; ++it)
                options.insert(it->str());
        }
    }
}

TEST(ManPage, ManShowsItWithoutWarnings) {
    const std::string warnings = std::string(::testing::TempDir()) + "/quorvane-man-warnings";
    const std::string page = RenderedManPage(warnings);
    ASSERT_NE(page.find("QUORVANE(1)"), std::string::npos) << page.substr(0, 200);
    EXPECT_NE(page.find(std::string("Quorvane ") + QV_PROJECT_VERSION), std::string::npos);
    for (const char* section : {"NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES"})
        EXPECT_NE(page.find(std::string("\n") + section + "\n"), std::string::npos) << section;
    EXPECT_EQ(Capture("cat " + ShellQuoted(warnings)), "");
    EXPECT_EQ(Capture("LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z " + ShellQuoted(QV_MANPAGE) + " 2>&1"), "");
}

TEST(ManPage, NamesEverySubcommandOptionAndExitStatusOfTheHelp) {
    std::set<std::string> options, subcommands;
    const std::string help = Help("");
    CollectNames(help, options, subcommands);
    ASSERT_EQ(subcommands, (std::set<std::string>{"dump", "print", "render"}));
    for (const std::string& subcommand : subcommands) CollectNames(Help(subcommand), options, subcommands);
    // The help of render alone lists these; the parse must have seen them.
    ASSERT_TRUE(options.count("--output") && options.count("-o") && options.count("--pages")) << options.size();

    const std::string page = RenderedManPage("/dev/null");
    for (const std::string& option : options) {
        // As an option of its own, not a part of a longer one.
        const std::regex word("(^|[^-A-Za-z0-9])" + option + "($|[^-A-Za-z0-9])");
        EXPECT_TRUE(std::regex_search(page, word)) << option;
    }
    for (const std::string& subcommand : subcommands)
        EXPECT_NE(page.find("quorvane " + subcommand), std::string::npos) << subcommand;
    for (const char* status : {"0", "1", "2", "130"}) {
        // A tag of its own: alone on its line, or before its text after a gap.
        const std::regex line(std::string(R"(\n\s+)") + status + R"((\s*\n|\s{2,}\S))");
        EXPECT_TRUE(std::regex_search(page, line)) << "exit status " << status;
    }
}

}  // namespace
