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

// A typed folder may be relative; it would be found and erased relative to
// the current directory, so it is judged there too.
CString Absolute(const CString& path) {
  bool drive = HasDrive(path);
  // A bare "X:" is taken for the drive's root, whatever folder of it is current.
  if (IsNetworkPath(path) || (drive && (path.GetLength() == 2 || IsSeparator(path[2])))) {
    return path;
  }
  CString current = CurrentDirectory();
  if (drive) {
    // "X:name" is relative to the current folder of drive X:, which is the
    // drive's root unless X: is the current drive.
    bool currentDrive = HasDrive(current) && UpperCase(current[0]) == UpperCase(path[0]);
    return (currentDrive ? current : path.Left(2)) + "\\" + ((LPCSTR)path + 2);
  }
  if (path.GetLength() > 0 && IsSeparator(path[0])) return current.Left(2) + path;
  return current + "\\" + path;
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

CanonicalFolder Canonical(const CString& folder) {
  CString path = Absolute(folder);
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

bool IsProtectedFolder(const CString& folder) {
  if (folder.IsEmpty()) return false;
  CanonicalFolder candidate = Canonical(folder);
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
