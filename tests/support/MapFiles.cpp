#include "support/MapFiles.h"

QByteArray MapLines(const QList<QByteArray>& rows, const QByteArray& end, int total)
{
    QByteArray bytes;
    for (int y = 0; y < total; ++y) {
        if (y < rows.size())
            bytes += rows[y];
        bytes += end;
    }
    return bytes;
}

QByteArray MapFileBytes(const QStringList& rows, int total)
{
    QList<QByteArray> padded;
    for (int y = 0; y < total; ++y)
        padded.append((y < rows.size() ? rows[y].toLatin1() : QByteArray()).leftJustified(30, ' '));
    return MapLines(padded, "\r\n", total);
}

QStringList RowsWithWalls(const QList<QPoint>& walls, bool bordered)
{
    QStringList rows(30, QString(30, QLatin1Char(' ')));
    for (int i = 0; i < 30 && bordered; ++i)
        rows[0][i] = rows[29][i] = rows[i][0] = rows[i][29] = QLatin1Char('X');
    for (const QPoint& wall : walls)
        rows[wall.y()][wall.x()] = QLatin1Char('X');
    return rows;
}

QByteArray MapWithWalls(const QList<QPoint>& walls, bool bordered)
{
    return MapFileBytes(RowsWithWalls(walls, bordered));
}

QStringList ThreeAppleMap()
{
    QStringList rows(30, QString(30, QLatin1Char('X')));
    for (int y = 25; y <= 28; ++y)
        rows[y][15] = QLatin1Char(' ');
    return rows;
}

QStringList WallAboveStartMap()
{
    return RowsWithWalls({{15, 26}}, false);
}
