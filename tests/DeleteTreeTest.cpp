#include <map>
#include <string>
#include <vector>

#include "RemovalFixture.h"

namespace {

const char kStep1[] = "Step 1 of 6: Copying student data to desktop...";

class DeleteTreeTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    sim::machine().AddFile("C:\\d\\keep.txt", "sibling");
  }
  void Open() {
    OpenDialog();
    OpenProgress(kStep1);
    sim::machine().events.clear();
  }
  void ExpectSiblingSurvives() const {
    EXPECT_EQ(sim::machine().ReadFile("C:\\d\\keep.txt"), "sibling");
  }
};

TEST_F(DeleteTreeTest, RemovesEveryEntryDotNamesAndReadOnlyFilesIncluded) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a.txt", "a", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  m.AddFile("C:\\d\\tree\\.settings", "dot file");
  m.AddFile("C:\\d\\tree\\.git\\config", "dot folder");
  m.AddFile("C:\\d\\tree\\sub\\deep\\b.txt", "b", FILE_ATTRIBUTE_SYSTEM);
  Open();
  CString parent = "C:\\d";

  EXPECT_TRUE(dialog->DeleteTree(parent, "tree"));

  EXPECT_FALSE(m.Exists("C:\\d\\tree"));
  EXPECT_EQ(std::string(parent), "C:\\d\\");
  EXPECT_EQ(m.CurrentDirectory(), "C:\\d");
  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_EQ(m.OpenFindHandles(), 0);
  EXPECT_EQ(m.OpenFileHandles(), 0);
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, ParentGainsOneSeparatorWhenTheFolderGoes) {
  const struct {
    const char* parent;
    const char* name;
    const char* folder;
    const char* parentAfter;
  } cases[] = {
      {"C:\\d", "empty", "C:\\d\\empty", "C:\\d\\"},
      {"C:\\d\\", "empty", "C:\\d\\empty", "C:\\d\\"},
      {"C:", "top", "C:\\top", "C:\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parent);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\keep.txt", "sibling");
    m.AddFolder(c.folder);
    Open();
    CString parent = c.parent;

    EXPECT_TRUE(dialog->DeleteTree(parent, c.name));

    EXPECT_FALSE(m.Exists(c.folder));
    EXPECT_EQ(std::string(parent), c.parentAfter);
    EXPECT_TRUE(m.messageBoxes.empty());
    ExpectSiblingSurvives();
  }
}

TEST_F(DeleteTreeTest, MissingFolderIsLeftInSilence) {
  sim::Machine& m = sim::machine();
  m.AddFolder("C:\\d\\other");
  Open();
  CString parent = "C:\\d";

  EXPECT_FALSE(dialog->DeleteTree(parent, "tree"));

  EXPECT_EQ(std::string(parent), "C:\\d");
  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_TRUE(m.IsFolder("C:\\d\\other"));
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, FolderThatCannotBeMadeCurrentIsListedByItsPath) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a.txt");
  m.AddFile("C:\\d\\tree\\sub\\b.txt");
  // Only the first attempt, to enter the folder, fails.
  m.Fail(sim::Op::SetCurrentDirectory, "C:\\d\\tree", ERROR_ACCESS_DENIED, 1);
  Open();
  CString parent = "C:\\d";

  EXPECT_TRUE(dialog->DeleteTree(parent, "tree"));

  EXPECT_FALSE(m.Exists("C:\\d\\tree"));
  EXPECT_TRUE(m.messageBoxes.empty());
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, EachFileIsOnScreenBeforeItIsDeleted) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a\\inner.txt");
  m.AddFile("C:\\d\\tree\\b.txt");
  m.AddFile("C:\\d\\tree\\c.txt");
  Open();
  CString parent = "C:\\d";

  ASSERT_TRUE(dialog->DeleteTree(parent, "tree"));

  // The sub-folder "a" is listed first: after it the folder's own path ends
  // with a separator, so the files after it show a doubled one.
  const std::vector<std::string> files = {"C:\\d\\tree\\a\\inner.txt", "C:\\d\\tree\\\\b.txt",
                                          "C:\\d\\tree\\\\c.txt"};
  std::vector<std::string> expected;
  for (const std::string& file : files) {
    expected.push_back("Repaint 129");
    expected.push_back("DeleteFile " + file);
  }
  std::vector<std::string> seen;
  for (const std::string& event : m.events)
    if (event.rfind("Repaint", 0) == 0 || event.rfind("DeleteFile", 0) == 0) seen.push_back(event);
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(m.repaints.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(m.repaints[i].texts, (std::vector<std::string>{kStep1, files[i]}));
    EXPECT_EQ(m.repaints[i].flags, 0x0105u);
  }
}

