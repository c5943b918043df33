#pragma once
// Picture surfaces and the one raster operation the game uses: an opaque
// block copy. A surface is a fixed-size, opaque 32-bit picture that starts white.
#include "platform/FrameBlocks.h"

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

    // Draws a frame with `draw`, which must make the same calls on this
    // surface each time it is called: it is recorded first, and then only
    // the 10 x 10 blocks whose drawing differs from the last frame's are
    // drawn, from the record or by calling `draw` again. The pixels end up
    // as one plain call would leave them. The surfaces it copies from must
    // outlive the call, and this surface is no source for others meanwhile.
    template <typename Draw> void DrawFrame(Draw&& draw)
    {
        if (!BeginRecording()) {
            draw();
            return;
        }
        draw();
        if (DrawRecordedChanges())
            return;
        mode_ = Mode::DrawChanges;
        draw();
        mode_ = Mode::Draw;
    }
    // The blocks the last DrawFrame drew; nullptr before the first.
    const FrameBlocks* Frames() const { return frames_.get(); }

    // For the window, which paints it straight away (include <QImage>). Keep a
    // lasting copy only with QImage::copy(): a shallow copy shares the pixels
    // and makes the next drawing call copy them.
    const QImage& image() const { return *image_; }

  private:
    enum class Mode : std::uint8_t { Draw, Record, DrawChanges };

    explicit Surface(QImage image);
    friend void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);
    bool BeginRecording();
    // Draws the changed blocks from the record; false if it cannot.
    bool DrawRecordedChanges();
    // The one fill and the one copy, on a clipped rectangle, as the mode says.
    void Fill(int x0, int y0, int x1, int y1, Rgb colour);
    void Copy(int x, int y, int w, int h, const Surface& src, int sx, int sy);
    void FillPixels(int x0, int y0, int x1, int y1, std::uint32_t value);
    void CopyPixels(int x, int y, int w, int h, const Surface& src, int sx, int sy);
    // Calls f(x0, y0, x1, y1) for the parts of the rectangle on changed blocks.
    template <typename F> void ForChangedParts(int x0, int y0, int x1, int y1, F&& f) const;

    // Held apart so that only this file's implementation sees Qt; made once,
    // never in the per-frame path.
    std::unique_ptr<QImage> image_;
    std::unique_ptr<FrameBlocks> frames_; // made by the first frame
    Mode mode_ = Mode::Draw;
    std::uint32_t id_;          // names the picture in frame records
    std::uint32_t version_ = 0; // counts its writes
};

// Copies the w x h block at (sx, sy) of src to (x, y) of dest, clipped to
// both surfaces. dest and src may be the same surface, even overlapping.
void BitBlt(Surface& dest, int x, int y, int w, int h, const Surface& src, int sx, int sy);

// Number of BitBlt calls since the last reset, clipped ones included, and a
// frame's once; lets tests and benchmarks count tile copies.
std::uint64_t BitBltCount();
void ResetBitBltCount();

} // namespace platform
