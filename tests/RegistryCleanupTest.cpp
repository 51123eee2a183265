#include <functional>
#include <string>
#include <vector>

#include "RemovalFixture.h"
#include "app/RemovalLog.h"

namespace {

using namespace removal_paths;

const char kKeyEntry[] = "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora";
const char kValueEntry[] =
    "Registry Value: HKEY_LOCAL_MACHINE\\Software\\Dravenhall\\Kelmora, InstallPath";
const char kUninstallEntry[] =
    "Registry Key: HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kStep6[] = "Step 6 of 6: Removing registry information...";

std::string Under(const std::string& key, const std::string& name) { return key + "\\" + name; }

void AddProductKey(sim::Machine& m) {
  m.SetValue(kProductKey, "InstallPath", kInstall);
  m.SetValue(kProductKey, "Version", "2.0");
  m.AddKey(Under(kProductKey, "Licence"));
  m.AddKey(Under(kProductKey, "Settings"));
}

struct Case {
  const char* what;
  std::function<void(sim::Machine&)> arrange;  // none: no product key at all
  std::vector<std::string> entries;
  std::vector<std::string> productSubKeys;  // left afterwards
  bool installPathLeft;
  bool entry1Left;
  bool entry2Left;
};

class RegistryCleanupTest : public RemovalTest {
 protected:
  // Both uninstall entries, the first three levels deep, and other programs'.
  void AddUninstallEntries() {
    sim::Machine& m = sim::machine();
    m.AddKey(Under(entry1, "Sub\\Deeper\\Deepest"));
    m.AddKey(Under(entry1, "Sub\\Denied\\below"));
    m.AddKey(Under(entry1, "Sub\\Later"));
    m.SetValue(entry1, "DisplayName", "Kelmora");
    m.AddKey(Under(kUninstall, std::string(kEntry2) + "\\Details"));
    AddOtherPrograms();
  }

