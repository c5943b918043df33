#include "window/ClientArea.h"

#include "platform/Surface.h"
#include "window/Zoom.h"

#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t BytesPerPixel = 4;
// Frames are compared in squares of the field.
constexpr int Block = platform::TileSize;

// Calls f(first, last) for each run of set bits first..last-1, left to right.
template <typename F> void ForEachRun(std::uint64_t bits, F&& f)
{
    while (bits != 0) {
        const int first = std::countr_zero(bits);
        const int last = first + std::countr_one(bits >> first);
        bits &= last < 64 ? ~std::uint64_t{0} << last : 0;
        f(first, last);
    }
}

} // namespace

void ClientArea::TakeChangedBlocks(const QImage& frame)
{
    // Both hold opaque 32-bit pixels: equal colours are equal bytes, whatever
    // each format says of the top byte.
    const int width = std::min(frame.width(), Shown.width());
    const int height = std::min(frame.height(), Shown.height());
    // Byte offset of block column c in a row (c == columns: the row's end).
    const auto at = [width](int c) { return static_cast<std::size_t>(std::min(c * Block, width)) * BytesPerPixel; };
    const uchar* const from = frame.constBits();
    uchar* const to = Shown.bits();
    const qsizetype fromStride = frame.bytesPerLine(), toStride = Shown.bytesPerLine();
    const std::uint64_t all = (std::uint64_t{1} << ((width + Block - 1) / Block)) - 1; // a bit a block
    Runs.clear();
    std::uint64_t above = 0; // the band above's changed blocks
    std::size_t aboveRuns = 0;
    for (int top = 0; top < height; top += Block) {
        const int bottom = std::min(top + Block, height);
        std::uint64_t differs = 0;
        for (int y = top; y < bottom; ++y) {
            const uchar* const now = from + y * fromStride;
            const uchar* const was = to + y * toStride;
            // One compare per stretch of blocks not yet known to differ, halved
            // while it differs: most rows differ in the apple-timer bar alone.
            const auto mark = [&](const auto& self, int first, int last) -> void {
                if (std::memcmp(now + at(first), was + at(first), at(last) - at(first)) == 0)
                    return;
                if (last - first == 1) {
                    differs |= std::uint64_t{1} << first;
                    return;
                }
                self(self, first, (first + last) / 2);
                self(self, (first + last) / 2, last);
            };
            ForEachRun(all & ~differs, [&](int first, int last) { mark(mark, first, last); });
        }
        ForEachRun(differs, [&](int first, int last) {
            for (int y = top; y < bottom; ++y)
                std::memcpy(to + y * toStride + at(first), from + y * fromStride + at(first), at(last) - at(first));
        });
        if (differs != 0 && differs == above) {
            // The same blocks as the band above: its rectangles grow, as a
            // region keeps them.
            for (std::size_t i = Runs.size() - aboveRuns; i < Runs.size(); ++i)
                Runs[i].setBottom(bottom - 1);
            continue;
        }
        aboveRuns = 0;
        ForEachRun(differs, [&](int first, int last) {
            Runs.emplace_back(first * Block, top, static_cast<int>(at(last) - at(first)) / BytesPerPixel, bottom - top);
            ++aboveRuns;
        });
        above = differs;
    }
}

ClientArea::ClientArea(QWidget* parent) : QWidget(parent), Shown(Width, Render::FrameHeight, QImage::Format_RGB32)
{
    Shown.fill(Qt::white);
    Runs.reserve(static_cast<std::size_t>((Width + Block - 1) / Block * ((Render::FrameHeight + Block - 1) / Block)));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    // paintEvent covers every pixel itself, so Qt need not clear the area
    // first; the children lie on top as before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetDesignHeight(OnePlayerHeight);
    resize(minimumSize());
}

void ClientArea::Present(const platform::Surface& frame)
{
    ++Presented;
    TakeChangedBlocks(frame.image());
    // At a scale like 1.5 neighbouring blocks may share a widget pixel: joined.
    ToRepaint = QRegion();
    for (const QRect& r : Runs)
        ToRepaint += ToWidget(r);
    // repaint(), not update(): the game's plain waits handle no events, and
    // the frame is to be on screen now. Qt paints whatever else waits with it
    // (a label just hidden), and the labels on top.
    repaint(ToRepaint);
}

