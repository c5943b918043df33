#pragma once
// What the small X helper programs of the tests share: xcb replies and the
// connection freed by RAII, and atoms looked up by name.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace xcbtool {

struct Free {
    void operator()(void* p) const { std::free(p); }
};
// An xcb reply, which the caller frees with free().
template <typename T> using Reply = std::unique_ptr<T, Free>;

struct Disconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
// The display connection, closed when it goes.
using Connection = std::unique_ptr<xcb_connection_t, Disconnect>;

// The atom named `name`, made if missing; XCB_ATOM_NONE if the server fails.
inline xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace xcbtool
