#pragma once
// Level maps that make the real game reach a sequence quickly and surely.
#include <QStringList>

namespace TestMaps {

// Walls everywhere but the start column's lowest four squares: every batch
// can only lie on the three squares above the start, which the snake eats in
// its first three steps, so the level is completed a few passes in.
QStringList ThreeAppleMap();

// An open field with one wall two squares above the start: the snake crashes
// in the first pass and in every pass after a restarted round.
QStringList WallAboveStartMap();

} // namespace TestMaps
