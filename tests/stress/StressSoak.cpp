// A long soak of the stress runs: stress_soak FIRST_SEED RUNS [pupil]; with
// "pupil", a pupil acts at a moment of each run. One run prints its whole
// description, for replaying a failure.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "StressRun.h"

int main(int argc, char** argv) {
  const bool pupil = argc == 4 && std::string(argv[3]) == "pupil";
  if (argc != 3 && !pupil) {
    std::fprintf(stderr, "usage: %s FIRST_SEED RUNS [pupil]\n", argv[0]);
    return 2;
  }
  const uint64_t first = std::strtoull(argv[1], nullptr, 10);
  const uint64_t runs = std::strtoull(argv[2], nullptr, 10);
  const auto start = std::chrono::steady_clock::now();
  uint64_t failures = 0;
  std::map<std::string, uint64_t> endings;
  for (uint64_t seed = first; seed < first + runs; ++seed) {
    const bool alone = runs == 1;
    stress::RunResult result = stress::RunOnce(seed, alone, pupil);
    if (alone) std::printf("%s", result.description.c_str());
    ++endings[result.ending];
    if (!result.violations.empty()) {
      ++failures;
      for (const std::string& violation : result.violations)
        std::printf("FAIL seed %llu: %s\n", static_cast<unsigned long long>(seed),
                    violation.c_str());
    }
    if ((seed - first + 1) % 10000 == 0) {
      std::printf("%llu runs, %llu failures\n", static_cast<unsigned long long>(seed - first + 1),
                  static_cast<unsigned long long>(failures));
      std::fflush(stdout);
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%llu runs from seed %llu in %.1f s: %llu failures\n",
              static_cast<unsigned long long>(runs), static_cast<unsigned long long>(first),
              seconds, static_cast<unsigned long long>(failures));
  for (const auto& ending : endings)
    std::printf("  %s: %llu\n", ending.first.c_str(),
                static_cast<unsigned long long>(ending.second));
  return failures == 0 ? 0 : 1;
}
