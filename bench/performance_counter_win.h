// The performance counter as the clock of the benchmark programs (Windows or Wine).
#pragma once

#include <windows.h>

// Milliseconds since an arbitrary start.
inline double NowMilliseconds() {
  static const double unitsPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / unitsPerMs;
}
