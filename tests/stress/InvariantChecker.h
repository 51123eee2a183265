// The invariants of every stress run, checked on the machine before and after
// the run and on what the user saw: nothing but the product's components is
// deleted or changed, student data is never lost, the final report names
// whatever was left, and everything the program opened is closed.
#pragma once

#include <string>
#include <vector>

#include "FaultInjector.h"
#include "MachineGenerator.h"
#include "Snapshot.h"
#include "UserPlayer.h"

namespace stress {

// How the removal ended, read from the message boxes.
struct RunEnding {
  enum Kind {
    NotStarted,     // the user never let the removal start
    StoppedAtCopy,  // the student data could not be saved
    Reported,       // the final report was shown
    Unfinished,     // started, but neither stopped nor reported
  } kind = NotStarted;
  bool success = false;              // the report was the "Success!" message
  std::vector<std::string> entries;  // the report's lines after its header
  // The entries that Windows deletes when it next starts: the whole message
  // when nothing else is left, else the report's section of its own.
  std::vector<std::string> atRestart;
  std::string registryBackup;  // the file the final message names; "" when none
};

RunEnding ReadEnding(const std::vector<sim::MessageBoxRecord>& boxes, const UserRecord& user);
const char* EndingName(RunEnding::Kind kind);

struct RunEvidence {
  const MachineFacts& facts;
  const UserRecord& user;
  const std::vector<InjectedFault>& faults;
  const Snapshot& before;
  const Snapshot& after;
  const RunEnding& ending;
  const std::vector<std::string>& events;  // the simulated machine's log
  // What a pupil made or moved while the program ran, by PathKey: theirs,
  // not the run's.
  const std::vector<std::string>& pupilTouched;
};

// Every broken invariant, one readable line each.
std::vector<std::string> CheckInvariants(const RunEvidence& run);

}  // namespace stress
