#include "platform/Presenter.h"

#include "platform/BlockRuns.h"

#include <QBackingStore>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace platform {

namespace {

constexpr std::size_t BytesPerPixel = 4;
constexpr std::uint32_t Opaque = 0xff000000u;
// Frames of at least this many window pixels go through shared memory.
constexpr qsizetype SharedMemoryPixels = 32 * 1024;

// Frame rows of format `from` can go into an image of format `to` with
// their top byte set: RGB32 into the ARGB32 formats (opaque, so the
// premultiplied values are the same), and premultiplied ARGB32 into RGB32,
// as a painter copying them (CompositionMode_Source) would store them.
bool OpaqueInto(QImage::Format from, QImage::Format to)
{
    if (from == QImage::Format_RGB32)
        return to == QImage::Format_ARGB32_Premultiplied || to == QImage::Format_ARGB32;
    return from == QImage::Format_ARGB32_Premultiplied && to == QImage::Format_RGB32;
}

// Copies `pixels` 32-bit pixels with their top byte set (see OpaqueInto); in
// fixed runs of eight the compiler does it in vector registers.
void CopyOpaque(uchar* to, const uchar* from, std::size_t pixels)
{
    constexpr std::size_t run = 8;
    std::size_t i = 0;
    for (; i + run <= pixels; i += run) {
        std::array<std::uint32_t, run> p{};
        std::memcpy(p.data(), from + i * sizeof(std::uint32_t), sizeof p);
        for (std::uint32_t& v : p)
            v |= Opaque;
        std::memcpy(to + i * sizeof(std::uint32_t), p.data(), sizeof p);
    }
    for (; i < pixels; ++i) {
        std::uint32_t v = 0;
        std::memcpy(&v, from + i * sizeof v, sizeof v);
        v |= Opaque;
        std::memcpy(to + i * sizeof v, &v, sizeof v);
    }
}

// Frame pixel `p` of a row, each repeated `zoom` times, for the target
// pixels first..last-1 of a row whose frame starts at target pixel `origin`.
void ZoomRow(std::uint32_t* to, const std::uint32_t* from, int first, int last, int origin, int zoom)
{
    int x = first;
    while (x < last) {
        const int p = (x - origin) / zoom;
        const int end = std::min(origin + (p + 1) * zoom, last);
        const std::uint32_t v = from[p] | Opaque;
        for (; x < end; ++x)
            *to++ = v;
    }
}

} // namespace

Presenter::Presenter(QWidget& widget, QSize frameSize) : Widget(widget), Size(frameSize)
{
    const auto blocks = static_cast<std::size_t>((Size.width() + Block - 1) / Block) *
                        static_cast<std::size_t>((Size.height() + Block - 1) / Block);
    ChangedRuns.reserve(blocks);
    WidgetRuns.reserve(blocks);
}

void Presenter::Place(QPoint origin, int zoom)
{
    At = origin;
    Scale = std::max(zoom, 1);
}

QRect Presenter::Area() const
{
    return QRect(At, Size * Scale);
}

QRect Presenter::ToWidget(const QRect& framePixels) const
{
    return QRect(At + framePixels.topLeft() * Scale, framePixels.size() * Scale);
}

void Presenter::Present(const QImage& frame, const FrameBlocks* drawn)
{
    const int w = std::min(frame.width(), Size.width());
    const int h = std::min(frame.height(), Size.height());
    if (w <= 0 || h <= 0)
        return;
    ++Presented;
    const std::uint64_t serial = drawn ? drawn->Serial() : 0;
    const bool follows = drawn && drawn == LastDrawn && serial == LastSerial + 1;
    LastDrawn = drawn;
    LastSerial = serial;
    if (frame.depth() % 8 != 0 || Frame.width() != w || Frame.height() != h || Frame.format() != frame.format()) {
        // The first frame, or a new size or pixel format: all of it, once.
        Frame = frame.copy(0, 0, w, h);
        Changed = QRegion(0, 0, Size.width(), Size.height());
    } else {
        CopyChangedBlocks(frame, w, h, follows ? &drawn->Changed() : nullptr);
    }
    if (Changed.isEmpty() || PaintStraight())
        return;
    WidgetRuns.clear();
    for (const QRect& r : Changed)
        WidgetRuns.push_back(ToWidget(r));
    InWidget.setRects(WidgetRuns.data(), static_cast<int>(WidgetRuns.size()));
    Widget.repaint(InWidget);
}

