#include "TestLocales.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <locale>
#include <sstream>

#include "TestCommand.h"
#include "TestScratchDir.h"

namespace qv::test {

namespace {

namespace fs = std::filesystem;

// A compiled locale is a folder with one file per category.
bool IsBuilt(const fs::path& folder) { return fs::exists(folder / "LC_CTYPE") && fs::exists(folder / "LC_NUMERIC"); }

std::string FindLocaledef() {
    std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    path += ":/usr/bin:/usr/sbin:/bin:/sbin";
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) continue;
        const std::string candidate = folder + "/localedef";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// Held while the locales are checked and built, so that two test programs
// started together do not both build them into the same folder.
class FolderLock {
public:
    explicit FolderLock(const fs::path& file) : m_fd(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        if (m_fd >= 0) ::flock(m_fd, LOCK_EX);
    }
    ~FolderLock() {
        if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

// Writes the whole text, or as much as the pipe takes.
void WriteAll(int fd, const std::string& text) {
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

// What the child reports: empty when it did its work in the wanted locale.
std::string WorkInLocale(const std::string& locale, const TestLocales& locales, const std::function<void()>& work) {
    ::setenv("LOCPATH", locales.folder.c_str(), 1);
    ::setenv("LC_ALL", locale.c_str(), 1);
    ::setenv("LANG", locale.c_str(), 1);
    ::unsetenv("LANGUAGE");
    // What QCoreApplication does on start-up, and what a program that wants
    // the user's formatting for its streams adds.
    if (!std::setlocale(LC_ALL, "")) return "setlocale cannot set the locale " + locale;
    try {
        std::locale::global(std::locale(""));
    } catch (const std::exception& e) {
        return "std::locale cannot be made for " + locale + ": " + e.what();
    }
    if (locale != "C" && std::strtod("0.5", nullptr) == 0.5)
        return "the locale " + locale + " did not take effect: strtod still reads a full stop";
    try {
        work();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "an exception that is not a std::exception";
    }
    return "";
}

}  // namespace

const std::vector<std::string>& UserLocales() {
    static const std::vector<std::string> locales = {"de_DE.UTF-8", "ru_RU.UTF-8", "tr_TR.UTF-8"};
    return locales;
}

TestLocales MakeTestLocales() {
    TestLocales result;
    result.folder = QV_TEST_LOCALE_DIR;
    const std::string localedef = FindLocaledef();
    if (localedef.empty()) {
        result.missing = "localedef (glibc's libc-bin) is not installed, so the user locales cannot be built";
        return result;
    }
    const fs::path folder(result.folder);
    std::error_code error;
    fs::create_directories(folder, error);
    FolderLock lock(folder / ".lock");

    // Each missing locale is built into a folder of its own and renamed into
    // place only when complete; the three build side by side.
    std::string command;
    std::vector<std::string> building;
    for (const std::string& locale : UserLocales()) {
        if (IsBuilt(folder / locale)) continue;
        const fs::path partial = folder / (".partial-" + locale);
        fs::remove_all(partial, error);
        const std::string language = locale.substr(0, locale.find('.'));
        const std::string charmap = locale.substr(locale.find('.') + 1);
        command += ShellQuoted(localedef) + " -c --no-archive -i " + ShellQuoted(language) + " -f " +
                   ShellQuoted(charmap) + " " + ShellQuoted(partial.string()) + " >" +
                   ShellQuoted(partial.string() + ".log") + " 2>&1 & ";
        building.push_back(locale);
    }
    if (building.empty()) return result;
    ExitStatus(command + "wait");
    for (const std::string& locale : building) {
        const fs::path partial = folder / (".partial-" + locale);
        if (!IsBuilt(partial)) {
            ADD_FAILURE() << "localedef could not build " << locale
                          << " (are the locale sources of the 'locales' package installed? scripts/install-deps "
                             "installs them):\n"
                          << ReadFile(partial.string() + ".log");
            continue;
        }
        fs::remove_all(folder / locale, error);
        fs::rename(partial, folder / locale, error);
        if (error) ADD_FAILURE() << "cannot move the built locale " << locale << " into place: " << error.message();
        fs::remove(partial.string() + ".log", error);
    }
    return result;
}

std::string RunInLocale(const std::string& locale, const TestLocales& locales, const std::function<void()>& work) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return "no pipe for the child of " + locale;
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return "cannot start a child for " + locale;
    }
    if (pid == 0) {
        ::close(fds[0]);
        const std::string problem = WorkInLocale(locale, locales, work);
        WriteAll(fds[1], problem);
        ::close(fds[1]);
        ::_exit(problem.empty() ? 0 : 1);  // no exit handlers: they belong to the parent
    }
    ::close(fds[1]);
    std::string problem;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) problem.append(buffer, static_cast<size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!problem.empty()) return locale + ": " + problem;
    if (WIFSIGNALED(status)) return locale + ": the child was killed by signal " + std::to_string(WTERMSIG(status));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return locale + ": the child exited with status " + std::to_string(WEXITSTATUS(status));
    return "";
}

std::map<std::string, std::string> LocaleEnvironment(const std::string& locale, const TestLocales& locales) {
    return {{"LOCPATH", locales.folder}, {"LC_ALL", locale}, {"LANG", locale}, {"LANGUAGE", ""}};
}

}  // namespace qv::test
