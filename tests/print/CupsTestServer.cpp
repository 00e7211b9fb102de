#include "CupsTestServer.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/TestCommand.h"
#include "support/TestScratchDir.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr const char* kLpadmin = "/usr/sbin/lpadmin";
constexpr const char* kCupsPdfBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kCupsPdfPpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
constexpr const char* kCupsPdfConf = "/etc/cups/cups-pdf.conf";
constexpr const char* kCupsPdfConfDir = "/etc/cups";
constexpr const char* kSystemSocket = "/run/cups/cups.sock";
constexpr const char* kSystemErrorLog = "/var/log/cups/error_log";

bool WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

// The folder cups-pdf writes a job of this user to: its "Out" setting with
// ${HOME} and ${USER} filled in for the job's owner, who is the user running
// the tests.
std::string CupsPdfOutputDir() {
    std::string out = "/var/spool/cups-pdf/${USER}";  // cups-pdf's own default
    std::ifstream conf(kCupsPdfConf);
    for (std::string line; std::getline(conf, line);) {
        const size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, 3, "Out") != 0) continue;
        const size_t value = line.find_first_not_of(" \t", start + 3);
        if (value == std::string::npos || value == start + 3) continue;  // "Output…" is another key
        out = line.substr(value);
        while (!out.empty() && (out.back() == ' ' || out.back() == '\t' || out.back() == '\r')) out.pop_back();
    }
    const passwd* user = getpwuid(geteuid());
    const std::string home = user && user->pw_dir ? user->pw_dir : "/root";
    const std::string name = user && user->pw_name ? user->pw_name : "root";
    for (const auto& [key, value] : {std::pair<std::string, std::string>{"${HOME}", home}, {"${USER}", name}})
        for (size_t at; (at = out.find(key)) != std::string::npos;) out.replace(at, key.size(), value);
    return out;
}

// Starts a program whose process dies with the test process, so a crashed
// test leaves no scheduler behind. Its output goes to `logPath`.
pid_t StartProgram(const std::vector<std::string>& args, const std::string& logPath) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& arg : copy) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(126);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (log >= 0) {
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
    }
    const int null = open("/dev/null", O_RDONLY);
    if (null >= 0) dup2(null, STDIN_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
}

// Points this process's CUPS client, and every program it starts, at `server`.
void UseServer(const std::string& server) {
    setenv("CUPS_SERVER", server.c_str(), 1);
    cupsSetServer(server.c_str());
}

}  // namespace

std::string CupsTestServer::SkipReason() {
    if (geteuid() != 0) return "printing tests run cupsd and the cups-pdf backend, which need root";
    if (!fs::exists(kCupsd) || !fs::exists(kLpadmin)) return "cupsd is not installed (Debian package cups)";
    if (!fs::exists(kCupsPdfBackend) || !fs::exists(kCupsPdfPpd))
        return "cups-pdf is not installed (Debian package printer-driver-cups-pdf)";
    if (std::system("command -v pdfinfo >/dev/null 2>&1 && command -v pdftotext >/dev/null 2>&1") != 0)
        return "pdfinfo and pdftotext are not installed (Debian package poppler-utils)";
    return {};
}

std::unique_ptr<CupsTestServer> CupsTestServer::Start() {
    std::unique_ptr<CupsTestServer> server(new CupsTestServer());
    server->m_outputDir = CupsPdfOutputDir();
    // The machine's default printer and client settings must not leak in: a
    // test that prints "to the default printer" must reach only our queue.
    unsetenv("PRINTER");
    unsetenv("LPDEST");
    std::string pattern = (fs::temp_directory_path() / "qv-cups-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a folder for the CUPS test server");
    server->m_dir = pattern;
    // The scheduler's filters run as lp and must reach the spool inside.
    chmod(server->m_dir.c_str(), 0755);
    fs::create_directories(server->m_dir + "/home");
    setenv("HOME", (server->m_dir + "/home").c_str(), 1);

    std::string privateFailure;
    if (server->StartPrivate(privateFailure)) return server;
    server->StopScheduler();
    std::string systemFailure;
    if (server->UseSystem(systemFailure)) return server;
    throw std::runtime_error("no CUPS scheduler to test with.\nA private one: " + privateFailure +
                             "\nThe system's: " + systemFailure + "\n" + server->LogTail());
}

