#include "CountedRuns.h"

#include <cstring>
#include <stdexcept>

#include "app/RemoverApp.h"
#include "bench/floor/HeldFloor.h"
#include "platform/sim/SimMachine.h"
#include "removal/ProductTraces.h"

namespace {

const char kLogFile[] = "C:\\Logs\\RemoveKM.log";
const char kSaved[] = "C:\\Documents and Settings\\user1\\Desktop\\Kelmora Saved Student Data";
const char kBackup[] = "C:\\Logs\\Kelmora registry backup.reg";

void Check(bool done, const std::string& what) {
  if (!done) throw std::runtime_error(what);
}

// Windows 10 after 1809: the walk's deletes take names at once.
sim::Machine& FreshMachine() {
  sim::Machine& m = sim::reset();
  m.SetVersion(10, 0, 19045);
  m.AddFolder("C:\\Logs");
  return m;
}

// What every removal must have done, the program's or the floor's.
void CheckRemoved(const Installation& installation) {
  const sim::Machine& m = sim::machine();
  Check(!m.Exists(kCountedInstall), "the install folder was not removed");
  Check(!m.KeyExists("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                     "{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}"),
        "an uninstall entry was not removed");
  long saved = 0;
  // The program's registry backup goes with the data.
  for (const auto& file : m.Tree(kSaved)) saved += file.first.find(".reg") == std::string::npos;
  Check(saved == installation.students.files, "the pupils' data was not saved whole");
}

}  // namespace

CountedRun CountRemoval(long files) {
  sim::Machine& m = FreshMachine();
  CountedRun run;
  run.installation = MakeInstallation(files);
  m.SetCommandLine(std::string("RemoveKM.exe /quiet /log ") + kLogFile);
  {
    PhaseCounter counter(kLogFile);
    theApp.InitInstance();
    for (int phase = 0; phase < kPhaseCount; ++phase)
      Check(counter.Reached(Phase(phase)),
            std::string("the log never showed the phase ") + PhaseName(Phase(phase)));
    run.calls = counter.Calls();
  }
  Check(theApp.ExitInstance() == 0, "the removal did not end with 0");
  CheckRemoved(run.installation);
  return run;
}

CountedRun CountFloorRemoval(long files) {
  FreshMachine();
  CountedRun run;
  run.installation = MakeInstallation(files);
  PhaseCounter counter;
  counter.Switch(kFinding);
  std::wstring install;
  Check(FloorFindInstallFolder(install), "the floor did not find the install folder");
  counter.Switch(kRunningPrograms);
  const std::wstring commonDesktop = FloorSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::wstring userDesktop = FloorSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::wstring commonStartMenu = FloorSpecialFolder(CSIDL_COMMON_STARTMENU);
  const std::wstring userStartMenu = FloorSpecialFolder(CSIDL_STARTMENU);
  counter.Switch(kSave);
  Check(FloorCopy(install + L"\\Students", userDesktop + L"\\Kelmora Saved Student Data"),
        "the floor did not save");
  counter.Switch(kCaches);
  for (const char* cache : kInstallerCacheFolders)
    FloorDelete(L"C:\\Program Files\\" + std::wstring(cache, cache + strlen(cache)));
  counter.Switch(kInstallFolder);
  FloorDelete(install);
  counter.Switch(kShortcuts);
  FloorDeleteShortcuts(commonDesktop, commonStartMenu);
  FloorDeleteShortcuts(userDesktop, userStartMenu);
  counter.Switch(kRegistry);
  FloorRegistry(std::wstring(kBackup, kBackup + sizeof kBackup - 1));
  run.calls = counter.Calls();
  CheckRemoved(run.installation);
  return run;
}

PhaseCalls CountStartUp() {
  sim::Machine& m = FreshMachine();
  MakeInstallation(1000);
  m.SetCommandLine("RemoveKM.exe");
  PhaseCounter counter;
  bool shown = false;
  m.modalUser = [&counter, &shown](HWND) {
    counter.Stop();
    shown = true;
  };
  theApp.InitInstance();
  Check(shown, "the main dialog was never shown");
  return counter.Calls();
}

PhaseCalls CountFloorStartUp() {
  sim::Machine& m = FreshMachine();
  MakeInstallation(1000);
  PhaseCounter counter;
  m.modalUser = [&counter](HWND) { counter.Stop(); };
  FloorDialog();
  return counter.Calls();
}
