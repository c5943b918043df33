#include "window/ClientArea.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstring>

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent)
{
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    // Opaque children only where they lie; the frame is painted by us.
    setFixedSize(Width, OnePlayerHeight);
}

void ClientArea::Present(const QImage& frame)
{
    const int w = std::min(frame.width(), Width);
    const int h = std::min(frame.height(), FrameHeight);
    if (w <= 0 || h <= 0)
        return;
    if (frame.depth() % 8 != 0) {
        Frame = frame.copy(0, 0, w, h); // odd pixel formats: rare, so a copy will do
    } else {
        // Made once; every later frame is copied into the same pixels.
        if (Frame.width() != w || Frame.height() != h || Frame.format() != frame.format())
            Frame = QImage(w, h, frame.format());
        const std::size_t rowBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(frame.depth() / 8);
        for (int y = 0; y < h; ++y)
            std::memcpy(Frame.scanLine(y), frame.constScanLine(y), rowBytes);
    }
    ++Presented;
    repaint(0, 0, Width, FrameHeight);
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    if (Frame.isNull())
        return;
    const QRect area = event->rect().intersected(Frame.rect());
    if (area.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(area.topLeft(), Frame, area);
}
