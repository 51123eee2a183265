// A pupil between the run and the restart: wherever they may still change a
// folder of what is left to the restart, they put a link to a sentinel folder
// that holds the same names, so that a restart which follows it would delete
// the sentinel's files.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Dice.h"

namespace stress {

extern const char kPupil[];

struct Sentinel {
  std::string folder;
  std::map<std::string, std::string> files;  // as planted
};

// `tops` are the folders the run left to the restart.
std::vector<Sentinel> PlantPupilLinks(Dice& dice, const std::vector<std::string>& tops);
// After the restart: every sentinel's files as planted.
void CheckSentinels(const std::vector<Sentinel>& sentinels, std::vector<std::string>& violations);

}  // namespace stress
