#pragma once
// Picture surfaces and the one raster operation the game uses: an opaque
// block copy. A surface is a fixed-size, opaque 32-bit picture that starts white.
#include <cstdint>
#include <memory>
#include <string>

class QImage;

namespace platform {

// A colour as 0xffRRGGBB (the top byte is ignored when drawing).
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(int red, int green, int blue)
{
    return 0xff000000u | (static_cast<Rgb>(red & 0xff) << 16) | (static_cast<Rgb>(green & 0xff) << 8) |
           static_cast<Rgb>(blue & 0xff);
}
constexpr Rgb WhiteRgb = MakeRgb(255, 255, 255);

// The side of a square of the playfield in pixels, and of every tile and
// sprite. Kept here, not with the renderer, because BitBlt copies blocks of
// this width by a path of their own (docs/performance.md has the figure).
constexpr int TileSize = 10;

class Surface {
  public:
    // A white surface of the given size (at least 1 x 1).
    Surface(int width, int height);

    // The picture at `path` (a file or a ":/..." resource), made exactly
    // width x height: a missing or unreadable picture gives a warning and a
    // white surface, a picture of another size is cropped or padded with white.
    static Surface Load(const std::string& path, int width, int height);

    // Never copied: a shared picture would deep-copy on the next write.
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    Surface(Surface&&) noexcept;
    Surface& operator=(Surface&&) noexcept;
    ~Surface();

    int width() const;
    int height() const;

    // Fills the whole surface.
    void Clear(Rgb colour = WhiteRgb);
    // Fills the pixels left..left+width-1 by top..top+height-1, clipped.
    void FillRect(int left, int top, int width, int height, Rgb colour);

    // Colour of one pixel as 0xffRRGGBB; 0 outside the surface.
    Rgb Pixel(int x, int y) const;

    // For the window, which shows it (include <QImage>). Keep a lasting copy
    // only with QImage::copy(): a shallow copy shares the pixels and makes
    // the next drawing call copy them.
    const QImage& image() const { return *Image; }

  private:
    explicit Surface(QImage image);
    friend void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);
    void Fill(int x0, int y0, int x1, int y1, Rgb colour);
    void Copy(int x, int y, int w, int h, const Surface& src, int sx, int sy);

    // Held apart so that only this file's implementation sees Qt; made once,
    // never in the per-frame path.
    std::unique_ptr<QImage> Image;
};

// Copies the w x h block at (sx, sy) of src to (x, y) of dest, clipped to
// both surfaces. dest and src may be the same surface, even overlapping.
void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Test seam, not used by the game: the number of BitBlt calls since the last
// reset, clipped ones included. The pictures show what was copied, not that
// nothing was copied twice or for an empty cell; tests count the copies.
std::uint64_t BitBltCount();
void ResetBitBltCount();

} // namespace platform
