#pragma once
// Whole-number zoom of the client area: which zoom a size of window holds,
// which one the window opens at, and where the zoomed picture lies. Zooms
// count device pixels, so that on a desktop scaled by 1.5 every picture
// pixel is still a square of whole screen pixels.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace Zoom {

// The largest whole zoom at which `design` fits into `room`; at least 1.
int ToFit(QSize room, QSize design);

// The zoom a window opens at on a screen whose free area is `available`:
// the largest at which the client (`design` zoomed) and the menu bar above
// it (`menuHeight`, never zoomed) fit in 80 % of its width and height.
int AtStart(QSize available, QSize design, int menuHeight);

// The top-left corner of `design` at `zoom`, centred in `room`.
QPoint Centred(QSize room, QSize design, int zoom);

// A rectangle of the design, `scale` times its size, from `origin`.
QRect Scaled(const QRect& design, qreal scale, QPoint origin);

// The whole device pixels a size in widget pixels holds at `ratio`.
QSize ToDevice(QSize widget, qreal ratio);
// The widget pixels that hold a size in device pixels at `ratio`.
QSize ToLogical(QSize device, qreal ratio);

// The client's size for `design` at `zoom` when it was `client` for `was`
// at `wasZoom`: the white the player left around the picture stays.
QSize Regrown(QSize client, QSize was, int wasZoom, QSize design, int zoom);

// The zoom a window sized by the player takes when its design changes from
// `was` to `design`: `wanted`, unless the client would then grow past
// `room`, the most the screen shows of it; then the largest zoom below that
// fits, or that leaves the client no bigger than it is.
int AfterDesignChange(QSize client, QSize was, QSize design, int wanted, QSize room);

} // namespace Zoom
