// The floor of a whole removal: the platform calls that do RemoveKM's work,
// made bare, with no window and no checks. With --save the student data is
// first copied to the desktop file by file. Prints the times in milliseconds:
// of the copy, of the install folder's delete alone, and of everything.
//
// Two options add one circumstance of the program at a time, to measure what
// it costs: --windows shows the main dialog and the progress window first and
// then, like the program, dispatches no messages while it works; --owner
// (with --windows) also names the main dialog as the shell operation's window.
//
// Usage: floor-removal [--save] [--windows [--owner]]
#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "BareTree.h"
#include "Stopwatch.h"
#include "removal/ProductTraces.h"
#include "resource.h"

namespace {

const char kInstallFolder[] = "C:\\Program Files\\Kelmora";

std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(NULL, path, csidl, FALSE);
  return path;
}

HWND g_owner = NULL;

INT_PTR CALLBACK QuietProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The program's two windows, shown and painted, as they are when OK is pressed.
HWND ShowProgramWindows() {
  HINSTANCE instance = GetModuleHandleA(NULL);
  HWND main =
      CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_REMOVER_DIALOG), NULL, QuietProc, 0);
  CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_PROGRESS), main, QuietProc, 0);
  MSG message;
  while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  return main;
}

void ShellDelete(const std::string& path) {
  char list[MAX_PATH + 1] = {0};
  strncpy(list, path.c_str(), MAX_PATH - 1);
  SHFILEOPSTRUCTA operation;
  memset(&operation, 0, sizeof operation);
  operation.hwnd = g_owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = list;
  operation.fFlags = FOF_NOERRORUI | FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  SHFileOperationA(&operation);
}

void DeleteShortcuts(const std::string& desktop, const std::string& startMenu) {
  for (const char* name : kDesktopShortcuts) DeleteFileA((desktop + "\\" + name).c_str());
  for (const char* name : kStartMenuShortcuts) DeleteFileA((startMenu + "\\" + name).c_str());
  ShellDelete(startMenu + "\\Programs\\Kelmora");
}

void DeleteKeyTree(HKEY parent, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(parent, name, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  char subKey[256];
  DWORD length = sizeof subKey;
  while (RegEnumKeyExA(key, 0, subKey, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
    DeleteKeyTree(key, subKey);
    length = sizeof subKey;
  }
  RegCloseKey(key);
  RegDeleteKeyA(parent, name);
}

void DeleteRegistryEntries() {
  HKEY product;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Dravenhall\\Kelmora", 0, KEY_ALL_ACCESS,
                    &product) == ERROR_SUCCESS) {
    // Plain deletes of the sub-keys, as the program makes them: one that
    // holds keys of its own stays and is passed over.
    char name[1024];
    DWORD index = 0;
    DWORD length = sizeof name;
    while (RegEnumKeyExA(product, index, name, &length, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
      if (RegDeleteKeyA(product, name) != ERROR_SUCCESS) ++index;
      length = sizeof name;
    }
    RegDeleteValueA(product, "InstallPath");
    RegCloseKey(product);
  }
  for (const char* entry : kUninstallEntries) {
    HKEY uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                      0, KEY_ALL_ACCESS, &uninstall) != ERROR_SUCCESS) {
      continue;
    }
    DeleteKeyTree(uninstall, entry);
    RegCloseKey(uninstall);
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool save = false;
  bool windows = false;
  bool owner = false;
  for (int i = 1; i < argc; ++i) {
    if (strcmp(argv[i], "--save") == 0) {
      save = true;
    } else if (strcmp(argv[i], "--windows") == 0) {
      windows = true;
    } else if (strcmp(argv[i], "--owner") == 0 && windows) {
      owner = true;
    } else {
      std::fprintf(stderr, "usage: floor-removal [--save] [--windows [--owner]]\n");
      return 2;
    }
  }
  if (windows) {
    HWND main = ShowProgramWindows();
    if (owner) g_owner = main;
  }
  ElapsedMs();
  const std::string commonDesktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  const std::string userDesktop = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
  const std::string commonStartMenu = SpecialFolder(CSIDL_COMMON_STARTMENU);
  const std::string userStartMenu = SpecialFolder(CSIDL_STARTMENU);

  long copied = 0;
  if (save) {
    const std::string saved = userDesktop + "\\Kelmora Saved Student Data";
    CreateDirectoryA(saved.c_str(), NULL);
    copied = CopyTreeBare(std::string(kInstallFolder) + "\\Students", saved);
  }
  const double copyMs = ElapsedMs();
  for (const char* folder : kInstallerCacheFolders) {
    ShellDelete(std::string(kFixedProgramFiles) + "\\" + folder);
  }
  const double installStart = ElapsedMs();
  ShellDelete(kInstallFolder);
  const double installMs = ElapsedMs() - installStart;
  DeleteShortcuts(commonDesktop, commonStartMenu);
  DeleteShortcuts(userDesktop, userStartMenu);
  DeleteRegistryEntries();
  const double totalMs = ElapsedMs();
  std::printf("floor-removal save=%d copied=%ld copy_ms=%.1f install_ms=%.1f total_ms=%.1f\n",
              save ? 1 : 0, copied, copyMs, installMs, totalMs);
  return 0;
}
