#include "platform/CloseRequest.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

std::uint32_t InternAtom(xcb_connection_t* c, const char* name)
{
    const auto cookie = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : 0;
}

} // namespace

namespace platform {

CloseRequestFilter::CloseRequestFilter(const QWidget& window, std::function<void()> onClose)
    : Window(window), OnClose(std::move(onClose))
{
    // Only the xcb platform talks to an X server of its own; others (the
    // offscreen one too) may still offer an X11 interface without one.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return;
    Protocols = InternAtom(x11->connection(), "WM_PROTOCOLS");
    DeleteWindow = InternAtom(x11->connection(), "WM_DELETE_WINDOW");
    if (Protocols && DeleteWindow)
        qGuiApp->installNativeEventFilter(this);
}

CloseRequestFilter::~CloseRequestFilter()
{
    if (qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool CloseRequestFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    // Without a modal dialog Qt delivers the request itself (closeEvent).
    if (eventType != "xcb_generic_event_t" || !QGuiApplication::modalWindow())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* request = static_cast<const xcb_client_message_event_t*>(message);
    if (request->format != 32 || request->type != Protocols || request->data.data32[0] != DeleteWindow)
        return false;
    if (request->window != static_cast<xcb_window_t>(Window.winId()))
        return false;
    OnClose();
    return true;
}

} // namespace platform
