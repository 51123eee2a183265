#include "RemovalFixture.h"

#include "app/RemoverApp.h"

using namespace removal_paths;

void RemovalTest::InstallProduct(bool withStudents) {
  sim::Machine& m = sim::machine();
  const std::string install = kInstall;
  m.AddFile(install + "\\km2.jar", "jar");
  m.AddFile(install + "\\bin\\kelmora.exe", "exe");
  if (withStudents) {
    m.AddFile(install + "\\Students\\alice\\work.txt", "alice's work");
    m.AddFile(install + "\\Students\\bob.txt", "bob's work");
  }
  for (const char* entry : {kEntry1, kEntry2}) {
    m.AddFile(kCacheParent + std::string(entry) + "\\setup.ini", "ini");
    m.AddKey(kUninstall + std::string("\\") + entry + "\\Details");
  }
  m.AddFile(kCommonDesktop + std::string("\\Kelmora.lnk"));
  m.AddFile(kUserDesktop + std::string("\\Kelmora Vessik.lnk"));
  m.AddFile(kCommonStartMenu + std::string("\\Programs\\Kelmora\\Kelmora.lnk"));
  m.AddFile(kUserStartMenu + std::string("\\Programs\\Kelmora Vessik\\Uninstall.lnk"));
  m.SetValue(kProductKey, "InstallPath", install);
  m.SetValue(kProductKey, "Version", "2.0");
  m.AddKey(kProductKey + std::string("\\Settings"));
}

void RemovalTest::AddOtherPrograms() {
  sim::Machine& m = sim::machine();
  m.AddFile("C:\\Program Files\\Other\\other.exe", "other");
  m.AddFile(kCacheParent + std::string("{00000000-OTHER}\\setup.ini"));
  m.AddFile(kCommonDesktop + std::string("\\Other.lnk"));
  m.AddFile(kUserStartMenu + std::string("\\Programs\\Other\\Other.lnk"));
  m.SetValue("HKLM\\SOFTWARE\\Dravenhall\\Other", "InstallPath", "C:\\Program Files\\Other");
  m.AddKey(kUninstall + std::string("\\{00000000-OTHER}\\Details"));
}

void RemovalTest::ExpectOtherProgramsSurvive() const {
  const sim::Machine& m = sim::machine();
  EXPECT_EQ(m.ReadFile("C:\\Program Files\\Other\\other.exe"), "other");
  EXPECT_TRUE(m.Exists(kCacheParent + std::string("{00000000-OTHER}\\setup.ini")));
  EXPECT_TRUE(m.Exists(kCommonDesktop + std::string("\\Other.lnk")));
  EXPECT_TRUE(m.Exists(kUserStartMenu + std::string("\\Programs\\Other\\Other.lnk")));
  EXPECT_TRUE(m.ValueExists("HKLM\\SOFTWARE\\Dravenhall\\Other", "InstallPath"));
  EXPECT_TRUE(m.KeyExists(kUninstall + std::string("\\{00000000-OTHER}\\Details")));
}

void RemovalTest::NotAnAdministrator() { sim::machine().DenyKey(kSessionManager); }

void RemovalTest::Undeletable(const std::string& folder) {
  sim::machine().Fail(sim::Op::ShellDelete, folder, ERROR_SHARING_VIOLATION);
  sim::machine().Fail(sim::Op::RemoveDirectory, folder, ERROR_SHARING_VIOLATION);
}

void RemovalTest::OpenProgress(const char* stepText) {
  dialog->m_progress.SetStepText(stepText);
  ASSERT_TRUE(dialog->m_progress.Create(IDD_PROGRESS, NULL));
}

std::vector<std::string> RemovalTest::Failures() const {
  std::vector<std::string> entries;
  for (int i = 0; i < dialog->m_failures.GetSize(); ++i)
    entries.push_back(std::string(dialog->m_failures[i]));
  return entries;
}

std::vector<std::string> RemovalTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const sim::MessageBoxRecord& box : sim::machine().messageBoxes) texts.push_back(box.text);
  return texts;
}

std::vector<std::string> RemovalTest::Events(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& event : sim::machine().events)
    if (event.compare(0, prefix.size(), prefix) == 0) found.push_back(event.substr(prefix.size()));
  return found;
}

void RemovalTest::PlayCopies() {
  sim::machine().runStarted = [](const sim::Machine::Process& copy) {
    // Another process: the removal's main window is not its own.
    CWnd* main = theApp.m_pMainWnd;
    theApp.m_pMainWnd = NULL;
    sim::machine().SetCommandLine(copy.commandLine);
    theApp.InitInstance();
    theApp.m_pMainWnd = main;
    return static_cast<DWORD>(theApp.ExitInstance());
  };
}