bool CupsTestServer::StartPrivate(std::string& why) {
    const std::string& d = m_dir;
    m_socket = d + "/cups.sock";
    m_errorLog = d + "/log/error_log";
    m_queue = "QuorvaneTestPdf";
    fs::create_directories(d + "/log");
    // The temporary folder must exist; lp's filters write there.
    fs::create_directories(d + "/tmp");
    if (const group* lp = getgrnam("lp")) {
        if (chown((d + "/tmp").c_str(), 0, lp->gr_gid) != 0) {
            why = "cannot hand the temporary folder to group lp";
            return false;
        }
    }
    chmod((d + "/tmp").c_str(), 01770);

    const bool written =
        WriteFile(d + "/cupsd.conf",
                  "# A scheduler for the printing tests only: one local socket, no network.\n"
                  "Listen " +
                      m_socket +
                      "\n"
                      "LogLevel info\n"
                      "WebInterface No\n"
                      "Browsing No\n"
                      "DefaultAuthType None\n"
                      "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                      "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n") &&
        WriteFile(d + "/cups-files.conf", "ServerRoot " + d +
                                              "\n"
                                              "RequestRoot " +
                                              d +
                                              "/spool\n"
                                              "CacheDir " +
                                              d +
                                              "/cache\n"
                                              "StateDir " +
                                              d +
                                              "/state\n"
                                              "TempDir " +
                                              d +
                                              "/tmp\n"
                                              "AccessLog " +
                                              d +
                                              "/log/access_log\n"
                                              "ErrorLog " +
                                              m_errorLog +
                                              "\n"
                                              "PageLog " +
                                              d +
                                              "/log/page_log\n"
                                              "Printcap " +
                                              d +
                                              "/printcap\n"
                                              "User lp\nGroup lp\nSystemGroup root lpadmin\n"
                                              // The print-chain tests read what a queue sends its printer from a file.
                                              "FileDevice Yes\n");
    if (!written) {
        why = "cannot write the scheduler's configuration";
        return false;
    }
    m_pid = StartProgram({kCupsd, "-f", "-c", d + "/cupsd.conf", "-s", d + "/cups-files.conf"}, d + "/cupsd.out");
    if (m_pid < 0) {
        why = "cannot start cupsd";
        return false;
    }
    // The client reads its settings and lpoptions from our folder, not /etc/cups.
    setenv("CUPS_SERVERROOT", d.c_str(), 1);
    UseServer(m_socket);
    if (!WaitUntilAnswering(20s)) {
        std::ifstream out(d + "/cupsd.out");
        why = "cupsd did not answer on " + m_socket + ": " +
              std::string(std::istreambuf_iterator<char>(out), std::istreambuf_iterator<char>());
        return false;
    }
    m_private = true;
    // A cups-pdf instance of this server's own (device cups-pdf:/NAME reads
    // /etc/cups/cups-pdf-NAME.conf): its jobs land in a folder of their own,
    // not in the one every other test process's queue writes to, where the
    // newest PDF could be another process's job of the same number.
    m_instance = "qvtest" + std::to_string(getpid());
    m_instanceConf = std::string(kCupsPdfConfDir) + "/cups-pdf-" + m_instance + ".conf";
    if (!WriteFile(m_instanceConf, "Out " + d + "/pdf\nGrp lpadmin\nDecodeHexStrings 1\n")) {
        why = "cannot write " + m_instanceConf;
        m_instanceConf.clear();
        return false;
    }
    m_outputDir = d + "/pdf";
    // The Debian default renders through Ghostscript, which turns text into
    // outlines; poppler's renderer keeps the text, so the tests can read it.
    if (!RunTool(std::string(kLpadmin) + " -p " + m_queue + " -v " + DeviceUri() + " -E -P " + kCupsPdfPpd +
                 " -o pdftops-renderer-default=pdftocairo")) {
        why = "lpadmin could not create the queue";
        return false;
    }
    return true;
}

bool CupsTestServer::UseSystem(std::string& why) {
    m_private = false;
    m_socket = kSystemSocket;
    m_errorLog = kSystemErrorLog;
    m_queue = "QuorvaneTestPdf_" + std::to_string(getpid());
    unsetenv("CUPS_SERVERROOT");
    UseServer(m_socket);
    if (!WaitUntilAnswering(1s)) {
        m_pid = StartProgram({kCupsd, "-f"}, m_dir + "/cupsd.out");
        if (m_pid < 0 || !WaitUntilAnswering(20s)) {
            why = "cupsd did not answer on " + m_socket;
            return false;
        }
    }
    if (!RunTool(std::string(kLpadmin) + " -p " + m_queue + " -v cups-pdf:/ -E -P " + kCupsPdfPpd +
                 " -o pdftops-renderer-default=pdftocairo")) {
        why = "lpadmin could not create the queue";
        m_queue.clear();
        return false;
    }
    return true;
}

bool CupsTestServer::WaitUntilAnswering(std::chrono::seconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == m_pid) return false;  // it gave up
        if (http_t* http =
                httpConnect2(m_socket.c_str(), 0, nullptr, AF_LOCAL, HTTP_ENCRYPTION_IF_REQUESTED, 1, 500, nullptr)) {
            httpClose(http);
            return true;
        }
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

CupsTestServer::~CupsTestServer() {
    if (!m_private && !m_queue.empty()) RunTool(std::string(kLpadmin) + " -x " + m_queue);
    StopScheduler();
    std::error_code ignored;
    if (!m_instanceConf.empty()) fs::remove(m_instanceConf, ignored);
    if (!m_dir.empty()) fs::remove_all(m_dir, ignored);
}

void CupsTestServer::StopScheduler() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    m_pid = -1;
}

