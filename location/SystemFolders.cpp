#include "location/SystemFolders.h"

#include "location/NewerWindowsCalls.h"
#include "location/PathText.h"
#include "removal/ProductTraces.h"

namespace {

// The shell folders of the machine and of the user. Under WOW64 the first
// two name the 32-bit view.
const int kShellFolders[] = {
    CSIDL_PROGRAM_FILES,
    CSIDL_PROGRAM_FILES_COMMON,
    CSIDL_COMMON_APPDATA,
    CSIDL_COMMON_DOCUMENTS,
    CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_DESKTOPDIRECTORY,
    CSIDL_COMMON_STARTMENU,
    CSIDL_STARTMENU,
    CSIDL_COMMON_PROGRAMS,
    CSIDL_PROGRAMS,
    CSIDL_COMMON_STARTUP,
    CSIDL_STARTUP,
    CSIDL_PROFILE,
    CSIDL_PERSONAL,
    CSIDL_MYPICTURES,
    CSIDL_MYMUSIC,
    CSIDL_MYVIDEO,
    CSIDL_APPDATA,
    CSIDL_LOCAL_APPDATA,
    CSIDL_FAVORITES,
    CSIDL_TEMPLATES,
    CSIDL_FONTS,
};
// Asked only of 64-bit Windows: on 32-bit Windows they name the same folders
// as the first two, or are not supported.
const int kX86ShellFolders[] = {CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMONX86};

const char* const k64BitProgramFolders[] = {"ProgramW6432", "CommonProgramW6432"};

// A length from a call that fills a MAX_PATH buffer: 0 is a failure, and a
// larger one a folder that did not fit.
bool Fits(DWORD length) { return length > 0 && length < MAX_PATH; }

// The search for the needed folders, which looks nothing more up once the
// sink has had enough (`done`). Each step is false when the system could not
// name a folder.
class CFolderSearch {
 public:
  explicit CFolderSearch(CNeededFolderSink& sink) : done(false), m_sink(sink) {}

  void Give(const CString& folder, bool profile = false) {
    if (!done) done = m_sink.Take(folder, profile);
  }

  // The 32-bit system folder and the 64-bit Program Files of 64-bit Windows;
  // nothing on 32-bit Windows. `windows64` tells which it is.
  bool AddWow64Folders(bool& windows64) {
    char buffer[MAX_PATH];
    UINT length = SystemWow64Directory(buffer, MAX_PATH);
    windows64 = length != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
    if (!windows64) return true;
    if (!Fits(length)) return false;
    Give(buffer);
    // The 64-bit Program Files and its Common Files, which the shell does not
    // name to a 32-bit program. Windows XP and Server 2003 x64 do not set the
    // variables; their 64-bit folder is the fixed one.
    for (int i = 0; !done && i < 2; ++i) {
      length = GetEnvironmentVariableA(k64BitProgramFolders[i], buffer, MAX_PATH);
      if (Fits(length)) {
        Give(buffer);
      } else if (length != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND) {
        return false;
      }
    }
    return true;
  }

  bool AddShellFolder(int csidl) {
    char buffer[MAX_PATH];
    // Not verified: a folder that is not made yet is still the system's.
    HRESULT result = FolderPath(csidl | CSIDL_FLAG_DONT_VERIFY, buffer);
    if (result == E_INVALIDARG) return true;  // a folder this Windows does not have
    if (result != S_OK || buffer[0] == '\0') return false;
    Give(buffer, csidl == CSIDL_PROFILE);
    if (csidl == CSIDL_PROGRAM_FILES) Give(JoinedPath(buffer, kInstallerCachesParent));
    return true;
  }

  bool done;

 private:
  CNeededFolderSink& m_sink;
};

}  // namespace

bool FindWindowsFolder(CString& windows) {
  char buffer[MAX_PATH];
  if (!Fits(GetWindowsDirectoryA(buffer, MAX_PATH))) return false;
  windows = buffer;
  return true;
}

bool FindSystemFolders(CNeededFolderSink& sink) {
  CFolderSearch search(sink);
  // Named by the removal itself, so needed whatever the system reports; and
  // known without asking.
  search.Give(kFixedProgramFiles);
  search.Give(JoinedPath(kFixedProgramFiles, kInstallerCachesParent));
  char buffer[MAX_PATH];
  if (!search.done) {
    if (!Fits(GetSystemDirectoryA(buffer, MAX_PATH))) return false;
    search.Give(buffer);
  }
  if (!search.done) {
    if (!Fits(GetTempPathA(MAX_PATH, buffer))) return false;
    search.Give(buffer);
  }
  bool windows64 = false;
  if (!search.done && !search.AddWow64Folders(windows64)) return false;
  for (int i = 0; !search.done && i < (int)(sizeof kShellFolders / sizeof *kShellFolders); ++i) {
    if (!search.AddShellFolder(kShellFolders[i])) return false;
  }
  for (int i = 0; windows64 && !search.done && i < 2; ++i) {
    if (!search.AddShellFolder(kX86ShellFolders[i])) return false;
  }
  return true;
}
