#pragma once
// Layer korvex_platform: includes only the standard library and the system's headers.
//
// The X Window System as the windows meet it: whether an X server is at hand (on a Wayland
// desktop its X server, XWayland, is what lets a program place its windows itself and keep one
// on top), and which window a pointer press went to.

#include <cstdint>

namespace platform {

// A connection to the X server at $DISPLAY, closed when the object ends; isOpen() says whether
// the server accepted it (not when DISPLAY is unset or names a server that does not answer).
// Beware: an X server whose last client leaves resets and refuses connections for a moment, so
// a program that asks and then connects for good keeps this connection until it has its own.
class XServerConnection {
  public:
    XServerConnection();
    ~XServerConnection();
    XServerConnection(const XServerConnection&) = delete;
    XServerConnection& operator=(const XServerConnection&) = delete;

    bool isOpen() const { return open_; }

  private:
    void* connection_;
    bool open_;
};

// The X window a pointer button press went to, for an event as libxcb delivers it on
// `connection` (an xcb_connection_t): a core ButtonPress, or an XInput 2 button press, which is
// what a client that selects XInput 2 events (Qt) receives instead. 0 for any other event.
std::uint32_t pressedWindow(void* connection, const void* event);

}  // namespace platform
