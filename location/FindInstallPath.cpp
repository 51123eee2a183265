#include <cstring>

#include "app/RemoverDlg.h"
#include "location/FolderIdentity.h"
#include "location/ProtectedFolders.h"
#include "removal/ProgramFilesPaths.h"
#include "removal/restart/DriveAtBoot.h"
#include "removal/restart/TrustedFolders.h"

namespace {

const char kProductKey[] = "SOFTWARE\\Dravenhall\\Kelmora";
const char kInstallPathValue[] = "InstallPath";
const WCHAR kWideInstallPathValue[] = L"InstallPath";
// The default install folder, relative to a Program Files folder.
const char kDefaultFolder[] = "Kelmora";
const char kMarkerSuffix[] = "\\km2.jar";
const DWORD kValueBufferSize = 1000;  // in characters

bool OnPresentFixedDrive(CWidePath folder) { return folder.Extend() && OnDriveAtBoot(folder); }

bool Exists(const CWidePath& path) {
  return !path.IsEmpty() && GetFileAttributesW(path.Text()) != INVALID_FILE_ATTRIBUTES;
}

// The install folder the installer recorded, whole. Where this Windows lacks
// the wide call, the value comes in the code page's spelling and `converted`
// is true. False when there is no value to take. Data that fills the whole
// buffer has no room left for its end.
bool ReadRecord(HKEY key, CWidePath& recorded, bool& converted) {
  WCHAR wide[kValueBufferSize];
  memset(wide, 0, sizeof wide);
  DWORD size = sizeof wide;
  LONG result = RegQueryValueExW(key, kWideInstallPathValue, NULL, NULL, (LPBYTE)wide, &size);
  converted = result == ERROR_CALL_NOT_IMPLEMENTED;
  if (!converted) {
    if (result != ERROR_SUCCESS || wide[kValueBufferSize - 1] != 0) return false;
    recorded = CWidePath(wide);
    return true;
  }
  char ansi[kValueBufferSize];
  memset(ansi, 0, sizeof ansi);
  size = sizeof ansi;
  if (RegQueryValueExA(key, kInstallPathValue, NULL, NULL, (LPBYTE)ansi, &size) != ERROR_SUCCESS ||
      memchr(ansi, '\0', sizeof ansi) == NULL)
    return false;
  recorded = CWidePath(ansi);
  return true;
}

// Whether `folder` may be taken on a record others may have written: one a
// typed folder could be, which no one but trusted accounts may change (so
// nobody else can have put a km2.jar or a link there).
bool VouchedForByItself(const CWidePath& folder) {
  CWidePath wide = folder;
  return JudgeFolder(folder) == kFolderErasable && wide.Extend() &&
         OnlyTrustedAbove(wide, kMakeRights) &&
         OnlyTrustedMay(wide, kChangeRights | kMakeRights, false);
}

bool SameFolder(const CWidePath& one, const CWidePath& other) {
  FolderIdentity first, second;
  return !other.IsEmpty() && IdentifyFolder(one, first, false) == kIdentityKnown &&
         IdentifyFolder(other, second, false) == kIdentityKnown && first == second;
}

}  // namespace

CWidePath CRemoverDlg::FindInstallPath() {
  CWidePath result;
  m_unreachedFolder = "";
  m_recordDistrusted = false;

  // The installer's record is taken when the path exists, marker or not.
  HKEY key;
  CWidePath distrusted;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    CWidePath recorded, folder;
    bool converted = false;
    // A relative record is placed now, before anything moves the current
    // directory.
    if (ReadRecord(key, recorded, converted) && FullFolderPath(recorded, folder)) {
      if (Exists(folder)) {
        if (!IsProtectedFolder(folder)) {
          if (OnlyTrustedMayKey(key) || VouchedForByItself(folder))
            result = folder;
          else
            distrusted = folder;
        }
      } else if (!folder.IsEmpty() && (converted || !OnPresentFixedDrive(folder))) {
        // The converted name may be a best fit of one that is there; a
        // drive this account has not (a network, SUBST or unplugged one)
        // says nothing of the folder on it.
        m_unreachedFolder = folder.Utf8();
      }
    }
    RegCloseKey(key);
  }

  // The default folder needs its marker: the path alone proves nothing.
  CStringArray defaults;
  if (result.IsEmpty()) ProgramFilesPaths(kDefaultFolder, defaults);
  for (int i = 0; i < defaults.GetSize() && result.IsEmpty(); ++i) {
    const CWidePath folder(defaults[i]);
    if (Exists(folder + kMarkerSuffix) && !IsProtectedFolder(folder)) result = folder;
  }
  // Reported, never removed: a pupil may have pointed the record there;
  // unless its marker in a Program Files folder found it all the same.
  if (!distrusted.IsEmpty() && !SameFolder(distrusted, result)) {
    m_unreachedFolder = distrusted.Utf8();
    m_recordDistrusted = true;
  }
  return result;
}
