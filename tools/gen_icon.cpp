// The icon: the bright green head of the sprite sheet looking up with its
// tongue out, as a few shapes on a square of 256 units. The SVG and the PNG
// of every size are drawn from these same shapes.
#include "gen_pictures.h"

#include <QPainter>
#include <QPainterPath>

#include <vector>

namespace {

constexpr int Units = 256;

struct Shape {
    QPainterPath path;
    QColor fill; // or a line of the colour `stroke`
    QColor stroke{};
    double width = 0;
};

QPainterPath Circle(double x, double y, double r)
{
    QPainterPath path;
    path.addEllipse(QPointF(x, y), r, r);
    return path;
}

// From the bottom edge `bottom` units in, up a slanted side to `side`, `y`,
// over the top as a half ellipse, and down the other side.
QPainterPath Head(double bottom, double side, double y, double rx, double ry)
{
    QPainterPath path(QPointF(bottom, Units));
    path.lineTo(side, y);
    path.arcTo(QRectF(side, y - ry, 2 * rx, 2 * ry), 180, -180);
    path.lineTo(Units - bottom, Units);
    path.closeSubpath();
    return path;
}

std::vector<Shape> IconShapes()
{
    QPainterPath tongue(QPointF(128, 58));
    tongue.lineTo(128, 22);
    tongue.lineTo(115, 4);
    tongue.moveTo(128, 22);
    tongue.lineTo(141, 4);
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    return {
        {tongue, {}, QColor(220, 0, 0), 12},
        {Head(41, 50, 126, 78, 74), black},
        {Head(57, 65, 127, 63, 60), QColor(0, 255, 0)},
        {Circle(84, 128, 19), white},
        {Circle(172, 128, 19), white},
        {Circle(96, 112, 9), black},
        {Circle(160, 112, 9), black},
    };
}

} // namespace

QImage MakeIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / double(Units), size / double(Units));
    for (const Shape& shape : IconShapes()) {
        if (shape.fill.isValid())
            painter.fillPath(shape.path, shape.fill);
        else // as SVG draws a line: square ends, sharp corners
            painter.strokePath(shape.path, QPen(shape.stroke, shape.width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    }
    painter.end();
    return icon.convertToFormat(QImage::Format_ARGB32);
}

QByteArray MakeIconSvg()
{
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n"
                     "  <!-- Made by tools/gen_pictures with the PNG icons, from the same shapes. -->\n";
    for (const Shape& shape : IconShapes()) {
        QByteArray data;
        for (int i = 0; i < shape.path.elementCount(); ++i) {
            const QPainterPath::Element e = shape.path.elementAt(i);
            data += e.isMoveTo() ? "M" : e.isLineTo() ? "L" : e.isCurveTo() ? "C" : " ";
            data += QByteArray::number(e.x, 'g', 6) + ' ' + QByteArray::number(e.y, 'g', 6);
        }
        const QByteArray paint = shape.fill.isValid()
                                     ? "fill=\"" + shape.fill.name().toLatin1() + '"'
                                     : "fill=\"none\" stroke=\"" + shape.stroke.name().toLatin1() +
                                           "\" stroke-width=\"" + QByteArray::number(shape.width) + '"';
        svg += "  <path d=\"" + data + "\" " + paint + "/>\n";
    }
    return svg + "</svg>\n";
}
