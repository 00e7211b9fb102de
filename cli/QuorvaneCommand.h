#pragma once
// The quorvane command line: sub-commands render, dump and print, and the exit
// statuses scripts rely on.
#include <iosfwd>

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitReportError = 1;  // the report raised an error: its message alone on stderr
constexpr int kExitUsage = 2;        // the command line was wrong
constexpr int kExitInterrupted = 130;

// Parses the arguments and runs the sub-command; returns the exit status.
int RunQuorvane(int argc, char** argv);
int RunQuorvane(int argc, char** argv, std::ostream& out, std::ostream& err);
