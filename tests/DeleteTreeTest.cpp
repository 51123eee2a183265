#include <functional>
#include <map>
#include <string>
#include <vector>

#include "RemovalFixture.h"
#include "removal/held/HeldEntry.h"

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
  // As the save folder is deleted after a failed copy: through its handle.
  bool DeleteHeld(const char* path) {
    CHeldEntry folder;
    folder.Open(CWidePath(("\\\\?\\" + std::string(path)).c_str()),
                DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    return dialog->DeleteTree(folder, path);
  }
  void ExpectSiblingSurvives() const {
    EXPECT_EQ(sim::machine().ReadFile("C:\\d\\keep.txt"), "sibling");
  }
};

TEST_F(DeleteTreeTest, RemovesEveryEntryDotNamesReadOnlyFilesAndWideNamesIncluded) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a.txt", "a", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  m.AddFile("C:\\d\\tree\\.settings", "dot file");
  m.AddFile("C:\\d\\tree\\.git\\config", "dot folder");
  m.AddFile("C:\\d\\tree\\sub\\deep\\b.txt", "b", FILE_ATTRIBUTE_SYSTEM);
  // Reached by their real names, not by a best fit that names another.
  m.AddFile("C:\\d\\tree\\Ωmega.txt", "pupil's");
  m.AddFile("C:\\d\\tree\\学生\\作业.txt", "pupil's");
  m.AddFile("C:\\d\\Omega.txt", "sibling");
  Open();

  EXPECT_TRUE(DeleteHeld("C:\\d\\tree"));

  EXPECT_FALSE(m.Exists("C:\\d\\tree"));
  EXPECT_EQ(m.ReadFile("C:\\d\\Omega.txt"), "sibling");
  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_EQ(m.OpenFileHandles(), 0);
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, MissingFolderIsLeftInSilence) {
  sim::Machine& m = sim::machine();
  m.AddFolder("C:\\d\\other");
  Open();

  EXPECT_FALSE(DeleteHeld("C:\\d\\tree"));

  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_TRUE(m.IsFolder("C:\\d\\other"));
  ExpectSiblingSurvives();
}

TEST_F(DeleteTreeTest, EachFileIsOnScreenBeforeItIsDeleted) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\d\\tree\\a\\inner.txt");
  m.AddFile("C:\\d\\tree\\b.txt");
  m.AddFile("C:\\d\\tree\\c.txt");
  Open();

  ASSERT_TRUE(DeleteHeld("C:\\d\\tree"));

  const std::vector<std::string> files = {"C:\\d\\tree\\a\\inner.txt", "C:\\d\\tree\\b.txt",
                                          "C:\\d\\tree\\c.txt"};
  const std::vector<std::string> expected = {
      "Repaint 129",        "Delete " + files[0], "Delete C:\\d\\tree\\a", "Repaint 129",
      "Delete " + files[1], "Repaint 129",        "Delete " + files[2],    "Delete C:\\d\\tree"};
  std::vector<std::string> seen;
  for (const std::string& event : m.events)
    if (event.rfind("Repaint", 0) == 0 || event.rfind("Delete ", 0) == 0) seen.push_back(event);
  EXPECT_EQ(seen, expected);
  ASSERT_EQ(m.repaints.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(m.repaints[i].texts, (std::vector<std::string>{kStep1, files[i]}));
    EXPECT_EQ(m.repaints[i].flags, 0x0105u);
  }
}

