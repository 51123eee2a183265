// The simulated file system against the Windows rules the program depends
// on: path forms, listing order and matching, and the error of each refusal.
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "SimFixture.h"

namespace {

class SimFilesTest : public SimTest {
 protected:
  // Every name a listing gives, or the error that stops it starting.
  std::vector<std::string> ListPattern(const char* pattern, DWORD& error) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    SetLastError(0);
    HANDLE find = FindFirstFileA(pattern, &data);
    error = GetLastError();
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES) << pattern;
    EXPECT_TRUE(FindClose(find));
    error = 0;
    return names;
  }
};

TEST_F(SimFilesTest, PatternsResolveAndMatchAsOnWindows) {
  machine().AddFolder("C:\\d\\sub");
  machine().AddFile("C:\\d\\subway.txt", "1234");
  machine().AddFile("C:\\d\\Alpha");
  machine().AddFolder("C:\\d\\empty");
  const std::string longPattern = "C:\\d\\" + std::string(MAX_PATH - 5, 'x');
  struct Case {
    std::string pattern;
    DWORD error;
    std::vector<std::string> names;
  } cases[] = {
      {"C:\\d\\*", 0, {".", "..", "Alpha", "empty", "sub", "subway.txt"}},
      {"C:/d//sub*.*", 0, {"sub", "subway.txt"}},
      {"c:\\D\\SUB", 0, {"sub"}},
      {"\\d\\s?b", 0, {"sub"}},
      {"d\\empty\\..\\*.txt", 0, {"subway.txt"}},
      {"C:\\d\\empty\\*.*", 0, {".", ".."}},
      {"C:\\*", 0, {"d", "Documents and Settings", "Program Files", "WINDOWS"}},
      {"C:\\d\\sub\\", ERROR_FILE_NOT_FOUND, {}},
      {"C:\\", ERROR_FILE_NOT_FOUND, {}},
      {"C:", ERROR_FILE_NOT_FOUND, {}},
      {"", ERROR_PATH_NOT_FOUND, {}},
      {"C:\\missing\\*", ERROR_PATH_NOT_FOUND, {}},
      {"C:\\d\\subway.txt\\*", ERROR_PATH_NOT_FOUND, {}},
      {"C:\\d\\none*", ERROR_FILE_NOT_FOUND, {}},
      {longPattern, ERROR_FILENAME_EXCED_RANGE, {}},
  };
  for (const Case& c : cases) {
    DWORD error = 0;
    EXPECT_EQ(ListPattern(c.pattern.c_str(), error), c.names) << c.pattern;
    EXPECT_EQ(error, c.error) << c.pattern;
  }
  EXPECT_EQ(machine().OpenFindHandles(), 0);
}