bool Presenter::PaintStraight()
{
    // What repaint() does for the widget, which covers its area itself,
    // without the paint event's machinery around it: the rows go straight
    // into the window's backing store and out to the screen. Only where the
    // store holds plain unscaled pixels, the region lies within the frame and
    // nothing lies on top of it (a message label); otherwise repaint() does it.
    QWidget* const top = Widget.window();
    QWindow* const handle = top->windowHandle();
    QBackingStore* const store = top->backingStore();
    if (!Widget.isVisible() || !Widget.updatesEnabled() || !handle || !handle->isExposed() || !store ||
        store->window() != handle || !Frame.rect().contains(Changed.boundingRect()))
        return false;
    WidgetRuns.clear();
    for (const QRect& r : Changed)
        WidgetRuns.push_back(ToWidget(r));
    InWidget.setRects(WidgetRuns.data(), static_cast<int>(WidgetRuns.size()));
    // childrenRegion() would build a region on every frame; a look at each
    // child allocates nothing.
    for (const QObject* child : Widget.children()) {
        const auto* const widget = qobject_cast<const QWidget*>(child);
        if (widget && widget->isVisible() && InWidget.intersects(widget->geometry()))
            return false;
    }
    const auto unscaledImage = [this, store] {
        QImage* const image = PlainImage(store->paintDevice());
        return image && image->devicePixelRatio() == 1.0 ? image : nullptr;
    };
    if (!unscaledImage())
        return false;
    const QPoint offset = Widget.mapTo(top, QPoint(0, 0));
    for (QRect& r : WidgetRuns)
        r.translate(offset);
    // Through the socket each pixel is copied three times more on the way
    // (Qt, the kernel, the server), the server woken once per rectangle;
    // through shared memory once, for one reply per frame. Small frames
    // (zoom 1) are cheaper the first way, zoomed ones the second.
    qsizetype pixels = 0;
    for (const QRect& r : WidgetRuns)
        pixels += static_cast<qsizetype>(r.width()) * r.height();
    if (pixels >= SharedMemoryPixels && PutShared(*store, *handle, offset))
        return true;
    InWidget.setRects(WidgetRuns.data(), static_cast<int>(WidgetRuns.size()));
    store->beginPaint(InWidget);
    // Beginning may give the store new pixels (a resize); look again.
    QImage* const image = unscaledImage();
    if (image) {
        for (const QRect& area : WidgetRuns)
            CopyZoomed(*image, area, At + offset);
    }
    store->endPaint();
    if (!image)
        return false;
    store->flush(InWidget, handle);
    return true;
}

bool Presenter::PutShared(QBackingStore& store, QWindow& window, QPoint offset)
{
    // The canvas is laid out as the store's image is.
    const QImage* const image = PlainImage(store.paintDevice());
    QImage* const canvas = image ? Shared.Canvas(image->size(), image->format()) : nullptr;
    if (!canvas)
        return false;
    for (const QRect& area : WidgetRuns)
        CopyZoomed(*canvas, area, At + offset);
    Shared.Put(WidgetRuns, static_cast<std::uint32_t>(window.winId()));
    StoreStale = true;
    if (Watched != &window) {
        if (Watched)
            Watched->removeEventFilter(&Watch);
        window.installEventFilter(&Watch);
        Watched = &window;
    }
    return true;
}

void Presenter::RefreshStore()
{
    // Painted as any paint is, before Qt shows the store for the expose:
    // the children on top (title, caption) are drawn again over the frame.
    StoreStale = false;
    Widget.update(Area());
}

bool Presenter::ExposeWatch::eventFilter(QObject* /*watched*/, QEvent* event)
{
    if (event->type() == QEvent::Expose && Owner.StoreStale)
        Owner.RefreshStore();
    return false;
}

