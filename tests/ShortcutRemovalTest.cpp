#include <map>
#include <string>
#include <vector>

#include "RemovalFixture.h"

namespace {

using namespace removal_paths;

const char kStep4[] = "Step 4 of 6: Deleting desktop shortcuts...";
const char kStep5[] = "Step 5 of 6: Deleting Start Menu Shortcuts...";
// Where the product's installer put per-user shortcuts for user1, as built
// from the common folders.
const char kNameDesktop[] = "C:\\user1\\Desktop";
const char kNameStartMenu[] = "C:\\user1\\Start Menu";

using Files = std::map<std::string, std::string>;

class ShortcutRemovalTest : public RemovalTest {
 protected:
  // The product's shortcuts and program folders, with other programs' and a
  // file of the user's in them, at the common folders and the user-name ones.
  void AddShortcuts() {
    sim::Machine& m = sim::machine();
    for (const std::string desktop : {kCommonDesktop, kNameDesktop}) {
      m.AddFile(desktop + "\\Kelmora.lnk");
      m.AddFile(desktop + "\\Kelmora Vessik Student Selection.lnk");
      m.AddFile(desktop + "\\Other.lnk", "other");
    }
    m.AddFile(kCommonDesktop + std::string("\\Kelmora Student Selection.lnk"));
    m.AddFile(kCommonDesktop + std::string("\\Kelmora Vessik.lnk"));
    for (const std::string menu : {kCommonStartMenu, kNameStartMenu}) {
      m.AddFile(menu + "\\Programs\\Kelmora\\Kelmora.lnk");
      m.AddFile(menu + "\\Programs\\Kelmora\\readme.txt");
      m.AddFile(menu + "\\Programs\\Kelmora Vessik\\Uninstall.lnk");
      m.AddFile(menu + "\\Programs\\Kelmora Vessik\\notes.txt", "notes");
      m.AddFile(menu + "\\Programs\\Other\\Other.lnk", "other");
    }
    m.AddFile(kCommonStartMenu + std::string("\\Programs\\Kelmora Vessik\\Kelmora Vessik.lnk"));
  }
  // What stays is reported here, not left to the restart.
  void Open() {
    NotAnAdministrator();
    OpenDialog();
    OpenProgress();
    sim::machine().events.clear();
  }
};

TEST_F(ShortcutRemovalTest, UserNameLocationsFromMajorVersionFive) {
  const Files commonDesktopLeft = {{"Other.lnk", "other"}};
  const Files commonMenuLeft = {{"Programs\\Kelmora Vessik\\notes.txt", "notes"},
                                {"Programs\\Other\\Other.lnk", "other"}};
  for (int major : {4, 5, 6}) {
    SCOPED_TRACE(major);
    FreshMachine();
    AddShortcuts();
    sim::Machine& m = sim::machine();
    const Files nameDesktop = m.Tree(kNameDesktop);
    const Files nameMenu = m.Tree(kNameStartMenu);
    Open();
    dialog->m_osMajor = major;
    dialog->m_userName = "user1";

    dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

    EXPECT_TRUE(Failures().empty());
    EXPECT_TRUE(m.messageBoxes.empty());
    EXPECT_EQ(m.Tree(kCommonDesktop), commonDesktopLeft);
    // The folder itself stays here; only its shortcuts were the product's.
    EXPECT_EQ(m.Tree(kCommonStartMenu), commonMenuLeft);
    if (major < 5) {
      EXPECT_EQ(m.Tree(kNameDesktop), nameDesktop);
      EXPECT_EQ(m.Tree(kNameStartMenu), nameMenu);
    } else {
      EXPECT_EQ(m.Tree(kNameDesktop), commonDesktopLeft);
      EXPECT_EQ(m.Tree(kNameStartMenu), (Files{{"Programs\\Other\\Other.lnk", "other"}}));
    }
    EXPECT_EQ(Events("SetWindowText 1004 "), (std::vector<std::string>{kStep4, kStep5}));
    EXPECT_EQ(Events("SetWindowText 1005 "), std::vector<std::string>(major < 5 ? 1 : 2, ""));
  }
}

TEST_F(ShortcutRemovalTest, WhatStaysIsReportedAsDeletedFrom) {
  AddShortcuts();
  sim::Machine& m = sim::machine();
  m.HoldOpen(kCommonDesktop + std::string("\\Kelmora Vessik.lnk"));
  m.HoldOpen(kNameDesktop + std::string("\\Kelmora.lnk"));
  m.HoldOpen(kCommonStartMenu + std::string("\\Programs\\Kelmora Vessik\\Uninstall.lnk"));
  m.HoldOpen(kCommonStartMenu + std::string("\\Programs\\Kelmora\\readme.txt"));
  m.HoldOpen(kNameStartMenu + std::string("\\Programs\\Kelmora\\readme.txt"));
  m.HoldOpen(kNameStartMenu + std::string("\\Programs\\Kelmora Vessik\\notes.txt"));
  Open();

  dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

  const std::string menu = kCommonStartMenu;
  EXPECT_EQ(Failures(), (std::vector<std::string>{
                            "File: " + std::string(kCommonDesktop) + "\\Kelmora Vessik.lnk",
                            "File: C:\\user1\\Desktop\\\\Kelmora.lnk",
                            "File: " + menu + "\\Programs\\Kelmora Vessik\\Uninstall.lnk",
                            "Folder: " + menu + "\\Programs\\Kelmora",
                            "Folder: C:\\user1\\Start Menu\\\\Programs\\Kelmora",
                            "Folder: C:\\user1\\Start Menu\\\\Programs\\Kelmora Vessik",
                        }));
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "Could not delete: " + menu + "\\Programs\\Kelmora",
                                "Could not delete: C:\\user1\\Start Menu\\\\Programs\\Kelmora",
                                "Could not delete: C:\\user1\\Start Menu\\\\Programs\\Kelmora "
                                "Vessik"}));
  EXPECT_TRUE(m.Exists(kNameDesktop + std::string("\\Kelmora.lnk")));
  EXPECT_FALSE(m.Exists(kNameDesktop + std::string("\\Kelmora Vessik Student Selection.lnk")));
  EXPECT_EQ(m.ReadFile(kNameDesktop + std::string("\\Other.lnk")), "other");
}