TEST_F(DeleteTreeTest, FileThatStaysStopsEveryLevelWithOneMessage) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a.txt");
  m.AddFile("C:\\d\\tree\\sub\\held.txt", "held");
  m.AddFile("C:\\d\\tree\\sub\\later.txt", "later");
  m.AddFile("C:\\d\\tree\\z.txt", "z");
  m.HoldOpen("C:\\d\\tree\\sub\\held.txt");
  Open();
  CString parent = "C:\\d";

  EXPECT_FALSE(dialog->DeleteTree(parent, "tree"));

  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"Could not delete file: C:\\d\\tree\\sub\\held.txt"}));
  EXPECT_EQ(m.messageBoxes[0].caption, "Error");
  EXPECT_EQ(m.messageBoxes[0].type, (UINT)MB_OK);
  EXPECT_EQ(m.messageBoxes[0].owner, window);
  EXPECT_FALSE(m.Exists("C:\\d\\tree\\a.txt"));
  EXPECT_EQ(m.Tree("C:\\d\\tree"),
            (std::map<std::string, std::string>{
                {"sub\\held.txt", "held"}, {"sub\\later.txt", "later"}, {"z.txt", "z"}}));
  EXPECT_EQ(std::string(parent), "C:\\d");
  EXPECT_EQ(m.OpenFindHandles(), 0);
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, FolderThatStaysGivesTheDirectoryMessage) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a.txt");
  m.Fail(sim::Op::RemoveDirectory, "C:\\d\\tree", ERROR_ACCESS_DENIED);
  Open();
  CString parent = "C:\\d";

  EXPECT_FALSE(dialog->DeleteTree(parent, "tree"));

  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"Could not delete directory: C:\\d\\tree"}));
  EXPECT_EQ(m.messageBoxes[0].caption, "Error");
  EXPECT_TRUE(m.IsFolder("C:\\d\\tree"));
  EXPECT_FALSE(m.Exists("C:\\d\\tree\\a.txt"));
  ExpectSiblingSurvives();
}

// No ANSI call can name such an entry, and its best-fit spelling may name
// another one: the delete stops at it rather than guess.
TEST_F(DeleteTreeTest, NameTheCodePageCannotSpellStopsTheDelete) {
  const struct {
    const char* entry;  // below C:\d\tree
    const char* message;
  } cases[] = {
      {"Ωmega.txt", "Could not delete file: C:\\d\\tree\\Omega.txt"},
      {"学生\\作业.txt", "Could not delete directory: C:\\d\\tree\\??"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\tree\\" + std::string(c.entry), "pupil's");
    m.AddFile("C:\\d\\tree\\Omega.txt", "listed first");
    m.AddFile("C:\\d\\keep.txt", "sibling");
    Open();
    CString parent = "C:\\d";

    EXPECT_FALSE(dialog->DeleteTree(parent, "tree"));

    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{c.message}));
    EXPECT_EQ(m.ReadFile("C:\\d\\tree\\" + std::string(c.entry)), "pupil's");
    ExpectSiblingSurvives();
  }
}

