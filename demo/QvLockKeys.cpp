#include "demo/QvLockKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

QvLockKeys::QvLockKeys(QObject* parent) : QObject(parent) {
    if (qApp) qApp->installEventFilter(this);
}

bool QvLockKeys::IsOn(Key key) const {
    bool on = false;
    if (QueryX11(key, on)) return on;
    return m_tracked[key];
}

bool QvLockKeys::eventFilter(QObject* watched, QEvent* event) {
    // Each press reaches the filter once per receiving object; count it only
    // at the object that has the focus.
    if (event->type() == QEvent::KeyPress && watched == QGuiApplication::focusObject()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            if (key->key() == Qt::Key_CapsLock) m_tracked[CapsLock] = !m_tracked[CapsLock];
            if (key->key() == Qt::Key_NumLock) m_tracked[NumLock] = !m_tracked[NumLock];
            if (key->key() == Qt::Key_ScrollLock) m_tracked[ScrollLock] = !m_tracked[ScrollLock];
        }
    }
    return QObject::eventFilter(watched, event);
}

// Last in the file: the X11 headers define macros (KeyPress, None, ...) that
// clash with Qt's names.
#if QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>

#include <X11/XKBlib.h>
#endif

bool QvLockKeys::QueryX11([[maybe_unused]] Key key, [[maybe_unused]] bool& on) {
#if QT_CONFIG(xcb)
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    static const char* const names[] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    const Atom atom = XInternAtom(display, names[key], True);
    if (atom == None) return false;
    Bool state = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr)) return false;
    on = state != False;
    return true;
#else
    return false;
#endif
}
