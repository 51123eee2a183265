#include "Installation.h"

#include "platform/sim/SimMachine.h"
#include "removal/ProductTraces.h"

namespace {

const char* const kTopFolders[] = {"lib", "content", "media", "help", "lessons", "resources"};
const char* const kCacheFiles[] = {"setup.exe",  "setup.inx",   "data1.cab",  "data1.hdr",
                                   "data2.cab",  "ISSetup.dll", "_Setup.dll", "layout.bin",
                                   "setup.skin", "0x0409.ini",  "setup.iss"};
const char kCommonDesktop[] = "C:\\Documents and Settings\\All Users\\Desktop\\";
const char kUserDesktop[] = "C:\\Documents and Settings\\user1\\Desktop\\";
const char kCommonStartMenu[] = "C:\\Documents and Settings\\All Users\\Start Menu\\";
const char kUserStartMenu[] = "C:\\Documents and Settings\\user1\\Start Menu\\";
const char kProductKey[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora";
const char kUninstall[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// `files` files in `folder` and below: up to 24 in a folder, else 4 of them
// and the rest shared among 4 sub-folders.
void Tree(const std::string& folder, long files, TreeSize& size) {
  sim::machine().AddFolder(folder);
  ++size.folders;
  const long here = files <= 24 ? files : 4;
  for (long i = 0; i < here; ++i)
    sim::machine().AddFile(folder + "\\f" + std::to_string(i) + ".dat", "data");
  size.files += here;
  const long rest = files - here;
  for (long i = 0; i < 4 && rest > 0; ++i)
    Tree(folder + "\\unit" + std::to_string(i + 1), rest / 4 + (i < rest % 4 ? 1 : 0), size);
}

void AddShortcuts() {
  sim::Machine& m = sim::machine();
  for (const char* desktop : {kCommonDesktop, kUserDesktop})
    for (const char* name : kDesktopShortcuts) m.AddFile(desktop + std::string(name), "shortcut");
  for (const char* startMenu : {kCommonStartMenu, kUserStartMenu}) {
    for (const char* name : kStartMenuShortcuts)
      m.AddFile(startMenu + std::string(name), "shortcut");
    m.AddFile(startMenu + std::string("Programs\\Kelmora\\Kelmora Help.lnk"), "shortcut");
  }
}

void AddRegistry() {
  sim::Machine& m = sim::machine();
  m.SetValue(kProductKey, "InstallPath", kCountedInstall);
  m.SetValue(kProductKey, "Version", "2.4.1");
  m.SetValue(kProductKey + std::string("\\Settings"), "Language", "en-US");
  m.SetValue(kProductKey + std::string("\\Licensing"), "Seats", "30");
  for (const char* entry : kUninstallEntries) {
    m.SetValue(kUninstall + std::string(entry), "DisplayName", "Kelmora");
    m.SetValue(kUninstall + std::string(entry) + "\\Features", "Main", "1");
  }
}

}  // namespace

Installation MakeInstallation(long files) {
  Installation made;
  const std::string install = kCountedInstall;
  sim::machine().AddFile(install + "\\km2.jar", "jar");
  ++made.install.files;
  const long students = files / 10;
  const long others = files - 1 - students;
  const long top = sizeof kTopFolders / sizeof *kTopFolders;
  for (long i = 0; i < top; ++i)
    Tree(install + "\\" + kTopFolders[i], others / top + (i < others % top ? 1 : 0), made.install);
  // A folder of 40 files for each pupil.
  sim::machine().AddFolder(install + "\\Students");
  made.students.folders = 1;
  for (long pupil = 0; pupil * 40 < students; ++pupil) {
    const long own = students - pupil * 40 < 40 ? students - pupil * 40 : 40;
    Tree(install + "\\Students\\Student " + std::to_string(pupil + 1), own, made.students);
  }
  made.install.files += made.students.files;
  made.install.folders += 1 + made.students.folders;
  for (const char* cache : kInstallerCacheFolders) {
    const std::string folder = kFixedProgramFiles + std::string("\\") + cache;
    sim::machine().AddFolder(folder);
    ++made.caches.folders;
    for (const char* name : kCacheFiles) sim::machine().AddFile(folder + "\\" + name, "cached");
    made.caches.files += sizeof kCacheFiles / sizeof *kCacheFiles;
  }
  AddShortcuts();
  AddRegistry();
  return made;
}