void Presenter::CopyChangedBlocks(const QImage& frame, int width, int height, const std::vector<std::uint64_t>* drawn)
{
    const int columns = (width + Block - 1) / Block;
    Q_ASSERT(columns <= 64); // one bit per column of blocks
    const auto bytesPerPixel = static_cast<std::size_t>(frame.depth() / 8);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    const std::size_t blockBytes = Block * bytesPerPixel;
    const std::uint64_t allColumns = BitsBelow(columns);
    const uchar* const fromBits = frame.constBits();
    const qsizetype fromStride = frame.bytesPerLine();
    uchar* const toBits = Frame.bits();
    const qsizetype toStride = Frame.bytesPerLine();
    // Byte offset and length of the blocks first..last-1 in a row.
    const auto bytesOf = [&](int first, int last) {
        const std::size_t at = static_cast<std::size_t>(first) * blockBytes;
        return std::pair{at, std::min(static_cast<std::size_t>(last) * blockBytes, rowBytes) - at};
    };

    std::uint64_t dirty = 0;
    // Marks the blocks first..last-1 that differ in one row, halving the
    // stretch while it differs: a row that differs only in the bar takes
    // a dozen compares instead of one per block.
    const auto markDiffering = [&](const uchar* from, const uchar* to, int first, int last) {
        const auto mark = [&](const auto& self, int a, int b) -> void {
            const auto [at, bytes] = bytesOf(a, b);
            if (std::memcmp(from + at, to + at, bytes) == 0)
                return;
            if (b - a == 1) {
                dirty |= std::uint64_t{1} << a;
                return;
            }
            const int middle = a + (b - a) / 2;
            self(self, a, middle);
            self(self, middle, b);
        };
        mark(mark, first, last);
    };

    ChangedRuns.clear();
    for (int top = 0; top < height; top += Block) {
        const int bottom = std::min(top + Block, height);
        // Blocks the renderer did not draw again are as they were.
        const std::size_t band = static_cast<std::size_t>(top / Block);
        const std::uint64_t candidates = drawn ? (band < drawn->size() ? (*drawn)[band] : 0) & allColumns : allColumns;
        dirty = 0;
        for (int y = top; y < bottom && dirty != candidates; ++y) {
            const uchar* const from = fromBits + y * fromStride;
            const uchar* const to = toBits + y * toStride;
            // One compare per stretch of blocks not yet known to differ: most
            // rows differ at most in the bar, which the band's first row finds.
            ForEachRun(candidates & ~dirty, [&](int first, int last) { markDiffering(from, to, first, last); });
        }
        if (dirty == 0)
            continue;
        // Neighbouring blocks go as one run: one copy per row, one rectangle.
        const std::size_t bandStart = ChangedRuns.size();
        ForEachRun(dirty, [&](int first, int last) {
            const auto [at, bytes] = bytesOf(first, last);
            for (int y = top; y < bottom; ++y)
                std::memcpy(toBits + y * toStride + at, fromBits + y * fromStride + at, bytes);
            const int left = first * Block;
            ChangedRuns.emplace_back(left, top, std::min(last * Block, width) - left, bottom - top);
        });
        MergeWithBandAbove(bandStart);
    }
    Changed.setRects(ChangedRuns.data(), static_cast<int>(ChangedRuns.size()));
}

void Presenter::MergeWithBandAbove(std::size_t bandStart)
{
    // The band above is the stretch of rectangles ending at bandStart that
    // share its last rectangle's rows.
    if (bandStart == 0)
        return;
    const QRect& last = ChangedRuns[bandStart - 1];
    std::size_t aboveStart = bandStart - 1;
    while (aboveStart > 0 && ChangedRuns[aboveStart - 1].top() == last.top())
        --aboveStart;
    const std::size_t count = ChangedRuns.size() - bandStart;
    if (bandStart - aboveStart != count || last.bottom() + 1 != ChangedRuns[bandStart].top())
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const QRect& above = ChangedRuns[aboveStart + i];
        const QRect& below = ChangedRuns[bandStart + i];
        if (above.left() != below.left() || above.width() != below.width())
            return;
    }
    // The same runs right below: the band above grows instead, as QRegion
    // itself would keep it.
    for (std::size_t i = 0; i < count; ++i)
        ChangedRuns[aboveStart + i].setBottom(ChangedRuns[bandStart + i].bottom());
    ChangedRuns.resize(bandStart);
}

