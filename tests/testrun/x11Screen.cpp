#include "x11Screen.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

X11Screen::X11Screen() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int skipped = 0; skipped < screenNumber && screens.rem > 0; ++skipped)
        xcb_screen_next(&screens);
    connection_ = connection;
    root_ = screens.data->root;
}

X11Screen::~X11Screen() {
    if (connection_ != nullptr) xcb_disconnect(connection_);
}

QImage X11Screen::grab(const QRect& area) const {
    const xcb_get_image_cookie_t cookie = xcb_get_image(
        connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, root_, static_cast<std::int16_t>(area.x()),
        static_cast<std::int16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
        static_cast<std::uint16_t>(area.height()), ~0u);
    xcb_get_image_reply_t* reply = xcb_get_image_reply(connection_, cookie, nullptr);
    if (reply == nullptr) return {};
    // A 24-bit screen keeps each pixel in 32 bits, blue first: Qt's RGB32 on this machine.
    const int length = xcb_get_image_data_length(reply);
    QImage image;
    if (reply->depth == 24 && length == area.width() * area.height() * 4)
        image = QImage(xcb_get_image_data(reply), area.width(), area.height(), area.width() * 4,
                       QImage::Format_RGB32)
                    .copy();
    std::free(reply);
    return image;
}

std::vector<std::uint32_t> X11Screen::stackingOrder() const {
    xcb_query_tree_reply_t* reply =
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    if (reply == nullptr) return {};
    const xcb_window_t* children = xcb_query_tree_children(reply);
    std::vector<std::uint32_t> order(children, children + xcb_query_tree_children_length(reply));
    std::free(reply);
    return order;
}

QString X11Screen::windowName(std::uint32_t window) const {
    const xcb_atom_t name = internAtom(connection_, "_NET_WM_NAME");
    const xcb_atom_t utf8 = internAtom(connection_, "UTF8_STRING");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, name, utf8, 0, 1024), nullptr);
    if (reply == nullptr) return {};
    const QString text = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply)),
                                           xcb_get_property_value_length(reply));
    std::free(reply);
    return text;
}

std::vector<std::uint32_t> X11Screen::cardinals(std::uint32_t window, const char* name) const {
    // Up to 1 MB: a window's icons in several sizes.
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_,
        xcb_get_property(connection_, 0, window, internAtom(connection_, name), XCB_ATOM_ANY, 0,
                         1u << 18),
        nullptr);
    if (reply == nullptr) return {};
    std::vector<std::uint32_t> values;
    if (reply->format == 32) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

QImage X11Screen::windowIcon(std::uint32_t window, int side) const {
    // Pictures back to back, each its width, its height and its pixels row by row.
    const std::vector<std::uint32_t> icons = cardinals(window, "_NET_WM_ICON");
    for (std::size_t at = 0; at + 2 <= icons.size();) {
        const std::size_t width = icons[at], height = icons[at + 1], pixels = width * height;
        if (at + 2 + pixels > icons.size()) break;
        if (width == static_cast<std::size_t>(side) && height == static_cast<std::size_t>(side)) {
            QImage image(side, side, QImage::Format_ARGB32);
            std::memcpy(image.bits(), icons.data() + at + 2, pixels * 4);
            return image;
        }
        at += 2 + pixels;
    }
    return {};
}

std::uint32_t X11Screen::activeWindow() const {
    const std::vector<std::uint32_t> active = cardinals(root_, "_NET_ACTIVE_WINDOW");
    return active.empty() ? 0 : active.front();
}

bool X11Screen::isIconic(std::uint32_t window) const {
    constexpr std::uint32_t kIconicState = 3;
    const std::vector<std::uint32_t> state = cardinals(window, "WM_STATE");
    return !state.empty() && state.front() == kIconicState;
}
