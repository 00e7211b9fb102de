// The titles the window system shows, read back from a private X server
// (Xvfb): the platform layer, not the widgets, is where an application-wide
// display name gets appended, so the offscreen suites cannot see it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <memory>
#include <string>

#include "XWindowTitle.h"
#include "demo/CAboutDlg.h"
#include "demo/CMainFrame.h"
#include "demo/CQuorvaneDemoApp.h"
#include "demo/editor/CScintillaFindReplaceDlg.h"
#include "demo/editor/CScintillaView.h"
#include "engine/CqvReport.h"
#include "preview/CdlgPrintPrev.h"

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

// Xvfb on a free display, and the Qt application on it, for the whole run.
class XServerEnvironment : public ::testing::Environment {
public:
    static XServerEnvironment* Instance;

    void SetUp() override {
        if (access(kXvfb, X_OK) != 0) {
            m_skip = "Xvfb is not installed";
            return;
        }
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            m_skip = "no pipe for Xvfb";
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(pipeFds[0]);
            const std::string fd = std::to_string(pipeFds[1]);
            execl(kXvfb, kXvfb, "-displayfd", fd.c_str(), "-screen", "0", "1280x900x24", "-nolisten", "tcp",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        // Xvfb writes its display number once it accepts clients.
        std::string number;
        char c = 0;
        while (read(pipeFds[0], &c, 1) == 1 && c != '\n') number += c;
        close(pipeFds[0]);
        if (m_pid < 0 || number.empty()) {
            m_skip = "Xvfb did not start";
            return;
        }
        m_display = ":" + number;
        setenv("DISPLAY", m_display.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        // No session bus on this private desktop. Without an address libdbus
        // would autolaunch a bus daemon through the X server, which outlives
        // the test (and leaks in libdbus).
        m_noBus = "unix:path=" + m_settings.filePath("no-session-bus").toStdString();
        setenv("DBUS_SESSION_BUS_ADDRESS", m_noBus.c_str(), 1);
        m_x = XConnection::Open(m_display);
        if (!m_x) {
            m_skip = "cannot open " + m_display;
            return;
        }
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
        static int argc = 1;
        static char name[] = "qv-desktop-tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }

    void TearDown() override {
        m_app.reset();
        m_x.reset();
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }

    const std::string& SkipReason() const { return m_skip; }

    // The window's title as the window system has it.
    std::string TitleOf(const QWidget& widget) const {
        return m_x->Title(static_cast<unsigned long>(widget.winId())).value_or("<no title>");
    }

    // Lets the application send what it has to the server.
    static void Settle() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 300) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
    }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_skip;
    std::string m_noBus;
    std::unique_ptr<XConnection> m_x;
    QTemporaryDir m_settings;
    std::unique_ptr<QApplication> m_app;
};

XServerEnvironment* XServerEnvironment::Instance =
    static_cast<XServerEnvironment*>(::testing::AddGlobalTestEnvironment(new XServerEnvironment));

class WindowTitleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!X().SkipReason().empty()) GTEST_SKIP() << X().SkipReason();
        CScintillaView::EditState() = SCINTILLA_EDIT_STATE{};
    }
    static XServerEnvironment& X() { return *XServerEnvironment::Instance; }
};

TEST_F(WindowTitleTest, EveryWindowShowsExactlyItsOwnTitle) {
    CQuorvaneDemoApp::Options options;
    options.applicationDirectory = QStringLiteral(QV_SOURCE_DIR);
    options.ansiCodePage = 1252;
    options.showMaximized = false;
    CQuorvaneDemoApp app(options);
    ASSERT_TRUE(app.InitInstance());
    CMainFrame& frame = *app.MainFrame();
    X().Settle();
    // The editor window is maximized inside the frame, which shows its name.
    EXPECT_EQ(X().TitleOf(frame), "QuorvaneDemo - [dogs.xml]");

    CAboutDlg about(&frame);
    about.show();
    X().Settle();
    EXPECT_EQ(X().TitleOf(about), "About QuorvaneDemo");
    about.close();

    CqvReport report(QV_SOURCE_DIR "/DemoFiles/dogs.xml", QV_SOURCE_DIR "/DemoFiles/dogs.qvrp");
    report.LoadAll();
    CdlgPrintPrev preview(&report, &frame);
    preview.show();
    X().Settle();
    EXPECT_EQ(X().TitleOf(preview), "Print Priview");
    preview.close();

    frame.GetActiveView()->OnEditReplace();
    X().Settle();
    QWidget* replace = CScintillaView::EditState().pFindReplaceDlg.data();
    ASSERT_TRUE(replace);
    EXPECT_EQ(X().TitleOf(*replace), "Replace");
    replace->close();
    X().Settle();
}

}  // namespace
