// wm_close WINDOW: asks the X client that owns WINDOW to close it, the way a
// window manager's close box does (ICCCM: a WM_PROTOCOLS ClientMessage
// carrying WM_DELETE_WINDOW). Unlike destroying the window, the program sees
// an ordinary close request and decides itself what to do.
//
// Exit status: 0 sent, 1 bad arguments or no display, 2 the window does not
// take WM_DELETE_WINDOW.
#include "XcbTool.h"

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using xcbtool::Atom;
using xcbtool::Disconnect;
using xcbtool::Reply;

// Whether the window lists `protocol` in its WM_PROTOCOLS property.
bool Takes(xcb_connection_t* c, xcb_window_t window, xcb_atom_t protocols, xcb_atom_t protocol)
{
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, protocols, XCB_ATOM_ATOM, 0, 32), nullptr));
    if (!reply || reply->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    for (int i = 0; i < count; ++i) {
        if (atoms[i] == protocol)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: wm_close WINDOW-ID (decimal or 0x hex)\n");
        return 1;
    }
    char* end = nullptr;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || id == 0 || id > 0xffffffffUL) {
        std::fprintf(stderr, "wm_close: \"%s\" is not a window id\n", argv[1]);
        return 1;
    }
    const auto window = static_cast<xcb_window_t>(id);

    const std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(c.get())) {
        std::fprintf(stderr, "wm_close: cannot open the display\n");
        return 1;
    }
    const xcb_atom_t protocols = Atom(c.get(), "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = Atom(c.get(), "WM_DELETE_WINDOW");
    if (!Takes(c.get(), window, protocols, deleteWindow)) {
        std::fprintf(stderr, "wm_close: window 0x%lx does not take WM_DELETE_WINDOW\n", id);
        return 2;
    }

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = protocols;
    event.data.data32[0] = deleteWindow;
    event.data.data32[1] = XCB_CURRENT_TIME;
    // No event mask: the message goes to the window's owner only (ICCCM 4.2.8).
    xcb_send_event(c.get(), 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    // Round trip: the server has delivered the message when we leave.
    const Reply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(c.get(), xcb_get_input_focus(c.get()), nullptr));
    return sync ? 0 : 1;
}
