#pragma once
// The one way a game frame reaches the screen: "show this surface at zoom z
// with its top-left corner here" in a widget. Only the 10 x 10 blocks that
// differ from the last frame are copied, each pixel as a z x z square, and
// they go straight into the window's backing store and out to the screen
// before Present returns, with the widget's paint event as the fallback.
//
// The straight path relies on Qt 6's raster backing stores (xcb, wayland,
// offscreen; checked with Qt 6.4): between beginPaint() and endPaint() the
// store's paint device is the window's own image, and flush() shows it. A
// store that is not such an image, or one scaled for a HiDPI screen, takes
// the fallback: repaint(), whose paint event calls Paint().
//
// On X11 a frame of many pixels (zoomed) skips the store and goes to the
// server through shared memory (ShmFlush). This relies on Qt 6's xcb
// backing store too (checked with Qt 6.4): it shows only pixels it was
// given between beginPaint() and endPaint() or painted itself, and on an
// expose it paints what is marked dirty and then shows the store; so before
// Qt handles an expose, the frame's area is marked dirty, and the frame is
// painted into the store again with the title or caption on top.
#include "platform/FrameBlocks.h"
#include "platform/ShmFlush.h"
#include "platform/Surface.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QRegion>

#include <cstddef>
#include <cstdint>
#include <vector>

class QBackingStore;
class QPainter;
class QPaintDevice;
class QWidget;
class QWindow;

namespace platform {

class Presenter {
  public:
    static constexpr int Block = FrameBlocks::Block;

    // Shows frames of up to `frameSize` in `widget`, which must outlive it.
    Presenter(QWidget& widget, QSize frameSize);

    // Where the frame's top-left pixel lands in the widget, and its zoom
    // (at least 1). The caller repaints the widget after a change.
    void Place(QPoint origin, int zoom);
    int Zoom() const { return Scale; }
    QPoint Origin() const { return At; }
    // The frame's rectangle in the widget, at its zoom.
    QRect Area() const;

    // Takes the surface's top-left corner and shows the blocks that differ
    // from the last frame before returning, so the screen shows it even if
    // no events follow; an unchanged frame costs no painting at all. Where
    // the surface drew this frame as the one after the last presented, only
    // the blocks it drew are compared.
    void Present(const Surface& frame) { Present(frame.image(), frame.Frames()); }
    int FramesPresented() const { return Presented; }
    // The frame's pixels the last Present showed (empty when unchanged).
    const QRegion& LastChange() const { return Changed; }
    // The last frame presented.
    const QImage& Shown() const { return Frame; }

    // For the widget's paint event: paints `region` (widget pixels), the
    // frame where it lies and white around it.
    void Paint(QPainter& painter, const QRegion& region) const;

  private:
    void Present(const QImage& frame, const FrameBlocks* drawn);
    // Copies every block of `frame` that differs from Frame into it and
    // collects the blocks, merged into runs, in Changed.
    void CopyChangedBlocks(const QImage& frame, int width, int height, const std::vector<std::uint64_t>* drawn);
    // Joins the runs from bandStart on to the band right above them when
    // both have the same runs, keeping ChangedRuns a coalesced region.
    void MergeWithBandAbove(std::size_t bandStart);
    // Shows Changed straight from the backing store; false, having done
    // nothing visible, where it cannot.
    bool PaintStraight();
    // Shows the runs in WidgetRuns (window pixels; the widget's top-left at
    // `offset`) through shared memory, leaving the store as it was; false,
    // having shown nothing, where it cannot.
    bool PutShared(QBackingStore& store, QWindow& window, QPoint offset);
    // Marks the frame's area for painting: the store lacks what PutShared()
    // showed, and an expose would show the store as it is.
    void RefreshStore();
    // `device` if it is an image the frame's rows can be copied into.
    QImage* PlainImage(QPaintDevice* device) const;
    // Copies the frame, zoomed, onto the pixels `to` of `target`, where the
    // frame's top-left pixel lands at `origin`; `to` lies within the frame.
    void CopyZoomed(QImage& target, const QRect& to, QPoint origin) const;
    // Frame pixels to widget pixels.
    QRect ToWidget(const QRect& framePixels) const;

    QWidget& Widget;
    const QSize Size;
    QImage Frame; // our own copy: the renderer keeps drawing into its buffer
    QRegion Changed;
    std::vector<QRect> ChangedRuns; // room for every block, reserved once
    std::vector<QRect> WidgetRuns;  // the same, in widget pixels
    QRegion InWidget;
    QPoint At;
    int Scale = 1;
    int Presented = 0;
    // The drawn blocks of the frame last presented, and their serial.
    const FrameBlocks* LastDrawn = nullptr;
    std::uint64_t LastSerial = 0;
    ShmFlush Shared;
    // Qt shows the backing store's pixels again on an expose without
    // painting them anew: the frame goes into the store first.
    class ExposeWatch final : public QObject {
      public:
        explicit ExposeWatch(Presenter& owner) : Owner(owner) {}

      protected:
        bool eventFilter(QObject* watched, QEvent* event) override;

      private:
        Presenter& Owner;
    };
    ExposeWatch Watch{*this};
    QPointer<QWindow> Watched;
    bool StoreStale = false; // frame pixels shown that the store lacks
};

} // namespace platform
