#pragma once
// Picture surfaces and the one raster operation the game uses: an opaque
// block copy. A surface is a fixed-size 32-bit RGB picture that starts white.
#include <QImage>
#include <QRgb>
#include <QString>

#include <cstdint>

namespace platform {

class Surface {
  public:
    // A white surface of the given size (at least 1 x 1).
    Surface(int width, int height);

    // The picture at `path` (a file or a ":/..." resource), made exactly
    // width x height: a missing or unreadable picture gives a warning and a
    // white surface, a picture of another size is cropped or padded with white.
    static Surface Load(const QString& path, int width, int height);

    // Never copied: a shared QImage would deep-copy on the next write.
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&&) noexcept = default;
    Surface& operator=(Surface&&) noexcept = default;
    ~Surface() = default;

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // Fills the whole surface.
    void Clear(QRgb colour = qRgb(255, 255, 255));
    // Fills the pixels left..left+width-1 by top..top+height-1, clipped.
    void FillRect(int left, int top, int width, int height, QRgb colour);

    // Colour of one pixel as 0xffRRGGBB; 0 outside the surface.
    QRgb Pixel(int x, int y) const;

    // For painting straight away. Keep a lasting copy only with QImage::copy():
    // a shallow copy shares the pixels and makes the next drawing call copy them.
    const QImage& image() const { return image_; }

  private:
    explicit Surface(QImage image);
    friend void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);

    QImage image_;
};

// Copies the w x h block at (sx, sy) of src to (x, y) of dest, clipped to
// both surfaces. dest and src may be the same surface, even overlapping.
void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Number of BitBlt calls since the last reset, clipped ones included; lets
// tests and benchmarks count tile copies.
std::uint64_t BitBltCount();
void ResetBitBltCount();

} // namespace platform
