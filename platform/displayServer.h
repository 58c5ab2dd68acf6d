#pragma once
// Whether the X Window System is at hand: on a Wayland desktop the X server (XWayland) is what
// lets a program place its windows itself and keep one on top.

namespace platform {

// Whether an X server accepts a connection at $DISPLAY (the connection is closed again at once).
// False when DISPLAY is unset or names a server that does not answer.
bool xServerReachable();

}  // namespace platform
