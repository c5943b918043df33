#pragma once
// What a process spent, from /proc/PID/task/*/schedstat (nanoseconds on a
// CPU, and the number of times a thread was put on a CPU, that is its
// wake-ups); this process's own totals come from getrusage, which keeps the
// threads that have ended (the sound device's thread comes and goes).

// CPU time and wake-ups summed over every thread of a process, and the
// shares of its main thread and of SDL's audio thread.
struct CpuUse {
    double seconds = 0;
    long long wakeups = 0;
    double mainSeconds = 0, audioSeconds = 0;
};

CpuUse ReadCpu(long pid);

// This process, the X server and a sound server (given by
// SNAKE_PACE_XSERVER_PID and SNAKE_PACE_SOUND_PID), read together.
struct CpuPair {
    CpuUse game, xserver, soundServer;
};

CpuPair ReadCpuPair();

// Milliseconds since this process started: from the wall-clock stamp the
// script took just before starting it (SNAKE_PACE_T0_NS), else from the
// kernel's start time (10 ms steps).
double MillisecondsSinceProcessStart();
