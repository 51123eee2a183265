// The program as deployment tools start it: the command line decides the
// front end; the unattended runs show nothing, log everything and say with
// their exit code how the removal ended.
#include <algorithm>
#include <functional>
#include <set>

#include "RemovalFixture.h"

using namespace removal_paths;

namespace {

const char kLog[] = "C:\\WINDOWS\\Logs\\RemoveKM.log";
const char kReportHeader[] =
    "Unable to remove the following components...please remove them manually:";
const char kMutex[] = "Global\\RemoveKM.Removal";

void PupilMountPointAtShellDelete() {
  sim::Machine& m = sim::machine();
  const std::string empty = kInstall + std::string("\\Students\\mine");
  m.AddFile("C:\\Teacher\\marks.xls", "marks");
  m.AddFolder(empty);
  m.SetOwner(empty, "pupil");
  m.faultHook = [&m, empty](sim::Op op, const std::string& target) -> DWORD {
    if (op != sim::Op::ShellDelete || target != kInstall) return 0;
    m.faultHook = nullptr;
    EXPECT_TRUE(m.MakeMountPoint("pupil", empty, "C:\\Teacher"));
    return 0;
  };
}

// A teacher's file that a pupil's link, or a second name, may lead to.
const char kTeacherFile[] = "C:\\Teacher\\marks.xls";
// One that only administrators may change.
const char kSystemFile[] = "C:\\WINDOWS\\win.ini";
void TeachersFile() {
  sim::machine().AddFile(kTeacherFile, "marks");
  sim::machine().LetChange("C:\\Teacher", "teacher");
}
void ExpectTeachersFolderWhole() {
  sim::Machine& m = sim::machine();
  EXPECT_EQ(m.Tree("C:\\Teacher"), (std::map<std::string, std::string>{{"marks.xls", "marks"}}));
  EXPECT_EQ(m.Attributes(kTeacherFile), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_TRUE(m.MayChange("teacher", kTeacherFile));
  EXPECT_FALSE(m.MayRead("pupil", kTeacherFile));
}

// C:\Temp, made at the drive's root, which every pupil may change; with
// `atOpen` the pupil swaps `folder` inside it for a junction to the
// teacher's folder as the program first opens something by a name through
// it, else before the run.
void PupilsTemp(const std::string& folder, bool atOpen) {
  sim::Machine& m = sim::machine();
  TeachersFile();
  m.AddFolder(folder);
  m.LetChange("C:\\Temp", "pupil");
  if (!atOpen) {
    EXPECT_TRUE(m.PlantLink("pupil", folder, "C:\\Teacher"));
    return;
  }
  m.faultHook = [&m, folder](sim::Op op, const std::string& target) -> DWORD {
    if (op != sim::Op::CreateFile || target.find(folder.substr(3)) == std::string::npos) return 0;
    m.faultHook = nullptr;
    EXPECT_TRUE(m.PlantLink("pupil", folder, "C:\\Teacher"));
    return 0;
  };
}

struct Case {
  const char* arguments;
  std::function<void()> arrange;
  int exitCode;
  bool productRemoved;                   // what can be removed, at least
  std::vector<std::string> logLines;     // in this order, among others
  std::vector<std::string> report = {};  // the report's entries, as the log lists them
  std::function<void()> verify = [] {};
};

const char kProfiles[] = "C:\\Documents and Settings\\";

// Kelmora's shortcuts in other users' profiles: alice's own, and behind links.
void AddProfiles() {
  sim::Machine& m = sim::machine();
  m.SetValue("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
             "ProfilesDirectory", "%SystemDrive%\\Documents and Settings", 2);
  m.AddFile(kProfiles + std::string("alice\\Desktop\\Kelmora.lnk"));
  m.AddFile(kProfiles + std::string("alice\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk"));
  m.AddFile("C:\\Shared\\Kelmora.lnk");
  m.AddJunction(kProfiles + std::string("bob\\Desktop"), "C:\\Shared");
  m.AddFile("C:\\Elsewhere\\Desktop\\Kelmora.lnk");
  m.AddJunction(kProfiles + std::string("Linked"), "C:\\Elsewhere");
  m.AddFile(kProfiles + std::string("Łukasz\\Desktop\\Kelmora.lnk"));
  m.AddFile(kProfiles + std::string("Łukasz\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk"));
}

// This account's desktop redirected into a school's OneDrive, and its profile,
// named with letters code page 1252 has not, holding the product's shortcuts
// beside a pupil's file.
const char kWideProfile[] = "C:\\Documents and Settings\\Łukasz";
const std::string kWideDesktop = kWideProfile + std::string("\\OneDrive - Szkoła Podstawowa nr 3");
void RedirectDesktop() {
  sim::Machine& m = sim::machine();
  m.SetSpecialFolder(CSIDL_PROFILE, kWideProfile);
  m.SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, kWideDesktop);
  m.SetSpecialFolder(CSIDL_STARTMENU, kWideProfile + std::string("\\Start Menu"));
  m.AddFile(kWideDesktop + "\\Kelmora.lnk");
  m.AddFile(kWideDesktop + "\\homework.txt", "mine");
  m.AddFile(kWideProfile + std::string("\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk"));
}

// A pupil's page saved inside projects inside projects, past MAX_PATH.
std::string NestedPastMaxPath() {
  std::string path = "\\carol";
  while (path.size() < MAX_PATH) path += "\\project inside a project";
  return path + "\\page.html";
}

// /saveto into C:\Temp, made at the drive's root, where every pupil may
// change what is made; a teacher's marks elsewhere, which a link of hers may
// name, now or as the removal opens her folder.
const char kPupilsSaves[] = "C:\\Temp\\Saves";
void PupilsSaves(bool link, bool atTheOpen = false) {
  sim::Machine& m = sim::machine();
  m.AddFolder(kPupilsSaves);
  m.LetChange("C:\\Temp", "pupil");
  TeachersFile();
  if (link) {
    EXPECT_TRUE(m.PlantLink("pupil", kPupilsSaves, "C:\\Teacher"));
  }
  if (!atTheOpen) return;
  m.faultHook = [&m](sim::Op, const std::string& target) -> DWORD {
    if (target == kPupilsSaves && !m.Exists(kPupilsSaves + std::string(" (moved)")))
      m.PlantLink("pupil", kPupilsSaves, "C:\\Teacher");
    return 0;
  };
}
// A pupil who adds work to her folder in Students once it has been copied,
// where she may: whether she could.
bool pupilAdded = false;
const std::string kStudents = kInstall + std::string("\\Students");
void PupilAddsAfterTheCopy() {
  sim::Machine& m = sim::machine();
  m.LetChange(kStudents, "pupil");
  pupilAdded = false;
  m.faultHook = [&m](sim::Op, const std::string&) -> DWORD {
    if (!pupilAdded && m.Exists(kSaved + std::string("\\bob.txt")))
      pupilAdded = m.MakeFolder("pupil", kStudents + "\\alice\\late work");
    return 0;
  };
}
void AddedWorkSavedOrKept() {
  if (!pupilAdded) return;
  EXPECT_TRUE(sim::machine().Exists(kSaved + std::string("\\alice\\late work")) ||
              sim::machine().Exists(kStudents + "\\alice\\late work"));
}
const std::string kNotSavedThrough =
    "Error The student data is not saved in C:\\Temp\\Saves\\PC01: C:\\Temp\\Saves is a link that "
    "others than administrators could have made or changed.";

const char kProgram[] = "C:\\Program Files\\Kelmora\\bin\\kelmora.exe";
const char kOutsider[] = "C:\\Program Files\\Other\\other.exe";
const char kJava[] = "C:\\Program Files\\Java\\bin\\javaw.exe";

// A program of the product, or another, running; the first process started
// gets id 0x600.
void Running(const char* image, std::vector<std::string> holds, bool closes = true) {
  sim::Machine::Process process;
  process.image = image;
  process.holds = holds;
  process.closesOnRequest = closes;
  sim::machine().AddFile(kOutsider, "other");
  sim::machine().StartProcess(process);
}

// Installed at a drive's root, where whatever is made may be changed by every
// account; a pupil has put a junction in its place, to the class's drop box
// with a km2.jar of their own in it.
const char kRootInstall[] = "C:\\Kelmora";
const char kDropBox[] = "D:\\Class Drop Box";
void InstallAtRootAndLinkIt() {
  sim::Machine& m = sim::machine();
  m.SetVersion(6, 1);
  m.AddFile(kRootInstall + std::string("\\km2.jar"));
  m.SetValue(kProductKey, "InstallPath", kRootInstall);
  m.LetChange(kRootInstall, "pupil");
  m.AddFile(kDropBox + std::string("\\essay.doc"), "carol's");
  m.AddFile(kDropBox + std::string("\\km2.jar"));
  EXPECT_TRUE(m.PlantLink("pupil", kRootInstall, kDropBox));
}

// With /allusers: alice's program folder in her Start Menu left, a shortcut
// in it held by another program.
const std::string kAliceFolder = kProfiles + std::string("alice\\Start Menu\\Programs\\Kelmora");
void AliceShortcutHeld() {
  AddProfiles();
  sim::machine().SetOwner(kProfiles + std::string("alice"), "alice");
  Running(kOutsider, {kAliceFolder + "\\Kelmora.lnk"});
}

// alice's profile, hers to change, and a teacher's folder of the product's
// names: a file, a read-only one, and permissions of the teacher's own.
const std::string kAliceProfile = kProfiles + std::string("alice");
void AliceBesideTeacher() {
  AddProfiles();
  sim::Machine& m = sim::machine();
  m.SetOwner(kAliceProfile, "alice");
  m.AddFile("C:\\Teacher\\Kelmora.lnk", "plan");
  m.AddFile("C:\\Teacher\\Kelmora\\Kelmora.lnk", "marks", FILE_ATTRIBUTE_READONLY);
  m.LetChange("C:\\Teacher", "teacher");
}

// At the first `op` on a path ending in `end`, alice puts a junction to
// `target` at `link` in her profile, if she can.
void AliceSwapsAt(sim::Op op, const std::string& end, const std::string& link,
                  const std::string& target) {
  AliceBesideTeacher();
  sim::Machine& m = sim::machine();
  m.faultHook = [&m, op, end, link, target](sim::Op at, const std::string& path) -> DWORD {
    if (at != op || path.size() < end.size() ||
        path.compare(path.size() - end.size(), end.size(), end) != 0)
      return 0;
    m.faultHook = nullptr;
    m.PlantLink("alice", kAliceProfile + "\\" + link, target);
    return 0;
  };
}

// Her desktop's shortcut and a shortcut in her program folder are second
// names of the teacher's files.
void AliceHardLinksTeachersFiles() {
  AliceBesideTeacher();
  sim::Machine& m = sim::machine();
  const std::string shortcut = kAliceProfile + "\\Desktop\\Kelmora.lnk";
  DeleteFileA(shortcut.c_str());
  m.AddHardLink(shortcut, "C:\\Teacher\\Kelmora.lnk");
  m.AddHardLink(kAliceFolder + "\\Uninstall.lnk", "C:\\Teacher\\Kelmora\\Kelmora.lnk");
}

void ExpectTeacherWhole() {
  const sim::Machine& m = sim::machine();
  EXPECT_EQ(m.Tree("C:\\Teacher"),
            (std::map<std::string, std::string>{{"Kelmora.lnk", "plan"},
                                                {"Kelmora\\Kelmora.lnk", "marks"}}));
  EXPECT_EQ(m.Attributes("C:\\Teacher\\Kelmora.lnk"), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(m.Attributes("C:\\Teacher\\Kelmora\\Kelmora.lnk"), DWORD(FILE_ATTRIBUTE_READONLY));
  for (const char* file : {"C:\\Teacher\\Kelmora.lnk", "C:\\Teacher\\Kelmora\\Kelmora.lnk"}) {
    EXPECT_TRUE(m.MayChange("teacher", file)) << file;
    EXPECT_FALSE(m.MayChange("alice", file)) << file;
  }
}

bool StillRuns(int index) { return sim::machine().Processes().at(index).running; }

// The product installed in kPolishFolder, as the registry records it; on an
// older Windows the wide read of the record is not there.
const std::string kPolishWork = kPolishFolder + std::string("\\Students\\ewa.txt");
void InstallInPolishFolder(bool olderWindows) {
  sim::Machine& m = sim::machine();
  m.AddFile(kPolishFolder + std::string("\\km2.jar"));
  m.AddFile(kPolishWork, "ewa's work");
  m.SetValue(kProductKey, "InstallPath", kPolishFolder);
  if (olderWindows) m.Fail(sim::Op::WideCall, "RegQueryValueExW", ERROR_CALL_NOT_IMPLEMENTED);
}

// Deployed as SYSTEM (session 0) on Vista while alice, signed in to session
// 1, runs the product, and Explorer reads the program's icon: that file
// goes to the restart.
void RunningForAlice(bool closes,
                     sim::Machine::RestartManager manager = sim::Machine::RestartManager::Working) {
  sim::Machine& m = sim::machine();
  m.SetVersion(6, 1);
  m.SetRestartManager(manager);
  m.SetUserName("SYSTEM");
  m.SetOwnSession(0);
  m.SetSessionUser(1, "alice");
  Running(kProgram, {}, closes);
  sim::Machine::Process explorer;
  explorer.image = "C:\\WINDOWS\\explorer.exe";
  explorer.holds = {kProgram};
  m.AddFile(explorer.image);
  m.StartProcess(explorer);
}

// The record names Z:\Kelmora, on a drive of `type` (0: no such drive); the
// default folder holds the product all the same.
const char kUnreached[] = "Z:\\Kelmora";
void RecordOnDrive(UINT type, const std::string& device = "") {
  sim::machine().SetValue(kProductKey, "InstallPath", kUnreached);
  if (type != 0) sim::machine().SetDrive("Z:", type, device);
}

// The product's key open to Users ("Full Control"), as educational products
// make it so that settings can be saved: a pupil may point the record at a
// folder of theirs with a km2.jar in it, or make a sub-key a link to a
// teacher's key.
const char kPupilsFolder[] = "C:\\Pupils\\Kelmora";
const std::string kTeacherKey = "HKLM\\SOFTWARE\\Teacher";
void KeyOpenToUsers(const char* record) {
  sim::Machine& m = sim::machine();
  m.GrantKey(kProductKey, "S-1-5-32-545", KEY_ALL_ACCESS);
  m.AddFile(kPupilsFolder + std::string("\\km2.jar"), "a pupil's");
  m.AddFile(kPupilsFolder + std::string("\\essay.doc"), "carol's");
  m.LetChange(kPupilsFolder, "pupil");
  m.SetValue(kProductKey, "InstallPath", record);
  m.SetValue(kTeacherKey + "\\Marks", "carol", "A");
  EXPECT_TRUE(m.PlantKeyLink("pupil", kProductKey + std::string("\\Settings"), kTeacherKey));
}

// The record names C:\\Apps\\Kelmora, C:\\Apps an administrator's junction
// into a folder pupils may change; the product's own folder there is
// protected, and another program holds its km2.jar.
void ProductBehindJunction() {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Pupils\\Apps\\Kelmora\\km2.jar");
  m.LetChange("C:\\Pupils", "pupil");
  m.ProtectDacl("C:\\Pupils\\Apps\\Kelmora");
  m.AddJunction("C:\\Apps", "C:\\Pupils\\Apps");
  m.SetValue(kProductKey, "InstallPath", "C:\\Apps\\Kelmora");
  Running(kOutsider, {"C:\\Pupils\\Apps\\Kelmora\\km2.jar"});
}

// Installed in a folder pupils may change, recorded there; a pupil swaps it
// for a junction to the teacher's folder as Students is first opened.
void InstallSwappedAtStudents() {
  sim::Machine& m = sim::machine();
  TeachersFile();
  m.AddFolder("C:\\Teacher\\Students");
  m.AddFile("C:\\Pupils\\Kelmora\\km2.jar");
  m.AddFile("C:\\Pupils\\Kelmora\\Students\\alice.txt", "alice's");
  m.LetChange("C:\\Pupils", "pupil");
  m.SetValue(kProductKey, "InstallPath", "C:\\Pupils\\Kelmora");
  m.faultHook = [&m](sim::Op op, const std::string& target) -> DWORD {
    if (op != sim::Op::CreateFile || target != "C:\\Pupils\\Kelmora\\Students") return 0;
    m.faultHook = nullptr;
    EXPECT_TRUE(m.PlantLink("pupil", "C:\\Pupils\\Kelmora", "C:\\Teacher"));
    return 0;
  };
}

// A program that shares deleting holds `entry` of the product (a virus
// scanner, an Explorer window) on Windows `major`.`minor`, build `build`, and
// lets go `calls` simulated calls after the delete (< 0: never).
void HeldSharingDelete(const char* entry, DWORD major, DWORD minor, DWORD build, long long calls) {
  sim::Machine& m = sim::machine();
  m.SetVersion(major, minor, build);
  m.HoldOpenSharing(kInstall + std::string("\\") + entry,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, calls);
}

// Nothing of the product's folder is left, now or after the restart.
void GoneAtRestart() {
  sim::Machine& m = sim::machine();
  EXPECT_FALSE(m.ValueExists(kProductKey, "InstallPath"));
  m.Restart();
  EXPECT_FALSE(m.Exists(kInstall));
}

void NoStudents() {
  for (const char* file : {"\\Students\\alice\\work.txt", "\\Students\\bob.txt"})
    DeleteFileA((kInstall + std::string(file)).c_str());
  RemoveDirectoryA((kInstall + std::string("\\Students\\alice")).c_str());
  RemoveDirectoryA((kInstall + std::string("\\Students")).c_str());
}

const std::string kAsked =
    "Kelmora is asked to close in session 1, alice, after a notice of 60 seconds.";
const std::string kAlices = std::string(kProgram) + " (session 1, alice)";
const std::string kLeftForHer =
    "Left running, as nobody could ask it to close in its session: " + kAlices;
const std::string kNotice =
    "SetWindowText 1006 Kelmora is being removed from this computer by your school's IT staff. "
    "Save "
    "your work: Kelmora will close in ";

// Alice's program was asked in her session, by a copy of the program started
// there as her, and only after her notice's time; then, when it did not
// close, it alone was ended.
void ExpectAskedInHerSession(const std::string& endedBy) {
  const sim::Machine& m = sim::machine();
  EXPECT_EQ(m.Processes()[0].endedBy, endedBy);
  EXPECT_TRUE(m.Processes()[1].running);  // Explorer
  auto at = [&](const std::string& event) {
    return std::find(m.events.begin(), m.events.end(), event) - m.events.begin();
  };
  const auto started =
      at("CreateProcessAsUser session 1 winsta0\\default RemoveKM.exe /closeinsession "
         "1536:30408704:10000000 /closewait 60");
  const std::string asked = "PostMessage 0x10 " + std::string(kProgram);
  EXPECT_LT(started, at(kNotice + "60 seconds."));
  EXPECT_LT(at(kNotice + "60 seconds."), at(kNotice + "1 second."));
  EXPECT_LT(at(kNotice + "1 second."), at(asked));
  EXPECT_LT(at(asked), at(endedBy + " ended " + kProgram));
  EXPECT_LT(at(endedBy + " ended " + kProgram), static_cast<long>(m.events.size()));
  // The copy starts with her environment, not SYSTEM's.
  EXPECT_EQ(m.Processes()[2].environment, std::vector<std::string>{"USERNAME=alice"});
}

bool NoticeShown() {
  return std::count(sim::machine().events.begin(), sim::machine().events.end(), "DialogBox 130") >
         0;
}

void StartedInside(bool vista) {
  sim::Machine& m = sim::machine();
  if (vista) m.SetVersion(6, 1);
  m.AddFile(kInstall + std::string("\\RemoveKM.exe"));
  m.SetModulePath(kInstall + std::string("\\RemoveKM.exe"));
  Running(kProgram, {});
}

class UnattendedRunTest : public RemovalTest {
 protected:
  int Run(const std::string& arguments) {
    sim::machine().SetCommandLine("\"C:\\Temp\\RemoveKM.exe\" " + arguments);
    EXPECT_FALSE(theApp.InitInstance());
    return theApp.ExitInstance();
  }
  void ExpectOwnLeft() const {
    const std::string own = kInstall + std::string("\\RemoveKM.exe");
    EXPECT_EQ(sim::machine().PendingDeletes(), (std::vector<std::string>{own, kInstall}));
    for (const std::string& line : LogLines()) EXPECT_EQ(line.find(own), std::string::npos) << line;
  }
  // The log's lines without their date and time, level first, or without
  // their level too.
  std::vector<std::string> LogLines(const std::string& log = kLog, bool withLevel = false) const {
    std::vector<std::string> lines;
    const std::string text = sim::StoredFromUtf8(sim::machine().ReadFile(log));
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find("\r\n", start);
      std::string line = text.substr(start + 20, end - start - 20);
      const std::string level = line.substr(0, line.find(' '));
      EXPECT_TRUE(level == "Info" || level == "Warning" || level == "Error") << line;
      lines.push_back(withLevel ? line : line.substr(level.size() + 1));
      start = end + 2;
    }
    return lines;
  }
};

TEST_F(UnattendedRunTest, QuietRunsShowNothingAndEndWithTheirExitCode) {
  const std::string studentFile = std::string(kInstall) + "\\Students\\bob.txt";
  const std::vector<std::string> none;
  auto failShell = [] {
    Undeletable(kInstall);
    NotAnAdministrator();
  };
  auto failCopy = [&] { sim::machine().Fail(sim::Op::ReadFile, studentFile, ERROR_DISK_FULL); };
  auto holdLock = [] { CreateMutexA(NULL, FALSE, kMutex); };
  auto nothing = [] {};
  const std::string nested = NestedPastMaxPath();
  auto nest = [&] { sim::machine().AddFile(kInstall + ("\\Students" + nested), "deep work"); };
  // Each DLL loaded at run time from the system folder alone: by the search
  // flag where Windows has it (`directories`), else by its full path.
  auto loadedFromSystem = [this](bool directories) {
    const std::string folder = directories ? "" : "C:\\WINDOWS\\system32\\";
    const std::string flags = directories ? " 0x800" : " 0x0";
    std::set<std::string> dlls;
    for (const std::string& load : Events("LoadLibraryEx ")) {
      EXPECT_EQ(load.substr(0, folder.size()) + load.substr(load.rfind(' ')), folder + flags);
      dlls.insert(load.substr(folder.size(), load.rfind(' ') - folder.size()));
    }
    EXPECT_EQ(dlls, (std::set<std::string>{"rstrtmgr.dll", "userenv.dll", "wtsapi32.dll"}));
    EXPECT_EQ(Events("SetDefaultDllDirectories "),
              std::vector<std::string>(directories ? 2 : 0, "0x800"));
  };
  // clang-format off
  const Case cases[] = {
      {"/quiet", nothing, 0, true,
       {"Install folder: C:\\Program Files\\Kelmora (found at start)",
        "Step 1 of 6: Copying student data...",
        "Step 6 of 6: Removing registry information...",
        "The Kelmora has been removed from your computer.",
        "The registry entries removed were saved in " + std::string(kSaved) + "\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back.",
        "Student data saved in " + std::string(kSaved) + ": 2 files.", "Exit code 0."}},
      // Nothing saved: the backup goes beside the log, or where /regbackup says.
      {"/quiet /nosave /log C:\\k.log", nothing, 0, true, {"The registry entries removed were saved in C:\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back.", "Exit code 0."}},
      {"/quiet /nosave /regbackup kept.reg", nothing, 0, true, {"The registry entries removed were saved in C:\\kept.reg; open it to put them back.", "Exit code 0."}, none, [] { EXPECT_TRUE(sim::machine().Exists("C:\\kept.reg")); }},
      {"-Q -SaveTo \"C:\\Back Up\\PC 01\" -Log C:\\k.log", failShell, 1603, true,
       {"Error Could not delete: C:\\Program Files\\Kelmora (error 32: The process cannot access the "
        "file because it is being used by another process.)", "Error Exit code 1603."},
       {"Folder: C:\\Program Files\\Kelmora"}},
      {"/quiet /folder C:\\Other", [] { sim::machine().AddFile("C:\\Other\\a.txt"); }, 267, false,
       {"Answered No.", "The folder is refused; nothing was changed.", "Exit code 267."}},
      {"/quiet /nosave /folder C:\\WINDOWS", nothing, 267, false, {"C:\\WINDOWS", "Exit code 267."}},
      {"/quiet", [] { InstallInPolishFolder(false); }, 0, true,
       {"Install folder: " + std::string(kPolishFolder) + " (found at start)", "Exit code 0."}, none,
       [] {
         EXPECT_FALSE(sim::machine().Exists(kPolishFolder));
         EXPECT_EQ(sim::machine().ReadFile(kSaved + std::string("\\ewa.txt")), "ewa's work");
       }},
      {"/quiet /nosave /folder \"C:\\Programy\\Kelmora \u0141\xF3" "d\u017A\"",
       [] { InstallInPolishFolder(false); }, 0, true,
       {"Install folder: " + std::string(kPolishFolder) + " (given with /folder)", "Exit code 0."},
       none, [] { EXPECT_FALSE(sim::machine().Exists(kPolishFolder)); }},
      // Where the name cannot be read whole, the folder it names is never
      // passed over as absent: /check, then the removal, report it.
      {"/quiet", [] {
         InstallInPolishFolder(true);
         sim::machine().SetCommandLine("\"C:\\Temp\\RemoveKM.exe\" /check");
         EXPECT_FALSE(theApp.InitInstance());
         EXPECT_EQ(theApp.ExitInstance(), 1);
       }, 1603, true,
       {"Folder: C:\\Programy\\Kelmora L\xF3" "dz", "Exit code 1.",
        "Folder: C:\\Programy\\Kelmora L\xF3" "dz", "Exit code 1603."},
       {"Folder: C:\\Programy\\Kelmora L\xF3" "dz"}, [] {
         EXPECT_EQ(sim::machine().ReadFile(kPolishWork), "ewa's work");
       }},
      {"/quiet /saveto \"C:\\Program Files\\Kelmora\\Backup\"", nothing, 266, false, {"Exit code 266."}},
      {"/quiet /saveto C:\\PROGRA~1\\Kelmora\\Backup", nothing, 266, false, {"Exit code 266."}},
      {"/quiet /saveto C:\\Backups\\PC01", [] { sim::machine().AddJunction("C:\\Backups", kInstall); },
       266, false, {"Exit code 266."}},
      // Unopenable, it may still lead inside: a link or a short name there.
      {"/quiet /saveto C:\\Backups\\PC01", [] { sim::machine().AddFolder("C:\\Backups"); sim::machine().Fail(sim::Op::CreateFile, "C:\\Backups", ERROR_ACCESS_DENIED); }, 266, false, {"Exit code 266."}},
      {"/quiet /saveto C:\\Temp\\Saves\\PC01", [] { PupilsSaves(true); }, 266, false, {kNotSavedThrough, "Exit code 266."}, none, ExpectTeachersFolderWhole},
      {"/quiet /saveto C:\\Temp\\Saves", [] { PupilsSaves(true); }, 266, false, {"The student data is not saved in C:\\Temp\\Saves: C:\\Temp\\Saves is a link that others than administrators could have made or changed.", "Exit code 266."}, none, ExpectTeachersFolderWhole},
      {"/quiet /saveto C:\\Temp\\Saves\\PC01", [] { PupilsSaves(false, true); }, 266, false, {kNotSavedThrough, "Exit code 266."}, none, ExpectTeachersFolderWhole},
      {"/quiet /saveto C:\\Temp\\Saves\\PC01", [] { PupilsSaves(false); }, 0, true, {"Student data saved in C:\\Temp\\Saves\\PC01\\Kelmora Saved Student Data: 2 files.", "Exit code 0."}, none, [] { EXPECT_FALSE(sim::machine().MayRead("pupil", "C:\\Temp\\Saves\\PC01\\Kelmora Saved Student Data\\bob.txt")); EXPECT_TRUE(sim::machine().MayRead("pupil", "C:\\Temp\\Saves\\PC01")); }},
      // The desktop, as the dialog saves there, is judged the same way.
      {"/quiet", [] { PupilsSaves(true); sim::machine().SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, kPupilsSaves); }, 266, false, {"The student data is not saved in C:\\Temp\\Saves: C:\\Temp\\Saves is a link that others than administrators could have made or changed.", "Exit code 266."}, none, ExpectTeachersFolderWhole},
      // A link only administrators could have made is followed (from Vista on, where Windows tells where it leads).
      {"/quiet /saveto \"C:\\Program Files\\Backups\\PC01\"", [] { sim::machine().SetVersion(6, 1); sim::machine().AddFolder("D:\\Backups"); sim::machine().AddJunction("C:\\Program Files\\Backups", "D:\\Backups"); }, 0, true, {"Exit code 0."}, none, [] { EXPECT_EQ(sim::machine().ReadFile("D:\\Backups\\PC01\\Kelmora Saved Student Data\\bob.txt"), "bob's work"); }},
      // Students is locked for the copy, and given back when nothing is removed.
      {"/quiet", PupilAddsAfterTheCopy, 0, true, {"Exit code 0."}, none, AddedWorkSavedOrKept},
      {"/quiet", [&] { failCopy(); sim::machine().LetChange(kStudents, "pupil"); }, 266, false, {"Exit code 266."}, none, [] { EXPECT_TRUE(sim::machine().MayChange("pupil", kStudents)); EXPECT_TRUE(sim::machine().MayChange("pupil", kStudents + "\\alice")); }},
      {"/quiet", [] { sim::machine().Fail(sim::Op::SetFileSecurity, kStudents, ERROR_ACCESS_DENIED); }, 0, true, {"Warning Students could not be made administrators' only (error 5: Access is denied.); work pupils add to it during the removal is not saved.", "Exit code 0."}},
      {"/quiet", holdLock, 1618, false,
       {"Another removal of Kelmora is running on this computer.  Please try again when it has "
        "ended.", "Exit code 1618."}},
      {"/quiet /nosave /allusers", AddProfiles, 0, true, {"Exit code 0."}, none, [] {
         const sim::Machine& m = sim::machine();
         EXPECT_FALSE(m.Exists(kProfiles + std::string("alice\\Desktop\\Kelmora.lnk")));
         EXPECT_FALSE(m.Exists(kProfiles + std::string("alice\\Start Menu\\Programs\\Kelmora")));
         EXPECT_TRUE(m.Exists("C:\\Shared\\Kelmora.lnk"));
         EXPECT_TRUE(m.Exists("C:\\Elsewhere\\Desktop\\Kelmora.lnk"));
         EXPECT_FALSE(m.Exists(kProfiles + std::string("Łukasz\\Desktop\\Kelmora.lnk")));
         EXPECT_FALSE(m.Exists(kProfiles + std::string("Łukasz\\Start Menu\\Programs\\Kelmora")));
       }},
      {"/quiet", RedirectDesktop, 0, true,
       {"Student data saved in " + kWideDesktop + "\\Kelmora Saved Student Data: 2 files.",
        "Exit code 0."}, none, [] {
         const sim::Machine& m = sim::machine();
         EXPECT_EQ(m.ReadFile(kWideDesktop + "\\Kelmora Saved Student Data\\bob.txt"),
                   "bob's work");
         EXPECT_EQ(m.List(kWideDesktop),
                   (std::vector<std::string>{"homework.txt", "Kelmora Saved Student Data"}));
         EXPECT_TRUE(m.List(kWideProfile + std::string("\\Start Menu\\Programs")).empty());
       }},
      // A shortcut that OneDrive keeps in the cloud is a reparse point but no link: it goes as any other.
      {"/quiet /nosave", [] { RedirectDesktop(); sim::machine().AddReparsePoint(kWideDesktop + "\\Kelmora.lnk", 0x9000001A); }, 0, true, {"Removed File: " + kWideDesktop + "\\Kelmora.lnk", "Exit code 0."}},
      // Out of the shell's reach, the folder is deleted by the program itself.
      {"/quiet", nest, 0, true,
       {"Student data saved in " + std::string(kSaved) + ": 3 files.", "Exit code 0."},
       none, [&] {
         sim::Machine& m = sim::machine();
         EXPECT_EQ(m.ReadFile(kSaved + nested), "deep work");
         EXPECT_FALSE(m.Exists(kInstall));
         EXPECT_TRUE(m.PendingDeletes().empty());
       }},
      // A pupil's file the product holds is saved once the product is closed.
      {"/quiet", [] { Running(kProgram, {std::string(kInstall) + "\\Students\\bob.txt"}); },
       0, true, {"Closed: " + std::string(kProgram), "Exit code 0."}, none,
       [] { EXPECT_EQ(sim::machine().ReadFile(kSaved + std::string("\\bob.txt")), "bob's work"); }},
      {"/quiet", [] { Running(kProgram, {}, false); }, 0, true,
       {"Ended, as it did not close: " + std::string(kProgram), "Exit code 0."}},
      // Another program holding a product file is never closed: Windows deletes
      // the file at restart, and nothing is left after it.
      {"/quiet /nosave", [] { Running(kOutsider, {std::string(kInstall) + "\\km2.jar"}); }, 3010,
       true,
       {"Kelmora has been removed.  Some of its files were in use; Windows will remove them when "
        "the computer restarts.  Please restart the computer.",
        "Folder: C:\\Program Files\\Kelmora", "Exit code 3010."}, none, [&] {
         sim::Machine& m = sim::machine();
         EXPECT_TRUE(StillRuns(0));
         EXPECT_EQ(m.PendingDeletes(), (std::vector<std::string>{std::string(kInstall) + "\\km2.jar",
                                                                 kInstall}));
         EXPECT_EQ(Run("/check"), 1);
         const std::vector<std::string> lines = LogLines();
         EXPECT_EQ(lines.end()[-3],
                   "Folder: C:\\Program Files\\Kelmora (removed when Windows restarts)");
         m.Restart();
         EXPECT_FALSE(m.Exists(kInstall));
         EXPECT_TRUE(m.Exists(kOutsider));
         EXPECT_EQ(Run("/check"), 0);
       }},
      // As SYSTEM, with alice's Kelmora open in her session.
      {"/quiet /nosave", [] { RunningForAlice(true); }, 3010, true, {"Left running, not Kelmora's: C:\\WINDOWS\\explorer.exe (session 1)", kAsked, "Closed: " + kAlices, "Exit code 3010."}, none, [&] { ExpectAskedInHerSession("WM_CLOSE"); loadedFromSystem(false); }},
      {"/quiet /nosave", [] { RunningForAlice(true); sim::machine().SetVersion(10, 0); }, 3010, true, {kAsked, "Closed: " + kAlices, "Exit code 3010."}, none, [&] { ExpectAskedInHerSession("WM_CLOSE"); loadedFromSystem(true); }},
      // Without her environment the copy starts with the removal's, all the same.
      {"/quiet /nosave", [] { RunningForAlice(true); sim::machine().Fail(sim::Op::CreateEnvironmentBlock, "alice", ERROR_ACCESS_DENIED); }, 3010, true, {kAsked, "Closed: " + kAlices, "Exit code 3010."}, none, [] { EXPECT_TRUE(sim::machine().Processes().at(2).environment.empty()); }},
      {"/quiet /nosave", [] { RunningForAlice(false); }, 3010, true, {kAsked, "Ended, as it did not close: " + kAlices, "Exit code 3010."}, none, [] { ExpectAskedInHerSession("TerminateProcess"); }},
      // She closes it herself while the notice is up: the notice goes at once.
      {"/quiet /nosave", [] { RunningForAlice(false); sim::machine().modalUser = [](HWND) { sim::machine().ExitProcess(1536); }; }, 3010, true, {kAsked, "Closed: " + kAlices, "Exit code 3010."}, none, [] { const auto& events = sim::machine().events; EXPECT_EQ(std::count(events.begin(), events.end(), kNotice + "59 seconds."), 0); EXPECT_EQ(std::count(events.begin(), events.end(), "PostMessage 0x10 " + std::string(kProgram)), 0); }},
      {"/quiet /nosave /closewait 0", [] { RunningForAlice(false); }, 3010, true, {"Kelmora is asked to close in session 1, alice, after a notice of 0 seconds.", "Ended, as it did not close: " + kAlices, "Exit code 3010."}, none, [] { EXPECT_FALSE(NoticeShown()); }},
      // Where nobody can ask her, her Kelmora and its files are left to the restart.
      // A copy that does not report in time is ended, and so is the wait for it.
      {"/quiet /nosave", [] { RunningForAlice(false); sim::machine().runStarted = [](const sim::Machine::Process&) -> DWORD { HANDLE hers = OpenProcess(SYNCHRONIZE, FALSE, 1536); WaitForSingleObject(hers, 3600000); CloseHandle(hers); return 0; }; }, 3010, true, {kAsked, kLeftForHer, "Exit code 3010."}, none, [] { EXPECT_TRUE(StillRuns(0)); EXPECT_EQ(sim::machine().Processes().back().endedBy, "TerminateProcess"); }},
      {"/quiet /nosave", [] { RunningForAlice(false); sim::machine().DisconnectSession(1); }, 3010, true, {kLeftForHer, "Exit code 3010."}, none, [&] { EXPECT_TRUE(StillRuns(0)); EXPECT_EQ(sim::machine().PendingDeletes()[0], kProgram); const auto lines = LogLines(kLog, true); EXPECT_EQ(std::count(lines.begin(), lines.end(), "Warning " + kLeftForHer), 1); }},
      {"/quiet /nosave", [] { RunningForAlice(false); sim::machine().Fail(sim::Op::CreateDialog, "130", ERROR_INVALID_WINDOW_HANDLE); }, 3010, true, {kAsked, kLeftForHer, "Exit code 3010."}, none, [] { EXPECT_TRUE(StillRuns(0)); }},
      // The Restart Manager is asked only when something may be Kelmora's: a program inside the folder, or a Java runtime anywhere.
      {"/quiet /nosave", [] { sim::machine().SetVersion(6, 1); Running(kOutsider, {}); }, 0, true, {"Exit code 0."}, none, [this] { EXPECT_TRUE(Events("LoadLibraryEx ").empty()); }},
      {"/quiet /nosave", [] { sim::machine().SetVersion(6, 1); sim::machine().AddFile(kJava); Running(kJava, {}); }, 0, true, {"Exit code 0."}, none, [this] { EXPECT_EQ(Events("LoadLibraryEx "), std::vector<std::string>{"C:\\WINDOWS\\system32\\rstrtmgr.dll 0x0"}); }},
      // Whatever it answers, each program is looked at again.
      {"/quiet /nosave", [] { sim::machine().SetVersion(6, 1); sim::machine().SetRestartManager(sim::Machine::RestartManager::Powerless); Running(kProgram, {}); }, 0, true, {"Ended, as it did not close: " + std::string(kProgram) + " (session 1, user1)", "Exit code 0."}},
      {"/quiet /nosave /noclose", [] { Running(kProgram, {}); }, 3010, true,
       {"Left running (/noclose): " + std::string(kProgram), "Exit code 3010."}, none,
       [] { EXPECT_TRUE(StillRuns(0)); }},
      // Started from inside the install folder, the program leaves its own
      // running file to the restart, and never takes itself for one of the
      // product's programs (the idle process's id 0 names it to Toolhelp).
      {"/quiet /nosave", [] { StartedInside(false); }, 3010, true,
       {"Closed: " + std::string(kProgram), "Exit code 3010."}, none, [&] { ExpectOwnLeft(); }},
      {"/quiet /nosave", [] { StartedInside(true); }, 3010, true,
       {"Closed: " + std::string(kProgram) + " (session 1, user1)", "Exit code 3010."}, none,
       [&] { ExpectOwnLeft(); }},
      // Without an administrator's rights nothing can wait for the restart.
      {"/quiet /nosave", [] { Running(kOutsider, {std::string(kInstall) + "\\km2.jar"});
                             NotAnAdministrator(); }, 1603, true,
       {"Exit code 1603."}, {"Folder: C:\\Program Files\\Kelmora"},
       [] { EXPECT_TRUE(sim::machine().PendingDeletes().empty()); }},
      // Nothing waits for the restart under a folder a pupil may change: alice
      // could put a junction in its place once the run is over.
      {"/quiet /nosave /allusers", AliceShortcutHeld, 1603, true, {"Exit code 1603."},
       {"File: " + kAliceFolder + "\\Kelmora.lnk", "Folder: " + kAliceFolder}, [] {
         sim::Machine& m = sim::machine();
         m.AddFile("C:\\Teacher\\Kelmora.lnk", "marks");
         EXPECT_TRUE(m.PlantLink("alice", kAliceFolder, "C:\\Teacher"));
         m.Restart();
         EXPECT_TRUE(m.Exists("C:\\Teacher\\Kelmora.lnk"));
       }},
      // alice swaps a folder of her profile for a junction to a teacher's as it is opened, or as a shortcut in it is deleted, puts one at a program folder's name as it is opened, or gives the teacher's files second names: the teacher's folder comes through whole.
      {"/quiet /nosave /allusers", [] { AliceSwapsAt(sim::Op::CreateFile, "alice\\Start Menu\\Programs", "Start Menu\\Programs", "C:\\Teacher"); }, 0, true, {"Exit code 0."}, none, ExpectTeacherWhole},
      {"/quiet /nosave /allusers", [] { AliceSwapsAt(sim::Op::CreateFile, "alice\\Start Menu\\Programs\\Kelmora", "Start Menu\\Programs", "C:\\Teacher"); }, 0, true, {"Exit code 0."}, none, ExpectTeacherWhole},
      {"/quiet /nosave /allusers", [] { AliceSwapsAt(sim::Op::DeleteFile, "alice\\Desktop\\Kelmora.lnk", "Desktop", "C:\\Teacher"); }, 0, true, {"Exit code 0."}, none, ExpectTeacherWhole},
      {"/quiet /nosave /allusers", [] { AliceSwapsAt(sim::Op::CreateFile, "alice\\Start Menu\\Programs\\Kelmora", "Start Menu\\Programs\\Kelmora", "C:\\Teacher\\Kelmora"); }, 0, true, {"Exit code 0."}, none, ExpectTeacherWhole},
      {"/quiet /nosave /allusers", AliceHardLinksTeachersFiles, 1603, true, {"Exit code 1603."}, {"File: " + kAliceFolder + "\\Uninstall.lnk", "Folder: " + kAliceFolder}, ExpectTeacherWhole},
      // A link whoever may change its folder could have made leads nowhere trusted.
      {"/quiet /nosave", InstallAtRootAndLinkIt, 1603, true,
       {"Install folder was a link to D:\\Class Drop Box; D:\\Class Drop Box was not removed",
        "Exit code 1603."}, none, [] {
         EXPECT_EQ(sim::machine().Tree(kDropBox),
                   (std::map<std::string, std::string>{{"essay.doc", "carol's"}, {"km2.jar", ""}}));
       }},
      {"/quiet /log C:\\k.log /nosave /saveto C:\\x", nothing, 87, false,
       {"Error Invalid command line: /nosave and /saveto exclude each other. Exit code 87."}},
      // The whole line is read: a /quiet after an error still keeps it off the screen.
      {"/bogus /quiet", nothing, 87, false, {"Error Invalid command line: unknown argument \"/bogus\". Exit code 87."}},
      {"/norestart /quiet /nosave", nothing, 0, true, {"Step 1 of 6: The student data is not saved.", "Exit code 0."}},
      // Where no pupil ever saved work, nothing can be lost.
      {"/quiet", NoStudents, 0, true, {"No pupils' data to save (no Students folder).", "Exit code 0."}},
      {"/quiet", [] { sim::machine().SetUserName("SYSTEM"); }, 87, false, {"Error As SYSTEM, give /saveto DIR or /nosave. Nothing was changed."}},
      {"/quiet /saveto C:\\Backups", [] { sim::machine().SetUserName("SYSTEM"); }, 0, true, {"Exit code 0."}},
      // A drive the account has not says nothing of the folder: reported, its record kept.
      {"/quiet /nosave", [] { RecordOnDrive(DRIVE_REMOTE, "\\Device\\LanmanRedirector\\;Z:\\server\\apps"); }, 1603, true, {"Error Install folder not reached: Z:\\Kelmora", "Error Exit code 1603."}, {"Folder: Z:\\Kelmora"}, [] { EXPECT_TRUE(sim::machine().ValueExists(kProductKey, "InstallPath")); }},
      {"/quiet /nosave", [] { RecordOnDrive(DRIVE_FIXED, "\\??\\C:\\Pupils"); }, 1603, true, {"Install folder not reached: Z:\\Kelmora"}, {"Folder: Z:\\Kelmora"}},
      {"/quiet /nosave", [] { RecordOnDrive(0); }, 1603, true, {"Install folder not reached: Z:\\Kelmora"}, {"Folder: Z:\\Kelmora"}},
      {"/quiet /nosave", [] { RecordOnDrive(DRIVE_REMOVABLE); }, 1603, true, {"Install folder not reached: Z:\\Kelmora"}, {"Folder: Z:\\Kelmora"}},
      // A record others may change vouches for nothing: its folder is taken only where no pupil could have made it the product's; a link among its keys goes as a link.
      {"/quiet /nosave", [] { KeyOpenToUsers(kPupilsFolder); }, 1603, true, {"Error Install folder not taken, as others than administrators may change its record: C:\\Pupils\\Kelmora", "Warning Registry link deleted as a link, what it leads to kept: Registry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Settings", "Error Exit code 1603."}, {"Folder: C:\\Pupils\\Kelmora"}, [] { EXPECT_EQ(sim::machine().ReadFile(kPupilsFolder + std::string("\\essay.doc")), "carol's"); EXPECT_TRUE(sim::machine().ValueExists(kProductKey, "InstallPath")); EXPECT_TRUE(sim::machine().ValueExists(kTeacherKey + "\\Marks", "carol")); }},
      {"/quiet /nosave", [] { KeyOpenToUsers(kInstall); sim::machine().LetChange(kInstall, "pupil"); }, 0, true, {"Install folder: C:\\Program Files\\Kelmora (found at start)", "Exit code 0."}},
      {"/quiet /nosave", [] { KeyOpenToUsers(kInstall); }, 0, true, {"Install folder: C:\\Program Files\\Kelmora (found at start)", "Exit code 0."}, none, [] { EXPECT_TRUE(sim::machine().ValueExists(kTeacherKey + "\\Marks", "carol")); EXPECT_FALSE(sim::machine().KeyExists(kProductKey + std::string("\\Settings"))); }},
      // Windows deletes at the restart by name, through any link on the way: a pupil could swap what lies behind this one.
      {"/quiet /nosave", ProductBehindJunction, 1603, true, {"Exit code 1603."}, {"Folder: C:\\Apps\\Kelmora"}, [] { EXPECT_TRUE(sim::machine().PendingDeletes().empty()); }},
      // Students is locked by its name only where no one else may change a folder above it.
      {"/quiet", InstallSwappedAtStudents, 1603, true, {"Warning Students could not be made administrators' only (error 5: Access is denied.); work pupils add to it during the removal is not saved."}, {"Folder: C:\\Pupils\\Kelmora"}, [] { ExpectTeachersFolderWhole(); EXPECT_TRUE(sim::machine().MayChange("teacher", "C:\\Teacher\\Students")); }},
      // Only a folder missing from a present fixed drive is gone.
      {"/quiet /nosave", [] { RecordOnDrive(DRIVE_FIXED, "\\Device\\HarddiskVolume3"); }, 0, true, {"Exit code 0."}, none, [] { EXPECT_FALSE(sim::machine().ValueExists(kProductKey, "InstallPath")); }},
      // /defer: a room in use is left alone, and the tool tries again later.
      {"/quiet /defer", [] { Running(kProgram, {}); }, 1618, false, {"Warning Running, so nothing is changed (/defer): " + std::string(kProgram), "Warning Exit code 1618."}, none, [] { EXPECT_TRUE(StillRuns(0)); }},
      {"/quiet /defer /nosave", nothing, 0, true, {"Exit code 0."}},
      // Unattended, nothing goes to a Recycle Bin that nobody empties.
      {"/quiet /nosave", nothing, 0, true, {"Removed Folder: C:\\Program Files\\Kelmora", "Removed File: " + std::string(kCommonDesktop) + "\\Kelmora.lnk", "Removed Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath"}, none, [] { EXPECT_TRUE(sim::machine().RecycledPaths().empty()); }},
      {"/quiet /nosave", [] { sim::machine().Fail(sim::Op::RegDeleteValue, kProductKey, ERROR_ACCESS_DENIED); }, 1603, true, {"Error Could not delete: Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath (error 5: Access is denied.)"}, {"Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath"}},
      // The shell's permanent delete walks by name: a pupil who makes their empty folder a mount point as the folder is handed over must find nothing to steer.
      {"/quiet /nosave", PupilMountPointAtShellDelete, 0, true, {"Exit code 0."}, none, [] { EXPECT_EQ(sim::machine().ReadFile("C:\\Teacher\\marks.xls"), "marks"); }},
      // A program that shares deleting (a scanner, an Explorer window) only delays a delete: Windows 10 1809 on takes the name at once, Windows 7 once it lets go, waited for a moment, else at the restart. Never a failure.
      {"/quiet /nosave", [] { HeldSharingDelete("km2.jar", 10, 0, 17763, -1); }, 0, true, {"Removed Folder: C:\\Program Files\\Kelmora", "Exit code 0."}, none, GoneAtRestart},
      {"/quiet /nosave", [] { HeldSharingDelete("Students", 10, 0, 19045, -1); }, 0, true, {"Exit code 0."}, none, GoneAtRestart},
      {"/quiet /nosave", [] { HeldSharingDelete("Students\\bob.txt", 6, 1, 0, 6); }, 0, true, {"Waited 50 ms for other programs to let go of what Windows is deleting in C:\\Program Files\\Kelmora.", "Removed Folder: C:\\Program Files\\Kelmora", "Exit code 0."}, none, GoneAtRestart},
      {"/quiet /nosave", [] { HeldSharingDelete("km2.jar", 10, 0, 17134, -1); }, 3010, true, {"Waited 3150 ms for other programs to let go of what Windows is deleting in C:\\Program Files\\Kelmora.", "Warning Held: C:\\Program Files\\Kelmora; deleted when Windows restarts.", "Exit code 3010."}, none, GoneAtRestart},
      {"/quiet /nosave", [] { HeldSharingDelete("Students", 6, 1, 0, -1); }, 3010, true, {"Warning Held: C:\\Program Files\\Kelmora; deleted when Windows restarts.", "Exit code 3010."}, none, GoneAtRestart},
      // A teacher's program that shares reading lets a pupil's work be saved; its delete waits for the restart.
      {"/quiet", [] { sim::machine().HoldOpenSharing(kInstall + std::string("\\Students\\bob.txt"), FILE_SHARE_READ); }, 3010, true, {"Student data saved in " + std::string(kSaved) + ": 2 files.", "Exit code 3010."}, none, GoneAtRestart},
      // Nothing says the restart deletes a read-only file: it loses the attribute first.
      {"/quiet /nosave", [] { sim::machine().AddFile(kInstall + std::string("\\km2.jar"), "jar", FILE_ATTRIBUTE_READONLY); Running(kOutsider, {kInstall + std::string("\\km2.jar")}); }, 3010, true, {"Exit code 3010."}, none, GoneAtRestart},
      // The copy asks only the program it was named, by its id and its whole start time: one that took the id meanwhile is left alone.
      {"/quiet /nosave", [] { RunningForAlice(true); const auto play = sim::machine().runStarted; sim::machine().runStarted = [play](const sim::Machine::Process& copy) { sim::Machine& m = sim::machine(); m.ExitProcess(1536); m.AddFile(kOutsider); sim::Machine::Process successor; successor.image = kOutsider; successor.id = 1536; m.StartProcess(successor); return play(copy); }; }, 3010, true, {kAsked, "Exit code 3010."}, none, [] { for (const sim::Machine::Process& p : sim::machine().Processes()) { if (p.image == kOutsider) { EXPECT_TRUE(p.running); } } }},
      // A copy slow to start (a loaded PC, a profile being loaded) still has its full notice and the programs' answer.
      {"/quiet /nosave", [] { RunningForAlice(true); const auto play = sim::machine().runStarted; sim::machine().runStarted = [play](const sim::Machine::Process& copy) { Sleep(45000); return play(copy); }; }, 3010, true, {kAsked, "Closed: " + kAlices, "Exit code 3010."}, none, [] { EXPECT_EQ(sim::machine().Processes().back().endedBy, "exited"); }},
      // A folder left and reported keeps its record, for a later run to find.
      {"/quiet /nosave", [] { Undeletable(kInstall); NotAnAdministrator(); }, 1603, true, {"Exit code 1603."}, {"Folder: C:\\Program Files\\Kelmora"}, [] { EXPECT_TRUE(sim::machine().ValueExists(kProductKey, "InstallPath")); }},
      // The log and the registry backup go only where no pupil can steer them: else to %WINDIR%\Logs, saying why.
      {"/quiet /nosave /log C:\\Temp\\Logs\\k.log", [] { PupilsTemp("C:\\Temp\\Logs", false); }, 0, true, {"Warning The log is not written to C:\\Temp\\Logs\\k.log, as others than administrators may change its folder or one above it; it is written here.", "The registry entries removed were saved in C:\\WINDOWS\\Logs\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /log C:\\Temp\\Logs\\k.log", [] { PupilsTemp("C:\\Temp\\Logs", true); }, 0, true, {"Warning The log is not written to C:\\Temp\\Logs\\k.log, as others than administrators may change its folder or one above it; it is written here."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /log C:\\Logs\\k.log", [] { TeachersFile(); sim::machine().AddSymbolicLink("C:\\Logs\\k.log", kTeacherFile, false); }, 0, true, {"Warning The log is not written to C:\\Logs\\k.log, as what is there is a link, has other names or others than administrators may change it; it is written here."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /log C:\\Logs\\k.log", [] { sim::machine().AddFile(kSystemFile, "[fonts]"); sim::machine().AddHardLink("C:\\Logs\\k.log", kSystemFile); }, 0, true, {"Warning The log is not written to C:\\Logs\\k.log, as what is there is a link, has other names or others than administrators may change it; it is written here."}, none, [] { EXPECT_EQ(sim::machine().ReadFile(kSystemFile), "[fonts]"); }},
      // Wine follows a link opened as itself: where it leads shows in the final path.
      {"/quiet /nosave /log C:\\Logs\\k.log", [] { sim::machine().SetVersion(6, 1); sim::machine().LinksAsWine8(); sim::machine().AddFile(kSystemFile, "[fonts]"); sim::machine().AddSymbolicLink("C:\\Logs\\k.log", kSystemFile, false); }, 0, true, {"Warning The log is not written to C:\\Logs\\k.log, as what is there is a link, has other names or others than administrators may change it; it is written here."}, none, [] { EXPECT_EQ(sim::machine().ReadFile(kSystemFile), "[fonts]"); }},
      {"/quiet /nosave /log C:\\k.log", [] { sim::machine().SetVersion(6, 1); sim::machine().AddFile("C:\\k.log", "\xEF\xBB\xBF"); }, 0, true, {"Exit code 0."}},
      {"/quiet /nosave /log C:\\Logs\\k.log", [] { sim::machine().SetVersion(6, 1); sim::machine().AddFile("C:\\Logs\\k.log", "\xEF\xBB\xBF"); }, 0, true, {"Exit code 0."}},
      {"/quiet /nosave /regbackup C:\\Temp\\Backups\\b.reg", [] { PupilsTemp("C:\\Temp\\Backups", false); }, 0, true, {"Warning The registry backup is not written as C:\\Temp\\Backups\\b.reg, as others than administrators may change its folder or one above it; it goes to %WINDIR%\\Logs.", "The registry entries removed were saved in C:\\WINDOWS\\Logs\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /regbackup C:\\Temp\\Backups\\b.reg", [] { PupilsTemp("C:\\Temp\\Backups", true); }, 0, true, {"The registry entries removed were saved in C:\\WINDOWS\\Logs\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /regbackup C:\\Temp\\b.reg", [] { PupilsTemp("C:\\Temp\\Backups", false); sim::machine().AddSymbolicLink("C:\\Temp\\b.reg", kTeacherFile, false); }, 0, true, {"The registry entries removed were saved in C:\\WINDOWS\\Logs\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back."}, none, ExpectTeachersFolderWhole},
      {"/quiet /nosave /regbackup C:\\Temp\\b.reg", [] { PupilsTemp("C:\\Temp\\Backups", false); sim::machine().AddHardLink("C:\\Temp\\b.reg", kTeacherFile); }, 0, true, {"The registry entries removed were saved in C:\\WINDOWS\\Logs\\Kelmora registry backup 2026-12-08 090507.reg; open it to put them back."}, none, ExpectTeachersFolderWhole},
      // Where every user may read: the backup, which holds the school's licence, is still for administrators alone.
      {"/quiet /nosave /regbackup C:\\Backups\\b.reg", [] { sim::machine().AddFolder("C:\\Backups"); sim::machine().Grant("C:\\Backups", "S-1-5-32-545", GENERIC_READ); }, 0, true, {"The registry entries removed were saved in C:\\Backups\\b.reg; open it to put them back."}, none, [] { EXPECT_FALSE(sim::machine().MayRead("pupil", "C:\\Backups\\b.reg")); EXPECT_TRUE(sim::machine().MayRead("S-1-5-32-544", "C:\\Backups\\b.reg")); }},
      // What cannot be copied is named, with Windows' reason.
      {"/quiet", failCopy, 266, false, {"Error Could not copy: " + studentFile + " (error 112: There is not enough space on the disk.)", "Error Exit code 266."}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    FreshMachine();
    sim::Machine& m = sim::machine();
    InstallProduct();
    m.RedirectStandardOutput();
    PlayCopies();
    c.arrange();
    const int othersMutexes = m.OpenMutexHandles();

    EXPECT_EQ(Run(c.arguments), c.exitCode);

    EXPECT_TRUE(m.messageBoxes.empty());
    // Only a pupil's notice, in their own session.
    for (const std::string& box : Events("DialogBox ")) EXPECT_EQ(box, "130");
    EXPECT_TRUE(Events("CreateDialog").empty());
    EXPECT_EQ(m.KeyExists(kUninstall + std::string("\\") + kEntry1), !c.productRemoved);
    if (!c.productRemoved) {
      EXPECT_TRUE(m.Exists(std::string(kInstall) + "\\km2.jar"));
    }
    // The default log, unless the run took the one /log named.
    const std::string arguments = c.arguments;
    const size_t named = arguments.find("og C:\\");
    const std::string log =
        m.Exists(kLog) || named == std::string::npos
            ? kLog
            : arguments.substr(named + 3, arguments.find(' ', named + 3) - named - 3);
    // A new log file begins with the byte-order mark; the output has none.
    EXPECT_EQ(m.ReadFile(log), "\xEF\xBB\xBF" + m.standardOutput);
    // An expected line names its level where it matters.
    const std::vector<std::string> lines = LogLines(log), leveled = LogLines(log, true);
    size_t at = 0;
    for (const std::string& expected : c.logLines) {
      while (at < lines.size() && lines[at] != expected && leveled[at] != expected) ++at;
      EXPECT_LT(at, lines.size()) << "not in the log, or not in order: " << expected;
    }
    std::vector<std::string> report;
    auto line = std::find(lines.begin(), lines.end(), kReportHeader);
    while (line != lines.end() && ++line != lines.end() && line->find(": ") < 15)
      report.push_back(*line);
    EXPECT_EQ(report, c.report);
    EXPECT_EQ(m.OpenFileHandles(), 0);
    EXPECT_EQ(m.OpenProcessHandles(), 0);
    EXPECT_EQ(m.OpenMutexHandles(), othersMutexes);
    c.verify();
  }
}

TEST_F(UnattendedRunTest, CheckListsTracesAndNoWindowOpensUnseen) {
  sim::Machine& m = sim::machine();
  InstallProduct();
  EXPECT_EQ(Run("/check"), 1);
  const std::string uninstall =
      "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  const std::vector<std::string> traces = {
      "Folder: " + std::string(kCacheParent) + kEntry1,
      "Folder: " + std::string(kCacheParent) + kEntry2,
      "Folder: C:\\Program Files\\Kelmora",
      "File: " + std::string(kCommonDesktop) + "\\Kelmora.lnk",
      "File: " + std::string(kCommonStartMenu) + "\\Programs\\Kelmora\\Kelmora.lnk",
      "Folder: " + std::string(kCommonStartMenu) + "\\Programs\\Kelmora",
      "File: " + std::string(kUserDesktop) + "\\Kelmora Vessik.lnk",
      "File: " + std::string(kUserStartMenu) + "\\Programs\\Kelmora Vessik\\Uninstall.lnk",
      "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Settings",
      "Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath",
      uninstall + kEntry1,
      uninstall + kEntry2,
  };
  std::vector<std::string> lines = LogLines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 1, lines.end() - 2), traces);
  EXPECT_TRUE(m.Exists(std::string(kInstall) + "\\km2.jar"));

  EXPECT_EQ(Run("/quiet /nosave"), 0);
  EXPECT_EQ(Run("/check"), 0);
  EXPECT_EQ(LogLines().back(), "Exit code 0.");

  // /check looks where /allusers and /folder reach: the pupils' shortcuts a
  // removal without /allusers left, never what lies behind a link; a folder
  // the registry does not name.
  AddProfiles();
  m.AddFile("D:\\Kelmora\\km2.jar");
  EXPECT_EQ(Run("/check /folder D:\\Kelmora"), 1);
  lines = LogLines();
  const std::string alice = kProfiles + std::string("alice"),
                    lukasz = kProfiles + std::string("Łukasz");
  EXPECT_EQ(
      std::vector<std::string>(lines.end() - 9, lines.end() - 2),
      (std::vector<std::string>{"Folder: D:\\Kelmora", "File: " + alice + "\\Desktop\\Kelmora.lnk",
                                "File: " + alice + "\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk",
                                "Folder: " + alice + "\\Start Menu\\Programs\\Kelmora",
                                "File: " + lukasz + "\\Desktop\\Kelmora.lnk",
                                "File: " + lukasz + "\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk",
                                "Folder: " + lukasz + "\\Start Menu\\Programs\\Kelmora"}));

  // Where a desktop is seen, usage and refusals are shown; a dialog that
  // cannot open does not end as a success, and its log says why.
  FreshMachine();
  sim::Machine& fresh = sim::machine();
  EXPECT_EQ(Run("/?"), 0);
  EXPECT_EQ(Run("/nosave"), 87);
  fresh.Fail(sim::Op::CreateDialog, "102", ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(Run(""), 1459);
  ASSERT_EQ(fresh.messageBoxes.size(), 2u);
  EXPECT_EQ(fresh.messageBoxes[0].text, fresh.messageBoxes[1].text);
  EXPECT_NE(fresh.messageBoxes[0].text.find("/quiet [/nosave | /saveto DIR]"), std::string::npos);
  EXPECT_EQ(LogLines(kLog, true).back(), "Error No desktop for the dialog. Exit code 1459.");

  // Where nobody sees the desktop (a service's window station; session 0
  // from Vista on, not before) nothing waits for a click: the usage goes to
  // the redirected output, a refusal and the missing dialog to the log.
  // clang-format off
  const struct { std::function<void(sim::Machine&)> arrange; bool visible; } desktops[] = {
      {[](sim::Machine& m) { m.HideWindowStation(); }, false},
      {[](sim::Machine& m) { m.SetVersion(6, 1); m.SetOwnSession(0); }, false},
      {[](sim::Machine& m) { m.SetOwnSession(0); }, true},
  };
  // clang-format on
  for (const auto& desktop : desktops) {
    FreshMachine();
    sim::Machine& machine = sim::machine();
    desktop.arrange(machine);
    machine.RedirectStandardOutput();
    EXPECT_EQ(Run("/?"), 0);
    EXPECT_NE(machine.standardOutput.find("/quiet [/nosave | /saveto DIR]"), std::string::npos);
    EXPECT_TRUE(machine.messageBoxes.empty());
    machine.standardOutput.clear();
    if (desktop.visible) {
      machine.modalUser = [](HWND) {};
      EXPECT_EQ(Run(""), 1602);
      EXPECT_EQ(Events("DialogBox").size(), 1u);
      continue;
    }
    EXPECT_EQ(Run("/norestart /bogus"), 87);
    EXPECT_EQ(Run(""), 1459);
    EXPECT_TRUE(machine.messageBoxes.empty());
    EXPECT_TRUE(Events("DialogBox").empty());
    lines = LogLines(kLog, true);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.end()[-3],
              "Error Invalid command line: unknown argument \"/bogus\". Exit code 87.");
    EXPECT_EQ(lines.back(), "Error No desktop for the dialog. Exit code 1459.");
  }
}

}  // namespace
