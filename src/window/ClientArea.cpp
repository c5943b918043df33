#include "window/ClientArea.h"

#include "window/Zoom.h"

#include <QPaintEvent>
#include <QPainter>

ClientArea::ClientArea(QWidget* parent) : QWidget(parent), Screen(*this, QSize(Width, FrameHeight))
{
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    // paintEvent covers every pixel itself, so Qt need not clear the area
    // first; the children lie on top as before.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(Width, OnePlayerHeight);
    resize(Width, OnePlayerHeight);
}

void ClientArea::KeepZoomed(QWidget& child, void (*restyle)(Zoomed&, int, QPoint))
{
    Children.push_back({&child, child.geometry(), child.font(), {}, restyle});
    Show(Children.back());
}

void ClientArea::HideNow(QWidget& child)
{
    if (child.isHidden())
        return;
    child.hide();
    repaint(child.geometry());
}

void ClientArea::SetDesignHeight(int height)
{
    Height = height;
    setMinimumHeight(height);
    Relayout(true);
}

void ClientArea::resizeEvent(QResizeEvent* /*event*/)
{
    Relayout(false);
}

void ClientArea::Relayout(bool always)
{
    const int zoom = Zoom::ToFit(size(), DesignSize());
    const QPoint origin = Zoom::Centred(size(), DesignSize(), zoom);
    const bool moved = always || zoom != Screen.Zoom() || origin != Screen.Origin();
    if (moved) {
        Screen.Place(origin, zoom);
        update();
    }
    for (Zoomed& child : Children) {
        if (moved || child.geometry.top() >= Height)
            Show(child);
    }
}

void ClientArea::Show(Zoomed& child) const
{
    const int zoom = Screen.Zoom();
    const QPoint origin = Screen.Origin();
    if (child.restyle)
        child.restyle(child, zoom, origin);
    else
        ScaleAsDesigned(child, zoom, origin);
    // Player two's rows lie below a one-player design: out of sight below
    // the area, as at zoom 1, not in the white around the design.
    if (child.geometry.top() >= Height && child.widget->y() < height())
        child.widget->move(child.widget->x(), height());
}

void ClientArea::ScaleAsDesigned(Zoomed& child, int zoom, QPoint origin)
{
    QFont font = child.font;
    if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() * zoom);
    else
        font.setPointSizeF(font.pointSizeF() * zoom);
    if (child.widget->font() != font)
        child.widget->setFont(font);
    child.widget->setGeometry(Zoom::Scaled(child.geometry, zoom, origin));
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    Screen.Paint(painter, event->region());
}
