// The main dialog on a simulated machine that holds the product's traces
// beside other programs' things, for the tests of the removal.
#pragma once

#include <string>
#include <vector>

#include "MainDialogFixture.h"

namespace removal_paths {

const char kInstall[] = "C:\\Program Files\\Kelmora";
const char kCacheParent[] = "C:\\Program Files\\InstallShield Installation Information\\";
const char kEntry1[] = "{A41C08D7-3B6E-4D52-9F8A-61C0E7B2D594}";
const char kEntry2[] = "{5E2B7C41-9A3D-4F06-8C1E-2D7F4B90A6C3}";
const char kCommonDesktop[] = "C:\\Documents and Settings\\All Users\\Desktop";
const char kUserDesktop[] = "C:\\Documents and Settings\\user1\\Desktop";
const char kCommonStartMenu[] = "C:\\Documents and Settings\\All Users\\Start Menu";
const char kUserStartMenu[] = "C:\\Documents and Settings\\user1\\Start Menu";
const char kSaved[] = "C:\\Documents and Settings\\user1\\Desktop\\Kelmora Saved Student Data";
const char kProductKey[] = "HKLM\\SOFTWARE\\Dravenhall\\Kelmora";
const char kUninstall[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kSessionManager[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

}  // namespace removal_paths

class RemovalTest : public MainDialogTest {
 protected:
  // The product as its installer left it, in its default folder, with the
  // students' data or without.
  void InstallProduct(bool withStudents = true);
  // Things of other programs next to the product's, that must survive.
  void AddOtherPrograms();
  void ExpectOtherProgramsSurvive() const;
  // Windows refuses this account the deletes at restart (no administrator):
  // what stays is reported.
  static void NotAnAdministrator();
  // The folder refuses to go, to the shell and to the program's own delete.
  static void Undeletable(const std::string& folder);
  // Plays each copy of the program that the removal starts in another
  // session: the program run with the copy's command line.
  static void PlayCopies();
  // The progress window, open as the removal opens it.
  void OpenProgress(const char* stepText = "Step 1 of 6: Copying student data to desktop...");

  std::vector<std::string> Failures() const;
  std::vector<std::string> MessageTexts() const;
  // The events that begin with `prefix`, in order, with the prefix cut off.
  std::vector<std::string> Events(const std::string& prefix) const;
};