  const std::string entry1 = Under(kUninstall, kEntry1);
  const std::string entry2 = Under(kUninstall, kEntry2);
};

TEST_F(RegistryCleanupTest, RemovesTheProductsKeysAndReportsWhatStays) {
  using sim::Op;
  const std::string deniedSubKey = Under(entry1, "Sub\\Denied");
  const Case cases[] = {
      {"all removable", AddProductKey, {}, {}, false, false, false},
      {"product key without sub-keys or value",
       [](sim::Machine& m) { m.SetValue(kProductKey, "Version", "2.0"); },
       {},
       {},
       false,
       false,
       false},
      {"no product key", nullptr, {}, {}, false, false, false},
      {"sub-keys with sub-keys of their own",
       [](sim::Machine& m) {
         AddProductKey(m);
         m.AddKey(Under(kProductKey, "Nested\\inner"));
         m.AddKey(Under(kProductKey, "Omega\\inner"));
       },
       {kKeyEntry + std::string("\\Nested"), kKeyEntry + std::string("\\Omega")},
       {"Nested", "Omega"},
       false,
       false,
       false},
      {"value not deleted",
       [](sim::Machine& m) {
         AddProductKey(m);
         m.Fail(Op::RegDeleteValue, kProductKey, ERROR_ACCESS_DENIED);
       },
       {kValueEntry},
       {},
       true,
       false,
       false},
      {"product key not listable",
       [](sim::Machine& m) {
         AddProductKey(m);
         m.Fail(Op::RegEnumKey, kProductKey, ERROR_ACCESS_DENIED);
       },
       {kKeyEntry},
       {"Licence", "Settings"},
       false,
       false,
       false},
      {"product key not openable",
       [](sim::Machine& m) {
         AddProductKey(m);
         m.DenyKey(kProductKey);
       },
       {kKeyEntry},
       {"Licence", "Settings"},
       true,
       false,
       false},
      {"uninstall entry's sub-key not openable",
       [deniedSubKey](sim::Machine& m) {
         AddProductKey(m);
         m.DenyKey(deniedSubKey);
       },
       {kUninstallEntry + std::string(kEntry1)},
       {},
       false,
       true,
       false},
      {"names the code page cannot spell",
       [this](sim::Machine& m) {
         AddProductKey(m);
         m.AddKey(Under(kProductKey, "Ωmega"));
         m.AddKey(Under(entry1, "Sub\\Ωmega\\学生"));
       },
       {},
       {},
       false,
       false,
       false},
      {"sub-keys listed but not found",
       [this](sim::Machine& m) {
         AddProductKey(m);
         m.Fail(Op::RegDeleteKey, Under(kProductKey, "Settings"), ERROR_FILE_NOT_FOUND);
         m.Fail(Op::RegOpenKey, Under(entry1, "Sub\\Later"), ERROR_FILE_NOT_FOUND);
       },
       {kKeyEntry + std::string("\\Settings"), kUninstallEntry + std::string(kEntry1)},
       {"Settings"},
       false,
       true,
       false},
      {"Uninstall key not openable",
       [](sim::Machine& m) {
         AddProductKey(m);
         m.DenyKey(kUninstall);
       },
       {kUninstallEntry + std::string(kEntry1), kUninstallEntry + std::string(kEntry2)},
       {},
       false,
       true,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FreshMachine();
    sim::Machine& m = sim::machine();
    AddUninstallEntries();
    if (c.arrange) c.arrange(m);
    OpenDialog();
    OpenProgress();
    {
      CRegistryKey key;

      dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

      EXPECT_EQ(Failures(), c.entries);
      EXPECT_EQ(m.OpenKeys(), key.m_key ? 1 : 0);
    }
    EXPECT_EQ(m.OpenKeys(), 0);
    EXPECT_EQ(
        Events("SetWindowText 1004 "),
        (std::vector<std::string>{"Step 1 of 6: Copying student data to desktop...", kStep6}));
    ASSERT_EQ(m.KeyExists(kProductKey), c.arrange != nullptr);
    if (c.arrange) {
      EXPECT_EQ(m.SubKeys(kProductKey), c.productSubKeys);
      EXPECT_TRUE(m.ValueExists(kProductKey, "Version"));
      EXPECT_EQ(m.ValueExists(kProductKey, "InstallPath"), c.installPathLeft);
    }
    EXPECT_EQ(m.KeyExists(entry1), c.entry1Left);
    EXPECT_EQ(m.KeyExists(entry2), c.entry2Left);
    ExpectOtherProgramsSurvive();
  }
}

TEST_F(RegistryCleanupTest, TreeDeleteStopsAtTheSubKeyThatCannotBeOpened) {
  sim::Machine& m = sim::machine();
  AddUninstallEntries();
  m.DenyKey(Under(entry1, "Sub\\Denied"));
  OpenDialog();
  OpenProgress();
  CRegistryKey key;

  dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

  EXPECT_EQ(Failures(), (std::vector<std::string>{kUninstallEntry + std::string(kEntry1)}));
  // Deleted before the failure: "Deeper"; the failure and what follows stay.
  EXPECT_EQ(m.SubKeys(Under(entry1, "Sub")), (std::vector<std::string>{"Denied", "Later"}));
  EXPECT_TRUE(m.KeyExists(Under(entry1, "Sub\\Denied\\below")));
  EXPECT_TRUE(m.ValueExists(entry1, "DisplayName"));
  EXPECT_FALSE(m.KeyExists(entry2));
}

// The key held before failing to close says nothing of the entry: it is
// removed all the same, and a missing one is not reported.
TEST_F(RegistryCleanupTest, FailedCloseBeforeAnUninstallEntryDoesNotKeepIt) {
  for (bool entryPresent : {true, false}) {
    SCOPED_TRACE(entryPresent ? "entry present" : "entry missing");
    FreshMachine();
    sim::Machine& m = sim::machine();
    if (entryPresent) {
      AddUninstallEntries();
    } else {
      m.AddKey(Under(kUninstall, std::string(kEntry2) + "\\Details"));
      AddOtherPrograms();
    }
    AddProductKey(m);
    m.AddKey(std::string(kUninstall) + "\\{OTHER-PRODUCT}");
    OpenDialog();
    OpenProgress();
    m.Fail(sim::Op::RegCloseKey, kProductKey, ERROR_INVALID_HANDLE, 1);
    CRegistryKey key;

    dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

    EXPECT_TRUE(Failures().empty());
    EXPECT_FALSE(m.KeyExists(entry1));
    EXPECT_FALSE(m.KeyExists(entry2));
    EXPECT_TRUE(m.KeyExists(std::string(kUninstall) + "\\{OTHER-PRODUCT}"));
    EXPECT_TRUE(m.SubKeys(kProductKey).empty());
  }
}

// A backup that cannot be written whole (the disk fills up half way) keeps
// step 6's entries unattended, reported with the reason; the dialog asks, and
// only OK removes them.
TEST_F(RegistryCleanupTest, BackupNotWrittenKeepsTheEntriesUnlessTheUserSaysRemove) {
  const std::string file =
      kUserDesktop + std::string("\\Kelmora registry backup 2026-12-08 090507.reg");
  for (int answer : {0, IDCANCEL, IDOK}) {
    SCOPED_TRACE(answer);
    FreshMachine();
    sim::Machine& m = sim::machine();
    AddUninstallEntries();
    AddProductKey(m);
    OpenDialog();
    // The dialog logs too; only unattended (0) is nobody asked.
    CRemovalLog log;
    log.Open("C:\\k.log");
    dialog->m_log = &log;
    dialog->m_quiet = answer == 0;
    if (answer) m.QueueMessageBoxAnswer(answer);
    m.Fail(sim::Op::WriteFile, file, ERROR_DISK_FULL, 1);
    CRegistryKey key;

    dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

    dialog->m_log = NULL;
    EXPECT_FALSE(m.Exists(file));
    EXPECT_EQ(std::string(dialog->m_registryBackup), "");
    EXPECT_EQ(m.messageBoxes.size(), answer ? 1u : 0u);
    EXPECT_EQ(m.KeyExists(entry1), answer != IDOK);
    EXPECT_EQ(m.ValueExists(kProductKey, "InstallPath"), answer != IDOK);
    if (answer == IDOK) {
      EXPECT_TRUE(Failures().empty());
      continue;
    }
    EXPECT_EQ(Failures(),
              (std::vector<std::string>{
                  "Registry backup could not be written: " + file + " (error 112)", kValueEntry,
                  kKeyEntry + std::string("\\Licence"), kKeyEntry + std::string("\\Settings"),
                  kUninstallEntry + std::string(kEntry1), kUninstallEntry + std::string(kEntry2)}));
    EXPECT_EQ(m.SubKeys(kProductKey), (std::vector<std::string>{"Licence", "Settings"}));
    EXPECT_TRUE(m.KeyExists(entry2));
  }
}

// The dialog's backup goes on the desktop only where no pupil may change it
// (a desktop redirected to a folder the class shares): else to
// %WINDIR%\Logs, named there in the final message. Either way it is for
// administrators alone.
TEST_F(RegistryCleanupTest, BackupGoesOnlyWhereNoPupilMayChangeTheFolder) {
  const std::string name = "\\Kelmora registry backup 2026-12-08 090507.reg";
  for (bool pupils : {false, true}) {
    SCOPED_TRACE(pupils);
    FreshMachine();
    sim::Machine& m = sim::machine();
    AddUninstallEntries();
    AddProductKey(m);
    if (pupils) m.LetChange(kUserDesktop, "pupil");
    OpenDialog();
    CRegistryKey key;

    dialog->RemoveRegistryEntries(key, CWidePath(kUserDesktop));

    const std::string file = (pupils ? "C:\\WINDOWS\\Logs" : kUserDesktop) + name;
    EXPECT_EQ(std::string(dialog->m_registryBackup), file);
    EXPECT_FALSE(m.MayRead("pupil", file));
    EXPECT_EQ(m.Exists(kUserDesktop + name), !pupils);
    EXPECT_TRUE(Failures().empty());
  }
}

}  // namespace