TEST_F(SimFilesTest, RecordsCarryAttributesAndSizes) {
  machine().AddFile("C:\\d\\f.txt", "12345", FILE_ATTRIBUTE_READONLY);
  machine().AddFile("C:\\d\\plain", "", 0);
  machine().AddJunction("C:\\d\\link", "C:\\WINDOWS");
  machine().AddSymbolicLink("C:\\d\\file link", "C:\\d\\f.txt", false);
  machine().AddFile("C:\\d\\dedup", "123", 0);
  machine().AddReparsePoint("C:\\d\\dedup", 0x80000013);
  struct Case {
    const char* pattern;
    DWORD attributes;
    DWORD size;
    DWORD tag;
  } cases[] = {
      {"C:\\d\\f.txt", FILE_ATTRIBUTE_READONLY, 5, 0},
      {"C:\\d\\plain", FILE_ATTRIBUTE_NORMAL, 0, 0},
      {"C:\\d\\link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0,
       IO_REPARSE_TAG_MOUNT_POINT},
      {"C:\\d\\file link", FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE, 0,
       IO_REPARSE_TAG_SYMLINK},
      // No link: its data is its own, and paths do not lead through it.
      {"C:\\d\\dedup", FILE_ATTRIBUTE_REPARSE_POINT, 3, 0x80000013},
  };
  for (const Case& c : cases) {
    WIN32_FIND_DATAA data;
    data.nFileSizeLow = 0xBAD;
    HANDLE find = FindFirstFileA(c.pattern, &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << c.pattern;
    EXPECT_EQ(data.dwFileAttributes, c.attributes) << c.pattern;
    EXPECT_EQ(data.nFileSizeLow, c.size) << c.pattern;
    EXPECT_EQ(data.dwReserved0, c.tag) << c.pattern;
    FindClose(find);
  }
}

// One refusal or success per case, on a fresh machine holding every kind of
// obstacle; what the call must leave alone is checked each time.
TEST_F(SimFilesTest, DeleteAndRemoveRefuseAsWindowsDoes) {
  auto setUp = [] {
    sim::Machine& m = sim::reset();
    m.AddFile("C:\\t\\f.txt", "f");
    m.AddFile("C:\\t\\ro.txt", "r", FILE_ATTRIBUTE_READONLY);
    m.AddFile("C:\\t\\held.txt", "h");
    m.HoldOpen("C:\\t\\held.txt");
    m.AddFile("C:\\t\\full\\x.txt", "x");
    m.AddFolder("C:\\t\\empty");
    m.AddFolder("C:\\t\\rofolder", FILE_ATTRIBUTE_READONLY);
    m.AddFolder("C:\\t\\cwd");
    m.AddFile("C:\\target\\keep.txt", "k");
    m.AddJunction("C:\\t\\j", "C:\\target");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\t\\cwd"));
  };
  struct Case {
    std::function<BOOL(LPCSTR)> call;
    const char* path;
    DWORD error;  // 0: succeeds and the entry is gone
  } cases[] = {
      {DeleteFileA, "C:\\t\\f.txt", 0},
      {DeleteFileA, "..\\ro.txt", ERROR_ACCESS_DENIED},
      {DeleteFileA, "C:\\t\\empty", ERROR_ACCESS_DENIED},
      {DeleteFileA, "C:\\t\\none.txt", ERROR_FILE_NOT_FOUND},
      {DeleteFileA, "C:\\none\\x.txt", ERROR_PATH_NOT_FOUND},
      {DeleteFileA, "C:\\t\\held.txt", ERROR_SHARING_VIOLATION},
      {DeleteFileA, "C:\\t\\j\\keep.txt", 0},
      {RemoveDirectoryA, "C:\\t\\empty\\\\", 0},
      {RemoveDirectoryA, "C:\\t\\full", ERROR_DIR_NOT_EMPTY},
      {RemoveDirectoryA, "C:\\t\\none", ERROR_FILE_NOT_FOUND},
      {RemoveDirectoryA, "C:\\t\\f.txt", ERROR_DIRECTORY},
      {RemoveDirectoryA, "C:\\t\\cwd", ERROR_SHARING_VIOLATION},
      {RemoveDirectoryA, "C:\\t\\rofolder", ERROR_ACCESS_DENIED},
      {RemoveDirectoryA, "C:\\t\\j", 0},
  };
  for (const Case& c : cases) {
    setUp();
    const std::map<std::string, std::string> before = sim::machine().Tree("C:\\t");
    const bool existed = sim::machine().Exists(c.path);
    SetLastError(0);
    EXPECT_EQ(c.call(c.path), c.error == 0) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    EXPECT_EQ(sim::machine().Exists(c.path), existed && c.error != 0) << c.path;
    if (c.error) {
      EXPECT_EQ(sim::machine().Tree("C:\\t"), before) << c.path;
    }
    EXPECT_EQ(sim::machine().Exists("C:\\target"), true) << c.path;
    EXPECT_EQ(sim::machine().Exists("C:\\t\\full\\x.txt"), true) << c.path;
  }
}

TEST_F(SimFilesTest, CreateAndCopyRefuseAsWindowsDoes) {
  machine().AddFile("C:\\s\\ro.txt", "content", FILE_ATTRIBUTE_READONLY);
  machine().AddFile("C:\\s\\held.txt", "held");
  machine().HoldOpen("C:\\s\\held.txt");
  machine().AddFile("C:\\d\\old.txt", "old", FILE_ATTRIBUTE_READONLY);

  EXPECT_FALSE(CreateDirectoryA("C:\\d", NULL));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(CreateDirectoryA("C:\\none\\new", NULL));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
  EXPECT_TRUE(CreateDirectoryA("C:\\d\\new\\", NULL));
  EXPECT_TRUE(machine().IsFolder("C:\\d\\new"));

  struct Case {
    const char* from;
    const char* to;
    BOOL failIfExists;
    DWORD error;
  } refusals[] = {
      {"C:\\s\\ro.txt", "C:\\d\\old.txt", TRUE, ERROR_FILE_EXISTS},
      {"C:\\s\\none.txt", "C:\\d\\x.txt", TRUE, ERROR_FILE_NOT_FOUND},
      {"C:\\s\\held.txt", "C:\\d\\x.txt", TRUE, ERROR_SHARING_VIOLATION},
      {"C:\\s\\ro.txt", "C:\\none\\x.txt", TRUE, ERROR_PATH_NOT_FOUND},
      {"C:\\s\\ro.txt", "C:\\d\\old.txt", FALSE, ERROR_ACCESS_DENIED},
  };
  for (const Case& c : refusals) {
    EXPECT_FALSE(CopyFileA(c.from, c.to, c.failIfExists)) << c.from << " -> " << c.to;
    EXPECT_EQ(GetLastError(), c.error) << c.from << " -> " << c.to;
  }
  EXPECT_EQ(machine().ReadFile("C:\\d\\old.txt"), "old");
  EXPECT_FALSE(machine().Exists("C:\\d\\x.txt"));

  EXPECT_TRUE(CopyFileA("C:\\s\\ro.txt", "C:\\d\\copy.txt", TRUE));
  EXPECT_EQ(machine().ReadFile("C:\\d\\copy.txt"), "content");
  EXPECT_EQ(machine().Attributes("C:\\d\\copy.txt"),
            (DWORD)(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(machine().ReadFile("C:\\s\\ro.txt"), "content");
}

TEST_F(SimFilesTest, AttributesAndOpenFiles) {
  machine().AddFile("C:\\d\\f.txt", "abc", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  machine().AddFile("C:\\d\\held.txt", "h");
  machine().HoldOpen("C:\\d\\held.txt");

  EXPECT_TRUE(SetFileAttributesA("C:\\d\\f.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA("C:\\d\\f.txt"), (DWORD)FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(SetFileAttributesA("C:\\d", 0));
  EXPECT_EQ(GetFileAttributesA("C:\\d\\"), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA("C:\\d\\none"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);

  HANDLE file = CreateFileA("C:\\d\\f.txt", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetFileSize(file, NULL), 3u);
  EXPECT_FALSE(DeleteFileA("C:\\d\\f.txt"));  // our own handle does not share delete
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(machine().OpenFileHandles(), 0);

  EXPECT_EQ(CreateFileA("C:\\d\\held.txt", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
  EXPECT_EQ(CreateFileA("C:\\d\\none", GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_NOT_FOUND);
}

// Others' handles share as MS-FSA 2.1.5.1.2.1 checks them, the program's own
// too: a teacher's open document can be read but not deleted; a delete of
// what a virus scanner holds sharing deleting only marks it (MS-FSCC
// 2.4.11): the name stays listed, opens of it fail, its folder is not empty,
// until the scanner lets go.
TEST_F(SimFilesTest, OthersHandlesShareAsWindowsShares) {
  const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  machine().AddFile("C:\\d\\doc.txt", "doc");
  machine().HoldOpenSharing("C:\\d\\doc.txt", FILE_SHARE_READ);
  machine().AddFile("C:\\s\\scanned.txt", "scanned");
  machine().HoldOpenSharing("C:\\s\\scanned.txt", all, 5);

  HANDLE doc = CreateFileA("C:\\d\\doc.txt", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
  ASSERT_NE(doc, INVALID_HANDLE_VALUE);
  // Our own reading handle, which does not share deleting, keeps a delete out too.
  EXPECT_EQ(CreateFileA("C:\\d\\doc.txt", DELETE, all, NULL, OPEN_EXISTING, 0, NULL),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CloseHandle(doc));
  EXPECT_FALSE(DeleteFileA("C:\\d\\doc.txt"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_SHARING_VIOLATION);

  EXPECT_TRUE(DeleteFileA("C:\\s\\scanned.txt"));
  EXPECT_EQ(machine().List("C:\\s"), (std::vector<std::string>{"scanned.txt"}));
  EXPECT_EQ(GetFileAttributesA("C:\\s\\scanned.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_FALSE(RemoveDirectoryA("C:\\s"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_DIR_NOT_EMPTY);
  // Five calls after the delete, the scanner has let go.
  EXPECT_TRUE(RemoveDirectoryA("C:\\s"));
  EXPECT_FALSE(machine().Exists("C:\\s"));
  EXPECT_EQ(machine().ReadFile("C:\\d\\doc.txt"), "doc");
}

// Who may change an entry, by Windows' access check over the owner and the
// DACL as Windows writes them (Microsoft, "How DACLs Control Access to an
// Object"; MS-DTYP 2.5.3.4.1 for what is inherited).
TEST_F(SimFilesTest, AccountsMayChangeWhatTheAccessCheckGrants) {
  const DWORD modify = 0x1301BF, passOn = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  // clang-format off
  const struct {
    const char* what;
    void (*arrange)(sim::Machine&);
    const char* path;
    bool pupilMayChange;
  } cases[] = {
      {"nothing granted", [](sim::Machine&) {}, "C:\\S\\old", false},
      {"may only add to a folder: that folder", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, 0); }, "C:\\S", true},
      {"may only add to a folder: what others made in it", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, 0); }, "C:\\S\\old", false},
      {"may only add to a folder: what they made in it", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", FILE_ADD_SUBDIRECTORY, 0); EXPECT_TRUE(m.MakeFolder("pupil", "C:\\S\\new")); }, "C:\\S\\new", true},
      {"nothing to add with", [](sim::Machine& m) { EXPECT_FALSE(m.MakeFolder("pupil", "C:\\S\\new")); }, "C:\\S", false},
      {"a denial before the grant", [](sim::Machine& m) { m.LetChange("C:\\S", "pupil"); m.Deny("C:\\S", "pupil", FILE_ALL_ACCESS); }, "C:\\S\\old", false},
      {"Everyone holds every account", [](sim::Machine& m) { m.Grant("C:\\S", "S-1-1-0", DELETE, 0); }, "C:\\S", true},
      {"inherit-only: nothing on the folder itself", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", modify, passOn | INHERIT_ONLY_ACE); }, "C:\\S", false},
      {"inherit-only: what is inside", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", modify, passOn | INHERIT_ONLY_ACE); }, "C:\\S\\old", true},
      {"the owner, with no ACE, may rewrite the DACL", [](sim::Machine& m) { m.SetOwner("C:\\S\\old", "pupil"); }, "C:\\S\\old", true},
      {"the owner of a folder above, while it passes on", [](sim::Machine& m) { m.SetOwner("C:\\S", "pupil"); }, "C:\\S\\old", true},
      {"OWNER RIGHTS says what the owner gets", [](sim::Machine& m) { m.SetOwner("C:\\S\\old", "pupil"); m.Grant("C:\\S\\old", "S-1-3-4", READ_CONTROL, 0); }, "C:\\S\\old", false},
      {"delete-child on the folder above", [](sim::Machine& m) { m.Grant("C:\\S", "pupil", FILE_DELETE_CHILD, 0); }, "C:\\S\\old", true},
      {"a protected DACL takes nothing from above", [](sim::Machine& m) { m.LetChange("C:\\S", "pupil"); m.ProtectDacl("C:\\S\\old"); }, "C:\\S\\old", false},
      {"a second name in a pupil's folder has its file's descriptor", [](sim::Machine& m) { m.LetChange("C:\\S", "pupil"); m.AddHardLink("C:\\S\\marks.xls", "C:\\T\\marks.xls"); }, "C:\\S\\marks.xls", false},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sim::Machine& m = sim::reset();
    m.AddFolder("C:\\S\\old");
    m.AddFile("C:\\T\\marks.xls", "marks");
    c.arrange(m);
    EXPECT_EQ(m.MayChange("pupil", c.path), c.pupilMayChange);
    EXPECT_FALSE(m.MayChange("pupil", "C:\\T\\marks.xls"));
    EXPECT_TRUE(m.MayChange("", c.path));
  }
}

TEST_F(SimFilesTest, CurrentDirectoryAndLongPaths) {
  machine().AddFolder("C:\\d\\sub");
  char buffer[MAX_PATH] = "sentinel";
  struct Case {
    const char* path;
    DWORD error;
    const char* current;
  } cases[] = {
      {"C:\\d\\\\sub\\", 0, "C:\\d\\sub"},
      {"..", 0, "C:\\d"},
      {"", ERROR_INVALID_NAME, "C:\\d"},
      {"C:\\none", ERROR_FILE_NOT_FOUND, "C:\\d"},
      {"\\", 0, "C:\\"},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(SetCurrentDirectoryA(c.path), c.error == 0) << c.path;
    EXPECT_EQ(GetLastError(), c.error) << c.path;
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), strlen(c.current)) << c.path;
    EXPECT_STREQ(buffer, c.current) << c.path;
  }
  EXPECT_EQ(GetCurrentDirectoryA(2, buffer), 4u);  // too small: the size needed, buffer kept
  EXPECT_STREQ(buffer, "C:\\");

  const std::string tooLong = "C:\\d\\" + std::string(MAX_PATH - 5, 'x');
  machine().AddFolder(tooLong);
  const std::function<BOOL(LPCSTR)> calls[] = {
      SetCurrentDirectoryA, RemoveDirectoryA, DeleteFileA,
      [](LPCSTR p) { return CreateDirectoryA(p, NULL); },
      [](LPCSTR p) { return (BOOL)(GetFileAttributesA(p) != INVALID_FILE_ATTRIBUTES); }};
  for (const auto& call : calls) {
    SetLastError(0);
    EXPECT_FALSE(call(tooLong.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
  }
  EXPECT_TRUE(machine().IsFolder(tooLong));
  // Only a wide call takes a "\\?\" path past MAX_PATH.
  const std::wstring wide(tooLong.begin(), tooLong.end());
  for (const std::wstring& path : {wide, L"\\\\?\\" + wide}) {
    const bool extended = path[0] == L'\\';
    SetLastError(0);
    EXPECT_EQ(CreateDirectoryW((path + L"\\sub").c_str(), NULL), extended);
    EXPECT_EQ(GetLastError(), extended ? 0u : (DWORD)ERROR_FILENAME_EXCED_RANGE);
  }
  EXPECT_EQ(GetFileAttributesA(("\\\\?\\" + tooLong + "\\sub").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(machine().IsFolder(tooLong + "\\sub"));

  // One character short of that is a folder, but too long to be the current one.
  const std::string deep = tooLong.substr(0, MAX_PATH - 1);
  machine().AddFolder(deep);
  EXPECT_EQ(GetFileAttributesA(deep.c_str()), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(SetCurrentDirectoryA(deep.c_str()));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(machine().CurrentDirectory(), "C:\\");
}

TEST_F(SimFilesTest, ShellDeleteRemovesWhatItCanAndKeepsWhatIsHeld) {
  auto setUp = [] {
    sim::Machine& m = sim::reset();
    m.AddFile("C:\\k\\a\\ro.txt", "r", FILE_ATTRIBUTE_READONLY);
    m.AddFile("C:\\k\\a\\b\\held.txt", "h");
    m.AddFile("C:\\k\\a\\b\\other.txt", "o");
    m.AddFile("C:\\k\\c\\x.txt", "x");
    m.AddFile("C:\\target\\keep.txt", "k");
    m.AddJunction("C:\\k\\link", "C:\\target");
    m.AddFile("C:\\kept.txt", "stays");
  };
  auto shellDelete = [](const char* path, FILEOP_FLAGS flags) {
    char list[MAX_PATH + 1] = {};
    strcpy(list, path);
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list;
    operation.fFlags = flags;
    return SHFileOperationA(&operation);
  };
  const FILEOP_FLAGS flags = FOF_NOERRORUI | FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  struct Case {
    const char* what;
    std::function<void(sim::Machine&)> arrange;
    const char* path;
    int result;
    std::vector<std::string> left;  // what is left of C:\k
    bool targetKept = false;        // C:\target\keep.txt, behind the junction
  } cases[] = {
      // As the shells of Windows XP and Wine: the junction inside is followed,
      // its target's files go, then the link itself is refused.
      {"whole tree, junction followed", nullptr, "C:\\k", ERROR_ACCESS_DENIED, {"link"}},
      {"junction handed over goes as a link", nullptr, "C:\\k\\link", 0, {"a", "c"}, true},
      {"trailing backslash does nothing", nullptr, "C:\\k\\", 0, {"a", "c", "link"}, true},
      {"missing folder", nullptr, "C:\\k\\none", ERROR_FILE_NOT_FOUND, {"a", "c", "link"}, true},
      {"missing parent", nullptr, "C:\\none\\k", 0x7C, {"a", "c", "link"}, true},
      {"wildcard expanded in the last part", nullptr, "C:\\k\\?", 0, {"link"}, true},
      {"held file keeps its folders",
       [](sim::Machine& m) { m.HoldOpen("C:\\k\\a\\b\\held.txt"); },
       "C:\\k",
       ERROR_SHARING_VIOLATION,
       {"a", "link"}},
      {"current directory stays",
       [](sim::Machine&) { SetCurrentDirectoryA("C:\\k\\c"); },
       "C:\\k",
       ERROR_SHARING_VIOLATION,
       {"c", "link"}},
      {"entries past MAX_PATH stay",
       [](sim::Machine& m) { m.AddFile("C:\\k\\a\\" + std::string(MAX_PATH, 'x'), "deep"); },
       "C:\\k",
       0x79,  // DE_PATHTOODEEP
       {"a", "link"}},
      {"fault changes nothing",
       [](sim::Machine& m) { m.Fail(sim::Op::ShellDelete, "c:\\K", ERROR_ACCESS_DENIED); },
       "C:\\k",
       ERROR_ACCESS_DENIED,
       {"a", "c", "link"},
       true},
  };
  for (const Case& c : cases) {
    setUp();
    if (c.arrange) c.arrange(sim::machine());
    EXPECT_EQ(shellDelete(c.path, flags), c.result) << c.what;
    EXPECT_EQ(
        sim::machine().Exists("C:\\k") ? sim::machine().List("C:\\k") : std::vector<std::string>{},
        c.left)
        << c.what;
    EXPECT_EQ(sim::machine().Exists("C:\\target\\keep.txt"), c.targetKept) << c.what;
    EXPECT_EQ(sim::machine().ReadFile("C:\\kept.txt"), "stays") << c.what;
    std::vector<std::string> recycled;
    if (c.result == 0 && c.left.size() < 3) recycled.push_back(c.path);
    EXPECT_EQ(sim::machine().RecycledPaths(), recycled) << c.what;
  }
  // What stays of a partial delete: the held file, its folders and the link.
  setUp();
  sim::machine().HoldOpen("C:\\k\\a\\b\\held.txt");
  shellDelete("C:\\k", flags);
  EXPECT_EQ(sim::machine().Tree("C:\\k"),
            (std::map<std::string, std::string>{{"a\\b\\held.txt", "h"},
                                                {"link", "<junction C:\\target>"}}));
}

TEST_F(SimFilesTest, ArmedFaultFailsOnlyItsCallsAndChangesNothing) {
  machine().AddFile("C:\\d\\f.txt");
  machine().Fail(sim::Op::DeleteFile, "c:/D/F.TXT", ERROR_ACCESS_DENIED, 1);
  EXPECT_FALSE(DeleteFileA("C:\\d\\f.txt"));
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_TRUE(machine().Exists("C:\\d\\f.txt"));
  EXPECT_TRUE(DeleteFileA("C:\\d\\f.txt"));
  EXPECT_FALSE(machine().Exists("C:\\d\\f.txt"));
}

}  // namespace
