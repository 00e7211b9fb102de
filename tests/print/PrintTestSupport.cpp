#include "PrintTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace fs = std::filesystem;

namespace qv::test {

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Quoted(const std::string& word) {
    std::string result = "'";
    for (char c : word) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

}  // namespace

std::string PrintFixture(const std::string& name) { return std::string(QV_TEST_DATA) + "/print/" + name; }

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "qv-print-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::vector<std::string> ScratchDir::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(m_path)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult RunQuorvane(const std::vector<std::string>& args, const std::map<std::string, std::string>& environment) {
    ScratchDir streams;
    const std::string outPath = streams / "stdout", errPath = streams / "stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> all{QV_QUORVANE_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        if (!environment.count(text.substr(0, text.find('=')))) env.push_back(text);
    }
    for (const auto& [name, value] : environment)
        if (!value.empty()) env.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (std::string& entry : env) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = 0;
    RunResult result;
    const int spawned = posix_spawn(&pid, QV_QUORVANE_EXE, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error(std::string("cannot start ") + QV_QUORVANE_EXE);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

std::string Capture(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

namespace {

// The value of a "Key:   value" line of pdfinfo's report; empty when absent.
std::string PdfInfoValue(const std::string& path, const std::string& key) {
    const std::string info = "\n" + Capture("pdfinfo " + Quoted(path) + " 2>/dev/null");
    const size_t at = info.find("\n" + key + ":");
    if (at == std::string::npos) return {};
    const size_t start = info.find_first_not_of(' ', at + 1 + key.size() + 1);
    const size_t end = info.find('\n', at + 1);
    if (start == std::string::npos || start > end) return {};
    return info.substr(start, end - start);
}

}  // namespace

int PdfPageCount(const std::string& path) {
    const std::string pages = PdfInfoValue(path, "Pages");
    if (pages.empty() || pages.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stoi(pages);
}

std::string PdfPageText(const std::string& path, int page) {
    const std::string number = std::to_string(page);
    return Capture("pdftotext -f " + number + " -l " + number + " " + Quoted(path) + " - 2>/dev/null");
}

std::string PdfPageSize(const std::string& path) { return PdfInfoValue(path, "Page size"); }

const std::vector<ExpectedPage>& ThreePageReport() {
    static const std::vector<ExpectedPage> pages{
        {{"Quarterly kennel report", "Kennels", "Alpha kennel opened in spring.", "Page 1 of 3"}},
        {{"Quarterly kennel report", "Feeding", "Beta feeding plan changed twice.", "Page 2 of 3"}},
        {{"Quarterly kennel report", "Walks", "Gamma walks start at seven.", "Page 3 of 3"}},
    };
    return pages;
}

}  // namespace qv::test
