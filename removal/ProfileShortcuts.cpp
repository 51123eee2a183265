#include "app/RemoverDlg.h"
#include "removal/FolderListing.h"
#include "removal/PathBelow.h"
#include "removal/SpecialFolder.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const char kProfilesValue[] = "ProfilesDirectory";
const char kNoProfiles[] =
    "The folder of the user profiles cannot be found: only the shortcuts of All Users and of "
    "this account were removed.";

// The folder that holds every user's profile, as the system records it
// ("%SystemDrive%\Users"); else the one that holds `ownProfile` (Windows NT 4
// records none); "" when neither is known.
CString ProfilesFolder(const CString& ownProfile) {
  HKEY key;
  char value[MAX_PATH + 1] = "";
  DWORD size = MAX_PATH;
  LONG read = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &key);
  if (read == ERROR_SUCCESS) {
    read = RegQueryValueExA(key, kProfilesValue, NULL, NULL, (LPBYTE)value, &size);
    RegCloseKey(key);
  }
  char expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsA(value, expanded, MAX_PATH);
  if (read == ERROR_SUCCESS && length > 0 && length <= MAX_PATH) return expanded;
  const int separator = ownProfile.ReverseFind('\\');
  return separator > 0 ? ownProfile.Left(separator) : CString("");
}

bool IsLink(const CString& path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// `profile` + "\" + `part`, or "" when a folder on the way from the profile
// is a junction or symbolic link: what lies behind one is not the profile's.
CString InsideProfile(const CString& profile, const CString& part) {
  CString path = profile;
  CString name;
  for (int i = 0; i <= part.GetLength(); ++i) {
    if (i < part.GetLength() && part[i] != '\\') {
      name += part[i];
      continue;
    }
    path += "\\" + name;
    name = "";
    if (IsLink(path)) return "";
  }
  return path;
}

}  // namespace

void CRemoverDlg::RemoveShortcutsOfEveryProfile(const CString& userDesktop,
                                                const CString& userStartMenu) {
  // Where the desktop and Start Menu lie in a profile: as in this account's.
  const CString ownProfile = SpecialFolder(CSIDL_PROFILE);
  const CString profiles = ProfilesFolder(ownProfile);
  if (profiles.IsEmpty()) {
    AskUser(kNoProfiles, NULL, MB_OK);
    return;
  }
  // Profiles that cannot all be looked through may keep the product's
  // shortcuts: the folder is reported.
  CString desktopPart, startMenuPart;
  CWidePath profilesPath;
  CFolderListing listing;
  if (!PathBelow(userDesktop, ownProfile, desktopPart) ||
      !PathBelow(userStartMenu, ownProfile, startMenuPart) || !profilesPath.Set(profiles) ||
      !listing.Open(profilesPath)) {
    m_failures.Add("Folder: " + profiles);
    return;
  }
  bool allNamed = true;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    // "All Users", "Default User" and the like are links on newer Windows.
    if (!IsFolder(entry) || IsLink(entry)) continue;
    // A profile the code page cannot name cannot be looked through.
    CString name;
    if (!ToAnsi(entry.cFileName, name)) {
      allNamed = false;
      continue;
    }
    const CString profile = profiles + "\\" + name;
    CString same;
    if (PathBelow(profile, ownProfile, same) && same.IsEmpty()) continue;  // done already
    RemoveShortcuts(InsideProfile(profile, desktopPart), InsideProfile(profile, startMenuPart));
  }
  if (!listing.Complete() || !allNamed) m_failures.Add("Folder: " + profiles);
}