// A shortcut that will not go alone can still go with its program folder; the
// report names only what is left.
TEST_F(ShortcutRemovalTest, ShortcutGoneWithItsFolderIsNotReported) {
  const std::string menu = kCommonStartMenu;
  const std::string kelmoraLink = menu + "\\Programs\\Kelmora\\Kelmora.lnk";
  const std::string vessikLink = menu + "\\Programs\\Kelmora Vessik\\Uninstall.lnk";
  AddShortcuts();
  sim::Machine& m = sim::machine();
  m.AddFile(kelmoraLink, "", FILE_ATTRIBUTE_READONLY);
  m.AddFile(vessikLink, "", FILE_ATTRIBUTE_READONLY);
  Open();
  dialog->m_osMajor = 4;

  dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

  // The Kelmora folder went whole; the Vessik folder stays by design, so its
  // read-only shortcut is still there and is reported.
  EXPECT_FALSE(m.Exists(menu + "\\Programs\\Kelmora"));
  EXPECT_TRUE(m.Exists(vessikLink));
  EXPECT_EQ(m.ReadFile(menu + "\\Programs\\Kelmora Vessik\\notes.txt"), "notes");
  EXPECT_EQ(Failures(), (std::vector<std::string>{"File: " + vessikLink}));
  EXPECT_TRUE(m.messageBoxes.empty());
}

