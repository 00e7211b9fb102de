#include "XWindowTitle.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

std::unique_ptr<XConnection> XConnection::Open(const std::string& display) {
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return nullptr;
    return std::unique_ptr<XConnection>(new XConnection(x));
}

XConnection::~XConnection() { XCloseDisplay(static_cast<Display*>(m_display)); }

std::optional<std::string> XConnection::Title(unsigned long window) const {
    Display* x = static_cast<Display*>(m_display);
    const Atom name = XInternAtom(x, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(x, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window, name, 0, 4096, False, utf8, &type, &format, &count, &after, &data) != Success ||
        !data)
        return std::nullopt;
    std::string title(reinterpret_cast<const char*>(data), count);
    XFree(data);
    return title;
}
