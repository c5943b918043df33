// x_area_hash WINDOW X Y WIDTH HEIGHT: prints a hash of the pixels shown in
// that rectangle of the window. Tests compare two readings to see a message
// come up over an area where nothing else moves.
//
// Exit status: 0 printed, 1 bad arguments or no display, 2 the area could
// not be read (no such window, or not inside it).
#include "XcbTool.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using xcbtool::Disconnect;
using xcbtool::Free;

bool Number(const char* text, unsigned long max, unsigned long& value)
{
    char* end = nullptr;
    value = std::strtoul(text, &end, 0);
    return end != text && *end == '\0' && value <= max;
}

} // namespace

int main(int argc, char* argv[])
{
    unsigned long v[5] = {};
    bool ok = argc == 6 && Number(argv[1], 0xffffffffUL, v[0]);
    for (int i = 1; ok && i < 5; ++i)
        ok = Number(argv[i + 1], 0x7fff, v[i]);
    if (!ok) {
        std::fprintf(stderr, "usage: x_area_hash WINDOW-ID X Y WIDTH HEIGHT\n");
        return 1;
    }
    const std::unique_ptr<xcb_connection_t, Disconnect> c(xcb_connect(nullptr, nullptr));
    if (xcb_connection_has_error(c.get())) {
        std::fprintf(stderr, "x_area_hash: cannot open the display\n");
        return 1;
    }
    const auto cookie =
        xcb_get_image(c.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, static_cast<xcb_window_t>(v[0]), static_cast<int16_t>(v[1]),
                      static_cast<int16_t>(v[2]), static_cast<uint16_t>(v[3]), static_cast<uint16_t>(v[4]), ~0U);
    const std::unique_ptr<xcb_get_image_reply_t, Free> image(xcb_get_image_reply(c.get(), cookie, nullptr));
    if (!image) {
        std::fprintf(stderr, "x_area_hash: cannot read that area\n");
        return 2;
    }
    // FNV-1a, 64 bits: enough to tell two pictures apart.
    std::uint64_t hash = 14695981039346656037ULL;
    const std::uint8_t* bytes = xcb_get_image_data(image.get());
    const int length = xcb_get_image_data_length(image.get());
    for (int i = 0; i < length; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ULL;
    std::printf("%016llx\n", static_cast<unsigned long long>(hash));
    return 0;
}
