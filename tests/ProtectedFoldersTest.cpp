#include "location/ProtectedFolders.h"

#include <string>
#include <vector>

#include "SimFixture.h"

namespace {

// An XP layout with the program-files folder on another drive, so that the
// literal "C:\Program Files" and the one the system names are both on show.
class ProtectedFoldersTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim::Machine& m = sim::machine();
    m.SetWindowsDirectory("C:\\WINDOWS");
    m.SetSystemDirectory("C:\\WINDOWS\\system32");
    m.SetSpecialFolder(CSIDL_PROGRAM_FILES, "D:\\Programs");
    m.SetSpecialFolder(CSIDL_PROFILE, "C:\\Documents and Settings\\user1");
    m.SetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY,
                       "C:\\Documents and Settings\\All Users\\Desktop");
    m.SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, "C:\\Documents and Settings\\user1\\Desktop");
    m.SetSpecialFolder(CSIDL_COMMON_STARTMENU, "E:\\Shared\\Start Menu");
    m.SetSpecialFolder(CSIDL_STARTMENU, "C:\\Documents and Settings\\user1\\Start Menu");
  }

  std::vector<std::string> Misjudged(const std::vector<std::string>& folders, bool expected) {
    std::vector<std::string> wrong;
    for (const std::string& folder : folders) {
      if (IsProtectedFolder(folder.c_str()) != expected) wrong.push_back(folder);
    }
    return wrong;
  }
};

TEST_F(ProtectedFoldersTest, RefusesEveryProtectedFolderHoweverSpelt) {
  const std::vector<std::string> folders = {
      // Drive roots.
      "C:\\",
      "C:",
      "c:/",
      "D:",
      "Z:\\\\",
      "\\",
      "/",
      "\\\\",
      // The Windows and system folders.
      "C:\\WINDOWS",
      "c:\\windows\\",
      "C:/Windows/System32",
      "C:\\\\WINDOWS\\\\system32\\\\",
      "C:\\WINDOWS.",
      "C:\\WINDOWS\\system32\\..",
      // Program Files: the literal, the system's, the installer caches' parent.
      "C:\\Program Files",
      "c:\\program files\\",
      "d:\\programs\\",
      "C:\\Program Files\\InstallShield Installation Information",
      "C:\\Program Files\\Kelmora\\..",
      "C:/program files/installshield installation information/",
      // Profiles: the user's, another one beside it, the folder holding them.
      "C:\\Documents and Settings\\user1",
      "C:\\Documents and Settings\\Default User\\",
      "C:\\Documents and Settings",
      // The desktop and Start Menu folders and the folders above them.
      "C:\\Documents and Settings\\All Users\\Desktop",
      "C:\\Documents and Settings\\All Users",
      "c:\\documents and settings\\user1\\desktop\\",
      "E:\\Shared\\Start Menu",
      "e:\\shared",
      "C:\\Documents and Settings\\user1\\Start Menu",
      // Relative to the current directory C:\.
      "WINDOWS",
      ".\\Program Files",
      "..\\..",
  };
  EXPECT_EQ(Misjudged(folders, true), std::vector<std::string>());
}

TEST_F(ProtectedFoldersTest, TakesOrdinaryFoldersBesideAndBelowThem) {
  const std::vector<std::string> folders = {
      "",  // no install folder at all
      "C:\\Program Files\\Kelmora",
      "c:\\program files\\kelmora\\",
      "D:\\Programs\\Kelmora",
      "C:\\Program Files\\InstallShield Installation Information\\"
      "{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}",
      "C:\\Program",
      "C:\\WINDOWS2",
      "C:\\WIN",
      "C:\\Documents and Settings\\user1\\Kelmora",
      "C:\\Documents and Settings\\user1\\Desktop\\Kelmora Saved Student Data",
      "E:\\Shared\\Start Menu\\Programs\\Kelmora",
      "E:\\Kelmora",
      "Kelmora",
      "\\\\server\\share\\Kelmora",
  };
  EXPECT_EQ(Misjudged(folders, false), std::vector<std::string>());
}

