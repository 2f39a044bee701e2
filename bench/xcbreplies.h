#pragma once

// What the benchmarks' small X clients ask the server: the display, an atom, and a window's
// text property.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <xcb/xcb.h>

namespace benchx {

// The display's connection and its first screen's root window.
struct Display {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;
};

// Connects to $DISPLAY; a null connection, said on standard error in `tool`'s name, when there
// is none.
inline Display connectDisplay(const char* tool) {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "%s: cannot connect to the X display\n", tool);
        xcb_disconnect(c);
        return {};
    }
    return {c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root};
}

template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

inline xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

inline std::string property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name) {
    ReplyPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
        &std::free);
    if (!reply || reply->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            size_t(xcb_get_property_value_length(reply.get()))};
}

} // namespace benchx
