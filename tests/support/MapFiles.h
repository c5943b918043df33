#pragma once
// Map file bytes made by hand, independent of the game's own loader.
#include <QByteArray>
#include <QList>
#include <QStringList>

// `total` lines: each given row as it is, the rest empty, each ended by `end`.
// Short rows and odd line ends are what the loader tests need.
QByteArray MapLines(const QList<QByteArray>& rows, const QByteArray& end = "\r\n", int total = 30);

// A well-formed map of `total` CR LF lines, each padded to 30 characters;
// rows past the given ones are all spaces. Fewer than 30 lines makes a
// damaged map.
QByteArray MapFileBytes(const QStringList& rows, int total = 30);
