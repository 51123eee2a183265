#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "RemovalFixture.h"

namespace {

using namespace removal_paths;
using Files = std::map<std::string, std::string>;

const char kStartQuestion[] =
    "Please be patient, as this process can sometimes take a few minutes...click OK to "
    "continue.";
const char kCopyFailed[] =
    "Unable to copy your student data.  Please copy manually, then try removing the "
    "installation again.  Contact DVH at 1-800-555-0143 if you have any questions.";
const char kSuccess[] = "The Kelmora has been removed from your computer.";
const char kReportHeader[] =
    "Unable to remove the following components...please remove them manually:\n\n";
const char* const kSteps[] = {
    "Step 1 of 6: Copying student data to desktop...",
    "Step 2 of 6: Deleting InstallShield folder...",
    "Step 3 of 6: Deleting Kelmora folder...",
    "Step 4 of 6: Deleting desktop shortcuts...",
    "Step 5 of 6: Deleting Start Menu Shortcuts...",
    "Step 6 of 6: Removing registry information...",
};
const Files kStudents = {{"alice\\work.txt", "alice's work"}, {"bob.txt", "bob's work"}};

std::string Cache(const char* entry) { return kCacheParent + std::string(entry); }

class RemovalSequenceTest : public RemovalTest {
 protected:
  void SetUp() override {
    RemovalTest::SetUp();
    Prepare();
  }
  // A fresh machine with the product and other programs, and the dialog on it.
  void Prepare(bool withStudents = true) {
    InstallProduct(withStudents);
    AddOtherPrograms();
    installed = sim::machine().Tree(kInstall);
    WatchProgressWindow();
  }
  void WatchProgressWindow() {
    progressShown.clear();
    sim::machine().onMessageBox = [this](const sim::MessageBoxRecord&) {
      progressShown.push_back(sim::machine().FindDialog(IDD_PROGRESS) != nullptr);
    };
  }

  // The start question, then `texts`; all owned by the main dialog. The
  // last may go on naming the registry backup, which must then be there.
  void ExpectMessages(const std::vector<std::string>& texts) const {
    std::vector<std::string> expected = {kStartQuestion};
    expected.insert(expected.end(), texts.begin(), texts.end());
    std::vector<std::string> shown = MessageTexts();
    const std::string saved = "\nThe registry entries removed were saved in ",
                      use = "; open it to put them back.";
    const size_t backup = shown.back().find(saved), file = backup + saved.size();
    if (backup != std::string::npos) {
      EXPECT_EQ(shown.back().size() - use.size(), shown.back().rfind(use));
      EXPECT_TRUE(sim::machine().Exists(shown.back().substr(file, shown.back().rfind(use) - file)));
      shown.back().erase(backup);
      if (shown.back() == kSuccess + std::string("\n")) shown.back().pop_back();
    }
    EXPECT_EQ(shown, expected);
    for (const sim::MessageBoxRecord& box : sim::machine().messageBoxes)
      EXPECT_EQ(box.owner, window);
  }
  // The saved data, without the registry backup saved beside it.
  static Files SavedData(const std::string& folder) {
    Files files = sim::machine().Tree(folder);
    files.erase("Kelmora registry backup 2026-12-08 090507.reg");
    return files;
  }
  void ExpectLastMessage(const std::string& caption) const {
    const sim::MessageBoxRecord& box = sim::machine().messageBoxes.back();
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.type, (UINT)MB_OK);
  }
  void ExpectDialogEnded() const {
    const sim::Window& main = *sim::machine().GetWindow(window);
    EXPECT_TRUE(main.ended);
    EXPECT_EQ(main.endResult, IDOK);
    EXPECT_EQ(sim::machine().FindDialog(IDD_PROGRESS), nullptr);
    EXPECT_EQ(sim::machine().OpenKeys(), 0);
    EXPECT_EQ(sim::machine().OpenFindHandles(), 0);
  }
  void ExpectProductUntouched() const {
    const sim::Machine& m = sim::machine();
    EXPECT_EQ(m.Tree(kInstall), installed);
    EXPECT_TRUE(m.Exists(Cache(kEntry1)));
    EXPECT_TRUE(m.Exists(Cache(kEntry2)));
    EXPECT_TRUE(m.Exists(kCommonDesktop + std::string("\\Kelmora.lnk")));
    EXPECT_TRUE(m.Exists(kCommonStartMenu + std::string("\\Programs\\Kelmora\\Kelmora.lnk")));
    EXPECT_TRUE(m.ValueExists(kProductKey, "InstallPath"));
    EXPECT_TRUE(m.KeyExists(kProductKey + std::string("\\Settings")));
    EXPECT_TRUE(m.KeyExists(kUninstall + std::string("\\") + kEntry1));
  }
  void ExpectProductRemoved() const {
    const sim::Machine& m = sim::machine();
    EXPECT_FALSE(m.Exists(kInstall));
    EXPECT_FALSE(m.Exists(Cache(kEntry1)));
    EXPECT_FALSE(m.Exists(Cache(kEntry2)));
    EXPECT_FALSE(m.Exists(kCommonDesktop + std::string("\\Kelmora.lnk")));
    EXPECT_FALSE(m.Exists(kUserDesktop + std::string("\\Kelmora Vessik.lnk")));
    EXPECT_FALSE(m.Exists(kCommonStartMenu + std::string("\\Programs\\Kelmora")));
    // Only the program folder's shortcut was the product's here.
    EXPECT_TRUE(m.IsFolder(kUserStartMenu + std::string("\\Programs\\Kelmora Vessik")));
    EXPECT_TRUE(m.List(kUserStartMenu + std::string("\\Programs\\Kelmora Vessik")).empty());
    EXPECT_EQ(m.ValueNames(kProductKey), (std::vector<std::string>{"Version"}));
    EXPECT_TRUE(m.SubKeys(kProductKey).empty());
    EXPECT_FALSE(m.KeyExists(kUninstall + std::string("\\") + kEntry1));
    EXPECT_FALSE(m.KeyExists(kUninstall + std::string("\\") + kEntry2));
  }
  // The step and item lines as they were set, in order ("1004 ..." or "1005 ...").
  std::vector<std::string> ProgressLines() const {
    std::vector<std::string> lines;
    for (const std::string& event : sim::machine().events)
      if (event.rfind("SetWindowText 1004 ", 0) == 0 || event.rfind("SetWindowText 1005 ", 0) == 0)
        lines.push_back(event.substr(14));
    return lines;
  }

