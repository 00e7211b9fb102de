#pragma once
// What the widget suites share: one QApplication for the whole run (made when
// the tests start, not when they are listed), paths of the fixtures, and a
// driver for modal dialogs that keeps every test bounded in time.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

namespace qvtest {

// tests/data/preview/NAME
std::string PreviewData(const std::string& name);

// Watches for modal dialogs while a test runs one: each new one is handed to
// the action once. Whatever is still modal after the time limit is closed, so
// a forgotten dialog fails the test instead of hanging it.
class ModalDriver : public QObject {
public:
    using Action = std::function<void(QWidget* modal)>;
    explicit ModalDriver(Action action, int limitMs = 15000);

    int Seen() const { return m_nSeen; }
    bool TimedOut() const { return m_bTimedOut; }

private:
    void Tick();

    Action m_action;
    int m_nLimitMs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QPointer<QWidget> m_last;
    int m_nSeen = 0;
    bool m_bTimedOut = false;
};

// Runs the event loop until `done` holds or the time is up; returns `done()`.
bool WaitFor(const std::function<bool()>& done, int limitMs = 5000);

}  // namespace qvtest
