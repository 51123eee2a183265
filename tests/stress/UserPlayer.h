// The user of a stress run: what they click, type and answer, chosen from the
// run's seed, and played on the main dialog while it runs modally.
#pragma once

#include <string>
#include <vector>

#include "Dice.h"
#include "FaultInjector.h"
#include "MachineGenerator.h"

namespace stress {

struct UserAction {
  enum Kind { Browse, Type, ClickSaveBox, About, Remove } kind;
  std::string path;  // Browse: the browser's answer ("" = Cancel); Type: the text
  int firstAnswer;   // the location question (IDYES or IDNO)
  int secondAnswer;  // Remove: the start question (IDOK or IDCANCEL)
};

std::vector<UserAction> PlanUser(Dice& dice, const MachineFacts& facts);
std::string Describe(const std::vector<UserAction>& actions);

// How the program is started: "" for the dialog; else an unattended removal
// (its log on the standard output only), a check, or a command line that must
// be refused.
struct CommandLinePlan {
  std::string arguments;
  bool quiet = false;  // nothing may be shown
};
CommandLinePlan PlanCommandLine(Dice& dice, const MachineFacts& facts);

// What the user saw of the program.
struct UserRecord {
  bool dialogShown = false;
  int osMajorSeen = -1;
  std::string userNameSeen;
  std::string foundAtStart;
  bool removalStarted = false;      // the start question was answered with OK
  std::string installPath;          // the install folder when the removal started
  std::string installFolder;        // the same by its long full name, when it existed then
  bool saveTicked = false;          // the check box when the removal started
  std::vector<std::string> played;  // the actions as played, readable
};

class UserPlayer {
 public:
  UserPlayer(const std::vector<UserAction>& actions, FaultInjector& faults)
      : actions_(actions), faults_(faults) {}
  // Sets the machine's modal user and message-box watcher.
  void Attach();
  const UserRecord& Record() const { return record_; }
  // An unattended run, read back from its log: what it found and did, and the
  // message boxes that the dialog would have shown in its place.
  void ReadLog(const CommandLinePlan& plan, const std::string& log,
               std::vector<sim::MessageBoxRecord>& boxes);

 private:
  void Play(HWND dialog);
  void Perform(HWND dialog, const UserAction& action);
  void Watch(const sim::MessageBoxRecord& box);
  void QueueAnswer(int answer);
  // Answers queued for boxes that did not come are used up here, so that they
  // cannot answer a later box.
  void UseUpAnswers();

  std::vector<UserAction> actions_;
  FaultInjector& faults_;
  UserRecord record_;
  HWND mainDialog_ = nullptr;
  const UserAction* current_ = nullptr;
  size_t answersQueued_ = 0;
  size_t answersUsed_ = 0;
};

}  // namespace stress
