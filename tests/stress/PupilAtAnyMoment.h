// A pupil at any moment: at one call of the run, drawn per seed, a pupil does
// one thing they may do in a folder of the product's, or where the run logs
// or saves, that they may change:
// make an empty folder a mount point to a teacher's folder, swap a folder for
// a link to it, give the teacher's read-only file a second name there, or
// plant a km2.jar. The run and the restart then go on.
#pragma once

#include <string>
#include <vector>

#include "Dice.h"
#include "MachineGenerator.h"

namespace stress {

class PupilAtAnyMoment {
 public:
  // Makes the teacher's folder the acts aim at: before the run's first
  // snapshot, so that the checker guards it as it guards all that is not
  // the product's.
  PupilAtAnyMoment(Dice& dice, const MachineFacts& facts);
  // Wraps the machine's fault hook, whose calls it counts.
  void Attach();
  // Entries the pupil made or moved, by PathKey: not the run's doing.
  const std::vector<std::string>& Touched() const { return touched_; }
  std::string Describe() const;
  // After the run and the restart: the teacher's folder as it was, and no
  // "Success!" while something the pupil moved away in the folder `removed`
  // (the removal's install folder, long name) stays.
  void Check(bool success, const std::string& removed, std::vector<std::string>& violations) const;

 private:
  void Act();

  Dice& dice_;
  const MachineFacts& facts_;
  long long moment_;
  long long calls_ = 0;
  std::string done_ = "nothing yet";
  std::vector<std::string> touched_;
  std::vector<std::string> movedAway_;
};

}  // namespace stress
