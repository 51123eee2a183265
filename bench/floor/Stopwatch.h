// Times of the benchmark's programs, from the performance counter.
#pragma once

// Milliseconds since the first call.
double ElapsedMs();
