#pragma once
// Window pixels drawn in shared memory (MIT-SHM) and put into an X window
// from there, for frames too large to send cheaply through the socket.
// Qt's own shared-memory flush is off for the whole connection (see
// WindowSystem.cpp): small frames are cheaper without it. Each put is
// followed by one request whose reply says the server is done reading; it
// is read before the pixels are drawn on again, by then long arrived: no
// blocking round trip per frame.
#include <QImage>
#include <QRect>

#include <cstddef>
#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace platform {

class ShmFlush {
  public:
    // Shows anything only on the xcb platform with a server that attaches
    // our shared memory (a local one); once refused, it tries no more.
    ShmFlush() = default;
    ~ShmFlush();
    ShmFlush(const ShmFlush&) = delete;
    ShmFlush& operator=(const ShmFlush&) = delete;

    // Window pixels of `size` and `format` in shared memory, to be drawn on
    // and shown by Put(); null where there can be none. Waits, if need be,
    // until the server has read what the last Put() showed.
    QImage* Canvas(QSize size, QImage::Format format);
    // Shows `rects` of the canvas at the same place in the X window `window`.
    void Put(const std::vector<QRect>& rects, std::uint32_t window);

  private:
    bool Attach(QSize size, QImage::Format format);
    void Detach();
    // Waits until the server has read what the last Put() showed.
    void WaitForServer();

    xcb_connection_t* Connection = nullptr;
    QImage Pixels; // over the shared segment
    std::uint8_t* Address = nullptr;
    std::size_t Bytes = 0;
    std::uint32_t Segment = 0;
    std::uint32_t Gc = 0, GcWindow = 0;
    std::uint8_t Depth = 24;  // of GcWindow
    unsigned int Pending = 0; // the sequence of a reply not yet read; 0: none
    bool Failed = false;
};

} // namespace platform
