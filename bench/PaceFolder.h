#pragma once
// The game folder of a pace run: a level map and the shipped sounds.
#include <QString>

// The busy game's folder holds the first shipped level, the others an open
// field; false when the folder cannot be made so.
bool PrepareGameFolder(const QString& folder, bool busy);
