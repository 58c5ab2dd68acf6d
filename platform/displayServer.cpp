#include "platform/displayServer.h"

#include <xcb/xcb.h>

namespace platform {

bool xServerReachable() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    // A failed connection is an object too and is released the same way.
    xcb_disconnect(connection);
    return reachable;
}

}  // namespace platform