TEST_F(DeleteTreeTest, JunctionGoesAsALinkAndItsTargetStays) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Outside\\secret.txt", "not the product's");
  m.AddFile("C:\\d\\tree\\a.txt");
  // A folder a cloud-synced desktop made a reparse point holds its own files.
  m.AddFile("C:\\d\\tree\\cloud\\c.txt");
  m.AddReparsePoint("C:\\d\\tree\\cloud", 0x9000001A);
  m.AddJunction("C:\\d\\tree\\link", "C:\\Outside");
  m.AddJunction("C:\\d\\toplink", "C:\\Outside");
  Open();
  CString parent = "C:\\d";
  CString parentOfLink = "C:\\d";

  EXPECT_TRUE(dialog->DeleteTree(parent, "tree"));
  EXPECT_TRUE(dialog->DeleteTree(parentOfLink, "toplink"));

  EXPECT_FALSE(m.Exists("C:\\d\\tree"));
  EXPECT_FALSE(m.Exists("C:\\d\\toplink"));
  EXPECT_EQ(m.Tree("C:\\Outside"),
            (std::map<std::string, std::string>{{"secret.txt", "not the product's"}}));
  EXPECT_TRUE(m.messageBoxes.empty());
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, AttributesThatCannotBeClearedStillLeaveTheDeleteToBeTried) {
  const struct {
    const char* what;
    DWORD attributes;
    bool removed;
  } cases[] = {
      {"archive bit only", FILE_ATTRIBUTE_ARCHIVE, true},
      {"read-only", FILE_ATTRIBUTE_READONLY, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\keep.txt", "sibling");
    m.AddFile("C:\\d\\tree\\f.txt", "f", c.attributes);
    m.Fail(sim::Op::SetFileAttributes, "C:\\d\\tree\\f.txt", ERROR_ACCESS_DENIED);
    Open();
    CString parent = "C:\\d";

    EXPECT_EQ(dialog->DeleteTree(parent, "tree"), c.removed);

    EXPECT_EQ(m.Exists("C:\\d\\tree"), !c.removed);
    EXPECT_EQ(Events("DeleteFile "), (c.removed ? std::vector<std::string>{"C:\\d\\tree\\f.txt"}
                                                : std::vector<std::string>{}));
    EXPECT_EQ(MessageTexts(),
              (c.removed ? std::vector<std::string>{}
                         : std::vector<std::string>{"Could not delete file: C:\\d\\tree\\f.txt"}));
    EXPECT_EQ(m.OpenFileHandles(), 0);
    ExpectSiblingSurvives();
  }
}

TEST_F(DeleteTreeTest, OnlyFilesWithBlockingAttributesAreOpenedToClearThem) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\plain.txt", "p", FILE_ATTRIBUTE_ARCHIVE);
  m.AddFile("C:\\d\\tree\\ro.txt", "r", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  m.AddFile("C:\\d\\tree\\sub\\hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN);
  m.AddFile("C:\\d\\tree\\sub\\system.txt", "s", FILE_ATTRIBUTE_SYSTEM);
  std::map<std::string, int> touched;  // opens and attribute writes per file
  m.faultHook = [&touched](sim::Op op, const std::string& target) -> DWORD {
    if (op == sim::Op::CreateFile || op == sim::Op::SetFileAttributes) ++touched[target];
    return 0;
  };
  Open();
  CString parent = "C:\\d";

  EXPECT_TRUE(dialog->DeleteTree(parent, "tree"));

  EXPECT_FALSE(m.Exists("C:\\d\\tree"));
  EXPECT_EQ(touched, (std::map<std::string, int>{{"C:\\d\\tree\\ro.txt", 2},
                                                 {"C:\\d\\tree\\sub\\hidden.txt", 2},
                                                 {"C:\\d\\tree\\sub\\system.txt", 2}}));
  EXPECT_TRUE(m.messageBoxes.empty());
  ExpectSiblingSurvives();
}

}  // namespace
