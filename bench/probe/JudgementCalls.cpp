// How many calls one protected-folder judgement makes on the simulated
// machine: the shell-folder lookups, folder opens and long-name lookups, and
// all simulated calls. Not a test: it prints figures.
//
// Usage: build/host/judgement-calls
#include <cstdio>
#include <map>
#include <string>

#include "location/ProtectedFolders.h"
#include "platform/sim/SimMachine.h"

namespace {

// The machine as a real one has it: each folder the system names is there.
void MakeNamedFolders(sim::Machine& m) {
  for (int csidl = 0; csidl < 0x40; ++csidl) {
    const std::string folder = m.SpecialFolder(csidl);
    if (!folder.empty()) m.AddFolder(folder);
  }
  m.AddFolder("C:\\Program Files\\InstallShield Installation Information");
}

void Count(const char* machine, const char* folder) {
  std::map<sim::Op, int> ops;
  sim::machine().faultHook = [&ops](sim::Op op, const std::string&) {
    ++ops[op];
    return DWORD(0);
  };
  const long long before = sim::machine().CallCount();
  const FolderVerdict verdict = JudgeFolder(folder);
  const long long calls = sim::machine().CallCount() - before;
  sim::machine().faultHook = nullptr;
  std::printf("%-18s %-34s %-10s %5d %5d %5d %6lld\n", machine, folder,
              verdict == kFolderErasable ? "erasable" : "refused", ops[sim::Op::SpecialFolder],
              ops[sim::Op::CreateFile], ops[sim::Op::GetLongPathName], calls);
}

}  // namespace

int main() {
  std::printf("%-18s %-34s %-10s %5s %5s %5s %6s\n", "machine", "folder judged", "verdict", "shell",
              "opens", "long", "calls");
  const char* const folders[] = {"C:\\Program Files\\Kelmora", "C:\\WINDOWS\\Fonts",
                                 "C:\\Documents and Settings\\user1"};
  for (int windows7 = 0; windows7 < 2; ++windows7) {
    for (const char* folder : folders) {
      sim::Machine& m = sim::reset();
      if (windows7) {
        m.SetVersion(6, 1);
        m.MakeWindows64();
      }
      MakeNamedFolders(m);
      m.AddFolder("C:\\Program Files\\Kelmora");
      Count(windows7 ? "Windows 7 64-bit" : "Windows XP", folder);
    }
  }
  return 0;
}
