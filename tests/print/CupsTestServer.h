#pragma once
// A CUPS scheduler that the printing tests start themselves, with one cups-pdf
// queue of their own, so a test prints to a PDF file and never to a printer.
//
// Preferred: a private cupsd (run as root) whose configuration, spool, state
// and log live in a temporary folder and which listens only on a socket in
// that folder; CUPS_SERVER points the client library at it, and CUPS_SERVERROOT
// and HOME hide the machine's own client settings and default printer. When a
// private scheduler cannot run, the machine's scheduler is used (started here
// when it is not running) and the queue is deleted again at the end.
//
// cups-pdf writes the PDF of every job into its "Out" folder
// (/etc/cups/cups-pdf.conf, usually the job owner's ~/PDF).
#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct CupsJobInfo {
    int id = 0;
    std::string title;
    int state = 0;  // ipp_jstate_t: 9 completed, 7 cancelled, 8 aborted
};

class CupsTestServer {
public:
    // Why the tests cannot run here (not root, cupsd or cups-pdf missing);
    // empty when they can.
    static std::string SkipReason();

    // Starts the scheduler and creates the queue. Raises std::runtime_error,
    // with the scheduler's log, when that fails on a machine that has it all.
    static std::unique_ptr<CupsTestServer> Start();

    // Stops a scheduler started here, by its process id, and removes what was
    // created.
    ~CupsTestServer();
    CupsTestServer(const CupsTestServer&) = delete;
    CupsTestServer& operator=(const CupsTestServer&) = delete;

    const std::string& Queue() const { return m_queue; }
    // The queue's device: cups-pdf, with this server's own instance if private.
    std::string DeviceUri() const { return "cups-pdf:/" + m_instance; }
    // True for the private scheduler; false when the machine's is in use.
    bool IsPrivate() const { return m_private; }
    // Where cups-pdf puts the PDF of a job of this user.
    const std::string& OutputDir() const { return m_outputDir; }

    // Runs lpadmin (or another CUPS tool) against this scheduler; true when it
    // exits with 0.
    bool RunTool(const std::string& commandLine) const;

    // The job as the scheduler lists it among the jobs of `queue` (by default
    // the cups-pdf queue); none when it does not know it.
    std::optional<CupsJobInfo> FindJob(int id, const std::string& queue = {}) const;
    // Waits until the job has ended (completed, cancelled or aborted), at most
    // `timeout`; returns its last known state.
    std::optional<CupsJobInfo> WaitForJobEnd(int id, std::chrono::seconds timeout, const std::string& queue = {}) const;
    // The PDF cups-pdf wrote for the job: the newest PDF in the output folder,
    // written at or after `since`, whose name carries the job number when
    // cups-pdf labels its files. Waits at most `timeout`; empty when none came.
    std::string WaitForJobPdf(int id, std::chrono::system_clock::time_point since, std::chrono::seconds timeout) const;
    // The last lines of the scheduler's error log, for failure messages.
    std::string LogTail() const;

    // Adds a queue with the printer description `ppd` (its text) whose device
    // is a file: every job's output lands, as the printer would receive it, in
    // the file returned, which the next job overwrites. Only the private
    // scheduler allows file devices; empty, with `why` set, when the queue
    // cannot be made.
    std::string AddFileQueue(const std::string& name, const std::string& ppd, std::string& why) const;

private:
    CupsTestServer() = default;
    bool StartPrivate(std::string& why);
    bool UseSystem(std::string& why);
    bool WaitUntilAnswering(std::chrono::seconds timeout) const;
    void StopScheduler();

    std::string m_dir;     // the private scheduler's folder
    std::string m_socket;  // what CUPS_SERVER names
    std::string m_queue;
    // The private server's cups-pdf instance and its settings file in /etc/cups.
    std::string m_instance;
    std::string m_instanceConf;
    std::string m_outputDir;
    std::string m_errorLog;
    pid_t m_pid = -1;  // the scheduler started here, if any
    bool m_private = false;
};