// A shortcut held open keeps its folder too: the shortcut's entry comes first.
TEST_F(ShortcutRemovalTest, HeldShortcutIsReportedBeforeTheFolderThatHoldsIt) {
  const std::string menu = kCommonStartMenu;
  const std::string link = menu + "\\Programs\\Kelmora\\Kelmora.lnk";
  AddShortcuts();
  sim::Machine& m = sim::machine();
  m.HoldOpen(link);
  Open();
  dialog->m_osMajor = 4;

  dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

  EXPECT_TRUE(m.Exists(link));
  EXPECT_EQ(Failures(),
            (std::vector<std::string>{"File: " + link, "Folder: " + menu + "\\Programs\\Kelmora"}));
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"Could not delete: " + menu + "\\Programs\\Kelmora"}));
}

TEST_F(ShortcutRemovalTest, ShortFolderGivesAUserNameLocationAtTheDriveRoot) {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Desktop\\Kelmora.lnk");
  m.AddFile("C:\\user1\\Desktop\\Kelmora.lnk");
  m.AddFile("C:\\user1\\Desktop\\Kelmora Vessik.lnk");
  m.AddFile("C:\\user1\\Desktop\\Other.lnk", "other");
  m.HoldOpen("C:\\user1\\Desktop\\Kelmora Vessik.lnk");
  Open();

  dialog->RemoveShortcuts("C:\\Desktop", kCommonStartMenu);

  EXPECT_EQ(Failures(), (std::vector<std::string>{"File: \\user1\\Desktop\\\\Kelmora Vessik.lnk"}));
  EXPECT_FALSE(m.Exists("C:\\Desktop\\Kelmora.lnk"));
  EXPECT_FALSE(m.Exists("C:\\user1\\Desktop\\Kelmora.lnk"));
  EXPECT_EQ(m.ReadFile("C:\\user1\\Desktop\\Other.lnk"), "other");
}

TEST_F(ShortcutRemovalTest, FolderTheSystemCannotNameIsSkippedWithItsUserNameLocation) {
  sim::Machine& m = sim::machine();
  // Where an empty folder name and its user-name location would lead.
  m.AddFile("C:\\Kelmora.lnk", "root");
  m.AddFile("C:\\Programs\\Kelmora\\Kelmora.lnk", "root menu");
  m.AddFile("C:\\user1\\Desktop\\Kelmora.lnk", "user desktop");
  m.AddFile("C:\\user1\\Start Menu\\Programs\\Kelmora\\Kelmora.lnk", "user menu");
  const Files before = m.Tree("C:\\");
  Open();

  dialog->RemoveShortcuts("", "");

  EXPECT_EQ(m.Tree("C:\\"), before);
  EXPECT_TRUE(Failures().empty());
  EXPECT_TRUE(m.messageBoxes.empty());
  EXPECT_EQ(Events("SetWindowText 1004 "), (std::vector<std::string>{kStep4, kStep5}));
}

TEST_F(ShortcutRemovalTest, ShortcutThatCannotBeLookedForIsDeletedAllTheSame) {
  AddShortcuts();
  sim::Machine& m = sim::machine();
  const std::string deletable = kCommonDesktop + std::string("\\Kelmora.lnk");
  const std::string held = kCommonDesktop + std::string("\\Kelmora Vessik.lnk");
  const std::string folder = kCommonStartMenu + std::string("\\Programs\\Kelmora");
  m.HoldOpen(held);
  for (const std::string& path : {deletable, held, folder})
    m.Fail(sim::Op::FindFirstFile, path, ERROR_ACCESS_DENIED);
  Open();
  dialog->m_osMajor = 4;

  dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

  EXPECT_FALSE(m.Exists(deletable));
  EXPECT_FALSE(m.Exists(folder));
  EXPECT_EQ(Failures(), (std::vector<std::string>{"File: " + held}));
  EXPECT_EQ(m.ReadFile(kCommonDesktop + std::string("\\Other.lnk")), "other");
}

