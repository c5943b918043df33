// x_selection: prints the text of the PRIMARY selection, the way a program
// pasting with the middle button asks its owner for it. Tests select all in
// a text field of the real game and read back what the field shows.
//
// Exit status: 0 printed, 1 no display, 2 nobody owns the selection or its
// owner did not answer within five seconds.
#include "XcbTool.h"

#include <xcb/xcb.h>

#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

using xcbtool::Atom;
using xcbtool::Disconnect;
using xcbtool::Reply;

// The owner's SelectionNotify, or nothing when it does not come in time.
Reply<xcb_selection_notify_event_t> AwaitNotify(xcb_connection_t* c, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY)
                return Reply<xcb_selection_notify_event_t>(reinterpret_cast<xcb_selection_notify_event_t*>(event));
            std::free(event);
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || xcb_connection_has_error(c))
            return nullptr;
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, static_cast<int>(left.count()));
    }
}

} // namespace

int main()
{
    const std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(c.get())) {
        std::fprintf(stderr, "x_selection: cannot open the display\n");
        return 1;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c.get())).data;
    // An unmapped window of our own receives the text as a property.
    const xcb_window_t window = xcb_generate_id(c.get());
    xcb_create_window(c.get(), XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t utf8 = Atom(c.get(), "UTF8_STRING");
    const xcb_atom_t target = Atom(c.get(), "X_SELECTION_TEXT");
    xcb_convert_selection(c.get(), window, XCB_ATOM_PRIMARY, utf8, target, XCB_CURRENT_TIME);
    xcb_flush(c.get());

    const auto notify = AwaitNotify(c.get(), std::chrono::seconds(5));
    if (!notify || notify->property == XCB_ATOM_NONE) {
        std::fprintf(stderr, "x_selection: no text in the PRIMARY selection\n");
        return 2;
    }
    const Reply<xcb_get_property_reply_t> text(xcb_get_property_reply(
        c.get(), xcb_get_property(c.get(), 1, window, target, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    if (!text)
        return 2;
    std::fwrite(xcb_get_property_value(text.get()), 1,
                static_cast<std::size_t>(xcb_get_property_value_length(text.get())), stdout);
    return 0;
}
