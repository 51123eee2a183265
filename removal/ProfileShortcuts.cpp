#include "removal/ProfileShortcuts.h"

#include "app/RemoverDlg.h"
#include "removal/SpecialFolder.h"
#include "removal/paths/FolderListing.h"
#include "removal/paths/LinkAt.h"
#include "removal/paths/PathBelow.h"

namespace {

const char kProfileList[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
const WCHAR kProfilesValue[] = L"ProfilesDirectory";
const char kNoProfiles[] =
    "The folder of the user profiles cannot be found: only the shortcuts of All Users and of "
    "this account were removed.";

// The folder that holds every user's profile, as the system records it
// ("%SystemDrive%\Users"); else the one that holds `ownProfile` (Windows NT 4
// records none); "" when neither is known. Read wide: its name may hold
// letters the code page cannot spell.
CWidePath ProfilesFolder(const CWidePath& ownProfile) {
  HKEY key;
  WCHAR value[MAX_PATH + 1] = {0};
  DWORD size = MAX_PATH * sizeof(WCHAR);
  LONG read = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProfileList, 0, KEY_READ, &key);
  if (read == ERROR_SUCCESS) {
    read = RegQueryValueExW(key, kProfilesValue, NULL, NULL, (LPBYTE)value, &size);
    RegCloseKey(key);
  }
  WCHAR expanded[MAX_PATH];
  const DWORD length = ExpandEnvironmentStringsW(value, expanded, MAX_PATH);
  if (read == ERROR_SUCCESS && length > 0 && length <= MAX_PATH) return CWidePath(expanded);
  return ownProfile.Parent();
}

// `profile` + "\" + `part`, or "" when a folder on the way from the profile
// is a junction or symbolic link: what lies behind one is not the profile's.
CWidePath InsideProfile(const CWidePath& profile, const CWidePath& part) {
  CWidePath path = profile;
  int start = 0;
  for (int i = 0; i <= part.GetLength(); ++i) {
    if (i < part.GetLength() && part[i] != L'\\') continue;
    path.Append(L"\\", 1).Append(part.Text() + start, i - start);
    start = i + 1;
    if (IsLinkAt(path)) return CWidePath();
  }
  return path;
}

}  // namespace

bool OtherProfiles(const CWidePath& userDesktop, const CWidePath& userStartMenu,
                   CWidePath& profiles, CStringArray& places) {
  // Where the desktop and Start Menu lie in a profile: as in this account's.
  const CWidePath ownProfile = ShellFolder(CSIDL_PROFILE);
  profiles = ProfilesFolder(ownProfile);
  CWidePath desktopPart, startMenuPart;
  CFolderListing listing;
  if (profiles.IsEmpty() || !PathBelow(userDesktop, ownProfile, desktopPart) ||
      !PathBelow(userStartMenu, ownProfile, startMenuPart) || !listing.Open(profiles))
    return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    // "All Users", "Default User" and the like are links on newer Windows.
    if (!IsFolder(entry) || IsLink(entry)) continue;
    CWidePath profile, same;
    if (!profile.Join(profiles, entry.cFileName)) continue;
    if (PathBelow(profile, ownProfile, same) && same.IsEmpty()) continue;  // this account's
    places.Add(profile.Utf8());
    places.Add(InsideProfile(profile, desktopPart).Utf8());
    places.Add(InsideProfile(profile, startMenuPart).Utf8());
  }
  return listing.Complete();
}

void CRemoverDlg::RemoveShortcutsOfEveryProfile(const CWidePath& userDesktop,
                                                const CWidePath& userStartMenu) {
  CWidePath profiles;
  CStringArray places;
  const bool whole = OtherProfiles(userDesktop, userStartMenu, profiles, places);
  if (profiles.IsEmpty()) {
    AskUser(kNoProfiles, NULL, MB_OK, kWarning);
    return;
  }
  for (int i = 0; i + 2 < places.GetSize(); i += 3)
    RemoveShortcuts(CWidePath::FromUtf8(places[i + 1]), CWidePath::FromUtf8(places[i + 2]),
                    CWidePath::FromUtf8(places[i]));
  // Profiles that cannot all be looked through may keep the product's
  // shortcuts: the folder is reported.
  if (!whole) m_failures.Add("Folder: " + profiles.Utf8());
}
