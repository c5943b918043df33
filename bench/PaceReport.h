#pragma once
// The lines pace_driver prints: bench/pace.sh and bench/present_compare.sh
// read them, key=value, one line a run.
#include "PaceCpu.h"

class PaceView;

// The pass periods and CPU use of a measured game at speed `speedIndex`.
void PrintFigures(const PaceView& view, int speedIndex, int zoom);
// The wake-ups and CPU use of an idle window (the title, or a paused game).
void PrintIdleFigures(const char* what, const CpuPair& start, const CpuPair& end, double seconds);