  Files installed;
  std::vector<bool> progressShown;
};

std::string Step(int number) { return std::string("1004 ") + kSteps[number - 1]; }
const char kItemCleared[] = "1005 ";

TEST_F(RemovalSequenceTest, RunRemovesTheProductSavesTheDataAndEndsTheProgram) {
  sim::Machine& m = sim::machine();
  OpenDialog();
  // Cancel clicked while the copy runs: Windows gets its messages answered,
  // and the click is lost on the disabled dialog.
  const HWND main = dialog->GetSafeHwnd();
  bool clicked = false;
  m.faultHook = [&m, &clicked, main](sim::Op op, const std::string&) -> DWORD {
    if (op == sim::Op::ReadFile && !clicked) m.QueueClick(main, IDCANCEL), clicked = true;
    return 0;
  };

  dialog->OnOK();

  EXPECT_EQ(Events("Click"), (std::vector<std::string>{" 2 lost: disabled"}));
  EXPECT_EQ(m.MessagePumps(), 3);  // after each of the three entries copied
  EXPECT_TRUE(m.GetWindow(main)->enabled);
  // The dialog's deletes go to the Recycle Bin, where the user may still look.
  EXPECT_FALSE(m.RecycledPaths().empty());

  ExpectProductRemoved();
  ExpectOtherProgramsSurvive();
  EXPECT_EQ(SavedData(kSaved), kStudents);
  ExpectMessages({kSuccess});
  EXPECT_FALSE(m.messageBoxes[0].captionNull);
  EXPECT_EQ(m.messageBoxes[0].caption, "");
  EXPECT_EQ(m.messageBoxes[0].type, (UINT)MB_OKCANCEL);
  ExpectLastMessage("Success!");
  EXPECT_EQ(progressShown, (std::vector<bool>{false, false}));
  ExpectDialogEnded();
  EXPECT_EQ(ProgressLines(),
            (std::vector<std::string>{Step(1), kItemCleared, Step(2), kItemCleared, Step(3),
                                      kItemCleared, Step(4), Step(5), kItemCleared, kItemCleared,
                                      Step(4), Step(5), kItemCleared, kItemCleared, Step(6)}));
  // The copy entered the install folder; the removal left it before step 3.
  EXPECT_EQ(m.CurrentDirectory(), "C:\\WINDOWS\\system32");
}

