// The one source of chance of a stress run: every choice comes from the run's
// seed, so a run is played again exactly from its seed.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace stress {

class Dice {
 public:
  explicit Dice(uint64_t seed) : engine_(seed) {}

  bool Chance(double probability) {
    return std::uniform_real_distribution<double>(0.0, 1.0)(engine_) < probability;
  }
  // A whole number from `low` to `high`, both included.
  int Between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(engine_); }
  template <typename T>
  const T& Pick(const std::vector<T>& choices) {
    return choices[static_cast<size_t>(Between(0, static_cast<int>(choices.size()) - 1))];
  }
  // Bytes of any value, NUL included.
  std::string Bytes(int length) {
    std::string bytes;
    for (int i = 0; i < length; ++i) bytes += static_cast<char>(Between(0, 255));
    return bytes;
  }
  // A seed for a separate stream, so that one part's number of draws does
  // not shift another's.
  uint64_t Fork() { return engine_(); }

 private:
  std::mt19937_64 engine_;
};

}  // namespace stress
