#include "support/TestMaps.h"

namespace TestMaps {

QStringList ThreeAppleMap()
{
    QStringList rows(30, QString(30, QLatin1Char('X')));
    for (int y = 25; y <= 28; ++y)
        rows[y][15] = QLatin1Char(' ');
    return rows;
}

QStringList WallAboveStartMap()
{
    QStringList rows(30, QString());
    rows[26] = QString(15, QLatin1Char(' ')) + QLatin1Char('X');
    return rows;
}

} // namespace TestMaps
