#include "platform/Surface.h"

#include <QDebug>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr QRgb White = 0xffffffff;
constexpr int BytesPerPixel = 4;
// Every pixel is opaque, so premultiplied and plain values are the same, and
// the rows can be read as RGB32 too.
constexpr QImage::Format PixelFormat = QImage::Format_ARGB32_Premultiplied;

std::uint64_t bitBltCalls = 0;

QImage WhiteImage(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), PixelFormat);
    image.fill(White);
    return image;
}

} // namespace

Surface::Surface(int width, int height) : Image(std::make_unique<QImage>(WhiteImage(width, height))) {}

Surface::Surface(QImage image) : Image(std::make_unique<QImage>(std::move(image))) {}

Surface::Surface(Surface&&) noexcept = default;
Surface& Surface::operator=(Surface&&) noexcept = default;
Surface::~Surface() = default;

int Surface::width() const
{
    return Image->width();
}

int Surface::height() const
{
    return Image->height();
}

Surface Surface::Load(const std::string& file, int width, int height)
{
    Surface surface(width, height);
    const QString path = QString::fromStdString(file);
    const QImage loaded(path);
    if (loaded.isNull()) {
        qWarning().noquote() << "Picture" << path << "could not be read; a white" << width << "x" << height
                             << "picture is used instead.";
        return surface;
    }
    // RGB32 drops any transparency, as the game's pictures never had any.
    const QImage opaque = loaded.convertToFormat(QImage::Format_RGB32).convertToFormat(PixelFormat);
    if (loaded.size() == surface.Image->size())
        return Surface(opaque);
    qWarning().noquote() << "Picture" << path << "is" << loaded.width() << "x" << loaded.height() << ", expected"
                         << width << "x" << height << "; it is cropped or padded with white.";
    const Surface source(opaque);
    BitBlt(surface, 0, 0, source.width(), source.height(), source, 0, 0);
    return surface;
}

void Surface::Clear(Rgb colour)
{
    Fill(0, 0, Image->width(), Image->height(), colour);
}

void Surface::FillRect(int left, int top, int width, int height, Rgb colour)
{
    const int x0 = std::max(left, 0);
    const int y0 = std::max(top, 0);
    // 64-bit ends: a huge width or height must not wrap around.
    const int x1 = static_cast<int>(std::min<long long>(static_cast<long long>(left) + width, Image->width()));
    const int y1 = static_cast<int>(std::min<long long>(static_cast<long long>(top) + height, Image->height()));
    if (x0 < x1 && y0 < y1)
        Fill(x0, y0, x1, y1, colour);
}

void Surface::Fill(int x0, int y0, int x1, int y1, Rgb colour)
{
    const QRgb value = colour | 0xff000000u;
    if (x0 == 0 && y0 == 0 && x1 == Image->width() && y1 == Image->height()) {
        Image->fill(value);
        return;
    }
    // Rows are short (a block, the bar): in fixed runs of eight the compiler
    // stores whole vector registers, which std::fill does not.
    constexpr int run = 8;
    std::array<QRgb, run> pattern{};
    pattern.fill(value);
    uchar* const bits = Image->bits();
    const qsizetype stride = Image->bytesPerLine();
    for (int y = y0; y < y1; ++y) {
        auto* const row = reinterpret_cast<QRgb*>(bits + y * stride);
        int x = x0;
        for (; x + run <= x1; x += run)
            std::memcpy(row + x, pattern.data(), sizeof pattern);
        for (; x < x1; ++x)
            row[x] = value;
    }
}

Rgb Surface::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= Image->width() || y >= Image->height())
        return 0;
    return reinterpret_cast<const QRgb*>(Image->constScanLine(y))[x];
}

void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy)
{
    ++bitBltCalls;
    // Clip against the top-left edges of both surfaces, moving both corners.
    if (sx < 0) {
        x -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        y -= sy;
        h += sy;
        sy = 0;
    }
    if (x < 0) {
        sx -= x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy -= y;
        h += y;
        y = 0;
    }
    w = std::min({w, src.width() - sx, dest.width() - x});
    h = std::min({h, src.height() - sy, dest.height() - y});
    if (w > 0 && h > 0)
        dest.Copy(x, y, w, h, src, sx, sy);
}

void Surface::Copy(int x, int y, int w, int h, const Surface& src, int sx, int sy)
{
    // bits() on the destination first: if it ever had to detach, the source
    // pointer taken afterwards still matches when both are the same surface.
    uchar* const destBits = Image->bits();
    const uchar* const srcBits = src.Image->constBits();
    const qsizetype destStride = Image->bytesPerLine();
    const qsizetype srcStride = src.Image->bytesPerLine();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * BytesPerPixel;

    uchar* d = destBits + y * destStride + x * BytesPerPixel;
    const uchar* s = srcBits + sy * srcStride + sx * BytesPerPixel;
    if (this != &src) {
        // A copy of a constant size is inlined; tile rows are the most copies.
        constexpr std::size_t tileRow = TileSize * BytesPerPixel;
        if (rowBytes == tileRow) {
            for (int row = 0; row < h; ++row, d += destStride, s += srcStride)
                std::memcpy(d, s, tileRow);
        } else {
            for (int row = 0; row < h; ++row, d += destStride, s += srcStride)
                std::memcpy(d, s, rowBytes);
        }
        return;
    }
    // Within one surface the block may overlap itself: a copy downwards runs
    // bottom-up, and each row may overlap sideways.
    if (y > sy) {
        d += (h - 1) * destStride;
        s += (h - 1) * srcStride;
        for (int row = 0; row < h; ++row, d -= destStride, s -= srcStride)
            std::memmove(d, s, rowBytes);
    } else {
        for (int row = 0; row < h; ++row, d += destStride, s += srcStride)
            std::memmove(d, s, rowBytes);
    }
}

std::uint64_t BitBltCount()
{
    return bitBltCalls;
}

void ResetBitBltCount()
{
    bitBltCalls = 0;
}

} // namespace platform
