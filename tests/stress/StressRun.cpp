#include "StressRun.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

#include "FaultInjector.h"
#include "InvariantChecker.h"
#include "MachineGenerator.h"
#include "PupilAtAnyMoment.h"
#include "PupilLinks.h"
#include "Snapshot.h"
#include "UserPlayer.h"
#include "app/RemoverApp.h"
#include "removal/ProductTraces.h"

namespace stress {
namespace {

// Enough for any run that ends: every entry on the machine may be listed,
// copied and deleted many times over.
long long CallLimit(const Snapshot& machine) {
  return 20000 + 60 * static_cast<long long>(machine.files.size() + machine.keys.size());
}

int FaultCount(const std::vector<InjectedFault>& faults, sim::Op op) {
  int count = 0;
  for (const InjectedFault& fault : faults) count += fault.op == op ? 1 : 0;
  return count;
}

// Invariant 4: whatever the program opened, it closed.
void CheckAccounting(const std::vector<InjectedFault>& faults,
                     std::vector<std::string>& violations) {
  const sim::Machine& m = sim::machine();
  auto expectNone = [&violations](int open, const char* what) {
    if (open != 0) violations.push_back(std::to_string(open) + " " + what + " left open");
  };
  expectNone(m.OpenFindHandles(), "find handles");
  expectNone(m.OpenFileHandles(), "file handles");
  // A key whose close failed stays open, whatever the program does.
  expectNone(std::max(0, m.OpenKeys() - FaultCount(faults, sim::Op::RegCloseKey)), "registry keys");
  expectNone(m.LiveWindows(), "windows");
  expectNone(m.ComInitDepth(), "COM initialisations");
  expectNone(m.LiveItemIdLists(), "folder-browser item lists");
  expectNone(m.OpenProcessHandles(), "process handles");
}

// What the program read at start-up, where no fault stood in its way.
void CheckStartUp(const MachineFacts& facts, const UserRecord& user,
                  const std::vector<InjectedFault>& faults, std::vector<std::string>& violations) {
  if (!user.dialogShown || FaultCount(faults, sim::Op::GetVersion) > 0) return;
  if (user.osMajorSeen != facts.osMajor)
    violations.push_back("OS major version read as " + std::to_string(user.osMajorSeen));
  if (facts.osMajor >= 5 && FaultCount(faults, sim::Op::GetUserName) == 0 &&
      user.userNameSeen != facts.userName)
    violations.push_back("user name read as \"" + Printable(user.userNameSeen) + "\"");
}

// With /allusers the removal also takes the product's shortcuts and program
// folder from other profiles, which the checker does not count as its own:
// deleted now, or left to the restart when the delete is refused.
bool TakenByAllUsers(const CommandLinePlan& commandLine, const std::string& violation) {
  const std::string deleted = "deleted outside the product's components (";
  const std::string scheduled = "scheduled outside the product's components: ";
  if (commandLine.arguments.find("/allusers") == std::string::npos) return false;
  std::string path;
  if (violation.compare(0, deleted.size(), deleted) == 0)
    path = violation.substr(violation.find("): ") + 3);
  else if (violation.compare(0, scheduled.size(), scheduled) == 0)
    path = violation.substr(scheduled.size());
  else
    return false;
  auto endsWith = [&path](const std::string& end) {
    return path.size() >= end.size() &&
           path.compare(path.size() - end.size(), end.size(), end) == 0;
  };
  for (const char* name : kDesktopShortcuts)
    if (endsWith(std::string("\\Desktop\\") + name)) return true;
  for (const char* name : kStartMenuShortcuts)
    if (endsWith(std::string("\\Start Menu\\") + name)) return true;
  return endsWith("\\Start Menu\\Programs\\Kelmora") ||
         path.find("\\Start Menu\\Programs\\Kelmora\\") != std::string::npos;
}

// The exit code tells how the removal ended; never 0 when something is left.
void CheckExitCode(const CommandLinePlan& commandLine, const RunEnding& ending, int code,
                   std::vector<std::string>& violations) {
  if (code == -1) return;  // the run did not end
  int expected = code;
  if (ending.kind == RunEnding::Reported) {
    expected = ending.success ? 0 : ending.entries.empty() ? 3010 : 1603;
  }
  if (ending.kind == RunEnding::StoppedAtCopy) expected = 266;
  const bool removal = commandLine.arguments.find("/check") == std::string::npos;
  if (ending.kind == RunEnding::NotStarted && code == 0 && removal &&
      !commandLine.arguments.empty())
    expected = -1;  // an unattended removal that never started cannot have removed everything
  if (code != expected)
    violations.push_back("exit code " + std::to_string(code) + " after the ending \"" +
                         EndingName(ending.kind) + "\"");
}

// Invariant 5: with only what Windows deletes at restart left, a restart
// leaves nothing of it. Invariant 6: a pupil's links planted before the
// restart lead none of its deletes elsewhere.
void CheckRestart(Dice& dice, const RunEnding& ending, std::vector<std::string>& violations) {
  sim::Machine& m = sim::machine();
  if (m.PendingDeletes().empty()) return;
  std::vector<std::string> tops;
  const std::string folder = "Folder: ";
  for (const std::string& entry : ending.atRestart)
    if (entry.compare(0, folder.size(), folder) == 0 && entry.size() > folder.size())
      tops.push_back(entry.substr(folder.size()));
  const std::vector<Sentinel> sentinels = PlantPupilLinks(dice, tops);
  m.Restart();
  CheckSentinels(sentinels, violations);
  if (ending.kind != RunEnding::Reported || !ending.entries.empty() || !sentinels.empty()) return;
  for (const std::string& entry : ending.atRestart) {
    const std::string path = entry.substr(entry.find(": ") + 2);
    if (m.Exists(path)) violations.push_back("still there after the restart: " + Printable(path));
  }
}

std::string DescribeRun(uint64_t seed, const CommandLinePlan& commandLine,
                        const MachineFacts& facts, const FaultInjector& faults,
                        const std::vector<UserAction>& plan, const UserRecord& user,
                        const RunEnding& ending) {
  std::string text = "seed " + std::to_string(seed) +
                     "\ncommand line: " + Printable(commandLine.arguments) + "\nmachine:\n";
  for (const std::string& note : facts.notes) text += "  " + Printable(note) + "\n";
  text += faults.Describe() + Describe(plan) + "played:\n";
  for (const std::string& step : user.played) text += "  " + step + "\n";
  text += "injected:\n";
  for (const InjectedFault& fault : faults.Injected())
    text += std::string("  ") + sim::OpName(fault.op) + " " + Printable(fault.target) + " -> " +
            std::to_string(fault.error) + (fault.duringRemoval ? " (removal)" : "") + "\n";
  text += "removal install folder: \"" + Printable(user.installPath) + "\", save box " +
          (user.saveTicked ? "ticked" : "not ticked") + "\nending: " + EndingName(ending.kind) +
          (ending.success ? " (Success!)" : "") + "\n";
  for (const std::string& entry : ending.entries) text += "  | " + Printable(entry) + "\n";
  return text;
}

}  // namespace

RunResult RunOnce(uint64_t seed, bool withDump, bool pupilAtAnyMoment) {
  RunResult result;
  result.seed = seed;
  sim::Machine& m = sim::reset();
  // A fresh process: no main window left from the run before.
  theApp.m_pMainWnd = NULL;

  Dice dice(seed);
  MachineFacts facts = BuildRandomMachine(dice);
  FaultInjector faults(dice, facts);
  const std::vector<UserAction> plan = PlanUser(dice, facts);
  UserPlayer player(plan, faults);
  // Its own dice, so that the machines, faults and users of other seeds stay.
  Dice commandDice(dice.Fork());
  const CommandLinePlan commandLine = PlanCommandLine(commandDice, facts);
  // The pupil's, last, so that every other choice of a seed stays as it was.
  Dice pupilDice(dice.Fork());
  Dice momentDice(dice.Fork());
  std::unique_ptr<PupilAtAnyMoment> pupil;
  if (pupilAtAnyMoment) pupil = std::make_unique<PupilAtAnyMoment>(momentDice, facts);
  m.SetCommandLine("\"C:\\Temp\\RemoveKM.exe\" " + commandLine.arguments);
  m.RedirectStandardOutput();

  const Snapshot before = Snapshot::Take();
  faults.Arm(m.CallCount() + CallLimit(before));
  player.Attach();
  if (pupil) pupil->Attach();
  // Unattended, the removal may start before anything is asked.
  if (commandLine.quiet) faults.MarkRemovalStarted();
  int exitCode = -1;
  try {
    theApp.InitInstance();
    exitCode = theApp.ExitInstance();
  } catch (const CallLimitExceeded&) {
    result.violations.push_back("the program did not end within " +
                                std::to_string(CallLimit(before)) + " platform calls");
  } catch (const std::exception& error) {
    result.violations.push_back(std::string("exception out of the program: ") + error.what());
  }
  m.faultHook = nullptr;
  m.modalUser = nullptr;
  m.onMessageBox = nullptr;

  const Snapshot after = Snapshot::Take();
  std::vector<sim::MessageBoxRecord> boxes = m.messageBoxes;
  if (!commandLine.arguments.empty()) {
    if (commandLine.quiet && !m.messageBoxes.empty())
      result.violations.push_back("a message box in an unattended run: " +
                                  Printable(m.messageBoxes[0].text));
    for (const std::string& event : m.events)
      if (commandLine.quiet &&
          (event.rfind("DialogBox ", 0) == 0 || event.rfind("CreateDialog ", 0) == 0))
        result.violations.push_back("a window in an unattended run: " + event);
    player.ReadLog(commandLine, m.standardOutput, boxes);
  }
  const RunEnding ending = ReadEnding(boxes, player.Record());
  CheckExitCode(commandLine, ending, exitCode, result.violations);
  const std::vector<std::string> noneTouched;
  for (const std::string& violation :
       CheckInvariants({facts, player.Record(), faults.Injected(), before, after, ending, m.events,
                        pupil ? pupil->Touched() : noneTouched}))
    if (!TakenByAllUsers(commandLine, violation)) result.violations.push_back(violation);
  if (!faults.CallLimitReached()) CheckAccounting(faults.Injected(), result.violations);
  CheckRestart(pupilDice, ending, result.violations);
  if (pupil) pupil->Check(ending.success, player.Record().installFolder, result.violations);
  CheckStartUp(facts, player.Record(), faults.Injected(), result.violations);

  result.ending = std::string(EndingName(ending.kind)) + (ending.success ? " (Success!)" : "");
  if (result.violations.empty() && !withDump) return result;
  result.description = DescribeRun(seed, commandLine, facts, faults, plan, player.Record(), ending);
  if (pupil) result.description += pupil->Describe();
  if (withDump) result.description += "simulated machine:\n" + m.Dump();
  return result;
}

}  // namespace stress
