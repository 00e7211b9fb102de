#pragma once
// The toggle state of Caps Lock, Num Lock and Scroll Lock for the status bar's
// indicators. Under X11 the keyboard's indicators are asked; elsewhere (other
// windowing systems, the offscreen platform) the state follows the lock keys
// pressed while the application runs, starting from off.
#include <QObject>

class QvLockKeys : public QObject {
    Q_OBJECT
public:
    enum Key { CapsLock = 0, NumLock = 1, ScrollLock = 2 };

    explicit QvLockKeys(QObject* parent = nullptr);

    bool IsOn(Key key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The X11 indicator state, or none when the display is not an X server.
    static bool QueryX11(Key key, bool& on);

    bool m_tracked[3] = {false, false, false};
};