// The way down is checked against its folder's listing (Wine follows a link
// opened as itself): a listing that breaks off tells nothing, so what may be
// there is reported, never passed over as a link.
TEST_F(ShortcutRemovalTest, WhereTheWayCannotBeListedWhatMayBeThereIsReported) {
  AddShortcuts();
  sim::Machine& m = sim::machine();
  const std::string programs = kCommonStartMenu + std::string("\\Programs");
  m.Fail(sim::Op::FindFirstFile, programs + "\\*", ERROR_NOT_ENOUGH_MEMORY);
  Open();
  dialog->m_osMajor = 4;

  dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

  EXPECT_EQ(Failures(),
            (std::vector<std::string>{"File: " + programs + "\\Kelmora\\Kelmora.lnk",
                                      "File: " + programs + "\\Kelmora Vessik\\Kelmora Vessik.lnk",
                                      "File: " + programs + "\\Kelmora Vessik\\Uninstall.lnk",
                                      "Folder: " + programs + "\\Kelmora"}));
  EXPECT_TRUE(m.Exists(programs + "\\Kelmora\\Kelmora.lnk"));
  EXPECT_FALSE(m.Exists(kCommonDesktop + std::string("\\Kelmora.lnk")));
}

// A pupil can make any folder of their Start Menu a link: nothing behind one is
// deleted, and a link in a program folder's or a shortcut's place goes as a link.
// What lies behind a folder that cannot be told is not deleted but reported.
TEST_F(ShortcutRemovalTest, LinksAtEveryLevelOfTheShortcutFoldersAreNeverEntered) {
  const std::string outside = "C:\\Outside";
  const std::string menu = std::string(kNameStartMenu) + "\\";  // both folders go there
  const struct {
    const char* what;
    std::string link;
    bool symbolic;
    bool refused;  // the link refuses to go
    bool untold;   // what it is cannot be told
    bool linkGoes;
    bool wine = false;  // links as Wine 8 has them
  } cases[] = {
      // Not the product's: left as it is.
      {"Programs", menu + "\\Programs", false, false, false, false},
      {"Programs, untold", menu + "\\Programs", false, false, true, false},
      {"Programs, as Wine 8 opens it", menu + "\\Programs", false, false, false, false, true},
      {"Programs\\Kelmora", menu + "\\Programs\\Kelmora", false, false, false, true},
      {"Programs\\Kelmora Vessik", menu + "\\Programs\\Kelmora Vessik", true, false, false, true},
      {"a Start Menu shortcut", menu + "\\Programs\\Kelmora\\Kelmora.lnk", false, false, false,
       true},
      {"a desktop shortcut", kNameDesktop + std::string("\\Kelmora.lnk"), false, false, false,
       true},
      {"a link that stays", menu + "\\Programs\\Kelmora", false, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    for (const char* name : {"Kelmora.lnk", "Uninstall.lnk", "Kelmora\\Kelmora.lnk",
                             "Kelmora Vessik\\Uninstall.lnk", "sentinel.txt"})
      m.AddFile(outside + "\\" + name, "outside");
    m.AddJunction(outside + "\\sentinel link", "C:\\WINDOWS");
    if (c.symbolic)
      m.AddSymbolicLink(c.link, outside, true);
    else
      m.AddJunction(c.link, outside);
    if (c.refused) m.Fail(sim::Op::RemoveDirectory, c.link, ERROR_ACCESS_DENIED);
    if (c.wine) m.LinksAsWine8();
    if (c.untold) {
      m.Fail(sim::Op::CreateFile, c.link, ERROR_ACCESS_DENIED);
    }
    const Files before = m.Tree(outside);
    Open();

    dialog->RemoveShortcuts(kCommonDesktop, kCommonStartMenu);

    EXPECT_EQ(m.Tree(outside), before);
    EXPECT_EQ(m.Exists(c.link), !c.linkGoes);
    // Behind a way that cannot be checked it may be the product's: reported.
    std::vector<std::string> reported;
    if (c.refused) reported = {"Folder: " + c.link};
    if (c.untold)
      reported = {"File: " + c.link + "\\Kelmora\\Kelmora.lnk",
                  "File: " + c.link + "\\Kelmora Vessik\\Uninstall.lnk",
                  "Folder: " + c.link + "\\Kelmora", "Folder: " + c.link + "\\Kelmora Vessik"};
    EXPECT_EQ(Failures(), reported);
  }
}

}  // namespace
