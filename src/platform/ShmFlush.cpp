#include "platform/ShmFlush.h"

#include "platform/WindowSystem.h"

#include <QGuiApplication>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_connection_t* QtConnection()
{
    // Other platforms (offscreen too) may offer an X11 interface without a
    // server of their own behind it.
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb") || SharedMemoryTurnedOff())
        return nullptr;
    auto* const x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

ShmFlush::~ShmFlush()
{
    // Without the application its connection is gone, and the server has
    // let go of the segment with it.
    if (QtConnection() == Connection && Connection) {
        WaitForServer();
        if (Gc)
            xcb_free_gc(Connection, Gc);
    }
    Detach();
}

QImage* ShmFlush::Canvas(QSize size, QImage::Format format)
{
    if (Failed || QImage::toPixelFormat(format).bitsPerPixel() != 32 || size.isEmpty())
        return nullptr;
    if (!Connection) {
        Connection = QtConnection();
        const xcb_query_extension_reply_t* const shm =
            Connection ? xcb_get_extension_data(Connection, &xcb_shm_id) : nullptr;
        // Memory handed over as a file descriptor (version 1.2): the server
        // maps what we map, also from another IPC namespace (a container),
        // and a remote server refuses it.
        const Reply<xcb_shm_query_version_reply_t> version(
            shm && shm->present ? xcb_shm_query_version_reply(Connection, xcb_shm_query_version(Connection), nullptr)
                                : nullptr,
            &std::free);
        if (!version || version->major_version < 1 || (version->major_version == 1 && version->minor_version < 2)) {
            Failed = true;
            return nullptr;
        }
    }
    // The server may still be reading the last frame's pixels.
    WaitForServer();
    if ((Pixels.size() != size || Pixels.format() != format) && !Attach(size, format))
        return nullptr;
    return &Pixels;
}

void ShmFlush::Put(const std::vector<QRect>& rects, std::uint32_t window)
{
    if (Pixels.isNull() || window == 0)
        return;
    if (GcWindow != window) {
        // The put needs the window's own depth; asked once per window.
        const Reply<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(Connection, xcb_get_geometry(Connection, window), nullptr), &std::free);
        if (!geometry)
            return;
        if (Gc)
            xcb_free_gc(Connection, Gc);
        Gc = xcb_generate_id(Connection);
        const std::uint32_t noExposures = 0;
        xcb_create_gc(Connection, Gc, window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
        GcWindow = window;
        Depth = geometry->depth;
    }
    const QRect within = Pixels.rect();
    for (const QRect& r : rects) {
        const QRect area = r.intersected(within);
        if (area.isEmpty())
            continue;
        xcb_shm_put_image(Connection, window, Gc, static_cast<std::uint16_t>(Pixels.width()),
                          static_cast<std::uint16_t>(Pixels.height()), static_cast<std::uint16_t>(area.x()),
                          static_cast<std::uint16_t>(area.y()), static_cast<std::uint16_t>(area.width()),
                          static_cast<std::uint16_t>(area.height()), static_cast<std::int16_t>(area.x()),
                          static_cast<std::int16_t>(area.y()), Depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, Segment, 0);
    }
    // Its reply comes after the puts are done; read at the next Canvas(),
    // by then long arrived, it costs no wait.
    Pending = xcb_get_input_focus(Connection).sequence;
    xcb_flush(Connection);
}

bool ShmFlush::Attach(QSize size, QImage::Format format)
{
    Detach();
    const auto bytes = static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()) * 4;
    const int fd = memfd_create("snake-frame", MFD_CLOEXEC);
    void* const address = fd != -1 && ftruncate(fd, static_cast<off_t>(bytes)) == 0
                              ? mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)
                              : MAP_FAILED;
    if (address == MAP_FAILED) {
        if (fd != -1)
            close(fd);
        Failed = true;
        return false;
    }
    Address = static_cast<std::uint8_t*>(address);
    Bytes = bytes;
    Segment = xcb_generate_id(Connection);
    // libxcb sends the descriptor and closes it.
    const Reply<xcb_generic_error_t> error(
        xcb_request_check(Connection, xcb_shm_attach_fd_checked(Connection, Segment, fd, 1)), &std::free);
    if (error) {
        Segment = 0;
        Detach();
        Failed = true;
        return false;
    }
    Pixels = QImage(Address, size.width(), size.height(), static_cast<qsizetype>(size.width()) * 4, format);
    return true;
}

void ShmFlush::Detach()
{
    Pixels = QImage();
    if (Segment && QtConnection() == Connection && Connection)
        xcb_shm_detach(Connection, Segment);
    Segment = 0;
    if (Address)
        munmap(Address, Bytes);
    Address = nullptr;
    Bytes = 0;
}

void ShmFlush::WaitForServer()
{
    if (Pending == 0)
        return;
    // libxcb hands the reply over in memory of its own.
    std::free(xcb_get_input_focus_reply(Connection, xcb_get_input_focus_cookie_t{Pending}, nullptr));
    Pending = 0;
}

} // namespace platform
