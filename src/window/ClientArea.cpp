#include "window/ClientArea.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr int Columns = (ClientArea::Width + ClientArea::Block - 1) / ClientArea::Block;
constexpr int Bands = (ClientArea::FrameHeight + ClientArea::Block - 1) / ClientArea::Block;

} // namespace

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent)
{
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    // paintEvent covers every pixel itself, so Qt need not clear the area
    // first; the children lie on top as before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(Width, OnePlayerHeight);
    ChangedRuns.reserve(static_cast<std::size_t>(Columns) * Bands);
}

void ClientArea::Present(const QImage& frame)
{
    const int w = std::min(frame.width(), Width);
    const int h = std::min(frame.height(), FrameHeight);
    if (w <= 0 || h <= 0)
        return;
    ++Presented;
    if (frame.depth() % 8 != 0 || Frame.width() != w || Frame.height() != h || Frame.format() != frame.format()) {
        // The first frame, or a new size or pixel format: all of it, once.
        Frame = frame.copy(0, 0, w, h);
        Changed = QRegion(0, 0, Width, FrameHeight);
    } else {
        CopyChangedBlocks(frame, w, h);
    }
    if (!Changed.isEmpty())
        repaint(Changed);
}

void ClientArea::CopyChangedBlocks(const QImage& frame, int width, int height)
{
    const int bytesPerPixel = frame.depth() / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(bytesPerPixel);
    const std::size_t blockBytes = static_cast<std::size_t>(Block) * static_cast<std::size_t>(bytesPerPixel);
    const int columns = (width + Block - 1) / Block;
    uchar* const bits = Frame.bits();
    const qsizetype stride = Frame.bytesPerLine();

    ChangedRuns.clear();
    for (int top = 0; top < height; top += Block) {
        const int bottom = std::min(top + Block, height);
        std::array<bool, Columns> dirty{};
        bool any = false;
        for (int y = top; y < bottom; ++y) {
            const uchar* const from = frame.constScanLine(y);
            const uchar* const to = bits + y * stride;
            // One compare per stretch of blocks not yet known to differ: most
            // rows differ at most in the bar, which is found on the first row.
            for (int c = 0; c < columns;) {
                if (dirty[static_cast<std::size_t>(c)]) {
                    ++c;
                    continue;
                }
                const int first = c;
                while (c < columns && !dirty[static_cast<std::size_t>(c)])
                    ++c;
                const std::size_t at = static_cast<std::size_t>(first) * blockBytes;
                const std::size_t end = std::min(static_cast<std::size_t>(c) * blockBytes, rowBytes);
                if (std::memcmp(from + at, to + at, end - at) == 0)
                    continue;
                for (int b = first; b < c; ++b) {
                    const std::size_t bAt = static_cast<std::size_t>(b) * blockBytes;
                    if (std::memcmp(from + bAt, to + bAt, std::min(blockBytes, rowBytes - bAt)) != 0)
                        dirty[static_cast<std::size_t>(b)] = any = true;
                }
            }
        }
        if (!any)
            continue;
        // Neighbouring blocks go as one run: one copy per row, one rectangle.
        for (int c = 0; c < columns;) {
            if (!dirty[static_cast<std::size_t>(c)]) {
                ++c;
                continue;
            }
            const int first = c;
            while (c < columns && dirty[static_cast<std::size_t>(c)])
                ++c;
            const int left = first * Block;
            const int right = std::min(c * Block, width);
            const std::size_t at = static_cast<std::size_t>(left) * static_cast<std::size_t>(bytesPerPixel);
            const std::size_t bytes = static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bytesPerPixel);
            for (int y = top; y < bottom; ++y)
                std::memcpy(bits + y * stride + at, frame.constScanLine(y) + at, bytes);
            ChangedRuns.emplace_back(left, top, right - left, bottom - top);
        }
    }
    Changed.setRects(ChangedRuns.data(), static_cast<int>(ChangedRuns.size()));
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect shown = Frame.rect();
    for (const QRect& area : event->region()) {
        const QRect inside = area.intersected(shown);
        if (!inside.isEmpty())
            painter.drawImage(inside.topLeft(), Frame, inside);
        if (inside != area) {
            // Beside and below the frame the client is plain white.
            for (const QRect& rest : QRegion(area).subtracted(inside))
                painter.fillRect(rest, Qt::white);
        }
    }
}