void Presenter::Paint(QPainter& painter, const QRegion& region) const
{
    // Frames are opaque: their pixels are copied, never blended.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect shown(At, Frame.size() * Scale);
    // The window's own pixels, when the painter draws into them with no
    // scaling: then a frame's rectangles are plain row copies, without the
    // painter's clipping and blending.
    const QTransform& toDevice = painter.deviceTransform();
    const bool plain = toDevice.type() <= QTransform::TxTranslate && toDevice.dx() == qRound(toDevice.dx()) &&
                       toDevice.dy() == qRound(toDevice.dy());
    QImage* const target = plain && painter.paintEngine() ? PlainImage(painter.paintEngine()->paintDevice()) : nullptr;
    const QPoint offset(qRound(toDevice.dx()), qRound(toDevice.dy()));
    for (const QRect& area : region) {
        const QRect inside = area.intersected(shown);
        if (target) {
            CopyZoomed(*target, inside.translated(offset), At + offset);
        } else if (!inside.isEmpty()) {
            // Whole frame pixels around `inside`, drawn under a clip: a
            // painter without smoothing zooms by repeating pixels. Under a
            // one-rectangle clip it copies rows straight; under the whole
            // region's clip it would blend span by span.
            const QPoint first = (inside.topLeft() - At) / Scale;
            const QPoint last = (inside.bottomRight() - At) / Scale;
            const QRect pixels(first, last);
            painter.setClipRect(inside);
            painter.drawImage(ToWidget(pixels), Frame, pixels);
        }
        if (inside != area) {
            // Around the frame the client is plain white.
            painter.setClipRect(area);
            for (const QRect& rest : QRegion(area).subtracted(inside))
                painter.fillRect(rest, Qt::white);
        }
    }
}

QImage* Presenter::PlainImage(QPaintDevice* device) const
{
    // An unshared image of our format, or one our rows go into as they are.
    if (!device || device->devType() != QInternal::Image || Frame.isNull() || Frame.depth() != 32)
        return nullptr;
    auto* const image = static_cast<QImage*>(device);
    const bool sameFormat = image->format() == Frame.format() || OpaqueInto(Frame.format(), image->format());
    return sameFormat && image->isDetached() ? image : nullptr;
}

void Presenter::CopyZoomed(QImage& target, const QRect& to, QPoint origin) const
{
    const QRect area = to.intersected(target.rect()).intersected(QRect(origin, Frame.size() * Scale));
    if (area.isEmpty())
        return;
    const qsizetype toStride = target.bytesPerLine();
    uchar* d = target.bits() + area.y() * toStride + static_cast<std::size_t>(area.x()) * BytesPerPixel;
    const std::size_t bytes = static_cast<std::size_t>(area.width()) * BytesPerPixel;
    if (Scale == 1) {
        const bool setAlpha = target.format() != Frame.format();
        const qsizetype fromStride = Frame.bytesPerLine();
        const QPoint from = area.topLeft() - origin;
        const uchar* s = Frame.constBits() + from.y() * fromStride + static_cast<std::size_t>(from.x()) * BytesPerPixel;
        for (int row = 0; row < area.height(); ++row, d += toStride, s += fromStride) {
            if (setAlpha)
                CopyOpaque(d, s, static_cast<std::size_t>(area.width()));
            else
                std::memcpy(d, s, bytes);
        }
        return;
    }
    // Each frame row is zoomed once; its other z - 1 rows copy that one.
    for (int y = area.top(); y <= area.bottom(); ++y, d += toStride) {
        if (y != area.top() && (y - origin.y()) % Scale != 0) {
            std::memcpy(d, d - toStride, bytes);
            continue;
        }
        const auto* const from = reinterpret_cast<const std::uint32_t*>(Frame.constScanLine((y - origin.y()) / Scale));
        ZoomRow(reinterpret_cast<std::uint32_t*>(d), from, area.left(), area.right() + 1, origin.x(), Scale);
    }
}

} // namespace platform
