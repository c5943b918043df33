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
