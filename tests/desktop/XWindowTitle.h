#pragma once
// Reading a window's title straight from the X server. Kept apart from Qt and
// GoogleTest: Xlib's macros (Bool, Status, None) break both.
#include <memory>
#include <optional>
#include <string>

class XConnection {
public:
    // None when the display cannot be opened.
    static std::unique_ptr<XConnection> Open(const std::string& display);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    // _NET_WM_NAME (UTF-8) of the window; none when it has no such property.
    std::optional<std::string> Title(unsigned long window) const;

private:
    explicit XConnection(void* display) : m_display(display) {}
    void* m_display;  // Display*
};
