#include <cstring>

#include "app/RemoverDlg.h"
#include "location/ProtectedFolders.h"
#include "removal/ProgramFilesPaths.h"

namespace {

const char kProductKey[] = "SOFTWARE\\Dravenhall\\Kelmora";
const char kInstallPathValue[] = "InstallPath";
// The default install folder, relative to a Program Files folder.
const char kDefaultFolder[] = "Kelmora";
const char kMarkerSuffix[] = "\\km2.jar";
const DWORD kValueBufferSize = 1000;

}  // namespace

CString CRemoverDlg::FindInstallPath() {
  CString result;
  char value[kValueBufferSize];
  memset(value, 0, sizeof value);
  DWORD size = kValueBufferSize;
  CFileFind finder;

  // The installer's record is taken when the path exists, marker or not.
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    CString folder;
    // Data that fills the whole buffer has no room left for its end. A
    // relative record is placed now, before anything moves the current
    // directory.
    if (RegQueryValueExA(key, kInstallPathValue, NULL, NULL, (LPBYTE)value, &size) ==
            ERROR_SUCCESS &&
        memchr(value, '\0', sizeof value) != NULL && FullFolderPath(value, folder) &&
        finder.FindFile(folder) && !IsProtectedFolder(folder)) {
      result = folder;
    }
    RegCloseKey(key);
  }

  // The default folder needs its marker: the path alone proves nothing.
  CStringArray defaults;
  if (result == "") ProgramFilesPaths(kDefaultFolder, defaults);
  for (int i = 0; i < defaults.GetSize() && result == ""; ++i) {
    if (finder.FindFile(defaults[i] + kMarkerSuffix) && !IsProtectedFolder(defaults[i])) {
      result = defaults[i];
    }
  }
  return result;
}