// A folder the system will not name could be the one chosen (another user's
// profile when the profile is unknown, the shared desktop when it is), so an
// incomplete list protects everything.
TEST_F(ProtectedFoldersTest, FolderTheSystemCannotNameLeavesNothingToErase) {
  const struct {
    const char* what;
    int csidl;
    const char* hidden;  // the folder the system cannot name
  } cases[] = {
      {"profile", CSIDL_PROFILE, "C:\\Documents and Settings\\Default User"},
      {"common desktop", CSIDL_COMMON_DESKTOPDIRECTORY,
       "C:\\Documents and Settings\\All Users\\Desktop"},
      {"common Start Menu", CSIDL_COMMON_STARTMENU, "E:\\Shared\\Start Menu"},
      {"Documents", CSIDL_PERSONAL, "C:\\Documents and Settings\\user1\\My Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(IsProtectedFolder("E:\\Kelmora"));  // a plain folder, while all is named
    sim::machine().Fail(sim::Op::SpecialFolder, std::to_string(c.csidl), ERROR_ACCESS_DENIED);

    EXPECT_TRUE(IsProtectedFolder(c.hidden));
    EXPECT_EQ(JudgeFolder("E:\\Kelmora"), kFolderUnchecked);

    sim::machine().ClearFaults();
  }
}

TEST_F(ProtectedFoldersTest, JudgesAFolderByWhatItsNameLeadsTo) {
  sim::Machine& m = sim::machine();
  m.AddFolder("C:\\Program Files\\Kelmora");
  m.AddJunction("E:\\Links\\Windows", "C:\\WINDOWS");
  m.AddJunction("E:\\Links\\Profile", "C:\\Documents and Settings\\user1");
  m.AddJunction("E:\\Links\\Kelmora", "C:\\Program Files\\Kelmora");
  m.AddFolder("C:\\WINDOWS\\Kelmora");
  m.AddSymbolicLink("E:\\Links\\In Windows", "C:\\WINDOWS\\Kelmora", true);
  m.AddFolder("C:\\Documents and Settings\\Default User");
  m.AddJunction("E:\\Links\\Other Profile", "C:\\Documents and Settings\\Default User");
  const struct {
    std::string folder;
    FolderVerdict verdict;
    bool byFinalPath = false;  // Windows before Vista cannot tell: erasable there
  } cases[] = {
      {m.ShortPath("C:\\Program Files"), kFolderProtected},
      {m.ShortPath("C:\\Program Files\\Kelmora"), kFolderErasable},
      {m.ShortPath("C:\\Documents and Settings") + "\\All Users", kFolderProtected},
      {"E:\\Links\\Windows", kFolderProtected},
      {"E:\\Links\\Windows\\Fonts", kFolderProtected},
      {"E:\\Links\\Profile", kFolderProtected},
      {"E:\\Links\\Kelmora", kFolderErasable},
      {"E:\\Links\\In Windows", kFolderProtected, true},
      {m.ShortPath("E:\\Links\\In Windows"), kFolderProtected, true},
      {"E:\\Links\\Other Profile", kFolderProtected, true},
      {"\\\\?\\C:\\Program Files", kFolderProtected},
      {"\\\\?\\C:\\Program Files\\Kelmora", kFolderErasable},
      {"C:\\WINDOWS\\Fonts", kFolderProtected},
      {"C:\\WINDOWS\\system32\\drivers\\etc", kFolderProtected},
      {"C:\\Documents and Settings\\user1\\My Documents", kFolderProtected},
      {"C:\\Documents and Settings\\user1\\My Documents\\Kelmora", kFolderErasable},
      {"C:\\Documents and Settings\\user1\\Local Settings\\Temp\\", kFolderProtected},
      {"C:\\Program Files\\Common Files", kFolderProtected},
      {"C:\\Program Files (x86)", kFolderErasable},  // 32-bit Windows has none
      {"C:\\Program Files\\*", kFolderNameWithWildcards},
      {"E:\\Kel?ora", kFolderNameWithWildcards},
  };
  for (DWORD major : {5, 6}) {
    m.SetVersion(major, 1);
    for (const auto& c : cases) {
      FolderVerdict verdict = c.byFinalPath && major < 6 ? kFolderErasable : c.verdict;
      EXPECT_EQ(JudgeFolder(c.folder.c_str()), verdict) << c.folder << ", Windows " << major;
    }
  }
}

TEST_F(ProtectedFoldersTest, SixtyFourBitWindowsHasBothProgramFolders) {
  sim::Machine& m = sim::machine();
  m.MakeWindows64();
  m.DropSpecialFolder(CSIDL_MYVIDEO);  // a folder this Windows does not have

  for (const char* folder :
       {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Program Files\\Common Files",
        "c:\\program files (x86)\\common files", "C:\\WINDOWS\\SysWOW64"})
    EXPECT_EQ(JudgeFolder(folder), kFolderProtected) << folder;
  EXPECT_EQ(JudgeFolder("C:\\Program Files (x86)\\Kelmora"), kFolderErasable);
  EXPECT_EQ(JudgeFolder("C:\\Documents and Settings\\user1\\My Documents\\My Videos"),
            kFolderErasable);
}

// Which folder the name leads to cannot be told: it is not taken.
TEST_F(ProtectedFoldersTest, FolderThatCannotBeOpenedIsUnchecked) {
  sim::machine().AddFolder("E:\\Kelmora");
  sim::machine().Fail(sim::Op::CreateFile, "E:\\Kelmora", ERROR_ACCESS_DENIED);

  EXPECT_EQ(JudgeFolder("E:\\Kelmora"), kFolderUnchecked);
  EXPECT_EQ(JudgeFolder("E:\\Other"), kFolderErasable);
}

TEST_F(ProtectedFoldersTest, ProfilesInADriveRootLeaveTheirNeighboursAlone) {
  sim::machine().SetSpecialFolder(CSIDL_PROFILE, "F:\\user1");

  EXPECT_TRUE(IsProtectedFolder("F:\\user1"));
  EXPECT_FALSE(IsProtectedFolder("F:\\Kelmora"));
}

TEST_F(ProtectedFoldersTest, RelativeFolderIsJudgedWhereItWouldBeErased) {
  sim::machine().AddFolder("C:\\Program Files\\Kelmora\\Students");
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\Program Files\\Kelmora"));

  EXPECT_TRUE(IsProtectedFolder(".."));
  EXPECT_TRUE(IsProtectedFolder("C:"));  // taken for the root, not the current folder
  EXPECT_FALSE(IsProtectedFolder("Students"));
  EXPECT_FALSE(IsProtectedFolder("C:Students"));
}

TEST_F(ProtectedFoldersTest, RelativeFolderIsPlacedOnceAndForAll) {
  const struct {
    const char* current;
    const char* folder;
    const char* full;
  } cases[] = {
      {"C:\\", "Kelmora", "C:\\Kelmora"},
      {"C:\\Apps", "Kelmora\\", "C:\\Apps\\Kelmora\\"},
      {"C:\\Apps", "..\\Kelmora", "C:\\Apps\\..\\Kelmora"},
      {"C:\\Apps", "\\Kelmora", "C:\\Kelmora"},
      {"C:\\Apps", "c:Kelmora", "C:\\Apps\\Kelmora"},
      {"C:\\Apps", "D:Kelmora", "D:\\Kelmora"},
      {"C:\\Apps", "D:\\Kelmora", "D:\\Kelmora"},  // full ones are kept as given
      {"C:\\Apps", "d:/kelmora//", "d:/kelmora//"},
      {"C:\\Apps", "\\\\server\\share\\Kelmora", "\\\\server\\share\\Kelmora"},
      {"C:\\Apps", "", ""},  // no folder stays no folder
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    sim::machine().AddFolder("C:\\Apps");
    ASSERT_TRUE(SetCurrentDirectoryA(c.current));
    CWidePath full("sentinel");

    EXPECT_TRUE(FullFolderPath(c.folder, full));

    EXPECT_EQ(sim::StoredName(full.Text()), c.full);
  }
}

// With no current directory a relative folder could be anywhere; a full one
// is still placed.
TEST_F(ProtectedFoldersTest, RelativeFolderWithoutACurrentDirectoryIsRefused) {
  sim::machine().Fail(sim::Op::GetCurrentDirectory, "", ERROR_ACCESS_DENIED);
  CWidePath full("sentinel");

  EXPECT_FALSE(FullFolderPath("Kelmora", full));
  EXPECT_TRUE(IsProtectedFolder("Kelmora"));
  EXPECT_FALSE(IsProtectedFolder("E:\\Kelmora"));
}

}  // namespace