QRegion ClientArea::LastChange() const
{
    QRegion changed;
    changed.setRects(Runs.data(), static_cast<int>(Runs.size()));
    return changed;
}

QRect ClientArea::ToWidget(const QRect& framePixels) const
{
    const qreal scale = WidgetScale();
    return QRectF(QPointF(At) + QPointF(framePixels.topLeft()) * scale, QSizeF(framePixels.size()) * scale)
        .toAlignedRect();
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRectF frame(At, QSizeF(Shown.size()) * WidgetScale());
    // Qt's painter hands a drawing of more than about 96 rows to its helper
    // threads: two threads woken a pass for the apple-timer bar alone. Bands
    // of 64 device rows are drawn on this thread.
    const int band = std::max(1, qFloor(64 / Ratio));
    for (const QRect& area : event->region()) {
        for (int top = area.top(); top <= area.bottom(); top += band) {
            // One rectangle at a time: under a one-rectangle clip Qt copies or
            // zooms the rows straight; under the whole region it goes span by
            // span.
            const QRect part(area.left(), top, area.width(), std::min(band, area.bottom() + 1 - top));
            painter.setClipRect(part);
            if (!Inside.contains(part))
                painter.fillRect(part, Qt::white);
            // Without smoothing the painter zooms by repeating pixels.
            painter.drawImage(frame, Shown);
        }
    }
}

void ClientArea::KeepZoomed(QWidget& child, void (*restyle)(Zoomed&, qreal, QPoint))
{
    Children.push_back({&child, child.geometry(), child.font(), {}, restyle});
    Show(Children.back());
}

void ClientArea::SetDesignHeight(int height)
{
    Height = height;
    // The design at the device zoom just below the desktop's scale: at 1.5
    // it may shrink to zoom 1, with no white around it.
    const qreal ratio = devicePixelRatioF();
    setMinimumSize(Zoom::ToLogical(DesignSize() * std::max(1, qFloor(ratio)), ratio));
    Relayout(true);
}

void ClientArea::resizeEvent(QResizeEvent* /*event*/)
{
    Relayout(false);
}

void ClientArea::Relayout(bool always)
{
    const qreal ratio = devicePixelRatioF();
    const QSize room = Zoom::ToDevice(size(), ratio);
    const int zoom = Zoom::ToFit(room, DesignSize());
    const QPoint at = (QPointF(Zoom::Centred(room, DesignSize(), zoom)) / ratio).toPoint();
    const bool moved = always || zoom != Scale || at != At || ratio != Ratio;
    if (moved) {
        Scale = zoom;
        Ratio = ratio;
        At = at;
        const QRectF frame(At, QSizeF(Shown.size()) * WidgetScale());
        Inside = QRect(QPoint(qCeil(frame.left()), qCeil(frame.top())),
                       QPoint(qFloor(frame.right()) - 1, qFloor(frame.bottom()) - 1));
        update();
    }
    for (Zoomed& child : Children) {
        if (moved || child.geometry.top() >= Height)
            Show(child);
    }
}

void ClientArea::Show(Zoomed& child) const
{
    (child.restyle ? child.restyle : ScaleAsDesigned)(child, WidgetScale(), At);
    // Player two's rows lie below a one-player design: out of sight below
    // the area, as at zoom 1, not in the white around the design.
    if (child.geometry.top() >= Height && child.widget->y() < height())
        child.widget->move(child.widget->x(), height());
}

void ClientArea::ScaleAsDesigned(Zoomed& child, qreal scale, QPoint origin)
{
    QFont font = child.font;
    if (font.pixelSize() > 0)
        font.setPixelSize(std::max(1, qRound(font.pixelSize() * scale)));
    else
        font.setPointSizeF(font.pointSizeF() * scale);
    if (child.widget->font() != font)
        child.widget->setFont(font);
    child.widget->setGeometry(Zoom::Scaled(child.geometry, scale, origin));
}
