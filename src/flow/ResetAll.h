#pragma once
// One call that puts every module with state back as the program starts, for
// test fixtures and benchmarks. A module that gains state adds its reset here.

// Game state and settings, the score table and its error reporter, the real
// sound player, the program and user folders, the wait for a file lock, the
// fatal and end-of-program handlers and the frame buffer with its copy count.
// Not the random numbers (seed them), not a window that is open, and not the
// view, time source or sound player that a stand-in installs for its
// lifetime: those are given back by the stand-in.
void ResetAll();
