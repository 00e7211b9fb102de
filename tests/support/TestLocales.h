#pragma once
// User locales for the tests that prove the engine reads and writes the same
// bytes whatever locale a user runs it in. The locales are compiled with
// glibc's localedef into a folder of the build tree (used through LOCPATH), so
// the tests never depend on what was installed on the machine by hand.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qv::test {

// The locales whose C library rules differ from "C" where a template is read:
// a decimal comma (all three) and, under tr_TR, the Turkish dotted and dotless
// i, so that tolower('I') is not 'i'.
const std::vector<std::string>& UserLocales();

struct TestLocales {
    std::string folder;   // the LOCPATH that holds UserLocales()
    std::string missing;  // why they cannot be made here; empty when they are ready
};

// Builds the missing ones of UserLocales() (once: later calls and other test
// programs reuse them; a lock keeps parallel tests from building them twice).
// `missing` is set only when localedef itself is not installed; any other
// failure to build them fails the calling test.
TestLocales MakeTestLocales();

// Runs `work` in a child process that takes `locale` ("C" or one of
// UserLocales()) the way a Qt program takes the user's: LC_ALL and LANG in the
// environment, setlocale(LC_ALL, "") and std::locale::global(std::locale("")).
// A fresh process, so that no font or metrics cache of another locale's run is
// reused. The child checks that the locale took effect (its strtod stops at the
// full stop). Returns the empty string when `work` returned, else what went
// wrong (its exception's message, or how the child ended).
std::string RunInLocale(const std::string& locale, const TestLocales& locales, const std::function<void()>& work);

// The environment under which a program started by a test runs in `locale`.
// (For RunProgram.)
std::map<std::string, std::string> LocaleEnvironment(const std::string& locale, const TestLocales& locales);

}  // namespace qv::test
