#include <map>
#include <string>
#include <vector>

#include "RemovalFixture.h"

namespace {

class ShellDeleteFolderTest : public RemovalTest {};

// A folder path of exactly `length` characters.
std::string PathOfLength(size_t length) {
  const std::string parent = "C:\\long\\";
  return parent + std::string(length - parent.size(), 'n');
}

// The shell walks by name: a folder that a pupil may change, or one in it,
// may be made a mount point as it goes. Only the program's own delete, on
// handles, takes such a tree.
TEST_F(ShellDeleteFolderTest, ExistingFolderGoesToTheRecycleBinInSilenceWhereNoPupilMayChangeIt) {
  // clang-format off
  const struct {
    const char* what;
    const char* pupilMayChange;  // or nullptr
    bool recycled;
    const char* swappedAtOpen = nullptr;  // a folder a pupil swaps for a link as it is opened
    void (*security)(sim::Machine&) = nullptr;  // owners and ACEs besides
  } cases[] = {
      {"only administrators may change it", nullptr, true},
      {"a pupil swaps a folder inside before it is judged", "C:\\d\\tree\\sub", false, "C:\\d\\tree\\sub"},
      {"a pupil may change a folder inside", "C:\\d\\tree\\sub", false},
      {"a pupil may change the folder above, and what inherits from it", "C:\\d", false},
      {"a pupil owns a folder inside, with no ACE of their own", nullptr, false, nullptr, [](sim::Machine& m) { m.SetOwner("C:\\d\\tree\\sub\\empty", "pupil"); }},
      {"pupils may only add to a folder inside", nullptr, false, nullptr, [](sim::Machine& m) { m.Grant("C:\\d\\tree\\sub", "pupil", FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY, 0); }},
      {"a pupil may delete and add in the folder above, nothing passed on", nullptr, false, nullptr, [](sim::Machine& m) { m.Grant("C:\\d", "pupil", FILE_DELETE_CHILD | FILE_ADD_SUBDIRECTORY, 0); }},
      {"everyone is denied deleting it", nullptr, true, nullptr, [](sim::Machine& m) { m.Deny("C:\\d\\tree", "S-1-1-0", DELETE | FILE_DELETE_CHILD); }},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\tree\\sub\\a.txt");
    m.AddFolder("C:\\d\\tree\\sub\\empty");
    m.AddFile("C:\\d\\keep.txt", "sibling");
    m.AddFile("C:\\Teacher\\marks.xls", "marks");
    if (c.pupilMayChange) m.LetChange(c.pupilMayChange, "pupil");
    if (c.security) c.security(m);
    // What the swapped folder holds, once it is out of the listing's sight.
    m.AddJunction("C:\\d\\tree\\sub\\link", "C:\\Teacher");
    m.faultHook = [&m, &c](sim::Op op, const std::string& target) -> DWORD {
      if (op == sim::Op::ShellDelete) {
        // Whatever the pupil may do once the shell walks by name.
        m.MakeMountPoint("pupil", "C:\\d\\tree\\sub\\empty", "C:\\Teacher");
        if (m.MakeFolder("pupil", "C:\\d\\tree\\sub\\new"))
          m.MakeMountPoint("pupil", "C:\\d\\tree\\sub\\new", "C:\\Teacher");
        m.PlantLink("pupil", "C:\\d\\tree", "C:\\Teacher");
      }
      if (op == sim::Op::CreateFile && c.swappedAtOpen && target == c.swappedAtOpen)
        m.PlantLink("pupil", target, "C:\\Teacher");
      return 0;
    };
    OpenDialog();

    EXPECT_TRUE(dialog->ShellDeleteFolder("C:\\d\\tree"));

    EXPECT_FALSE(m.Exists("C:\\d\\tree"));
    EXPECT_EQ(m.RecycledPaths(),
              c.recycled ? std::vector<std::string>{"C:\\d\\tree"} : std::vector<std::string>{});
    EXPECT_TRUE(m.messageBoxes.empty());
    EXPECT_EQ(m.ReadFile("C:\\d\\keep.txt"), "sibling");
    EXPECT_EQ(m.ReadFile("C:\\Teacher\\marks.xls"), "marks");
  }
}

TEST_F(ShellDeleteFolderTest, FolderThatIsNotGoneIsAFailure) {
  const struct {
    const char* what;
    const char* path;
    bool held;  // a file inside is held open: neither the shell nor the program take it
  } cases[] = {
      {"missing", "C:\\d\\missing", false},
      {"file held open", "C:\\d\\tree", true},
      // The shell would delete what the wildcard matches, and the name is no
      // folder that could be found afterwards.
      {"wildcard", "C:\\d\\tree\\*", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\tree\\a.txt", "a");
    if (c.held) m.HoldOpen("C:\\d\\tree\\a.txt");
    OpenDialog();

    EXPECT_FALSE(dialog->ShellDeleteFolder(c.path));

    ASSERT_EQ(m.messageBoxes.size(), 1u);
    EXPECT_EQ(m.messageBoxes[0].text, std::string("Could not delete: ") + c.path);
    EXPECT_EQ(m.messageBoxes[0].caption, "Error");
    EXPECT_EQ(m.messageBoxes[0].type, (UINT)MB_OK);
    EXPECT_EQ(m.messageBoxes[0].owner, window);
    EXPECT_EQ(m.ReadFile("C:\\d\\tree\\a.txt"), "a");
  }
}

TEST_F(ShellDeleteFolderTest, PathsOfMaxPathCharactersAreRefused) {
  for (size_t length : {259u, 260u, 261u}) {
    SCOPED_TRACE(length);
    FreshMachine();
    sim::Machine& m = sim::machine();
    const std::string path = PathOfLength(length);
    ASSERT_EQ(path.size(), length);
    const bool accepted = length < MAX_PATH;
    m.AddFile("C:\\long\\keep.txt", "sibling");
    if (accepted) m.AddFolder(path);
    int shellCalls = 0;
    m.faultHook = [&shellCalls](sim::Op op, const std::string&) -> DWORD {
      if (op == sim::Op::ShellDelete) ++shellCalls;
      return 0;
    };
    OpenDialog();

    EXPECT_EQ(dialog->ShellDeleteFolder(path.c_str()), accepted);

    if (accepted) {
      EXPECT_TRUE(m.messageBoxes.empty());
      EXPECT_FALSE(m.Exists(path));
    } else {
      EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Could not delete: " + path}));
    }
    EXPECT_EQ(shellCalls, accepted ? 1 : 0);
    EXPECT_EQ(m.ReadFile("C:\\long\\keep.txt"), "sibling");
    m.faultHook = nullptr;
  }
}

// The shell cannot take a folder with an entry past MAX_PATH, and it follows
// links: the program deletes such a folder itself, a link as a link, and
// leaves only what is held.
TEST_F(ShellDeleteFolderTest, WhatTheShellCannotTakeGoesEntryByEntryNeverThroughALink) {
  std::string deep = "C:\\d\\tree";
  while (deep.size() < MAX_PATH) deep += "\\nested folder";
  const std::string outside = "C:\\Outside";
  const std::string system = "C:\\WINDOWS\\system32\\hal.dll";
  // clang-format off
  const struct {
    const char* what;
    std::string folder;
    std::string held;  // a file held open, or ""
    bool linkStays;    // the link named cannot be removed
    bool deleted;
    std::string left;    // the one file left in C:\d\tree, or ""
    std::string swapAt;  // where a pupil swaps their folder for a link, or ""
    bool inPlace = false;  // instead, their empty folder becomes a mount point there
    bool hardLink = false;  // a pupil's hard link to a read-only system file is inside
    bool wineLinks = false;  // links are followed even when opened as themselves
    int swapCall = 1;        // the pupil comes at this call on swapAt
  } cases[] = {
      {"past MAX_PATH", "C:\\d\\tree", "", false, true, "", ""},
      {"past MAX_PATH, a file held", "C:\\d\\tree", deep + "\\held.txt", false, false,
       deep.substr(10) + "\\held.txt", ""},
      {"the folder named is a link", "C:\\d\\link", "", false, true, "", ""},
      {"the folder named is a link that stays", "C:\\d\\link", "", true, false, "", ""},
      {"a pupil's folder swapped for a link as it is reached", "C:\\d\\tree", "", false, false,
       "pupil (moved)\\work.txt", "C:\\d\\tree\\pupil"},
      {"a pupil's folder swapped for a link as it is listed", "C:\\d\\tree", "", false, true, "", "C:\\d\\tree\\pupil\\*"},
      {"a pupil's empty folder made a mount point once told no link", "C:\\d\\tree", "", false, true, "", "C:\\d\\tree\\empty\\*", true},
      {"a pupil's hard link to a read-only system file", "C:\\d\\tree", "", false, false, "", "", false, true},
      {"links followed when opened as themselves, told by the listing", "C:\\d\\tree", "", false, false, "", "", false, false, true},
      {"the link named swapped for a pupil's folder once told a link", "C:\\d\\link", "", false, false, "", "C:\\d\\link", false, false, false, 2},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile(deep + "\\page.html", "deep");
    m.AddFile(deep + "\\held.txt", "held");
    m.AddFile(deep + "\\ro.txt", "ro", FILE_ATTRIBUTE_READONLY);
    m.AddFile("C:\\d\\tree\\cloud\\c.txt", "c");
    m.AddReparsePoint("C:\\d\\tree\\cloud", 0x9000001A);
    m.AddFile(outside + "\\secret.txt", "not the product's");
    m.AddJunction(outside + "\\inner", "C:\\WINDOWS");
    m.AddJunction(deep + "\\junction", outside);
    m.AddSymbolicLink("C:\\d\\tree\\file link", outside + "\\secret.txt", false);
    m.AddJunction("C:\\d\\link", outside);
    m.AddFile("C:\\d\\tree\\pupil\\work.txt", "held");
    m.LetChange("C:\\d\\tree\\pupil", "pupil");
    m.AddFolder("C:\\d\\tree\\empty");
    m.LetChange("C:\\d\\tree\\empty", "pupil");
    m.AddFile(system, "system", FILE_ATTRIBUTE_READONLY);
    if (c.hardLink) m.AddHardLink("C:\\d\\tree\\pupil\\hal.dll", system);
    if (c.wineLinks) m.LinksAsWine8();
    m.Grant("C:\\d", "pupil", 0x1301BF, 0);  // she may rename what it holds
    int calls = 0;
    if (!c.swapAt.empty())
      m.faultHook = [&m, &c, outside, &calls](sim::Op, const std::string& target) -> DWORD {
        if (target != c.swapAt || ++calls < c.swapCall) return 0;
        m.faultHook = nullptr;
        if (c.inPlace)
          EXPECT_TRUE(m.MakeMountPoint("pupil", "C:\\d\\tree\\empty", outside));
        else if (c.folder == c.swapAt)
          EXPECT_TRUE(m.PlantLink("pupil", c.folder, ""));
        else
          m.PlantLink("pupil", "C:\\d\\tree\\pupil", outside);
        return 0;
      };
    if (!c.held.empty()) m.HoldOpen(c.held);
    if (c.linkStays) m.Fail(sim::Op::RemoveDirectory, c.folder, ERROR_DIR_NOT_EMPTY);
    const auto outsideTree = m.Tree(outside);
    OpenDialog();

    EXPECT_EQ(dialog->ShellDeleteFolder(c.folder.c_str()), c.deleted);

    EXPECT_EQ(m.Exists(c.folder), !c.deleted);
    if (!c.deleted) {
      EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Could not delete: " + c.folder}));
    }
    if (!c.left.empty()) {
      EXPECT_EQ(m.Tree("C:\\d\\tree"), (std::map<std::string, std::string>{{c.left, "held"}}));
    }
    EXPECT_EQ(m.Tree(outside), outsideTree);
    EXPECT_EQ(m.Attributes(system), (DWORD)FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(m.faultHook) << "the pupil never came";
  }
}

}  // namespace
