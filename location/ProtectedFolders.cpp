#include "location/ProtectedFolders.h"

#include "location/FolderIdentity.h"
#include "location/NewerWindowsCalls.h"
#include "location/PathText.h"
#include "location/SystemFolders.h"

namespace {

// A folder as Windows resolves it, in one spelling: "X:" (or "\\" for a
// network path) followed by "\NAME" for each folder below, in upper case.
struct CanonicalFolder {
  CString path;
  bool isRoot;  // a drive, or a network server or share, as a whole
};

char UpperCase(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }

bool IsNetworkPath(const CString& path) {
  return path.GetLength() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
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
    if (IsPathSeparator(path[i]) && ++separators == 4) return path.Left(i);
  }
  return path;
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
    if (i < path.GetLength() && !IsPathSeparator(path[i])) {
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

CString Parent(const CString& path) { return path.Left(path.ReverseFind('\\')); }

bool HasWildcard(const CString& folder) {
  // The '?' of a "\\?\" prefix is no wildcard.
  int start = folder.Left(4) == "\\\\?\\" ? 4 : 0;
  for (int i = start; i < folder.GetLength(); ++i) {
    if (folder[i] == '*' || folder[i] == '?') return true;
  }
  return false;
}

// `path` (full) without a "\\?\" prefix, placed, in long names where it
// exists, in one spelling.
CanonicalFolder Resolved(const CString& path) {
  CString text = path;
  if (text.Left(8) == "\\\\?\\UNC\\") {
    text = "\\\\" + CString((LPCSTR)path + 8);
  } else if (text.Left(4) == "\\\\?\\") {
    text = (LPCSTR)path + 4;
  }
  // A bare "X:" is taken for the drive's root (see FullFolderPath).
  if (text.GetLength() == 2 && text[1] == ':') text += "\\";
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(text, MAX_PATH, buffer, NULL);
  if (length > 0 && length < MAX_PATH) text = buffer;
  length = LongPathName(text, buffer, MAX_PATH);
  if (length > 0 && length < MAX_PATH) text = buffer;
  return Canonical(text);
}

// A canonical folder as a name that opens it: a drive's root needs its "\".
CString Openable(const CanonicalFolder& folder) {
  return folder.isRoot ? folder.path + "\\" : folder.path;
}

// The folders a judgement compares, each by its canonical spelling and by
// its identity. Opening a folder can fail without telling whether it is
// there; the judgement is then left open.
class FolderJudge {
 public:
  explicit FolderJudge(const CString& candidate) : m_candidate(Resolved(candidate)) {
    m_lookup = IdentifyFolder(Openable(m_candidate), m_identity);
    m_unknown = m_lookup == kIdentityUnknown;
  }

  bool IsRoot() const { return m_candidate.isRoot; }
  bool Unknown() const { return m_unknown; }

  // The candidate is `needed`, or a folder above it.
  bool IsSameOrAbove(const CString& needed) {
    CanonicalFolder folder = Resolved(needed);
    if (IsAtOrBelow(folder.path, m_candidate.path)) return true;
    if (m_lookup != kIdentityKnown) return false;
    // The needed folders share most of the folders above them: each is
    // opened once.
    for (; !WasCompared(folder.path); folder = Canonical(Parent(folder.path))) {
      m_compared.Add(folder.path);
      if (IsSame(folder)) return true;
      if (folder.isRoot) return false;
    }
    return false;
  }

  // The candidate is `needed` or lies inside it.
  bool IsSameOrInside(const CString& needed) {
    FolderIdentity identity;
    CanonicalFolder folder = Resolved(needed);
    if (IsAtOrBelow(m_candidate.path, folder.path)) return true;
    IdentityLookup lookup = IdentifyFolder(Openable(folder), identity);
    m_unknown = m_unknown || lookup == kIdentityUnknown;
    if (lookup != kIdentityKnown) return false;
    for (CanonicalFolder at = m_candidate;; at = Canonical(Parent(at.path))) {
      FolderIdentity here;
      IdentityLookup found = IdentifyFolder(Openable(at), here);
      m_unknown = m_unknown || found == kIdentityUnknown;
      if (found == kIdentityKnown && here == identity) return true;
      if (at.isRoot) return false;
    }
  }

  // The candidate lies in the same folder as `sibling`, unless that is a
  // drive's root.
  bool IsBeside(const CString& sibling) {
    CanonicalFolder folder = Canonical(Parent(Resolved(sibling).path));
    if (folder.isRoot) return false;
    CanonicalFolder above = Canonical(Parent(m_candidate.path));
    if (above.path == folder.path) return true;
    FolderIdentity identity, here;
    IdentityLookup lookup = IdentifyFolder(Openable(folder), identity);
    IdentityLookup found = IdentifyFolder(Openable(above), here);
    m_unknown = m_unknown || lookup == kIdentityUnknown || found == kIdentityUnknown;
    return lookup == kIdentityKnown && found == kIdentityKnown && here == identity;
  }

 private:
  // `folder` (canonical) is `top` or below it.
  static bool IsAtOrBelow(const CString& folder, const CString& top) {
    CString below = top + "\\";
    return folder == top || folder.Left(below.GetLength()) == below;
  }

  bool WasCompared(const CString& path) const {
    for (int i = 0; i < m_compared.GetSize(); ++i) {
      if (m_compared[i] == path) return true;
    }
    return false;
  }

  bool IsSame(const CanonicalFolder& folder) {
    FolderIdentity identity;
    IdentityLookup lookup = IdentifyFolder(Openable(folder), identity);
    m_unknown = m_unknown || lookup == kIdentityUnknown;
    return lookup == kIdentityKnown && identity == m_identity;
  }

  CanonicalFolder m_candidate;
  FolderIdentity m_identity;
  IdentityLookup m_lookup;
  bool m_unknown;
  CStringArray m_compared;  // canonical folders already compared with the candidate
};

}  // namespace

bool FullFolderPath(const CString& folder, CString& full) {
  full = folder;
  if (folder.IsEmpty()) return true;
  bool drive = HasDrive(folder);
  // A bare "X:" is taken for the drive's root, whatever folder of it is current.
  if (IsNetworkPath(folder) || (drive && (folder.GetLength() == 2 || IsPathSeparator(folder[2])))) {
    return true;
  }
  CString current = CurrentDirectory();
  if (current.IsEmpty()) return false;
  if (drive) {
    // "X:name" is relative to the current folder of drive X:, which is the
    // drive's root unless X: is the current drive.
    bool currentDrive = HasDrive(current) && UpperCase(current[0]) == UpperCase(folder[0]);
    full = JoinedPath(currentDrive ? current : folder.Left(2), (LPCSTR)folder + 2);
  } else if (IsPathSeparator(folder[0])) {
    full = RootOf(current) + folder;
  } else {
    full = JoinedPath(current, folder);
  }
  return true;
}

FolderVerdict JudgeFolder(const CString& folder) {
  if (folder.IsEmpty()) return kFolderErasable;
  if (HasWildcard(folder)) return kFolderNameWithWildcards;
  CString full;
  // A relative folder that cannot be placed could be any folder at all.
  if (!FullFolderPath(folder, full)) return kFolderUnchecked;
  FolderJudge judge(full);
  if (judge.IsRoot()) return kFolderProtected;

  SystemFolders system;
  // A folder the system will not name could be the very one chosen.
  if (!FindSystemFolders(system)) return kFolderUnchecked;
  bool needed = judge.IsSameOrInside(system.windows);
  for (int i = 0; !needed && i < system.needed.GetSize(); ++i) {
    needed = judge.IsSameOrAbove(system.needed[i]);
  }
  // Every folder beside the user's profile is another user's profile (or the
  // shared ones), unless the profiles sit in a drive's root.
  needed = needed || (!system.profile.IsEmpty() && judge.IsBeside(system.profile));
  if (needed) return kFolderProtected;
  return judge.Unknown() ? kFolderUnchecked : kFolderErasable;
}

bool IsProtectedFolder(const CString& folder) { return JudgeFolder(folder) != kFolderErasable; }
