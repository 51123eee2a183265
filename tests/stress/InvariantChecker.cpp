#include "InvariantChecker.h"

#include <set>
#include <stdexcept>

#include "PathKey.h"
#include "ProductComponents.h"
#include "ProductLayout.h"
#include "PupilLinks.h"
#include "platform/sim/SimMachine.h"

namespace stress {
namespace {

const char kCopyFailed[] = "Unable to copy your student data.";
const char kSuccessText[] = "The Kelmora has been removed from your computer.";
const char kSuccessCaption[] = "Success!";
const char kReportHeader[] =
    "Unable to remove the following components...please remove them manually:\n\n";
const char kRestartText[] =
    "Kelmora has been removed.  Some of its files were in use; Windows will remove them when the "
    "computer restarts.  Please restart the computer.\n\n";
const char kRestartHeader[] = "Windows will remove these when the computer restarts:";
const char kSessionManagerKey[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool IsSavedDataName(const std::string& name) {
  const std::string base = RegistryKey(kSavedDataName);  // lower case
  const std::string lower = RegistryKey(name);
  if (lower == base) return true;
  if (!StartsWith(lower, base + " (") || lower.back() != ')') return false;
  const std::string number = lower.substr(base.size() + 2, lower.size() - base.size() - 3);
  return !number.empty() && number.find_first_not_of("0123456789") == std::string::npos;
}

// `path` ("\\?\" and short names allowed) in long names as far as it still
// exists; what the run deleted below that keeps its spelling.
std::string LongName(const std::string& path) {
  std::string head = StartsWith(path, "\\\\?\\") ? path.substr(4) : path;
  std::string rest;
  for (size_t cut; !head.empty(); head = head.substr(0, cut)) {
    const std::string longName = sim::machine().LongPath(head);
    if (!longName.empty()) return longName + rest;
    if ((cut = head.rfind('\\')) == std::string::npos) break;
    rest = head.substr(cut) + rest;
  }
  return path;
}

// A report entry as the thing it names.
// Whether a name leads to something, as Windows resolves it (links on the
// way followed); a text that is no path leads nowhere.
bool ExistsByName(const std::string& path) {
  try {
    return sim::machine().Exists(path);
  } catch (const std::invalid_argument&) {
    return false;
  }
}

struct NamedThing {
  enum Kind { File, Key, Value } kind;
  std::string key;
};

bool ParseEntry(const std::string& entry, NamedThing& thing) {
  const std::string hklm = "HKEY_LOCAL_MACHINE\\";
  // The folder behind a link that anyone could have made is left, and named.
  const std::string linked = "Install folder was a link to ";
  if (StartsWith(entry, linked)) {
    thing = {NamedThing::File,
             PathKey(entry.substr(linked.size(), entry.find("; ") - linked.size()))};
    return true;
  }
  if (StartsWith(entry, "Folder: ") || StartsWith(entry, "File: ")) {
    // An install folder named by short names or with "\\?\" is reported so.
    const std::string path = entry.substr(entry.find(": ") + 2);
    const std::string longName = sim::machine().LongPath(path);
    thing = {NamedThing::File, PathKey(longName.empty() ? path : longName)};
    return true;
  }
  if (StartsWith(entry, "Registry Key: " + hklm)) {
    thing = {NamedThing::Key, RegistryKey("HKLM\\" + entry.substr(14 + hklm.size()))};
    return true;
  }
  if (StartsWith(entry, "Registry Value: " + hklm)) {
    const std::string rest = entry.substr(16 + hklm.size());
    const size_t comma = rest.rfind(", ");
    if (comma == std::string::npos) return false;
    thing = {NamedThing::Value, RegistryKey("HKLM\\" + rest.substr(0, comma)) + "," +
                                    RegistryKey(rest.substr(comma + 2))};
    return true;
  }
  return false;
}

class Checker {
 public:
  explicit Checker(const RunEvidence& run) : run_(run) {}

  std::vector<std::string> Check() {
    FindNewSavedFolder();
    if (run_.ending.kind == RunEnding::Reported) {
      components_ = ProductComponents(run_.facts, run_.user, run_.faults, ProductSubKeys(),
                                      TakenFolderReported() || RecordedFolderReported());
      CheckStudentDataSaved();
      CheckReport();
    }
    if (run_.ending.kind == RunEnding::Unfinished)
      Violation("the removal started but ended with neither the final report nor the copy message");
    CheckFilesOutsideComponents();
    CheckRegistryOutsideComponents();
    CheckClosedPrograms();
    CheckDeletesAtRestart();
    CheckRecordKept();
    return violations_;
  }

 private:
  void Violation(const std::string& text) { violations_.push_back(text); }

  std::vector<std::string> ProductSubKeys() const {
    std::vector<std::string> names;
    const std::string product = RegistryKey(kProductKey);
    for (const auto& key : run_.before.keys)
      if (ParentPath(key.first) == product)
        names.push_back(key.second.substr(key.second.rfind('\\') + 1));
    return names;
  }

  // ---- Invariant 1: nothing outside the product's components changes.
  // The saved-data folder that this run made, whether or not it is still
  // there; where a pupil moved a folder above it aside, where it went. What
  // is in it is for no pupil to read.
  void FindNewSavedFolder() {
    const std::string desktop = PathKey(run_.facts.UserDesktop().path);
    const std::string given = PathKey(run_.facts.pupilsSaveFolder);
    const std::string made = "CreateDirectory ";
    for (const std::string& event : run_.events) {
      if (!StartsWith(event, made)) continue;
      const std::string path = event.substr(made.size());
      const std::string key = PathKey(path);
      const std::string parent = ParentPath(key);
      if ((parent != desktop && (given.empty() || parent != given)) ||
          run_.before.files.count(key) || !IsSavedDataName(path.substr(path.rfind('\\') + 1)))
        continue;
      if (!newSaved_.empty() && newSaved_ != key)
        Violation("more than one saved-data folder made: " + Printable(path));
      newSaved_ = key;
    }
    for (const std::string& touched : run_.pupilTouched) {
      const std::string moved = " (moved)";
      if (touched.size() <= moved.size() ||
          touched.compare(touched.size() - moved.size(), moved.size(), moved) != 0)
        continue;
      const std::string from = touched.substr(0, touched.size() - moved.size());
      if (!newSaved_.empty() && IsSameOrBelow(newSaved_, from))
        newSaved_ = touched + newSaved_.substr(from.size());
    }
    if (newSaved_.empty() || !run_.after.files.count(newSaved_)) return;
    const std::string& saved = run_.after.files.at(newSaved_).path;
    if (sim::machine().MayRead(kPupil, saved))
      Violation("pupils may read the saved data: " + Printable(saved));
    for (const auto& entry : run_.after.Below(newSaved_))
      if (sim::machine().MayRead(kPupil, entry.second->path))
        Violation("pupils may read the saved data: " + Printable(entry.second->path));
  }

  bool MayChangeFile(const std::string& key) const {
    if (!newSaved_.empty() && IsSameOrBelow(key, newSaved_)) return true;
    for (const Component& component : components_)
      if (component.kind == Component::FileOrFolder && IsSameOrBelow(key, component.key))
        return true;
    return false;
  }

  void CheckFilesOutsideComponents() {
    for (const auto& entry : run_.before.files) {
      auto now = run_.after.files.find(entry.first);
      const FileEntry& old = entry.second;
      const char* what = nullptr;
      if (now == run_.after.files.end())
        what = "deleted";
      else if (now->second != old)
        what = "changed";
      // A pupil's own move or link is theirs.
      if (what && !MayChangeFile(entry.first) && !PupilTouched(entry.first))
        Violation(std::string(what) + " outside the product's components (" +
                  EndingName(run_.ending.kind) + "): " + Printable(old.path));
    }
    const std::string attributesSet = "SetFileAttributes ";
    for (const std::string& event : run_.events) {
      if (!StartsWith(event, attributesSet)) continue;
      const std::string path =
          event.substr(attributesSet.size(), event.rfind(' ') - attributesSet.size());
      if (!MayChangeFile(PathKey(LongName(path))))
        Violation("attributes changed outside the product's components: " + Printable(path));
    }
    // The program's own log, which a run from the dialog writes too; the
    // folder given to save in, which the run may make.
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string logs = PathKey(windows + std::string("\\Logs"));
    for (const auto& entry : run_.after.files)
      if (!run_.before.files.count(entry.first) && !IsSameOrBelow(entry.first, logs) &&
          (newSaved_.empty() || !IsSameOrBelow(entry.first, newSaved_)) &&
          entry.first != PathKey(run_.ending.registryBackup) && !PupilTouched(entry.first) &&
          (newSaved_.empty() || entry.first != ParentPath(newSaved_)))
        Violation("made outside this run's saved-data folder: " + Printable(entry.second.path));
  }

  bool MayDeleteKey(const std::string& key) const {
    for (const Component& component : components_)
      if (component.kind == Component::RegistryKeyTree && IsSameOrBelow(key, component.key))
        return true;
    return false;
  }

  bool MayDeleteValue(const std::string& value) const {
    for (const Component& component : components_)
      if (component.kind == Component::RegistryValue && component.key == value) return true;
    return MayDeleteKey(value.substr(0, value.rfind(',')));
  }

  void CheckRegistryOutsideComponents() {
    for (const auto& key : run_.before.keys)
      if (!run_.after.keys.count(key.first) && !MayDeleteKey(key.first))
        Violation(std::string("registry key deleted outside the product's components (") +
                  EndingName(run_.ending.kind) + "): " + Printable(key.second));
    for (const auto& value : run_.before.values)
      if (!run_.after.values.count(value.first) && !MayDeleteValue(value.first))
        Violation(std::string("registry value deleted outside the product's components (") +
                  EndingName(run_.ending.kind) + "): " + Printable(value.second));
    for (const auto& key : run_.after.keys)
      if (!run_.before.keys.count(key.first))
        Violation("registry key made: " + Printable(key.second));
    // What Windows deletes at restart is checked on its own (invariant 1b).
    const std::string pending = RegistryKey(kSessionManagerKey) + ",pendingfilerenameoperations";
    for (const auto& value : run_.after.values)
      if (!run_.before.values.count(value.first) && value.first != pending)
        Violation("registry value made: " + Printable(value.second));
  }

  // ---- Invariant 1b: only the product's programs are closed, and only what
  // the removal was deleting is left to the restart.
  // The folder the run removed, by its long name; "" when none.
  std::string TakenFolder() const {
    // An unattended run knows the folder only as it logged it: perhaps with
    // "\\?\" or in short names, which no longer resolve once it is gone.
    std::string taken =
        run_.user.installFolder.empty() ? run_.user.installPath : run_.user.installFolder;
    if (StartsWith(taken, "\\\\?\\")) taken = taken.substr(4);
    const std::string longName = sim::machine().LongPath(taken);
    if (!longName.empty()) taken = longName;
    if (taken.find('~') != std::string::npos) taken = run_.facts.productFolder;
    return taken;
  }

  void CheckClosedPrograms() {
    const std::string taken = TakenFolder();
    const std::string folder = PathKey(taken);
    // Java in a user's session that holds the product's marker runs it; a
    // service or Explorer is never the product's, whatever it holds.
    auto runsProduct = [&](const sim::Machine::Process& process) {
      if (process.kind != sim::Machine::Process::Kind::Program) return false;
      if (!taken.empty() && IsSameOrBelow(PathKey(process.image), folder)) return true;
      const bool java = EndsWith(PathKey(process.image), "\\javaw.exe");
      for (const std::string& held : process.holds)
        if (java && process.session != 0 && !taken.empty() &&
            PathKey(held) == JoinPath(folder, "km2.jar"))
          return true;
      return false;
    };
    for (const sim::Machine::Process& process : sim::machine().Processes())
      if (!process.endedBy.empty() && !runsProduct(process))
        Violation("a program not the product's ended by " + process.endedBy + ": " +
                  Printable(process.image));
  }

  void CheckDeletesAtRestart() {
    const std::string scheduled = "MoveFileEx ";
    for (const std::string& event : run_.events) {
      if (!StartsWith(event, scheduled)) continue;
      const std::string path =
          event.substr(scheduled.size(), event.rfind(" at restart") - scheduled.size());
      const std::string longName = sim::machine().LongPath(path);
      if (run_.ending.kind != RunEnding::Reported ||
          !MayChangeFile(PathKey(longName.empty() ? path : longName)))
        Violation("scheduled outside the product's components: " + Printable(path));
      // One gone already, removed by a later step after all, leaves nothing
      // for the restart to take (Windows passes over a name that is missing).
      else if (run_.ending.success && ExistsByName(path))
        Violation("\"Success!\" shown, but left to the restart: " + Printable(path));
    }
  }

  // The folder this run took is reported as left for the administrator (by
  // whatever spelling the run gave it): its record need not go.
  bool TakenFolderReported() const { return FolderReported(TakenFolder()); }

  // Or the folder the record names, which the run did not take (a record
  // others may change vouches for nothing) and reported as left.
  bool RecordedFolderReported() const {
    return run_.facts.hasRegistryInstallPath && FolderReported(run_.facts.registryInstallPath);
  }

  bool FolderReported(const std::string& folder) const {
    const std::string taken = PathKey(folder);
    if (taken.empty()) return false;
    for (const std::string& entry : run_.ending.entries) {
      if (!StartsWith(entry, "Folder: ")) continue;
      const std::string path = entry.substr(8);
      const std::string longName = sim::machine().LongPath(path);
      if (PathKey(longName.empty() ? path : longName) == taken) return true;
    }
    return false;
  }

  // Reported, and there still: its record must stay.
  bool TakenFolderLeft() const {
    return TakenFolderReported() && sim::machine().Exists(PathKey(TakenFolder()));
  }

  // ---- Invariant 1c: an install folder left for the administrator keeps
  // its record, so that a later run finds it.
  void CheckRecordKept() {
    // A fault that had the folder seem gone has the program take it for gone.
    const Component folder = {Component::FileOrFolder, PathKey(TakenFolder()), "", true};
    if (run_.ending.kind != RunEnding::Reported || !run_.facts.hasRegistryInstallPath ||
        PathKey(run_.facts.registryInstallPath) != folder.key || !TakenFolderLeft() ||
        HiddenByFault(folder))
      return;
    if (!run_.after.values.count(RegistryKey(kProductKey) + "," + RegistryKey(kInstallPathValue)))
      Violation("the install folder is left, but its record is gone: " +
                Printable(run_.facts.registryInstallPath));
  }

  // ---- Invariant 2: the student data is saved whole before anything goes.
  void CheckStudentDataSaved() {
    if (!run_.user.saveTicked || run_.user.installPath.empty()) return;
    const std::string students = PathKey(JoinPath(run_.user.installFolder, kStudentsName));
    auto folder = run_.before.files.find(students);
    if (folder == run_.before.files.end() || folder->second.IsJunction()) return;
    const auto saved =
        newSaved_.empty() ? std::map<std::string, const FileEntry*>() : run_.after.Below(newSaved_);
    std::multiset<std::string> contents;
    for (const auto& entry : run_.after.files)
      if (!entry.second.IsFolder()) contents.insert(entry.second.content);
    for (const auto& file : run_.before.Below(students)) {
      if (file.second->IsFolder()) continue;
      // What a pupil moved away is saved, or still there, under another name.
      if (PupilTouched(PathKey(file.second->path))) {
        if (!contents.count(file.second->content))
          Violation("a student file a pupil moved is gone: " + Printable(file.second->path));
        continue;
      }
      auto copy = saved.find(file.first);
      if (copy == saved.end() || copy->second->IsFolder() ||
          copy->second->content != file.second->content)
        Violation("removal went on without a whole copy of student file " +
                  Printable(file.second->path) +
                  (newSaved_.empty() ? " (no saved-data folder was made)" : ""));
    }
  }

  bool PupilTouched(const std::string& key) const {
    for (const std::string& touched : run_.pupilTouched)
      if (IsSameOrBelow(key, touched)) return true;
    return false;
  }

  // ---- Invariant 3: the final report tells the truth.
  // The report spells a key as the ANSI code page does ("Omega" for "Ωmega").
  static bool Spells(const std::string& entryKey, const std::string& key) {
    return entryKey == key || entryKey == RegistryKey(sim::AnsiSpelling(key));
  }

  bool Exists(const NamedThing& thing) const {
    switch (thing.kind) {
      case NamedThing::File:
        return run_.after.files.count(thing.key) > 0;
      case NamedThing::Key:
        for (const auto& key : run_.after.keys)
          if (Spells(thing.key, key.first)) return true;
        return false;
      case NamedThing::Value:
        return run_.after.values.count(thing.key) > 0;
    }
    return false;
  }

  // A fault met the thing itself, something above it or something in it.
  bool FaultTouched(const NamedThing& thing) const {
    const std::string key =
        thing.kind == NamedThing::Value ? thing.key.substr(0, thing.key.rfind(',')) : thing.key;
    for (const InjectedFault& fault : run_.faults) {
      const bool registry = fault.op == sim::Op::RegOpenKey || fault.op == sim::Op::RegEnumKey ||
                            fault.op == sim::Op::RegDeleteKey ||
                            fault.op == sim::Op::RegDeleteValue ||
                            fault.op == sim::Op::RegQueryValue || fault.op == sim::Op::RegCloseKey;
      if (registry != (thing.kind != NamedThing::File)) continue;
      std::string target = registry ? RegistryKey(fault.target) : PathKey(fault.target);
      if (!registry && target.size() > 2 && target.back() == '*') target = ParentPath(target);
      if (target.size() > 2 && (IsSameOrBelow(key, target) || IsBelow(target, key))) return true;
      // A folder that cannot be listed whole is not handed to the shell (a
      // link may hide in it): that touches every entry beside the one listed.
      const bool listing = fault.op == sim::Op::FindFirstFile || fault.op == sim::Op::FindNextFile;
      if (listing && thing.kind == NamedThing::File && IsBelow(target, ParentPath(key)))
        return true;
    }
    return false;
  }

  // A fault told the program that the component is not there.
  bool HiddenByFault(const Component& component) const {
    for (const InjectedFault& fault : run_.faults) {
      // The program may have named it in short names.
      const std::string longName = sim::machine().LongPath(fault.target);
      if ((fault.op == sim::Op::FindFirstFile || fault.op == sim::Op::GetFileAttributes) &&
          (fault.error == ERROR_FILE_NOT_FOUND || fault.error == ERROR_PATH_NOT_FOUND) &&
          component.kind == Component::FileOrFolder &&
          PathKey(longName.empty() ? fault.target : longName) == component.key)
        return true;
    }
    return false;
  }

  bool Reported(const Component& component, const std::vector<NamedThing>& named) const {
    const std::string product = RegistryKey(kProductKey);
    for (const NamedThing& thing : named) {
      if (thing.key == component.key) return true;
      if (thing.kind == NamedThing::Key && Spells(thing.key, component.key)) return true;
      // A product key that could not be opened or listed stands for all in it.
      if (thing.kind == NamedThing::Key && thing.key == product &&
          component.kind != Component::FileOrFolder && IsBelow(component.key, product))
        return true;
      if (thing.kind == NamedThing::Key && component.kind == Component::RegistryValue &&
          component.key.substr(0, component.key.rfind(',')) == thing.key)
        return true;
    }
    return false;
  }

  bool StillThere(const Component& component) const {
    switch (component.kind) {
      case Component::FileOrFolder:
        // What Windows is deleting goes once the program holding it lets go.
        return run_.before.files.count(component.key) && run_.after.files.count(component.key) &&
               !sim::machine().BeingDeleted(component.key);
      case Component::RegistryKeyTree:
        return run_.before.keys.count(component.key) && run_.after.keys.count(component.key);
      case Component::RegistryValue:
        return run_.before.values.count(component.key) && run_.after.values.count(component.key);
    }
    return false;
  }

  void CheckReport() {
    std::vector<NamedThing> named;
    std::vector<std::string> entries = run_.ending.entries;
    entries.insert(entries.end(), run_.ending.atRestart.begin(), run_.ending.atRestart.end());
    for (const std::string& entry : entries) {
      NamedThing thing;
      if (!ParseEntry(entry, thing)) {
        Violation("report entry of no known form: \"" + Printable(entry) + "\"");
        continue;
      }
      named.push_back(thing);
      // A path too long for the system cannot be tested, so it may exist:
      // the rules have it reported.
      const bool untestable =
          thing.kind == NamedThing::File && entry.size() - entry.find(": ") - 2 >= MAX_PATH;
      // A name that still leads somewhere, through a link on its way, is no
      // false report: Windows finds something there.
      const bool byName = thing.kind == NamedThing::File && !untestable &&
                          ExistsByName(entry.substr(entry.find(": ") + 2));
      if (!Exists(thing) && !byName && !FaultTouched(thing) && !untestable)
        Violation("reported as not removed, but it is gone: \"" + Printable(entry) + "\"");
      // What Windows is deleting goes once its holders let go.
      if (thing.kind == NamedThing::File && !untestable && Exists(thing) &&
          sim::machine().BeingDeleted(thing.key))
        Violation("reported as not removed, but Windows is deleting it: \"" + Printable(entry) +
                  "\"");
    }
    for (const Component& component : components_) {
      if (!component.required || !StillThere(component) || HiddenByFault(component)) continue;
      if (!Reported(component, named))
        Violation(std::string(run_.ending.success ? "\"Success!\" shown" : "not in the report") +
                  ", but still there: " + component.label);
    }
  }

  const RunEvidence& run_;
  std::vector<Component> components_;
  std::string newSaved_;
  std::vector<std::string> violations_;
};

}  // namespace

RunEnding ReadEnding(const std::vector<sim::MessageBoxRecord>& boxes, const UserRecord& user) {
  RunEnding ending;
  for (sim::MessageBoxRecord box : boxes) {
    // The final message ends naming the registry backup, if one was written.
    const std::string saved = "\nThe registry entries removed were saved in ",
                      use = "; open it to put them back.";
    const size_t backup = box.text.find(saved), file = backup + saved.size();
    if (backup != std::string::npos) {
      ending.registryBackup = box.text.substr(file, box.text.rfind(use) - file);
      box.text.erase(backup);
      if (box.text == kSuccessText + std::string("\n")) box.text.pop_back();
    }
    if (StartsWith(box.text, kCopyFailed)) {
      ending.kind = RunEnding::StoppedAtCopy;
    } else if (box.caption == kSuccessCaption && box.text == kSuccessText) {
      ending.kind = RunEnding::Reported;
      ending.success = true;
    } else if (StartsWith(box.text, kReportHeader) || StartsWith(box.text, kRestartText)) {
      ending.kind = RunEnding::Reported;
      const bool restartOnly = StartsWith(box.text, kRestartText);
      std::vector<std::string>* list = restartOnly ? &ending.atRestart : &ending.entries;
      std::string rest =
          box.text.substr(restartOnly ? sizeof kRestartText - 1 : sizeof kReportHeader - 1);
      for (size_t end; (end = rest.find('\n')) != std::string::npos; rest = rest.substr(end + 1)) {
        const std::string line = rest.substr(0, end);
        if (line.empty() || line == kRestartHeader) {
          list = &ending.atRestart;
          continue;
        }
        // Why the registry entries that follow were kept: no thing of its own.
        if (StartsWith(line, "Registry backup could not be written: ")) continue;
        list->push_back(line);
      }
    }
  }
  if (ending.kind == RunEnding::NotStarted && user.removalStarted)
    ending.kind = RunEnding::Unfinished;
  return ending;
}

const char* EndingName(RunEnding::Kind kind) {
  switch (kind) {
    case RunEnding::NotStarted:
      return "not started";
    case RunEnding::StoppedAtCopy:
      return "stopped at the copy";
    case RunEnding::Reported:
      return "reported";
    case RunEnding::Unfinished:
      return "unfinished";
  }
  return "?";
}

std::vector<std::string> CheckInvariants(const RunEvidence& run) { return Checker(run).Check(); }

}  // namespace stress
