#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <memory>

namespace qvtest {

namespace {

// The application exists only while tests run: listing them needs no display.
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "qv-widget-tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

// GoogleTest owns registered environments.
[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

std::string PreviewData(const std::string& name) { return std::string(QV_TEST_DATA) + "/preview/" + name; }

ModalDriver::ModalDriver(Action action, int limitMs) : m_action(std::move(action)), m_nLimitMs(limitMs) {
    m_clock.start();
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &ModalDriver::Tick);
    m_timer.start();
}

void ModalDriver::Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (m_clock.elapsed() > m_nLimitMs) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            m_bTimedOut = true;
            dialog->reject();
        }
        return;
    }
    if (!modal || modal == m_last || !modal->isVisible()) return;
    m_last = modal;
    ++m_nSeen;
    m_action(modal);
}

bool WaitFor(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

}  // namespace qvtest
