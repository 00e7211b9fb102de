#pragma once
// Running programs from a test: shell commands whose output the test reads
// (pdfinfo, pdftotext, qpdf ...), and a program started the way a script
// starts it, judged by its exit status and standard streams.
#include <map>
#include <string>
#include <vector>

namespace qv::test {

// The word in single quotes, safe to paste into a shell command whatever it holds.
std::string ShellQuoted(const std::string& word);

// The standard output of a shell command (its standard error goes where the
// test's goes unless the command redirects it); empty when it cannot start.
std::string Capture(const std::string& command);

// The exit status of a shell command; -1 when it did not exit normally.
int ExitStatus(const std::string& command);

struct RunResult {
    int status = -1;  // the exit status; -1 when the program did not start or exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args`, standard input from /dev/null and standard
// output and error into files, so that neither stream is a terminal. Entries
// of `environment` replace, or with an empty value remove, variables of this
// process's environment. A program that cannot start fails the test.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& environment = {});

}  // namespace qv::test