TEST_F(RemovalSequenceTest, BeforeMajorVersionFiveOnlyTheSpecialFoldersAreTried) {
  sim::Machine& m = sim::machine();
  m.SetVersion(4, 0);
  m.AddFile("C:\\user1\\Desktop\\Kelmora.lnk", "user-name location");
  OpenDialog();

  dialog->OnOK();

  ExpectProductRemoved();
  EXPECT_EQ(m.ReadFile("C:\\user1\\Desktop\\Kelmora.lnk"), "user-name location");
  EXPECT_EQ(ProgressLines(),
            (std::vector<std::string>{Step(1), kItemCleared, Step(2), kItemCleared, Step(3),
                                      kItemCleared, Step(4), Step(5), kItemCleared, Step(4),
                                      Step(5), kItemCleared, Step(6)}));
  ExpectMessages({kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, CancelAtTheStartChangesNothingAndRemoveWorksAgain) {
  sim::Machine& m = sim::machine();
  OpenDialog();
  dialog->m_failures.Add("stale entry");
  m.QueueMessageBoxAnswer(IDCANCEL);

  dialog->OnOK();

  ExpectProductUntouched();
  EXPECT_FALSE(m.Exists(kSaved));
  EXPECT_TRUE(Failures().empty());
  EXPECT_TRUE(Events("CreateDialog 129").empty());
  EXPECT_FALSE(m.GetWindow(window)->ended);
  ExpectMessages({});

  dialog->OnOK();

  ExpectProductRemoved();
  ExpectMessages({kStartQuestion, kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, AnotherRemovalRunningChangesNothingAndTheDialogStaysOpen) {
  sim::Machine& m = sim::machine();
  HANDLE other = CreateMutexA(NULL, FALSE, "Global\\RemoveKM.Removal");
  OpenDialog();

  dialog->OnOK();

  ExpectProductUntouched();
  EXPECT_FALSE(m.Exists(kSaved));
  EXPECT_TRUE(Events("CreateDialog 129").empty());
  EXPECT_FALSE(m.GetWindow(window)->ended);
  ExpectMessages(
      {"Another removal of Kelmora is running on this computer.  Please try again when "
       "it has ended."});

  CloseHandle(other);
  dialog->OnOK();
  ExpectProductRemoved();
  EXPECT_EQ(m.OpenMutexHandles(), 0);
}

TEST_F(RemovalSequenceTest, StudentDataIsSavedOnlyWhenAskedAndAFolderIsKnown) {
  const struct {
    const char* what;
    bool ticked;
    bool folderKnown;
  } cases[] = {
      {"box not ticked", false, true},
      {"no install folder", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    sim::Machine& m = sim::machine();
    OpenDialog();
    if (!c.ticked) m.Click(window, IDC_SAVE_DATA);
    if (!c.folderKnown) {
      dialog->m_installPath = "";
      m.Type(window, IDC_LOCATION, dialog_texts::kNotFoundLocation);
    }

    dialog->OnOK();

    EXPECT_FALSE(m.Exists(kSaved));
    EXPECT_EQ(m.Exists(kInstall), !c.folderKnown);
    EXPECT_FALSE(m.Exists(Cache(kEntry1)));
    EXPECT_FALSE(m.KeyExists(kUninstall + std::string("\\") + kEntry1));
    ExpectMessages({kSuccess});
    ExpectDialogEnded();
    const std::vector<std::string> lines = ProgressLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], Step(1));
    EXPECT_EQ(lines[2], Step(2));
  }
}

TEST_F(RemovalSequenceTest, FailedCopyStopsBeforeAnythingIsRemoved) {
  using sim::Op;
  static const char kSpeltDesktop[] = "C:\\Documents and Settings\\Łukasz\\Desktop";
  static const char kBestFitSaved[] =
      "C:\\Documents and Settings\\Lukasz\\Desktop\\Kelmora Saved Student Data";
  const struct {
    const char* what;
    bool withStudents;
    std::function<void(sim::Machine&)> arrange;
    bool afterStart = false;  // arranged once the dialog has found the product
  } cases[] = {
      {"no Students folder", false, nullptr},
      {"a file not copied", true,
       [](sim::Machine& m) {
         m.Fail(Op::ReadFile, kInstall + std::string("\\Students\\alice\\work.txt"),
                ERROR_DISK_FULL);
       }},
      {"save folder not made", true,
       [](sim::Machine& m) { m.Fail(Op::CreateDirectory, kSaved, ERROR_ACCESS_DENIED); }},
      {"desktop cannot be named", true,
       [](sim::Machine& m) { m.SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, ""); }, true},
      {"desktop the code page cannot spell", true,
       [](sim::Machine& m) {
         m.AddFolder(kSpeltDesktop);
         m.SetSpecialFolder(CSIDL_DESKTOPDIRECTORY, kSpeltDesktop);
         m.Fail(Op::ReadFile, kInstall + std::string("\\Students\\alice\\work.txt"),
                ERROR_DISK_FULL);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare(c.withStudents);
    sim::Machine& m = sim::machine();
    // Another account's, named as the best fit of the pupil's desktop.
    m.AddFile(kBestFitSaved + std::string("\\work.txt"), "Lukasz's");
    if (c.arrange && !c.afterStart) c.arrange(m);
    OpenDialog();
    if (c.arrange && c.afterStart) c.arrange(m);

    dialog->OnOK();

    ExpectProductUntouched();
    ExpectOtherProgramsSurvive();
    EXPECT_FALSE(m.Exists(kSaved));
    EXPECT_FALSE(m.Exists("C:\\Kelmora Saved Student Data"));
    EXPECT_EQ(m.Tree(kBestFitSaved), (Files{{"work.txt", "Lukasz's"}}));
    EXPECT_FALSE(m.Exists(kSpeltDesktop + std::string("\\Kelmora Saved Student Data")));
    EXPECT_EQ(m.List(kUserDesktop), (std::vector<std::string>{"Kelmora Vessik.lnk"}));
    ExpectMessages({kCopyFailed});
    ExpectLastMessage(theApp.GetAppName());
    EXPECT_EQ(progressShown, (std::vector<bool>{false, true}));
    ExpectDialogEnded();
    EXPECT_EQ(Events("SetWindowText 1004 "), (std::vector<std::string>{kSteps[0]}));
  }
}

TEST_F(RemovalSequenceTest, EarlierSavedDataIsNeverTouched) {
  const std::string saved = kSaved;
  const struct {
    const char* what;
    std::vector<std::string> existing;
    bool copyFails;
    std::string savedTo;  // "" when nothing is saved
  } cases[] = {
      {"one earlier save", {saved}, false, saved + " (2)"},
      {"two earlier saves", {saved, saved + " (2)"}, false, saved + " (3)"},
      {"nine earlier saves",
       {saved, saved + " (2)", saved + " (3)", saved + " (4)", saved + " (5)", saved + " (6)",
        saved + " (7)", saved + " (8)", saved + " (9)"},
       false,
       saved + " (10)"},
      {"earlier save, this copy fails", {saved}, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    sim::Machine& m = sim::machine();
    for (const std::string& folder : c.existing) m.AddFile(folder + "\\old.txt", "earlier");
    if (c.copyFails)
      m.Fail(sim::Op::ReadFile, kInstall + std::string("\\Students\\bob.txt"), ERROR_DISK_FULL);
    OpenDialog();

    dialog->OnOK();

    for (const std::string& folder : c.existing)
      EXPECT_EQ(m.Tree(folder), (Files{{"old.txt", "earlier"}}));
    if (c.copyFails) {
      EXPECT_FALSE(m.Exists(saved + " (2)"));
      ExpectProductUntouched();
      ExpectMessages({kCopyFailed});
    } else {
      EXPECT_EQ(SavedData(c.savedTo), kStudents);
      ExpectProductRemoved();
      ExpectMessages({kSuccess});
    }
    ExpectDialogEnded();
  }
}

TEST_F(RemovalSequenceTest, ReportListsEveryEntryOnALineOfItsOwn) {
  using sim::Op;
  const std::string cache1 = Cache(kEntry1);
  const std::string heldShortcut = kCommonDesktop + std::string("\\Kelmora.lnk");
  const struct {
    const char* what;
    std::function<void(sim::Machine&)> arrange;
    std::vector<std::string> before;  // the folder operations' own messages
    std::string report;
  } cases[] = {
      {"one entry",
       [cache1](sim::Machine&) { Undeletable(cache1); },
       {"Could not delete: " + cache1},
       kReportHeader + ("Folder: " + cache1) + "\n"},
      {"several entries",
       [cache1, heldShortcut](sim::Machine& m) {
         Undeletable(cache1);
         Undeletable(kInstall);
         m.HoldOpen(heldShortcut);
         m.Fail(Op::RegDeleteKey, kProductKey + std::string("\\Settings"), ERROR_ACCESS_DENIED);
       },
       {"Could not delete: " + cache1, "Could not delete: " + std::string(kInstall)},
       kReportHeader + ("Folder: " + cache1) + "\nFolder: " + kInstall + "\nFile: " + heldShortcut +
           "\nRegistry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora\\Settings\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    NotAnAdministrator();
    sim::Machine& m = sim::machine();
    c.arrange(m);
    OpenDialog();

    dialog->OnOK();

    std::vector<std::string> messages = c.before;
    messages.push_back(c.report);
    ExpectMessages(messages);
    ExpectLastMessage(theApp.GetAppName());
    EXPECT_FALSE(progressShown.back());
    EXPECT_TRUE(m.Exists(cache1));
    EXPECT_FALSE(m.Exists(Cache(kEntry2)));
    ExpectOtherProgramsSurvive();
    ExpectDialogEnded();
  }
}

// The shell would follow a link inside the install folder and delete what
// lies at its target; the data behind a link survives, always.
TEST_F(RemovalSequenceTest, LinksGoAsLinksAndTheDataBehindThemSurvives) {
  const std::string other = "C:\\Program Files\\Other";
  const struct {
    const char* what;
    std::string link;
    const char* kind;  // "junction", "folder link" or "file link"
    bool removable;
  } cases[] = {
      {"junction in Students", kInstall + std::string("\\Students\\Class1"), "junction", true},
      {"folder link in the install folder", kInstall + std::string("\\bin\\shared"), "folder link",
       true},
      {"file link in Students", kInstall + std::string("\\Students\\other.exe"), "file link", true},
      {"link that cannot be removed", kInstall + std::string("\\bin\\shared"), "junction", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    NotAnAdministrator();
    sim::Machine& m = sim::machine();
    const std::string kind = c.kind;
    if (kind == "junction") m.AddJunction(c.link, other);
    if (kind == "folder link") m.AddSymbolicLink(c.link, other, true);
    if (kind == "file link") m.AddSymbolicLink(c.link, other + "\\other.exe", false);
    if (!c.removable) m.Fail(sim::Op::RemoveDirectory, c.link, ERROR_ACCESS_DENIED);
    OpenDialog();

    dialog->OnOK();

    ExpectOtherProgramsSurvive();
    EXPECT_EQ(SavedData(kSaved), kStudents);
    EXPECT_EQ(m.Exists(kInstall), !c.removable);
    if (c.removable) {
      ExpectMessages({kSuccess});
    } else {
      EXPECT_TRUE(m.Exists(c.link));
      ExpectMessages({"Could not delete: " + std::string(kInstall),
                      kReportHeader + ("Folder: " + std::string(kInstall)) + "\n"});
    }
    ExpectDialogEnded();
  }
}

// The product moved to another drive with a link left in its place: the link
// goes as a link, and the folder behind it goes only when it would be taken
// as a typed folder would; else it is reported, never "Success!".
TEST_F(RemovalSequenceTest, InstallFolderThatIsALinkGoesAsALinkAndItsFolderIsJudged) {
  const std::string moved = "D:\\Kelmora";
  const std::string profile = "C:\\Documents and Settings\\teacher";
  const struct {
    const char* what;
    std::function<void(sim::Machine&)> change;  // after the folder was taken
    DWORD major;                                // the Windows version
    bool linkGoes;
    std::string report;        // "" for success
    std::string restart = "";  // the report's part on what goes at the restart
  } cases[] = {
      {"moved to D:", nullptr, 6, true, ""},
      {"marker gone", [&](sim::Machine&) { DeleteFileA((moved + "\\km2.jar").c_str()); }, 6, true,
       "Folder: " + moved},
      {"now a link to a profile",
       [&](sim::Machine& m) {
         RemoveDirectoryA(kInstall);
         m.AddFile(profile + "\\km2.jar");
         m.AddJunction(kInstall, profile);
       },
       6, true, "Folder: " + profile},
      // Left to the restart as a link: the folder behind it is never entered.
      {"a link to a profile that cannot be removed now",
       [&](sim::Machine& m) {
         RemoveDirectoryA(kInstall);
         m.AddFile(profile + "\\notes.txt", "teacher's");
         m.AddJunction(kInstall, profile);
         m.Fail(sim::Op::RemoveDirectory, kInstall, ERROR_ACCESS_DENIED);
       },
       6, false, "Folder: " + profile,
       std::string("\nWindows will remove these when the computer restarts:\nFolder: ") + kInstall +
           "\n"},
      // Before Vista the folder behind a link cannot be told: the link shows the way.
      {"Windows XP", nullptr, 5, false, std::string("Folder: ") + kInstall},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    sim::Machine& m = sim::machine();
    m.SetVersion(c.major, 1);
    for (const auto& file : installed) m.AddFile(moved + "\\" + file.first, file.second);
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = "C:\\Program Files\\Kelmora\0";
    ASSERT_EQ(SHFileOperationA(&operation), 0);
    m.AddJunction(kInstall, moved);
    OpenDialog();
    m.Click(window, IDC_SAVE_DATA);
    if (c.change) c.change(m);
    const Files behind = m.Tree(m.Exists(kInstall) ? kInstall : moved);

    dialog->OnOK();

    EXPECT_EQ(m.Exists(kInstall), !c.linkGoes);
    if (c.report.empty()) {
      ExpectMessages({kSuccess});
      EXPECT_FALSE(m.Exists(moved));
    } else {
      ExpectMessages({kReportHeader + c.report + "\n" + c.restart});
    }
    EXPECT_EQ(m.PendingDeletes(),
              c.restart.empty() ? std::vector<std::string>{} : std::vector<std::string>{kInstall});
    m.Restart();
    if (!c.report.empty()) {
      EXPECT_EQ(m.Tree(c.report.substr(8)), behind);
    }
    ExpectOtherProgramsSurvive();
    ExpectDialogEnded();
  }
}

// A 32-bit installer puts its caches in the Program Files folder Windows names
// for it; the fixed folder is searched as well, each folder once.
TEST_F(RemovalSequenceTest, CachesGoFromEachProgramFilesFolderInTurn) {
  const std::string fixed = kCacheParent;
  const std::string x86 = "C:\\Program Files (x86)\\InstallShield Installation Information\\";
  const std::string onD = "D:\\Programs\\InstallShield Installation Information\\";
  const struct {
    const char* what;
    std::string programFiles;       // as the system names it
    std::string parent;             // of the caches there, besides the fixed ones
    std::vector<std::string> held;  // caches with a file held open, in the report's order
  } cases[] = {
      {"64-bit Windows", "C:\\Program Files (x86)", x86, {}},
      {"64-bit Windows, every cache held",
       "C:\\Program Files (x86)",
       x86,
       {fixed + kEntry1, x86 + kEntry1, fixed + kEntry2, x86 + kEntry2}},
      {"Windows on D:, one held", "D:\\Programs\\", onD, {onD + kEntry2}},
      {"the fixed folder spelt otherwise", "c:/program files/", fixed, {fixed + kEntry1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    NotAnAdministrator();
    sim::Machine& m = sim::machine();
    m.SetSpecialFolder(CSIDL_PROGRAM_FILES, c.programFiles);
    const std::vector<std::string> caches = {fixed + kEntry1, fixed + kEntry2, c.parent + kEntry1,
                                             c.parent + kEntry2};
    for (const std::string& cache : caches) m.AddFile(cache + "\\setup.ini");
    m.AddFile(c.parent + "{00000000-OTHER}\\setup.ini");
    std::vector<std::string> messages;
    std::string report = kReportHeader;
    for (const std::string& cache : c.held) {
      m.HoldOpen(cache + "\\setup.ini");
      messages.push_back("Could not delete: " + cache);
      report += "Folder: " + cache + "\n";
    }
    messages.push_back(c.held.empty() ? kSuccess : report);
    OpenDialog();

    dialog->OnOK();

    ExpectMessages(messages);
    for (const std::string& cache : caches)
      EXPECT_EQ(m.Exists(cache), std::count(c.held.begin(), c.held.end(), cache) == 1) << cache;
    EXPECT_TRUE(m.Exists(c.parent + "{00000000-OTHER}\\setup.ini"));
    EXPECT_FALSE(m.Exists(kInstall));
    ExpectDialogEnded();
  }
}

TEST_F(RemovalSequenceTest, FolderThatCannotBeLookedForIsDeletedAllTheSame) {
  sim::Machine& m = sim::machine();
  OpenDialog();
  m.Fail(sim::Op::FindFirstFile, Cache(kEntry1), ERROR_ACCESS_DENIED);
  m.Fail(sim::Op::FindFirstFile, kInstall, ERROR_ACCESS_DENIED);

  dialog->OnOK();

  EXPECT_FALSE(m.Exists(Cache(kEntry1)));
  EXPECT_FALSE(m.Exists(kInstall));
  ExpectMessages({kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, NoInstallFolderNamesNothingWhateverTheLookupsSay) {
  sim::Machine& m = sim::machine();
  OpenDialog();
  dialog->m_installPath = "";
  m.Type(window, IDC_LOCATION, dialog_texts::kNotFoundLocation);
  m.Fail(sim::Op::FindFirstFile, "", ERROR_ACCESS_DENIED);
  m.Fail(sim::Op::GetFileAttributes, "", ERROR_ACCESS_DENIED);

  dialog->OnOK();

  EXPECT_EQ(m.Tree(kInstall), installed);
  EXPECT_FALSE(m.Exists(Cache(kEntry1)));
  ExpectMessages({kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, TypedFolderEndingInASeparatorIsNotPassedOver) {
  sim::Machine& m = sim::machine();
  const std::string typed = kInstall + std::string("\\");
  NotAnAdministrator();
  OpenDialog();
  m.Type(window, IDC_LOCATION, typed);

  dialog->OnOK();

  // The shell leaves a folder spelt this way; the program deletes it itself.
  ExpectMessages({kSuccess});
  EXPECT_FALSE(m.Exists(kInstall));
  EXPECT_EQ(SavedData(kSaved), kStudents);
  ExpectDialogEnded();
}

// The removal moves the current directory before it erases: a relative
// folder must still name the folder that was confirmed.
TEST_F(RemovalSequenceTest, RelativeTypedFolderIsErasedWhereItWasTaken) {
  sim::Machine& m = sim::machine();
  const std::string decoy = "C:\\WINDOWS\\system32\\Kelmora\\km2.jar";
  m.AddFile(decoy);
  OpenDialog();
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\Program Files"));
  m.Type(window, IDC_LOCATION, "Kelmora");

  dialog->OnOK();

  EXPECT_EQ(sim::StoredName(dialog->m_installPath.Text()), kInstall);
  ExpectProductRemoved();
  EXPECT_EQ(SavedData(kSaved), kStudents);
  EXPECT_TRUE(m.Exists(decoy));
  ExpectMessages({kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, RemovalGoesOnWithoutAProgressWindow) {
  sim::Machine& m = sim::machine();
  OpenDialog();
  m.Fail(sim::Op::CreateDialog, std::to_string(IDD_PROGRESS), ERROR_NOT_ENOUGH_MEMORY);

  dialog->OnOK();

  ExpectProductRemoved();
  EXPECT_EQ(SavedData(kSaved), kStudents);
  EXPECT_TRUE(m.repaints.empty());
  ExpectMessages({kSuccess});
  ExpectDialogEnded();
}

TEST_F(RemovalSequenceTest, NothingOfTheProductPresentIsASuccess) {
  FreshMachine();
  AddOtherPrograms();
  WatchProgressWindow();
  sim::Machine& m = sim::machine();
  OpenDialog();

  dialog->OnOK();

  ExpectOtherProgramsSurvive();
  EXPECT_FALSE(m.Exists(kSaved));
  ExpectMessages({kSuccess});
  ExpectLastMessage("Success!");
  EXPECT_EQ(Events("SetWindowText 1004 ").size(), 8u);
  ExpectDialogEnded();
}

}  // namespace

namespace {

std::string RunningQuestion(const std::string& names) {
  return "These Kelmora programs are running and will be closed.  Work not saved in them will "
         "be lost:\n\n" +
         names + "\n\nClick OK to close them and continue, or Cancel to stop.";
}
const std::string kRunningQuestion = RunningQuestion("kelmora.exe");
const char kRemovedAtRestart[] =
    "Kelmora has been removed.  Some of its files were in use; Windows will remove them when the "
    "computer restarts.  Please restart the computer.\n\n";

}  // namespace

// The product's running program is closed after one question, and never
// another program; what another program holds is left to the restart. From
// Vista on the Restart Manager closes it in any session, and a Java program
// running the product's km2.jar with it.
TEST_F(RemovalSequenceTest, RunningProgramsAreClosedOrTheirFilesGoAtRestart) {
  const std::string program = kInstall + std::string("\\bin\\kelmora.exe");
  const std::string other = "C:\\Program Files\\Other\\other.exe";
  const std::string jar = kInstall + std::string("\\km2.jar");
  // A folder of the product's that pupils may write in.
  const std::string shared = kInstall + std::string("\\Shared");
  const std::string classes = shared + "\\Classes";
  const std::string list = classes + "\\list.dat";
  // A pupil's empty folder there that the program may not delete.
  const std::string mine = classes + "\\mine";
  const std::string teacher = "C:\\Documents and Settings\\teacher";
  const std::string marks = teacher + "\\Documents\\marks.xls";
  // The pupil turns it into a mount point to the teacher's profile as the
  // program first reaches `at`.
  const auto madeMountPointAt = [mine, teacher](const std::string& at) {
    return [mine, teacher, at](sim::Machine& m) {
      m.AddFolder(mine);
      m.SetOwner(mine, "pupil");
      m.Fail(sim::Op::RemoveDirectory, mine, ERROR_ACCESS_DENIED);
      m.faultHook = [&m, mine, teacher, at](sim::Op, const std::string& target) -> DWORD {
        if (target != at) return 0;
        m.faultHook = nullptr;
        EXPECT_TRUE(m.MakeMountPoint("pupil", mine, teacher));
        return 0;
      };
    };
  };
  // Another program that comes to hold the marker, as a backup agent, an
  // indexer or Explorer's preview may.
  const auto holdingMarker = [jar](sim::Machine& m, const std::string& image,
                                   sim::Machine::Process::Kind kind) {
    if (!m.Exists(image)) m.AddFile(image, "program");
    sim::Machine::Process holder;
    holder.image = image;
    holder.holds = {jar};
    holder.kind = kind;
    m.StartProcess(holder);
  };
  const std::string leftToRestart = kRemovedAtRestart + ("Folder: " + std::string(kInstall)) + "\n";
  const std::string reported = kReportHeader + ("Folder: " + std::string(kInstall)) + "\n";
  // Kelmora is closed; what another program holds goes at the restart.
  const std::vector<std::string> closedThenLeftToRestart = {
      kRunningQuestion, "Could not delete: " + std::string(kInstall), leftToRestart};
  using sim::Op;
  const std::string java = "C:\\Program Files\\Java\\bin\\javaw.exe";
  const std::string explorer = "C:\\WINDOWS\\explorer.exe";
  using Manager = sim::Machine::RestartManager;
  // The product's own update service, say, and a part of Windows: never a
  // program a pupil works in.
  auto serviceInsideHoldsMarker = [&](sim::Machine& m) {
    holdingMarker(m, kInstall + std::string("\\bin\\kmupdate.exe"),
                  sim::Machine::Process::Kind::Service);
    holdingMarker(m, "C:\\WINDOWS\\system32\\csrss.exe", sim::Machine::Process::Kind::Critical);
  };
  const struct {
    const char* what;
    std::string image;  // of the running program
    std::string held;   // by it, besides its own file
    bool administrator;
    int answer;  // to the question about running programs
    std::vector<std::string> messages;
    const char* endedBy;  // "" while it runs
    std::vector<std::string> pending;
    bool vista = false;
    Manager manager = Manager::Working;
    DWORD session = 1;  // alice's when not this program's
    // While the question is up it exits, and another program gets its id.
    bool idReused = false;
    std::function<void(sim::Machine&)> arrange = nullptr;
  } cases[] = {
      // clang-format off
      {"Vista: a service inside the install folder and a part of Windows holding km2.jar", program, "", true, IDOK, closedThenLeftToRestart, "RmShutdown", {kInstall + std::string("\\bin\\kmupdate.exe"), kInstall + std::string("\\bin"), jar, kInstall}, true, Manager::Working, 1, false, serviceInsideHoldsMarker},
      {"Vista: alice's program in her session, where this account cannot start a copy: left to the restart", program, "", true, IDOK, {RunningQuestion("kelmora.exe (alice)"), closedThenLeftToRestart[1], leftToRestart}, "", {program, kInstall + std::string("\\bin"), kInstall}, true, Manager::Working, 2},
      {"Vista without a Restart Manager: another session's program is left to the restart", program, "", true, IDOK, closedThenLeftToRestart, "", {program, kInstall + std::string("\\bin"), kInstall}, true, Manager::Missing, 2},
      // km2.jar makes Java Kelmora's only where no pupil could have put it there or given its file another name, and only in a user's session.
      {"Vista: a SYSTEM task's Java in session 0 running km2.jar", java, jar, true, IDOK, {"Could not delete: " + std::string(kInstall), leftToRestart}, "", {jar, kInstall}, true, Manager::Working, 0},
      {"Vista: Java running a km2.jar in a folder pupils may change", java, jar, true, IDOK, {"Could not delete: " + std::string(kInstall), reported}, "", {}, true, Manager::Working, 1, false, [](sim::Machine& m) { m.LetChange(kInstall, "pupil"); }},
      {"Vista: a teacher's Java holding a pupil's second name of km2.jar", java, "", true, IDOK, {"Could not delete: " + std::string(kInstall), leftToRestart}, "", {jar, kInstall}, true, Manager::Working, 1, false, [jar, java](sim::Machine& m) { m.AddHardLink("C:\\Pupils\\alice\\game.jar", jar); sim::Machine::Process teachers; teachers.image = java; teachers.holds = {"C:\\Pupils\\alice\\game.jar"}; m.StartProcess(teachers); }},
      // clang-format on
      {"its id reused by another program",
       program,
       "",
       true,
       IDOK,
       {kRunningQuestion, kSuccess},
       "exited",
       {},
       false,
       Manager::Working,
       1,
       true},
      {"Vista: its id reused by another program",
       program,
       "",
       true,
       IDOK,
       {kRunningQuestion, kSuccess},
       "exited",
       {},
       true,
       Manager::Working,
       1,
       true},
      {"Vista: Java outside running km2.jar",
       java,
       jar,
       true,
       IDOK,
       {RunningQuestion("javaw.exe"), kSuccess},
       "RmShutdown",
       {},
       true},
      {"Vista: a Java service, Explorer and another program holding km2.jar",
       program,
       "",
       true,
       IDOK,
       closedThenLeftToRestart,
       "RmShutdown",
       {jar, kInstall},
       true,
       Manager::Working,
       1,
       false,
       [=](sim::Machine& m) {
         holdingMarker(m, java, sim::Machine::Process::Kind::Service);
         holdingMarker(m, explorer, sim::Machine::Process::Kind::Explorer);
         holdingMarker(m, other, sim::Machine::Process::Kind::Program);
       }},
      {"Vista: another program opening km2.jar while the question is up",
       program,
       "",
       true,
       IDOK,
       closedThenLeftToRestart,
       "RmShutdown",
       {jar, kInstall},
       true,
       Manager::Working,
       1,
       false,
       [=](sim::Machine& m) {
         m.onMessageBox = [=, &m](const sim::MessageBoxRecord& box) {
           if (box.text == kRunningQuestion)
             holdingMarker(m, other, sim::Machine::Process::Kind::Program);
         };
       }},
      {"Vista: Explorer holding a product file",
       explorer,
       program,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), leftToRestart},
       "",
       {program, kInstall + std::string("\\bin"), kInstall},
       true},
      {"Vista with one that names nothing (Wine's): asked as before",
       program,
       "",
       true,
       IDOK,
       {kRunningQuestion, kSuccess},
       "WM_CLOSE",
       {},
       true,
       Manager::Idle},
      {"product program holding a pupil's file",
       program,
       kInstall + std::string("\\Students\\bob.txt"),
       true,
       IDOK,
       {kRunningQuestion, kSuccess},
       "WM_CLOSE",
       {}},
      {"Cancel at the question", program, "", true, IDCANCEL, {kRunningQuestion}, "", {}},
      {"another program holding a product file",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), leftToRestart},
       "",
       {jar, kInstall}},
      {"the same, a link beside it that is followed when opened as itself (Wine's)",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), leftToRestart},
       "",
       {jar, kInstall + std::string("\\Teacher"), kInstall},
       false,
       Manager::Working,
       1,
       false,
       [teacher](sim::Machine& m) {
         m.AddSymbolicLink(kInstall + std::string("\\Teacher"), teacher, true);
         m.LinksAsWine8();
       }},
      {"the same, and a registry value left",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall),
        kReportHeader +
            std::string("Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, "
                        "InstallPath\n\nWindows will remove these when the computer restarts:\n"
                        "Folder: ") +
            kInstall + "\n"},
       "",
       {jar, kInstall}},
      {"no administrator",
       other,
       jar,
       false,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {}},
      // A pupil who opened their folder before any lock could still rename it.
      {"a pupil's folder left: reported",
       other,
       list,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {}},
      {"a folder that cannot be made administrators' only",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {},
       false,
       Manager::Working,
       1,
       false,
       [](sim::Machine& m) { m.Fail(Op::SetFileSecurity, kInstall, ERROR_ACCESS_DENIED); }},
      {"a pupil's folder made a mount point to a teacher's profile as it is first reached",
       other,
       list,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {},
       false,
       Manager::Working,
       1,
       false,
       madeMountPointAt(mine)},
      {"the same, made as the folder above it is first reached",
       other,
       list,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {},
       false,
       Manager::Working,
       1,
       false,
       madeMountPointAt(classes)},
      {"on a network drive",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {},
       false,
       Manager::Working,
       1,
       false,
       [](sim::Machine& m) { m.SetDrive("C:", DRIVE_REMOTE, "\\Device\\LanmanRedirector"); }},
      {"on a drive given by SUBST",
       other,
       jar,
       true,
       IDOK,
       {"Could not delete: " + std::string(kInstall), reported},
       "",
       {},
       false,
       Manager::Working,
       1,
       false,
       [](sim::Machine& m) { m.SetDrive("c:", DRIVE_FIXED, "\\??\\D:\\School"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    Prepare();
    sim::Machine& m = sim::machine();
    m.AddFile(list, "pupils of 4b");
    m.LetChange(shared, "pupil");
    m.SetOwner(classes, "pupil");
    m.AddFile(marks, "marks");
    m.SetOwner(teacher, "teacher");
    installed = m.Tree(kInstall);
    sim::Machine::Process process;
    process.image = c.image;
    if (!m.Exists(c.image)) m.AddFile(c.image, "program");
    if (!c.held.empty()) process.holds = {c.held};
    process.session = c.session;
    if (c.vista) m.SetVersion(6, 1);
    m.SetRestartManager(c.manager);
    m.SetSessionUser(2, "alice");
    const DWORD id = m.StartProcess(process);
    if (c.idReused) {
      m.onMessageBox = [&](const sim::MessageBoxRecord& box) {
        if (box.text != kRunningQuestion) return;
        m.ExitProcess(id);
        sim::Machine::Process successor;
        successor.image = other;
        successor.id = id;
        m.StartProcess(successor);
      };
    }
    if (!c.administrator) NotAnAdministrator();
    if (std::string(c.what).find("registry") != std::string::npos)
      m.Fail(sim::Op::RegDeleteValue, kProductKey, ERROR_ACCESS_DENIED);
    if (c.arrange) c.arrange(m);
    PlayCopies();
    m.QueueMessageBoxAnswer(IDOK);
    m.QueueMessageBoxAnswer(c.answer);
    OpenDialog();

    dialog->OnOK();

    ExpectMessages(c.messages);
    EXPECT_EQ(m.Processes()[0].endedBy, c.endedBy);
    for (size_t i = 1; i < m.Processes().size(); ++i) EXPECT_TRUE(m.Processes()[i].running);
    EXPECT_TRUE(m.Exists(other));
    EXPECT_EQ(m.PendingDeletes(), c.pending);
    // Nothing left to the restart lies where a pupil may still put a link.
    for (const std::string& path : c.pending) EXPECT_FALSE(m.MayChange("pupil", path)) << path;
    EXPECT_FALSE(m.faultHook) << "the pupil never came";
    // Nothing outside the product changed hands.
    EXPECT_TRUE(m.MayChange("teacher", teacher));
    EXPECT_TRUE(m.MayChange("teacher", teacher + "\\Documents"));
    EXPECT_EQ(m.OpenProcessHandles(), 0);
    ExpectOtherProgramsSurvive();
    if (c.answer == IDCANCEL) {
      ExpectProductUntouched();
      continue;
    }
    EXPECT_EQ(SavedData(kSaved), kStudents);
    m.Restart();
    EXPECT_EQ(m.ReadFile(marks), "marks");
    EXPECT_EQ(m.Exists(kInstall), c.messages.back() == reported);
    EXPECT_TRUE(m.Exists(other));
  }
}
