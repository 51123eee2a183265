#include "location/ProtectedFolders.h"

namespace {

// Named by the removal itself, so protected whatever the system reports.
const char* const kFixedFolders[] = {
    "C:\\Program Files",
    "C:\\Program Files\\InstallShield Installation Information",
};

const int kSpecialFolders[] = {
    CSIDL_PROGRAM_FILES,    CSIDL_PROFILE,          CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU, CSIDL_STARTMENU,
};

// A folder as Windows resolves it, in one spelling: "X:" (or "\\" for a
// network path) followed by "\NAME" for each folder below, in upper case.
struct CanonicalFolder {
  CString path;
  bool isRoot;  // a drive, or a network server or share, as a whole
};

bool IsSeparator(char ch) { return ch == '\\' || ch == '/'; }

char UpperCase(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }

bool IsNetworkPath(const CString& path) {
  return path.GetLength() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool HasDrive(const CString& path) { return path.GetLength() >= 2 && path[1] == ':'; }

CString CurrentDirectory() {
  char buffer[MAX_PATH] = "";
  DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? buffer : "";
}

// "X:" of a drive path, "\\server\share" of a network one.
CString RootOf(const CString& path) {
  if (!IsNetworkPath(path)) return path.Left(2);
  int separators = 0;
  for (int i = 0; i < path.GetLength(); ++i) {
    if (IsSeparator(path[i]) && ++separators == 4) return path.Left(i);
  }
  return path;
}

CString Joined(const CString& folder, const CString& name) {
  bool separated = !folder.IsEmpty() && IsSeparator(folder[folder.GetLength() - 1]);
  return separated ? folder + name : folder + "\\" + name;
}

// Windows ignores empty and "." names and trailing dots and blanks on a name,
// and ".." climbs one folder.
void AppendName(CStringArray& names, const CString& name) {
  if (name == "" || name == ".") return;
  if (name == "..") {
    if (names.GetSize() > 0) names.SetSize(names.GetSize() - 1);
    return;
  }
  int length = name.GetLength();
  while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) --length;
  if (length > 0) names.Add(name.Left(length));
}

// `path` must be full (see FullFolderPath).
CanonicalFolder Canonical(const CString& path) {
  bool network = IsNetworkPath(path);
  CanonicalFolder result;
  int start = 0;
  if (network) {
    result.path = "\\\\";
    start = 2;
  } else if (HasDrive(path)) {
    result.path += UpperCase(path[0]);
    result.path += ':';
    start = 2;
  }

  CStringArray names;
  CString name;
  for (int i = start; i <= path.GetLength(); ++i) {
    if (i < path.GetLength() && !IsSeparator(path[i])) {
      name += UpperCase(path[i]);
      continue;
    }
    AppendName(names, name);
    name = "";
  }
  for (int i = 0; i < names.GetSize(); ++i) result.path += "\\" + names[i];
  result.isRoot = names.GetSize() <= (network ? 2 : 0);
  return result;
}

bool IsSameOrAbove(const CString& candidate, const CString& folder) {
  CString below = candidate + "\\";
  return folder == candidate || folder.Left(below.GetLength()) == below;
}

CString Parent(const CString& path) { return path.Left(path.ReverseFind('\\')); }

// The folders the system names for this machine. False when it cannot name
// one of them. `profile` becomes the user's profile, or stays "".
bool AddSystemFolders(CStringArray& folders, CString& profile) {
  char buffer[MAX_PATH];
  UINT length = GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  folders.Add(Canonical(buffer).path);
  length = GetSystemDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  folders.Add(Canonical(buffer).path);
  for (int csidl : kSpecialFolders) {
    buffer[0] = '\0';
    if (!SHGetSpecialFolderPathA(NULL, buffer, csidl, FALSE) || buffer[0] == '\0') return false;
    folders.Add(Canonical(buffer).path);
    if (csidl == CSIDL_PROFILE) profile = Canonical(buffer).path;
  }
  return true;
}

}  // namespace

bool FullFolderPath(const CString& folder, CString& full) {
  full = folder;
  if (folder.IsEmpty()) return true;
  bool drive = HasDrive(folder);
  // A bare "X:" is taken for the drive's root, whatever folder of it is current.
  if (IsNetworkPath(folder) || (drive && (folder.GetLength() == 2 || IsSeparator(folder[2])))) {
    return true;
  }
  CString current = CurrentDirectory();
  if (current.IsEmpty()) return false;
  if (drive) {
    // "X:name" is relative to the current folder of drive X:, which is the
    // drive's root unless X: is the current drive.
    bool currentDrive = HasDrive(current) && UpperCase(current[0]) == UpperCase(folder[0]);
    full = Joined(currentDrive ? current : folder.Left(2), (LPCSTR)folder + 2);
  } else if (IsSeparator(folder[0])) {
    full = RootOf(current) + folder;
  } else {
    full = Joined(current, folder);
  }
  return true;
}

bool IsProtectedFolder(const CString& folder) {
  CString full;
  // A relative folder that cannot be placed could be any folder at all.
  if (!FullFolderPath(folder, full)) return true;
  if (full.IsEmpty()) return false;
  CanonicalFolder candidate = Canonical(full);
  if (candidate.isRoot) return true;

  CStringArray protectedFolders;
  CString profile;
  // A folder the system will not name could be the very one chosen; when
  // the list is not whole, nothing is safe to erase.
  if (!AddSystemFolders(protectedFolders, profile)) return true;
  for (const char* fixed : kFixedFolders) protectedFolders.Add(Canonical(fixed).path);
  for (int i = 0; i < protectedFolders.GetSize(); ++i) {
    if (IsSameOrAbove(candidate.path, protectedFolders[i])) return true;
  }

  // Every folder beside the user's profile is another user's profile (or the
  // shared ones), unless the profiles sit in a drive's root.
  CString profiles = Parent(profile);
  return !Canonical(profiles).isRoot && Parent(candidate.path) == profiles;
}
