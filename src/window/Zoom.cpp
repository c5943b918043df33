#include "window/Zoom.h"

#include <algorithm>

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

QRect Scaled(const QRect& design, int zoom, QPoint origin)
{
    return {origin + design.topLeft() * zoom, design.size() * zoom};
}

} // namespace Zoom