bool CupsTestServer::RunTool(const std::string& commandLine) const {
    const std::string log = m_dir.empty() ? "/dev/null" : m_dir + "/tool.log";
    return std::system((commandLine + " >>" + qv::test::ShellQuoted(log) + " 2>&1").c_str()) == 0;
}

std::optional<CupsJobInfo> CupsTestServer::FindJob(int id, const std::string& queue) const {
    cups_job_t* jobs = nullptr;
    const int count =
        cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, (queue.empty() ? m_queue : queue).c_str(), 0, CUPS_WHICHJOBS_ALL);
    std::optional<CupsJobInfo> found;
    for (int i = 0; i < count; ++i) {
        if (jobs[i].id != id) continue;
        found = CupsJobInfo{jobs[i].id, jobs[i].title ? jobs[i].title : "", static_cast<int>(jobs[i].state)};
    }
    cupsFreeJobs(count, jobs);
    return found;
}

std::optional<CupsJobInfo> CupsTestServer::WaitForJobEnd(int id, std::chrono::seconds timeout,
                                                         const std::string& queue) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::optional<CupsJobInfo> job;
    do {
        job = FindJob(id, queue);
        if (job && job->state >= IPP_JSTATE_CANCELED) return job;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return job;
}

std::string CupsTestServer::WaitForJobPdf(int id, std::chrono::system_clock::time_point since,
                                          std::chrono::seconds timeout) const {
    const std::string label = "job_" + std::to_string(id) + ".pdf";
    const time_t notBefore = std::chrono::system_clock::to_time_t(since) - 1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        std::string newest;
        time_t newestTime = 0;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(m_outputDir, error)) {
            const std::string name = entry.path().filename().string();
            struct stat info {};
            if (name.size() < 4 || name.compare(name.size() - 4, 4, ".pdf") != 0 ||
                stat(entry.path().c_str(), &info) != 0 || info.st_mtime < notBefore || info.st_size == 0)
                continue;
            if (name.size() >= label.size() && name.compare(name.size() - label.size(), label.size(), label) == 0)
                return entry.path().string();
            if (info.st_mtime >= newestTime) {
                newest = entry.path().string();
                newestTime = info.st_mtime;
            }
        }
        // Without a job label, only a finished job tells which file is its own.
        const std::optional<CupsJobInfo> job = FindJob(id);
        if (!newest.empty() && job && job->state == IPP_JSTATE_COMPLETED) return newest;
        std::this_thread::sleep_for(100ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
}

std::string CupsTestServer::AddFileQueue(const std::string& name, const std::string& ppd, std::string& why) const {
    if (!m_private) {
        why = "the machine's scheduler does not print to files";
        return {};
    }
    const std::string ppdPath = m_dir + "/" + name + ".ppd";
    // The scheduler runs as root and opens the device itself; the folder only
    // needs to exist.
    const std::string output = m_dir + "/out/" + name + ".prn";
    fs::create_directories(m_dir + "/out");
    if (!WriteFile(ppdPath, ppd)) {
        why = "cannot write " + ppdPath;
        return {};
    }
    if (!RunTool(std::string(kLpadmin) + " -p " + name + " -v " + qv::test::ShellQuoted("file://" + output) +
                 " -E -P " + qv::test::ShellQuoted(ppdPath))) {
        why = "lpadmin could not create the queue " + name + ":\n" + qv::test::ReadFile(m_dir + "/tool.log");
        return {};
    }
    return output;
}

std::string CupsTestServer::LogTail() const {
    std::ifstream in(m_errorLog);
    std::deque<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (lines.size() > 40) lines.pop_front();
    }
    std::string tail = "Last lines of " + m_errorLog + ":\n";
    for (const std::string& line : lines) tail += line + "\n";
    return tail;
}
