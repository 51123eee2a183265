// One stress run: a random machine, random faults and a random user from one
// seed, the program run from its start to its end, and the invariants checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace stress {

struct RunResult {
  uint64_t seed = 0;
  std::vector<std::string> violations;
  std::string ending;  // how the removal ended: not started, stopped at the copy, ...
  // The machine, the faults, the user and what happened, readable; made when
  // the run failed or `withDump` asks for it, which adds the simulated
  // machine's whole state.
  std::string description;
};

// `pupilAtAnyMoment`: a pupil also acts once while the program runs (see
// PupilAtAnyMoment.h).
RunResult RunOnce(uint64_t seed, bool withDump, bool pupilAtAnyMoment = false);

}  // namespace stress
