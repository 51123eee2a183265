#include "MachineGenerator.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "PathKey.h"
#include "ProductLayout.h"
#include "PupilLinks.h"
#include "platform/sim/SimMachine.h"

namespace stress {
namespace {

// The longest path the ANSI calls accept, without its NUL.
const int kLongestPath = MAX_PATH - 1;

const std::vector<std::string> kUserNames = {
    "user1", "teacher", "Anna M\xFCller", "J.Smith", "Lab PC 07", "\xC6r\xF8 Sk\xF8v", "x"};
const std::vector<std::string> kWords = {"Notes",  "Class 5",     "Maths",    "Essay",    "Year 7",
                                         "data",   "Reading Log", "Test",     "Spelling", "Art",
                                         "Scores", "Term 2",      "Homework", "Quiz"};
const std::vector<std::string> kExtensions = {".txt", ".km", ".dat", ".xml", ".bak", ""};
const std::vector<std::string> kEightBitNames = {"Sch\xFCler",
                                                 "R\xE9sum\xE9",
                                                 "\xC6"
                                                 "bler og p\xE6rer",
                                                 "Caf\xE9 \xA7 1",
                                                 "\xD1o\xF1o",
                                                 "Gr\xFC\xDF"};
// Names the ANSI code page cannot spell, as the machine stores them (UTF-8):
// "Ωmega" is listed as "Omega" by the ANSI calls, the others with "?".
const std::vector<std::string> kWideNames = {"\xCE\xA9mega", "\xE5\xAD\xA6\xE7\x94\x9F",
                                             "Sch\xFCler \xCE\x94"};
const std::vector<std::string> kOddNames = {"..x",   "...",       "a..b",   "notes.", "Draft.",
                                            "x.y.z", ".settings", ".cache", "end. ",  " lead"};

class MachineBuilder {
 public:
  explicit MachineBuilder(Dice& dice) : dice_(dice), m_(sim::machine()) {}

  MachineFacts Build() {
    ChooseSystem();
    BuildProfiles();
    BuildProduct();
    BuildInstallerCaches();
    BuildShortcuts();
    PlantLinksInShortcutFolders();
    BuildRegistry();
    BuildSavedData();
    BuildOtherPrograms();
    BuildRunningPrograms();
    BuildPupilsTemp();
    ChooseLocations();
    return facts_;
  }

 private:
  void Note(const std::string& line) { facts_.notes.push_back(line); }

  // ---- Names.
  std::string NewName(const std::string& folder, bool isFile) {
    std::set<std::string>& used = usedNames_[PathKey(folder)];
    for (int attempt = 0; attempt < 8; ++attempt) {
      std::string name = RandomName(folder, isFile);
      std::string upper = name;
      for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      if (!name.empty() && used.insert(upper).second) return name;
    }
    return "";
  }

  std::string RandomName(const std::string& folder, bool isFile) {
    const int room = kLongestPath - static_cast<int>(folder.size()) - 1;
    int kind = dice_.Between(0, 99);
    if (kind < 6 && room > 12) {
      // As long as the path allows, or nearly.
      int length = std::min(room, 255) - dice_.Between(0, std::min(room, 255) / 4);
      std::string name = "Long name ";
      while (static_cast<int>(name.size()) < length)
        name += static_cast<char>('a' + name.size() % 26);
      return name.substr(0, static_cast<size_t>(length));
    }
    std::string name;
    if (kind < 18)
      name = dice_.Pick(kOddNames);
    else if (kind < 28)
      name = dice_.Pick(kEightBitNames);
    else if (kind < 31)
      name = dice_.Pick(kWideNames);
    else
      name = dice_.Pick(kWords) +
             (dice_.Chance(0.5) ? " " + std::to_string(dice_.Between(1, 99)) : "");
    if (isFile && kind >= 18) name += dice_.Pick(kExtensions);
    return static_cast<int>(name.size()) <= room ? name : "";
  }

