#include "Stopwatch.h"

#include <windows.h>

double ElapsedMs() {
  static LARGE_INTEGER frequency = {};
  static LARGE_INTEGER start = {};
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (frequency.QuadPart == 0) {
    QueryPerformanceFrequency(&frequency);
    start = now;
  }
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}
