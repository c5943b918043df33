#include "platform/FrameBlocks.h"

#include "platform/BlockRuns.h"

#include <algorithm>

namespace platform {

FrameBlocks::FrameBlocks(int width, int height)
    : Width(width), Height(height), Columns((width + Block - 1) / Block), Rows((height + Block - 1) / Block),
      Last(static_cast<std::size_t>(Columns) * Rows), Next(Last.size()), ChangedRows(Rows)
{
    Pictures.reserve(8);
}

template <typename F> void FrameBlocks::ForBlocks(int x0, int y0, int x1, int y1, F&& f)
{
    for (int by = y0 / Block; by <= (y1 - 1) / Block; ++by) {
        for (int bx = x0 / Block; bx <= (x1 - 1) / Block; ++bx) {
            const int left = bx * Block, top = by * Block;
            f(Next[static_cast<std::size_t>(by) * Columns + bx], left, top, std::min(Block, Width - left),
              std::min(Block, Height - top));
        }
    }
}

void FrameBlocks::BeginRecording()
{
    // The records are emptied by the first operation, or by the finish: a
    // frame that starts by clearing the whole surface, as the game's do,
    // sets each of them once.
    Fresh = true;
    Pictures.clear();
    Whole = false;
}

void FrameBlocks::Empty()
{
    if (!Fresh)
        return;
    Fresh = false;
    for (Record& r : Next)
        r.count = 0;
}

void FrameBlocks::Add(Record& record, const Op& op, bool coversBlock)
{
    // An opaque cover makes everything under it invisible.
    if (coversBlock)
        record.count = 0;
    if (record.count == Unknown)
        return;
    if (record.count == MaxOps) {
        record.count = Unknown;
        return;
    }
    record.ops[record.count++] = op;
}

void FrameBlocks::RecordFill(int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    Op op;
    op.value = colour;
    if (x0 == 0 && y0 == 0 && x1 == Width && y1 == Height) {
        // The clear that starts every frame.
        Fresh = false;
        for (int by = 0; by < Rows; ++by) {
            for (int bx = 0; bx < Columns; ++bx) {
                op.area = Area(0, 0, std::min(Block, Width - bx * Block), std::min(Block, Height - by * Block));
                Cover(Next[static_cast<std::size_t>(by) * Columns + bx], op);
            }
        }
        return;
    }
    Empty();
    ForBlocks(x0, y0, x1, y1, [&](Record& r, int left, int top, int w, int h) {
        const int a = std::max(x0, left) - left, b = std::max(y0, top) - top;
        const int c = std::min(x1, left + w) - left, d = std::min(y1, top + h) - top;
        op.area = Area(a, b, c, d);
        Add(r, op, a == 0 && b == 0 && c == w && d == h);
    });
}

void FrameBlocks::RecordCopy(int x0, int y0, int x1, int y1, std::uint32_t source, std::uint32_t version,
                             const void* picture, int sx, int sy)
{
    if (!PictureOf(source))
        Pictures.emplace_back(source, picture);
    Empty();
    Op op;
    op.source = source;
    op.version = version;
    const auto sourcePixel = [](int x, int y) {
        return static_cast<std::uint32_t>(x) | static_cast<std::uint32_t>(y) << 16;
    };
    if (x0 % Block == 0 && y0 % Block == 0 && x1 - x0 == Block && y1 - y0 == Block) {
        // A tile on its square, as nearly every copy is.
        op.value = sourcePixel(sx, sy);
        op.area = Area(0, 0, Block, Block);
        Cover(Next[static_cast<std::size_t>(y0 / Block) * Columns + x0 / Block], op);
        return;
    }
    ForBlocks(x0, y0, x1, y1, [&](Record& r, int left, int top, int w, int h) {
        const int a = std::max(x0, left), b = std::max(y0, top);
        const int c = std::min(x1, left + w) - left, d = std::min(y1, top + h) - top;
        op.value = sourcePixel(sx + (a - x0), sy + (b - y0));
        op.area = Area(a - left, b - top, c, d);
        Add(r, op, a == left && b == top && c == w && d == h);
    });
}

void FrameBlocks::RecordUnknown(int x0, int y0, int x1, int y1)
{
    Empty();
    ForBlocks(x0, y0, x1, y1, [](Record& r, int, int, int, int) { r.count = Unknown; });
    Whole = true;
}

void FrameBlocks::FinishRecording()
{
    Empty();
    const std::uint64_t allColumns = BitsBelow(Columns);
    for (int by = 0; by < Rows; ++by) {
        std::uint64_t changed = 0;
        for (int bx = 0; bx < Columns; ++bx) {
            const std::size_t i = static_cast<std::size_t>(by) * Columns + bx;
            if (!(Next[i] == Last[i]))
                changed |= std::uint64_t{1} << bx;
        }
        ChangedRows[static_cast<std::size_t>(by)] = Whole ? allColumns : changed;
    }
    Last.swap(Next);
    ++SerialNumber;
}

void FrameBlocks::Invalidate(int x0, int y0, int x1, int y1)
{
    for (int by = y0 / Block; by <= (y1 - 1) / Block; ++by) {
        for (int bx = x0 / Block; bx <= (x1 - 1) / Block; ++bx)
            Last[static_cast<std::size_t>(by) * Columns + bx].count = Unknown;
    }
    // Two steps: the view must not take the next frame's blocks as all.
    SerialNumber += 2;
}

} // namespace platform
