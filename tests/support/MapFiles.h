#pragma once
// Map file bytes made by hand, independent of the game's own loader: every
// map of the tests comes from here.
#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QStringList>

// `total` lines: each given row as it is, the rest empty, each ended by `end`.
// Short rows and odd line ends are what the loader tests need.
QByteArray MapLines(const QList<QByteArray>& rows, const QByteArray& end = "\r\n", int total = 30);

// A well-formed map of `total` CR LF lines, each padded to 30 characters;
// rows past the given ones are all spaces. Fewer than 30 lines makes a
// damaged map.
QByteArray MapFileBytes(const QStringList& rows, int total = 30);

// Walls on the listed squares (x, y) of an open field, or of one with a
// border of walls.
QStringList RowsWithWalls(const QList<QPoint>& walls, bool bordered);
QByteArray MapWithWalls(const QList<QPoint>& walls, bool bordered);

// Maps that make the real game reach a sequence quickly and surely.
// Walls everywhere but the start column's lowest four squares: every batch
// can only lie on the three squares above the start, which the snake eats in
// its first three steps, so the level is completed a few passes in.
QStringList ThreeAppleMap();
// An open field with one wall two squares above the start: the snake crashes
// in the first pass and in every pass after a restarted round.
QStringList WallAboveStartMap();