TEST_F(DeleteTreeTest, FirstEntryThatStaysStopsEveryLevelWithOneMessage) {
  // clang-format off
  const struct {
    const char* what;
    std::function<void(sim::Machine&)> arrange;
    const char* message;
    std::map<std::string, std::string> left;  // in C:\d\tree
  } cases[] = {
      {"file held open", [](sim::Machine& m) { m.HoldOpen("C:\\d\\tree\\sub\\held.txt"); }, "Could not delete file: C:\\d\\tree\\sub\\held.txt", {{"sub\\held.txt", "held"}, {"sub\\later.txt", "later"}, {"z.txt", "z"}}},
      {"read-only file whose attribute stays", [](sim::Machine& m) { m.AddFile("C:\\d\\tree\\sub\\held.txt", "held", FILE_ATTRIBUTE_READONLY); m.Fail(sim::Op::SetFileAttributes, "C:\\d\\tree\\sub\\held.txt", ERROR_ACCESS_DENIED); }, "Could not delete file: C:\\d\\tree\\sub\\held.txt", {{"sub\\held.txt", "held"}, {"sub\\later.txt", "later"}, {"z.txt", "z"}}},
      {"file another program is deleting already, held by one that shares deleting", [](sim::Machine& m) { m.HoldOpenSharing("C:\\d\\tree\\sub\\held.txt", FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE); DeleteFileA("C:\\d\\tree\\sub\\held.txt"); }, "Could not delete directory: C:\\d\\tree\\sub", {{"sub\\held.txt", "held"}, {"z.txt", "z"}}},
      {"folder not removed", [](sim::Machine& m) { m.Fail(sim::Op::RemoveDirectory, "C:\\d\\tree", ERROR_ACCESS_DENIED); }, "Could not delete directory: C:\\d\\tree", {}},
      {"read-only folder not removed", [](sim::Machine& m) { SetFileAttributesA("C:\\d\\tree", FILE_ATTRIBUTE_READONLY); m.Fail(sim::Op::RemoveDirectory, "C:\\d\\tree", ERROR_ACCESS_DENIED); }, "Could not delete directory: C:\\d\\tree", {}},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    m.AddFile("C:\\d\\keep.txt", "sibling");
    m.AddFile("C:\\d\\tree\\a.txt");
    m.AddFile("C:\\d\\tree\\sub\\held.txt", "held");
    m.AddFile("C:\\d\\tree\\sub\\later.txt", "later");
    m.AddFile("C:\\d\\tree\\z.txt", "z");
    c.arrange(m);
    const DWORD readOnly = m.Attributes("C:\\d\\tree") & FILE_ATTRIBUTE_READONLY;
    Open();

    EXPECT_FALSE(DeleteHeld("C:\\d\\tree"));

    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{c.message}));
    EXPECT_EQ(m.messageBoxes[0].caption, "Error");
    EXPECT_EQ(m.messageBoxes[0].type, (UINT)MB_OK);
    EXPECT_EQ(m.messageBoxes[0].owner, window);
    EXPECT_TRUE(m.IsFolder("C:\\d\\tree"));
    // What stays keeps its read-only attribute.
    EXPECT_EQ(m.Attributes("C:\\d\\tree") & FILE_ATTRIBUTE_READONLY, readOnly);
    EXPECT_FALSE(m.Exists("C:\\d\\tree\\a.txt"));
    EXPECT_EQ(m.Tree("C:\\d\\tree"), c.left);
    EXPECT_EQ(m.OpenFileHandles(), 0);
    ExpectSiblingSurvives();
  }
}

TEST_F(DeleteTreeTest, LinksGoAsLinksAndALinkNamedIsLeft) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Outside\\secret.txt", "not the product's", FILE_ATTRIBUTE_READONLY);
  m.AddFile("C:\\d\\tree\\a.txt");
  // A folder a cloud-synced desktop made a reparse point holds its own files.
  m.AddFile("C:\\d\\tree\\cloud\\c.txt");
  m.AddReparsePoint("C:\\d\\tree\\cloud", 0x9000001A);
  m.AddJunction("C:\\d\\tree\\link", "C:\\Outside");
  // A pupil's second name for a read-only file elsewhere.
  m.AddHardLink("C:\\d\\tree\\secret.txt", "C:\\Outside\\secret.txt");
  m.AddJunction("C:\\d\\toplink", "C:\\Outside");
  Open();

  EXPECT_FALSE(DeleteHeld("C:\\d\\toplink"));
  EXPECT_FALSE(DeleteHeld("C:\\d\\tree"));

  EXPECT_TRUE(m.Exists("C:\\d\\toplink"));
  EXPECT_EQ(m.Tree("C:\\d\\tree"),
            (std::map<std::string, std::string>{{"secret.txt", "not the product's"}}));
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"Could not delete file: C:\\d\\tree\\secret.txt"}));
  EXPECT_EQ(m.ReadFile("C:\\Outside\\secret.txt"), "not the product's");
  EXPECT_EQ(m.Attributes("C:\\Outside\\secret.txt"), DWORD(FILE_ATTRIBUTE_READONLY));
  ExpectSiblingSurvives();
}

}  // namespace
