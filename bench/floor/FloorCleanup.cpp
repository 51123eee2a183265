// The floor of RemoveKM's clean-up after a failed student-data copy: the
// Students folder is copied to the desktop file by file, then the copy is
// deleted with a bare loop (FindFirstFileA, DeleteFileA, RemoveDirectoryA).
// Each option adds one piece of the program's per-file work to the loop, so
// that its cost can be measured on its own:
//   --attrs         clear the file's attributes first, the way the program
//                   does: when the listing shows read-only, hidden or system,
//                   open it for reading, read the status, close, write it back
//   --item          put the file's path on the item line of the progress
//                   window
//   --repaint       repaint the progress window now (RDW_INVALIDATE |
//                   RDW_ERASE | RDW_UPDATENOW)
// and two options measure other ways:
//   --attrs-every   clear every file's attributes that way, whatever the
//                   listing shows (what the program did before)
//   --throttle MS   show the item and repaint only when MS milliseconds have
//                   passed since the last time
// Prints the copy and delete times in milliseconds.
//
// Usage: floor-cleanup [--attrs | --attrs-every] [--item] [--repaint]
//                      [--throttle MS]
#include <windows.h>
// after windows.h, which it needs
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BareTree.h"
#include "Stopwatch.h"
#include "resource.h"

namespace {

const DWORD kBlockingAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool g_clearAttributes = false;
bool g_clearEveryFile = false;
bool g_showItem = false;
bool g_repaint = false;
DWORD g_throttleMs = 0;
DWORD g_lastShown = 0;
HWND g_progress = NULL;

INT_PTR CALLBACK ProgressProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

void ClearAttributes(const std::string& path) {
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  GetFileSize(file, NULL);
  CloseHandle(file);
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  const DWORD current = GetFileAttributesA(path.c_str());
  if (current != INVALID_FILE_ATTRIBUTES && (current & 0xFF) != 0) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

bool ShowingNow() {
  if (g_throttleMs == 0) return true;
  const DWORD now = GetTickCount();
  if (now - g_lastShown < g_throttleMs) return false;
  g_lastShown = now;
  return true;
}

void BeforeDelete(const std::string& path, DWORD attributes) {
  if (g_clearEveryFile || (g_clearAttributes && (attributes & kBlockingAttributes) != 0)) {
    ClearAttributes(path);
  }
  if (!ShowingNow()) return;
  if (g_showItem) SetDlgItemTextA(g_progress, IDC_ITEM, path.c_str());
  if (g_repaint) RedrawWindow(g_progress, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--attrs") {
      g_clearAttributes = true;
    } else if (option == "--attrs-every") {
      g_clearEveryFile = true;
    } else if (option == "--item") {
      g_showItem = true;
    } else if (option == "--repaint") {
      g_repaint = true;
    } else if (option == "--throttle" && i + 1 < argc && atoi(argv[i + 1]) > 0) {
      g_throttleMs = static_cast<DWORD>(atoi(argv[++i]));
    } else {
      std::fprintf(stderr,
                   "usage: floor-cleanup [--attrs | --attrs-every] [--item] [--repaint] "
                   "[--throttle MS]\n");
      return 2;
    }
  }
  if (g_showItem || g_repaint) {
    g_progress = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_PROGRESS), NULL,
                                    ProgressProc, 0);
    if (!g_progress) {
      std::fprintf(stderr, "floor-cleanup: no progress window (error %lu)\n", GetLastError());
      return 1;
    }
    SetDlgItemTextA(g_progress, IDC_STEP, "Step 1 of 6: Copying student data to desktop...");
    RedrawWindow(g_progress, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }

  char desktop[MAX_PATH] = "";
  SHGetSpecialFolderPathA(NULL, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
  const std::string saved = std::string(desktop) + "\\Kelmora Saved Student Data";
  ElapsedMs();
  CreateDirectoryA(saved.c_str(), NULL);
  const long copied = CopyTreeBare("C:\\Program Files\\Kelmora\\Students", saved);
  const double copyMs = ElapsedMs();
  const long deleted = DeleteTreeBare(saved, BeforeDelete);
  const double deleteMs = ElapsedMs() - copyMs;
  std::printf("floor-cleanup copied=%ld deleted=%ld copy_ms=%.1f delete_ms=%.1f\n", copied, deleted,
              copyMs, deleteMs);
  if (g_progress) DestroyWindow(g_progress);
  return 0;
}