  DWORD FileAttributes() {
    if (!dice_.Chance(0.2)) return FILE_ATTRIBUTE_ARCHIVE;
    DWORD attributes = 0;
    if (dice_.Chance(0.6)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (dice_.Chance(0.4)) attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (dice_.Chance(0.3)) attributes |= FILE_ATTRIBUTE_SYSTEM;
    return attributes;
  }

  void AddFile(const std::string& path, double holdChance) {
    m_.AddFile(path, dice_.Bytes(dice_.Between(0, 40)), FileAttributes());
    if (dice_.Chance(holdChance)) {
      m_.HoldOpen(path);
      Note("held open by another program: " + path);
    } else if (dice_.Chance(holdChance * 2)) {
      HoldSharing(path, dice_.Chance(0.3));
    }
  }

  // Another program holds `path` and shares: reading only (a teacher's open
  // document), or everything (a virus scanner, an Explorer window), letting
  // go some calls after the delete, or never.
  void HoldSharing(const std::string& path, bool readerOnly) {
    const long long after = dice_.Chance(0.4) ? -1 : dice_.Between(0, 300);
    m_.HoldOpenSharing(
        path, readerOnly ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        after);
    Note(std::string(readerOnly ? "open for reading" : "open sharing deleting") +
         " in another program, which lets go " +
         (after < 0 ? "never" : std::to_string(after) + " calls after the delete") + ": " + path);
  }

  void AddFolder(const std::string& path) {
    DWORD attributes = 0;
    if (dice_.Chance(0.04)) attributes |= FILE_ATTRIBUTE_READONLY;
    if (dice_.Chance(0.04)) attributes |= FILE_ATTRIBUTE_HIDDEN;
    m_.AddFolder(path, attributes);
  }

  // A random tree in `folder`, which exists: up to `width` files and half as
  // many sub-folders per level, `depth` levels, `budget` entries in all.
  void FillTree(const std::string& folder, int depth, int width, int& budget, double holdChance) {
    if (static_cast<int>(folder.size()) > kLongestPath - 2) return;
    for (int files = dice_.Between(0, width); files > 0 && budget > 0; --files, --budget) {
      std::string name = NewName(folder, true);
      if (!name.empty()) AddFile(JoinPath(folder, name), holdChance);
    }
    if (depth == 0) return;
    for (int folders = dice_.Between(0, std::max(1, width / 2)); folders > 0 && budget > 0;
         --folders, --budget) {
      std::string name = NewName(folder, false);
      if (name.empty()) continue;
      AddFolder(JoinPath(folder, name));
      FillTree(JoinPath(folder, name), depth - 1, width, budget, holdChance);
    }
  }

  // ---- The system.
  void ChooseSystem() {
    facts_.osMajor = dice_.Pick(std::vector<int>{4, 5, 5, 5, 6, 6, 10});
    facts_.userName = dice_.Pick(kUserNames);
    const std::string& user = facts_.userName;
    std::string commonDesktop, userDesktop, commonStart, userStart;
    if (facts_.osMajor == 4) {
      facts_.windowsFolder = "C:\\WINNT";
      facts_.profilesFolder = "C:\\WINNT\\Profiles";
    } else if (facts_.osMajor == 5) {
      facts_.windowsFolder = "C:\\WINDOWS";
      facts_.profilesFolder = "C:\\Documents and Settings";
    } else {
      facts_.windowsFolder = "C:\\Windows";
      facts_.profilesFolder = "C:\\Users";
    }
    facts_.systemFolder = facts_.windowsFolder + "\\system32";
    profile_ = JoinPath(facts_.profilesFolder, user);
    if (facts_.osMajor < 6) {
      const std::string common = JoinPath(facts_.profilesFolder, "All Users");
      commonDesktop = common + "\\Desktop";
      commonStart = common + "\\Start Menu";
      userDesktop = profile_ + "\\Desktop";
      userStart = profile_ + "\\Start Menu";
    } else {
      commonDesktop = facts_.profilesFolder + "\\Public\\Desktop";
      commonStart = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
      userDesktop = profile_ + "\\Desktop";
      userStart = profile_ + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu";
    }
    // Windows 10 before and after 1809, which brought POSIX deletes.
    const DWORD build = facts_.osMajor == 10 ? dice_.Pick(std::vector<DWORD>{17134, 19045}) : 0;
    m_.SetVersion(static_cast<DWORD>(facts_.osMajor), facts_.osMajor == 5 ? 1 : 0, build);
    if (build) Note("Windows 10 build " + std::to_string(build));
    m_.SetUserName(user);
    m_.SetWindowsDirectory(facts_.windowsFolder);
    m_.SetSystemDirectory(facts_.systemFolder);
    m_.AddFolder(facts_.systemFolder);
    m_.AddFolder(kProgramFiles);
    m_.SetSpecialFolder(CSIDL_WINDOWS, facts_.windowsFolder);
    m_.SetSpecialFolder(CSIDL_SYSTEM, facts_.systemFolder);
    m_.SetSpecialFolder(CSIDL_PROGRAM_FILES, kProgramFiles);
    m_.SetSpecialFolder(CSIDL_PROFILE, profile_);
    m_.AddFolder(profile_);

    const int csidls[] = {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY,
                          CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU};
    const std::string paths[] = {commonDesktop, userDesktop, commonStart, userStart};
    for (int i = 0; i < 4; ++i) {
      ShellFolder folder{csidls[i], paths[i], !dice_.Chance(0.05)};
      m_.AddFolder(folder.path);
      m_.SetSpecialFolder(folder.csidl, folder.named ? folder.path : "");
      if (!folder.named) Note("the system cannot name CSIDL " + std::to_string(folder.csidl));
      facts_.shellFolders.push_back(folder);
    }
    Note("Windows " + std::to_string(facts_.osMajor) + ", user \"" + user + "\"");
    m_.SetSpecialFolder(CSIDL_PERSONAL,
                        profile_ + (facts_.osMajor < 6 ? "\\My Documents" : "\\Documents"));
    if (facts_.osMajor >= 5 && dice_.Chance(0.25)) {
      m_.MakeWindows64();
      facts_.neededFolders = {"C:\\Program Files (x86)", "C:\\Program Files\\Common Files"};
      Note("64-bit Windows");
    }
    for (int csidl :
         {CSIDL_PERSONAL, CSIDL_PROGRAM_FILES_COMMON, CSIDL_APPDATA, CSIDL_COMMON_APPDATA})
      facts_.neededFolders.push_back(m_.SpecialFolder(csidl));
  }

  void BuildProfiles() {
    const std::string other = JoinPath(facts_.profilesFolder, "Administrator");
    m_.AddFile(other + "\\Desktop\\Kelmora.lnk", "another user's shortcut");
    m_.AddFile(other + "\\My Documents\\Marks.xls", "another user's file");
    m_.AddFile(profile_ + "\\My Documents\\Lesson plan.doc", "the user's own file");
    for (const ShellFolder& startMenu : {facts_.shellFolders[2], facts_.shellFolders[3]})
      m_.AddFile(startMenu.path + "\\Programs\\Accessories\\Notepad.lnk", "lnk");
  }

  // ---- The product's install folder.
  void BuildProduct() {
    const int where = dice_.Between(0, 9);
    std::string parent = kProgramFiles;
    std::string name = "Kelmora";
    if (where == 6) parent = "C:\\Program Files\\Dravenhall";
    if (where == 7) parent = "C:\\Schule\\Programme f\xFCr Sch\xFCler";
    if (where == 8) name = dice_.Pick(std::vector<std::string>{"Kelmora 2.1", "KM.", "Kelmora.v2"});
    if (where == 9) parent = "C:\\Apps\\" + std::string(120, 'd');
    const std::string install = JoinPath(parent, name);

    if (dice_.Chance(0.85)) {
      facts_.productFolder = install;
      AddFolder(install);
      Note("product installed in " + install);
      if (dice_.Chance(0.9)) AddFile(JoinPath(install, kMarkerName), 0.02);
      int budget = 40;
      FillTree(install, dice_.Between(0, 2), dice_.Between(0, 4), budget, 0.02);
      if (dice_.Chance(0.85)) BuildStudents(JoinPath(install, kStudentsName));
      if (dice_.Chance(0.12)) AddJunctionIn(install);
      // A teacher kept the product's manual under a second name of theirs.
      if (dice_.Chance(0.05)) {
        const std::string manual = JoinPath(install, "manual.pdf");
        m_.AddFile(manual, "the manual", FileAttributes());
        m_.AddHardLink("C:\\Teacher Files\\Kelmora manual.pdf", manual);
        Note("second name of " + manual + " in C:\\Teacher Files");
      }
    }
    // A stale default folder beside an install elsewhere.
    if (PathKey(install) != PathKey(kDefaultInstallFolder) && dice_.Chance(0.15)) {
      m_.AddFile(std::string(kDefaultInstallFolder) + "\\readme.txt", "old copy");
      if (dice_.Chance(0.5)) m_.AddFile(std::string(kDefaultInstallFolder) + "\\km2.jar", "old");
      Note("stale default folder " + std::string(kDefaultInstallFolder));
    }
  }

  void BuildStudents(const std::string& students) {
    AddFolder(students);
    // Every pupil saves there: they may change all of it.
    m_.LetChange(students, kPupil);
    int budget = dice_.Between(0, 60);
    FillTree(students, dice_.Between(0, 4), dice_.Between(1, 6), budget, 0.02);
    Note("Students tree of " + std::to_string(m_.Tree(students).size()) + " files");
    // Windows NT 4.0 knows no reparse points, and cannot tell one from a link.
    if (facts_.osMajor >= 5 && dice_.Chance(0.3)) MarkReparsePoints(students);
    // A teacher's Explorer window on it.
    if (dice_.Chance(0.1)) HoldSharing(students, false);
    // A pupil's second name for a teacher's file: one file, which stays.
    if (dice_.Chance(0.1)) AddSecondName(students, "C:\\Teacher Files\\grades.xls");
    if (dice_.Chance(0.15)) AddJunctionIn(students);
  }

  // A hard link in `folder` to `file`, made first (read-only at times).
  void AddSecondName(const std::string& folder, const std::string& file) {
    const std::string name = NewName(folder, true);
    if (name.empty()) return;
    if (!m_.Exists(file)) m_.AddFile(file, "a teacher's", FileAttributes());
    m_.AddHardLink(JoinPath(folder, name), file);
    Note("second name of " + file + ": " + JoinPath(folder, name));
  }

  // Deduplicated, cloud, HSM and compressed files and folders are reparse
  // points that hold the pupils' data themselves.
  void MarkReparsePoints(const std::string& folder) {
    const std::vector<DWORD> tags = {0x80000013, 0x9000001A, 0xC0000004, 0x80000017};
    int marked = 0;
    for (const auto& file : m_.Tree(folder)) {
      if (file.second.compare(0, 1, "<") == 0 || !dice_.Chance(0.3)) continue;
      const std::string path = JoinPath(folder, file.first);
      m_.AddReparsePoint(path, dice_.Pick(tags));
      if (ParentPath(path) != folder && dice_.Chance(0.3))
        m_.AddReparsePoint(ParentPath(path), dice_.Pick(tags));
      ++marked;
    }
    Note(std::to_string(marked) + " reparse points that are no links in " + folder);
  }

  // A junction or symbolic link in `folder` to a folder that holds other data,
  // or a symbolic link to a file of it.
  void AddJunctionIn(const std::string& folder) {
    std::string name = NewName(folder, false);
    if (name.empty()) return;
    std::vector<std::string> targets = {"C:\\Shared Data\\Class Files",
                                        profile_ + "\\My Documents",
                                        facts_.windowsFolder,
                                        JoinPath(facts_.UserDesktop().path, kSavedDataName),
                                        "C:\\Program Files\\Other App",
                                        "C:\\Gone\\Nowhere",
                                        folder};
    std::string target = dice_.Pick(targets);
    if (target != folder && target != "C:\\Gone\\Nowhere" && !m_.Exists(target))
      m_.AddFile(target + "\\Shared file.txt", "must survive");
    const int kind = dice_.Between(0, 9);
    if (kind < 6) {
      m_.AddJunction(JoinPath(folder, name), target);
      Note("junction " + JoinPath(folder, name) + " -> " + target);
    } else if (kind < 8) {
      m_.AddSymbolicLink(JoinPath(folder, name), target, true);
      Note("symbolic link " + JoinPath(folder, name) + " -> " + target);
    } else {
      target += "\\Shared file.txt";
      m_.AddSymbolicLink(JoinPath(folder, name), target, false);
      Note("symbolic link to a file " + JoinPath(folder, name) + " -> " + target);
    }
  }

  // ---- The installer's caches.
  void BuildInstallerCaches() {
    for (const std::string& cache : kCacheFolders) {
      if (!dice_.Chance(0.6)) continue;
      AddFolder(cache);
      for (const char* file : {"setup.ini", "data1.cab", "_setup.dll"}) {
        if (dice_.Chance(0.8)) AddFile(JoinPath(cache, file), 0.03);
      }
      int budget = 6;
      FillTree(cache, 1, 2, budget, 0.02);
      Note("installer cache " + cache);
    }
  }

  // ---- Shortcuts and Start Menu folders.
  void BuildShortcuts() {
    const double density = dice_.Pick(std::vector<double>{0.0, 0.3, 0.7, 1.0});
    for (int i = 0; i < 2; ++i) {
      const std::string& desktop = facts_.shellFolders[i].path;
      const std::string& startMenu = facts_.shellFolders[2 + i].path;
      PlaceShortcuts(desktop, kDesktopShortcuts, density);
      PlaceShortcuts(UserNameLocation(desktop, facts_.userName, "\\Desktop"), kDesktopShortcuts,
                     density);
      PlaceStartMenu(startMenu, density);
      PlaceStartMenu(UserNameLocation(startMenu, facts_.userName, "\\Start Menu"), density);
    }
  }

  void PlaceShortcuts(const std::string& folder, const std::vector<std::string>& names,
                      double density) {
    std::string placed;
    for (const std::string& name : names) {
      if (!dice_.Chance(density)) continue;
      const std::string path = JoinPath(folder, name);
      const bool readOnly = dice_.Chance(0.1);
      m_.AddFile(path, "lnk", readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_ARCHIVE);
      if (dice_.Chance(0.04)) {
        m_.HoldOpen(path);
        Note("held open by another program: " + path);
      }
      placed += " \"" + name + (readOnly ? "\" (read-only)" : "\"");
    }
    if (!placed.empty()) Note("shortcuts in " + folder + ":" + placed);
  }

  void PlaceStartMenu(const std::string& startMenu, double density) {
    PlaceShortcuts(startMenu, kStartMenuShortcuts, density);
    for (const char* programs : {kProgramsKelmora, kProgramsVessik}) {
      const std::string folder = JoinPath(startMenu, programs);
      if (dice_.Chance(density * 0.3)) {
        m_.AddFolder(folder);
        m_.AddFile(folder + "\\Help.url", "url");
        if (dice_.Chance(0.3)) m_.AddFile(folder + "\\Tools\\Setup.lnk", "lnk");
        Note("Start Menu folder " + folder);
      }
    }
  }

  // A pupil may make any folder or shortcut of their desktop and Start Menu a
  // link, to a folder that holds files of the product's names: nothing there
  // may be touched. Also in another profile, which /allusers reaches.
  void PlantLinksInShortcutFolders() {
    if (!dice_.Chance(0.3)) return;
    const std::string& user = facts_.userName;
    const std::string other = JoinPath(facts_.profilesFolder, "Administrator");
    const std::string& userDesktop = facts_.shellFolders[1].path;
    const std::string& userStart = facts_.shellFolders[3].path;
    const std::string otherStart = other + userStart.substr(profile_.size());
    std::vector<std::string> places = {otherStart, JoinPath(userDesktop, "Kelmora.lnk"),
                                       other + "\\Desktop\\Kelmora Vessik.lnk"};
    for (const std::string& startMenu :
         {userStart, otherStart,
          UserNameLocation(facts_.shellFolders[2].path, user, "\\Start Menu"),
          UserNameLocation(userStart, user, "\\Start Menu")})
      for (const char* below :
           {"Programs", kProgramsKelmora, kProgramsVessik, "Programs\\Kelmora\\Kelmora.lnk",
            "Programs\\Kelmora Vessik\\Uninstall.lnk"})
        places.push_back(JoinPath(startMenu, below));
    for (int links = dice_.Between(1, 3); links > 0; --links) {
      const std::string place = dice_.Pick(places);
      if (m_.Exists(place)) continue;
      const std::string sentinel = "C:\\Sentinel " + std::to_string(links);
      for (const char* name : {"Kelmora.lnk", "Kelmora Vessik.lnk", "Uninstall.lnk",
                               "Kelmora\\Kelmora.lnk", "Kelmora Vessik\\Uninstall.lnk"})
        m_.AddFile(JoinPath(sentinel, name), "sentinel");
      if (!m_.Exists(sentinel + "\\sentinel link"))
        m_.AddJunction(sentinel + "\\sentinel link", facts_.windowsFolder);
      if (dice_.Chance(0.5))
        m_.AddJunction(place, sentinel);
      else
        m_.AddSymbolicLink(place, sentinel, true);
      Note("link " + place + " -> " + sentinel);
    }
  }

  // C:\Temp, made at the drive's root: every pupil may change it.
  void BuildPupilsTemp() {
    if (!dice_.Chance(0.15)) return;
    facts_.pupilsLogFolder = "C:\\Temp\\Logs";
    facts_.pupilsSaveFolder = "C:\\Temp\\Saves";
    m_.AddFolder(facts_.pupilsLogFolder);
    if (dice_.Chance(0.5)) m_.AddFolder(facts_.pupilsSaveFolder);
    m_.LetChange("C:\\Temp", kPupil);
    Note("log and save folders pupils may change: " + facts_.pupilsLogFolder + ", " +
         facts_.pupilsSaveFolder);
  }

  // ---- The registry.
  void BuildRegistry() {
    if (dice_.Chance(0.8)) {
      m_.AddKey(kProductKey);
      if (dice_.Chance(0.6)) m_.SetValue(kProductKey, "Version", "2.1");
      if (dice_.Chance(0.3)) m_.SetValue(kProductKey, "", "default value");
      ChooseInstallPathValue();
      for (int keys = dice_.Between(0, 4); keys > 0; --keys) AddKeyTree(kProductKey, 3);
      // Opened to Users so that settings can be saved: a pupil may change
      // the record, and make a sub-key a link to a teacher's key.
      if (dice_.Chance(0.15)) {
        m_.GrantKey(kProductKey, "S-1-5-32-545", KEY_ALL_ACCESS);
        Note("registry key open to Users: " + std::string(kProductKey));
        if (dice_.Chance(0.5)) {
          m_.SetValue("HKLM\\SOFTWARE\\School\\Marks", "4b", "a teacher's");
          m_.PlantKeyLink(kPupil, std::string(kProductKey) + "\\Settings",
                          "HKLM\\SOFTWARE\\School\\Marks");
          Note("a pupil's registry link: " + std::string(kProductKey) + "\\Settings");
        }
      }
      if (dice_.Chance(0.05)) {
        m_.DenyKey(kProductKey);
        Note("registry key refuses access: " + std::string(kProductKey));
      }
    }
    for (const std::string& entry : kUninstallEntries) {
      if (!dice_.Chance(0.6)) continue;
      m_.AddKey(entry);
      m_.SetValue(entry, "DisplayName", "Kelmora");
      m_.SetValue(entry, "UninstallString", "RunDll32 ...");
      for (int keys = dice_.Between(0, 3); keys > 0; --keys) AddKeyTree(entry, 3);
      Note("uninstall entry " + entry);
    }
  }

  void ChooseInstallPathValue() {
    const std::string install =
        facts_.productFolder.empty() ? kDefaultInstallFolder : facts_.productFolder;
    const int kind = dice_.Between(0, 99);
    std::string value;
    if (kind < 10) return;  // no value
    if (kind < 60)
      value = install;
    else if (kind < 66)
      value = install + "\\";
    else if (kind < 71)
      value = "c:" + install.substr(2);
    else if (kind < 76)
      value = install + " (missing)";
    else if (kind < 84)
      value = dice_.Pick(
          std::vector<std::string>{"C:\\Program Files", "C:\\", "C:", facts_.windowsFolder,
                                   facts_.profilesFolder, facts_.UserDesktop().path, kCacheParent,
                                   m_.ShortPath(kProgramFiles), "C:\\Program Files\\K*"});
    else if (kind < 88)
      value = "";
    else if (kind < 92)
      value = install + std::string(1000, '\\');  // too long for the buffer
    else if (kind < 96)
      value = JoinPath(install, kMarkerName);
    else
      value = "Kelmora";
    m_.SetValue(kProductKey, kInstallPathValue, value);
    facts_.registryInstallPath = value;
    facts_.hasRegistryInstallPath = true;
    Note("InstallPath = \"" + value.substr(0, 300) + "\"");
  }

  // A sub-key of `parent` with values and sub-keys `depth` levels down at most.
  void AddKeyTree(const std::string& parent, int depth) {
    std::string name = dice_.Pick(
        std::vector<std::string>{"Settings", "Students", "Licence 2.0", "Z\xE9nith", "Options", "1",
                                 "Paths", "A.B", "\xCE\xA9mega", "\xE5\xAD\xA6\xE7\x94\x9F"});
    name += std::to_string(dice_.Between(0, 9));
    const std::string key = parent + "\\" + name;
    m_.AddKey(key);
    if (dice_.Chance(0.5)) m_.SetValue(key, "Value", "data");
    if (dice_.Chance(0.04)) {
      m_.DenyKey(key);
      Note("registry key refuses access: " + key);
    }
    if (depth > 0)
      for (int keys = dice_.Between(0, 2); keys > 0; --keys) AddKeyTree(key, depth - 1);
  }

  // ---- Earlier saved student data.
  void BuildSavedData() {
    const std::string& desktop = facts_.UserDesktop().path;
    if (dice_.Chance(0.3)) {
      m_.AddFile(JoinPath(desktop, kSavedDataName) + "\\Class 5\\Scores.txt", "saved before");
      Note("earlier saved data " + JoinPath(desktop, kSavedDataName));
      if (dice_.Chance(0.3)) {
        const std::string second = JoinPath(desktop, kSavedDataName) + " (2)";
        if (dice_.Chance(0.5))
          m_.AddFile(second, "a file that has the name");
        else
          m_.AddFile(second + "\\Notes.txt", "saved before, twice");
        Note("earlier saved data " + second);
      }
    }
  }

  // ---- Other programs beside every piece of the product.
  // The product's programs and others running, some holding files; and an
  // account that may not be an administrator (no delete at restart).
  void BuildRunningPrograms() {
    std::vector<std::string> productFiles, otherFiles = {"C:\\Program Files\\Other App\\other.exe"};
    if (!facts_.productFolder.empty())
      for (const auto& file : m_.Tree(facts_.productFolder))
        if (file.second.compare(0, 1, "<") != 0)
          productFiles.push_back(JoinPath(facts_.productFolder, file.first));
    for (int count = dice_.Between(0, 3); count > 0; --count) {
      sim::Machine::Process process;
      const bool product = !productFiles.empty() && dice_.Chance(0.6);
      process.image =
          product ? JoinPath(facts_.productFolder,
                             dice_.Pick(std::vector<std::string>{"kelmora.exe", "bin\\km.exe"}))
                  : dice_.Pick(otherFiles);
      if (product) m_.AddFile(process.image, "program");
      process.hasWindow = dice_.Chance(0.8);
      process.closesOnRequest = dice_.Chance(0.7);
      process.denied = dice_.Chance(0.1);
      // Sessions and the Restart Manager matter from Vista on; older
      // machines keep the draws they had.
      if (facts_.osMajor >= 6) process.session = dice_.Chance(0.2) ? 2 : 1;
      // A service (an indexer, a backup agent, or the product's own) is
      // never closed, whatever it holds.
      if (facts_.osMajor >= 6 && dice_.Chance(0.15)) {
        process.kind = sim::Machine::Process::Kind::Service;
        process.session = 0;
      }
      if (!productFiles.empty() && dice_.Chance(0.5))
        process.holds.push_back(dice_.Pick(productFiles));
      // From Vista on another program may be Java, a service or Explorer.
      using Kind = sim::Machine::Process::Kind;
      if (facts_.osMajor >= 6 && !product) {
        const int other = dice_.Between(0, 3);
        if (other == 1 || other == 2) process.image = "C:\\Program Files\\Java\\bin\\javaw.exe";
        if (other == 2) process.kind = Kind::Service;
        if (other == 3) process.image = "C:\\WINDOWS\\explorer.exe", process.kind = Kind::Explorer;
        if (!m_.Exists(process.image)) m_.AddFile(process.image, "program");
      }
      m_.StartProcess(process);
      Note(std::string(product ? "product" : "other") + " program running: " + process.image +
           (process.hasWindow ? "" : ", no window") +
           (process.closesOnRequest ? "" : ", ignores WM_CLOSE") +
           (process.denied ? ", another account's" : "") +
           (process.session != 1 ? ", in another session" : "") +
           (process.kind == Kind::Service ? ", a service" : "") +
           (process.holds.empty() ? "" : ", holding " + process.holds[0]));
    }
    const std::vector<const char*> managers = {"working", "missing", "failing", "idle",
                                               "powerless"};
    if (facts_.osMajor >= 6) {
      const size_t manager = dice_.Chance(0.6) ? 0 : static_cast<size_t>(dice_.Between(1, 4));
      m_.SetRestartManager(static_cast<sim::Machine::RestartManager>(manager));
      Note(std::string("Restart Manager: ") + managers[manager]);
    }
    if (dice_.Chance(0.1)) {
      m_.DenyKey("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager");
      Note("not an administrator: nothing can be deleted at restart");
    }
  }

  void BuildOtherPrograms() {
    m_.AddFile("C:\\Program Files\\Other App\\other.exe", "other program");
    m_.AddFile("C:\\Program Files\\Kelmora2\\km2.jar", "a different product with a like name");
    m_.AddFile("C:\\Program Files\\Kelmora Old\\readme.txt", "old notes");
    m_.AddFile(std::string(kCacheParent) + "\\{00000000-1111-2222-3333-444444444444}\\setup.ini",
               "another program's cache");
    if (!facts_.productFolder.empty())
      m_.AddFile(JoinPath(ParentPath(facts_.productFolder), "Neighbour.txt"), "beside the product");
    for (const ShellFolder& folder : facts_.shellFolders) {
      m_.AddFile(folder.path + "\\Other App.lnk", "lnk");
      m_.AddFile(folder.path + "\\Kelmora.lnk.bak", "lnk");
    }
    // Beside the user-name locations too, where the product's shortcuts may lie.
    m_.AddFile(UserNameLocation(facts_.shellFolders[0].path, facts_.userName, "\\Desktop") +
                   "\\Other App.lnk",
               "lnk");
    m_.AddFile(UserNameLocation(facts_.shellFolders[2].path, facts_.userName, "\\Start Menu") +
                   "\\Programs\\Other App\\Other App.lnk",
               "lnk");
    for (int i = 2; i < 4; ++i) {
      const std::string& startMenu = facts_.shellFolders[i].path;
      m_.AddFile(startMenu + "\\Programs\\Kelmora Tools\\Tool.lnk", "lnk");
      if (dice_.Chance(0.3))
        m_.AddFile(startMenu + "\\Programs\\Kelmora Vessik\\Notes.txt", "kept");
    }
    m_.SetValue(kDravenhallKey, "Company", "Dravenhall");
    m_.SetValue(std::string(kDravenhallKey) + "\\Kelmora Vessik", "InstallPath", "C:\\Vessik");
    m_.SetValue(std::string(kDravenhallKey) + "\\Kelmora2\\Settings", "Value", "x");
    m_.SetValue(std::string(kUninstallKey) + "\\{00000000-1111-2222-3333-444444444444}",
                "DisplayName", "Other App");
    m_.SetValue("HKLM\\SOFTWARE\\Other Company\\Other App", "InstallPath", "C:\\Program Files");
  }

  // ---- What the user may pick.
  void ChooseLocations() {
    const std::string install =
        facts_.productFolder.empty() ? kDefaultInstallFolder : facts_.productFolder;
    std::string upper = install;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string slashes = install;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    facts_.locationChoices = {
        install,
        install,
        upper,
        install + "\\",
        slashes,
        install + ".",
        ParentPath(install) + "\\.\\" + install.substr(install.rfind('\\') + 1),
        install + "\\..",
        install + std::string(250, '\\'),  // the same folder, in too long a text
        kDefaultInstallFolder,
        // Other names of folders: short names, a "\\?\" prefix, patterns.
        m_.Exists(install) ? m_.ShortPath(install) : install,
        m_.ShortPath(kProgramFiles),
        m_.ShortPath(facts_.windowsFolder) + "\\Fonts",
        m_.ShortPath(profile_),
        "\\\\?\\" + install,
        "\\\\?\\C:\\Program Files",
        install + "\\*",
        ParentPath(install) + "\\K?lmora*",
        "C:\\Program Files\\*",
        facts_.windowsFolder + "\\Fonts",
        facts_.neededFolders[0],
        JoinPath(install, kStudentsName),
        JoinPath(install, kMarkerName),
        "C:\\Program Files\\Other App",
        "C:\\Program Files\\Kelmora Old",
        "C:\\Program Files\\Kelmora3",
        "C:\\",
        "C:",
        "c:/program files/",
        "C:\\Program Files ",
        facts_.windowsFolder,
        facts_.systemFolder,
        kCacheParent,
        kCacheFolders[0],
        facts_.profilesFolder,
        profile_,
        JoinPath(facts_.profilesFolder, "Administrator"),
        facts_.UserDesktop().path,
        facts_.shellFolders[0].path,
        facts_.shellFolders[3].path + "\\Programs",
        JoinPath(facts_.shellFolders[2].path, kProgramsKelmora),
        "Kelmora",
        "",
    };
  }

  Dice& dice_;
  sim::Machine& m_;
  MachineFacts facts_;
  std::string profile_;
  std::map<std::string, std::set<std::string>> usedNames_;
};

}  // namespace

MachineFacts BuildRandomMachine(Dice& dice) { return MachineBuilder(dice).Build(); }

}  // namespace stress
