#include "window/Zoom.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace Zoom {

int ToFit(QSize room, QSize design)
{
    if (design.isEmpty())
        return 1;
    return std::max(1, std::min(room.width() / design.width(), room.height() / design.height()));
}

int AtStart(QSize available, QSize design, int menuHeight)
{
    // Whole pixels of the 80 %, so that a window exactly that size fits.
    const QSize room(available.width() * 4 / 5, available.height() * 4 / 5 - menuHeight);
    return ToFit(room, design);
}

QPoint Centred(QSize room, QSize design, int zoom)
{
    return {std::max(0, (room.width() - design.width() * zoom) / 2),
            std::max(0, (room.height() - design.height() * zoom) / 2)};
}

QRect Scaled(const QRect& design, qreal scale, QPoint origin)
{
    return QRectF(QPointF(origin) + QPointF(design.topLeft()) * scale, QSizeF(design.size()) * scale).toRect();
}

QSize ToDevice(QSize widget, qreal ratio)
{
    // A hair below whole, as 344 * 1.5 / 1.5 may come out, still counts.
    return {static_cast<int>(std::floor(widget.width() * ratio + 1e-6)),
            static_cast<int>(std::floor(widget.height() * ratio + 1e-6))};
}

QSize ToLogical(QSize device, qreal ratio)
{
    // At a ratio like 1.5 the window system rounds a window's edges to whole
    // device pixels, which may take one from it: one widget pixel more.
    const int spare = ratio == std::floor(ratio) ? 0 : 1;
    return {static_cast<int>(std::ceil(device.width() / ratio - 1e-6)) + spare,
            static_cast<int>(std::ceil(device.height() / ratio - 1e-6)) + spare};
}

QSize Regrown(QSize client, QSize was, int wasZoom, QSize design, int zoom)
{
    return (client + design * zoom - was * wasZoom).expandedTo(design);
}

int AfterDesignChange(QSize client, QSize was, QSize design, int wanted, QSize room)
{
    const int wasZoom = ToFit(client, was);
    int zoom = std::max(wanted, 1);
    for (; zoom > 1; --zoom) {
        const QSize grown = Regrown(client, was, wasZoom, design, zoom);
        const auto within = [&grown](QSize limit) {
            return grown.width() <= limit.width() && grown.height() <= limit.height();
        };
        if (within(room) || within(client))
            break;
    }
    return zoom;
}

} // namespace Zoom
