#pragma once

#include <functional>

// How long one piece of work took on the real clock, and how much of that the process spent
// on the CPU: the work is on the line, so a busy process is a fault of its own.
struct Measurement {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  bool succeeded = true;  // a failed run is fast, and must not pass for a good figure
};

// Runs `work`; a thrown Exception is printed and makes the measurement a failed one.
Measurement Time(const std::function<void()>& work);

// Prints one line: the figure, its floor and the ratio against `allowedRatio`, and ok,
// MISSED or FAILED; true for ok. `before`, when given, is the figure the same work took
// another way (before the command line ran in one session; on the serial adapter), printed
// after `beforeLabel`.
bool Report(const char* name, double floorSeconds, double allowedRatio, const Measurement& measured,
            double before = 0, const char* beforeLabel = "before");
