// Layer korvex_platform: includes only the standard library and the system's headers.

#include "platform/displayServer.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace platform {

XServerConnection::XServerConnection()
    : connection_(xcb_connect(nullptr, nullptr)),
      open_(xcb_connection_has_error(static_cast<xcb_connection_t*>(connection_)) == 0) {}

// A failed connection is an object too and is released the same way.
XServerConnection::~XServerConnection() {
    xcb_disconnect(static_cast<xcb_connection_t*>(connection_));
}

std::uint32_t pressedWindow(void* connection, const void* event) {
    const auto* generic = static_cast<const xcb_generic_event_t*>(event);
    // The top bit marks events another client sent; a press is a press either way.
    const std::uint8_t type = generic->response_type & 0x7f;
    if (type == XCB_BUTTON_PRESS) return static_cast<const xcb_button_press_event_t*>(event)->event;
    if (type != XCB_GE_GENERIC) return 0;
    const auto* extended = static_cast<const xcb_ge_generic_event_t*>(event);
    if (extended->event_type != XCB_INPUT_BUTTON_PRESS) return 0;
    // Answered from libxcb's cache once the extension is in use on the connection.
    const xcb_query_extension_reply_t* input =
        xcb_get_extension_data(static_cast<xcb_connection_t*>(connection), &xcb_input_id);
    if (input == nullptr || !input->present || extended->extension != input->major_opcode) return 0;
    return static_cast<const xcb_input_button_press_event_t*>(event)->event;
}

}  // namespace platform
