#pragma once
// The apple-timer bar's one table, shared by its arithmetic and by whole
// frames: columns "v" (AppleTimer), "top" (first row of the bar; 300 draws
// none) and "red", "green" (its colour, blue always 0).
void AddTimerBarRows();
