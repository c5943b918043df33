#pragma once
// Which 10 x 10 blocks of a surface a frame changes, told from its drawing
// operations alone. A frame is drawn twice: first only recorded, block by
// block, then drawn where a block's record differs from the last frame's.
// Drawing is opaque and the sources do not change, so equal records mean
// equal pixels, and an unchanged frame costs no pixel work at all.
#include <array>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

class FrameBlocks {
  public:
    static constexpr int Block = 10;

    FrameBlocks(int width, int height);

    // Recording: each call is one opaque operation on the pixels x0..x1-1
    // by y0..y1-1, already clipped to the surface.
    void BeginRecording();
    void RecordFill(int x0, int y0, int x1, int y1, std::uint32_t colour);
    // `source` and `version` name the picture and its state, `picture` is
    // where it is for a replay; (sx, sy) is the source pixel that lands on
    // (x0, y0).
    void RecordCopy(int x0, int y0, int x1, int y1, std::uint32_t source, std::uint32_t version, const void* picture,
                    int sx, int sy);
    // Pixels that cannot be told from a record (a surface copied onto
    // itself): the whole frame is drawn.
    void RecordUnknown(int x0, int y0, int x1, int y1);
    // Compares the records with the last frame's: Changed() then holds the
    // blocks to draw, and the records become the last frame's.
    void FinishRecording();

    // Calls fill(x0, y0, x1, y1, colour) and copy(x0, y0, x1, y1, picture,
    // sx, sy) for what the last recorded frame drew on its changed blocks,
    // in order; false, without a call, when a record cannot tell.
    template <typename Fill, typename Copy> bool Replay(Fill&& fill, Copy&& copy) const;

    // Pixels drawn outside a frame: their blocks are drawn again in the next.
    void Invalidate(int x0, int y0, int x1, int y1);

    // One bit per column of blocks (bit 0 the leftmost), one word per row,
    // as of the last FinishRecording.
    const std::vector<std::uint64_t>& Changed() const { return ChangedRows; }
    // Counts frames and writes outside them: a view that saw frame n may
    // take Changed() of frame n + 1 as all that differs.
    std::uint64_t Serial() const { return SerialNumber; }

  private:
    // Small, so that the records of a whole frame stay a few pages.
    struct Op {
        std::uint32_t source = 0;  // the picture's number; 0: a fill
        std::uint32_t value = 0;   // a fill's colour, or the source pixel as sx | sy << 16
        std::uint32_t version = 0; // the picture's version
        std::uint16_t area = 0;    // x0 | y0 << 4 | x1 << 8 | y1 << 12, within the block
        std::uint16_t unused = 0;  // no padding: records are compared word by word
    };
    static_assert(sizeof(Op) == 16);
    // A block the game draws holds a tile, or white under the edge of the
    // apple-timer bar; more is drawn again each frame.
    static constexpr int MaxOps = 2;
    // Never equal to any record: the block is drawn in the next frame.
    static constexpr std::uint8_t Unknown = 0xff;
    struct Record {
        std::array<Op, MaxOps> ops{};
        std::uint8_t count = Unknown;
        bool operator==(const Record& other) const
        {
            if (count != other.count || count == Unknown)
                return false;
            using Words = std::array<std::uint64_t, sizeof(Op) / sizeof(std::uint64_t)>;
            for (std::uint8_t i = 0; i < count; ++i) {
                if (std::bit_cast<Words>(ops[i]) != std::bit_cast<Words>(other.ops[i]))
                    return false;
            }
            return true;
        }
    };
    static std::uint16_t Area(int x0, int y0, int x1, int y1)
    {
        return static_cast<std::uint16_t>(x0 | y0 << 4 | x1 << 8 | y1 << 12);
    }

    // Calls f(record, block's left, top, width, height) for every block
    // under the rectangle.
    template <typename F> void ForBlocks(int x0, int y0, int x1, int y1, F&& f);
    void Add(Record& record, const Op& op, bool coversBlock);
    // Empties the records if this frame has not yet set them.
    void Empty();
    // Where the picture numbered `source` is; nullptr if this frame has not
    // copied from it.
    const void* PictureOf(std::uint32_t source) const
    {
        for (const auto& [number, where] : Pictures) {
            if (number == source)
                return where;
        }
        return nullptr;
    }
    // The one op of a block it covers whole.
    static void Cover(Record& record, const Op& op)
    {
        record.count = 1;
        record.ops[0] = op;
    }

    int Width, Height, Columns, Rows;
    std::vector<Record> Last, Next;
    // The pictures the frame copies from, by number, for a replay.
    std::vector<std::pair<std::uint32_t, const void*>> Pictures;
    std::vector<std::uint64_t> ChangedRows;
    bool Whole = false;
    bool Fresh = false; // a frame begun, its records not yet emptied or set
    std::uint64_t SerialNumber = 0;
};

template <typename Fill, typename Copy> bool FrameBlocks::Replay(Fill&& fill, Copy&& copy) const
{
    if (Whole)
        return false;
    const auto forChanged = [&](auto&& f) {
        for (int by = 0; by < Rows; ++by) {
            for (std::uint64_t bits = ChangedRows[static_cast<std::size_t>(by)]; bits != 0; bits &= bits - 1) {
                const int bx = std::countr_zero(bits);
                if (!f(Last[static_cast<std::size_t>(by) * Columns + bx], bx * Block, by * Block))
                    return false;
            }
        }
        return true;
    };
    if (!forChanged([](const Record& r, int, int) { return r.count != Unknown; }))
        return false;
    forChanged([&](const Record& r, int left, int top) {
        for (std::uint8_t i = 0; i < r.count; ++i) {
            const Op& op = r.ops[i];
            const int x0 = left + (op.area & 15), y0 = top + (op.area >> 4 & 15);
            const int x1 = left + (op.area >> 8 & 15), y1 = top + (op.area >> 12);
            if (op.source == 0) {
                fill(x0, y0, x1, y1, op.value);
                continue;
            }
            copy(x0, y0, x1, y1, PictureOf(op.source), static_cast<int>(op.value & 0xffff),
                 static_cast<int>(op.value >> 16));
        }
        return true;
    });
    return true;
}

} // namespace platform
