#pragma once
// The X server as another client sees it: a connection of its own, apart from Qt's, so that a
// picture taken here shows only what the program has actually sent to the server, and window
// names and stacking come from the server, not from Qt's idea of them.

#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>
#include <vector>

struct xcb_connection_t;

class X11Screen {
  public:
    // Connects to $DISPLAY; isOpen() says whether that worked.
    X11Screen();
    ~X11Screen();
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    bool isOpen() const { return connection_ != nullptr; }

    // The pixels of `area` of the root window (screen coordinates), as RGB32.
    QImage grab(const QRect& area) const;

    // The root window's children, bottom first (without a window manager, the program's
    // top-level windows themselves).
    std::vector<std::uint32_t> stackingOrder() const;

    // The window's _NET_WM_NAME (UTF-8), empty when it has none.
    QString windowName(std::uint32_t window) const;

    // The `side` × `side` picture of the window's _NET_WM_ICON (ARGB32), null when it has none of
    // that size.
    QImage windowIcon(std::uint32_t window, int side) const;

    // What a window manager publishes: the active window (_NET_ACTIVE_WINDOW, 0 for none) and
    // whether a window is minimised (WM_STATE iconic).
    std::uint32_t activeWindow() const;
    bool isIconic(std::uint32_t window) const;

  private:
    // The 32-bit values of the window's property `name` (of any type), empty when it has none.
    std::vector<std::uint32_t> cardinals(std::uint32_t window, const char* name) const;

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
};
