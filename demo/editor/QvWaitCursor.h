#pragma once
// A wait cursor over the whole application for as long as it lives: loading
// and saving a large file take long enough to show it.
#include <QGuiApplication>

class QvWaitCursor {
public:
    QvWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~QvWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    QvWaitCursor(const QvWaitCursor&) = delete;
    QvWaitCursor& operator=(const QvWaitCursor&) = delete;
};
