#include "location/ProtectedFolders.h"

#include "location/FolderIdentity.h"
#include "location/NewerWindowsCalls.h"
#include "location/PathText.h"
#include "location/SystemFolders.h"

// The judgement works on names in UTF-8, so that a name the code page cannot
// spell is compared and opened whole; the system folders are named to it in
// the code page and converted once.

namespace {

CString Utf8OfAnsi(const CString& ansi) { return CWidePath(ansi).Utf8(); }

// A folder as Windows resolves it, in one spelling: "X:" (or "\\" for a
// network path) followed by "\NAME" for each folder below, in upper case.
struct CanonicalFolder {
  CString path;
  // The same names in the case they were given, which is how it is opened:
  // Wine finds a name in the case it has on disk without listing its folder.
  CString spelt;
  bool isRoot = false;  // a drive, or a network server or share, as a whole
};

char UpperCase(char ch) { return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch; }

bool IsNetworkPath(const CString& path) {
  return path.GetLength() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]);
}

bool HasDrive(const CString& path) { return path.GetLength() >= 2 && path[1] == ':'; }

CString CurrentDirectory() {
  WCHAR buffer[MAX_PATH] = {0};
  DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
  return length > 0 && length < MAX_PATH ? CWidePath(buffer).Utf8() : "";
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
  result.spelt = result.path;

  CStringArray names, spelt;
  CString name;
  int nameStart = start;
  for (int i = start; i <= path.GetLength(); ++i) {
    if (i < path.GetLength() && !IsPathSeparator(path[i])) {
      name += UpperCase(path[i]);
      continue;
    }
    AppendName(names, name);
    AppendName(spelt, CString((LPCSTR)path + nameStart).Left(i - nameStart));
    name = "";
    nameStart = i + 1;
  }
  for (int i = 0; i < names.GetSize(); ++i) {
    result.path += "\\" + names[i];
    result.spelt += "\\" + spelt[i];
  }
  result.isRoot = names.GetSize() <= (network ? 2 : 0);
  return result;
}

CString Parent(const CString& path) { return path.Left(path.ReverseFind('\\')); }

CanonicalFolder ParentOf(const CanonicalFolder& folder) { return Canonical(Parent(folder.spelt)); }

bool HasWildcard(const CString& folder) {
  // The '?' of a "\\?\" prefix is no wildcard.
  int start = folder.Left(4) == "\\\\?\\" ? 4 : 0;
  for (int i = start; i < folder.GetLength(); ++i) {
    if (folder[i] == '*' || folder[i] == '?') return true;
  }
  return false;
}

// `path` (full) without a "\\?\" prefix, placed as Windows places it.
CString Placed(const CString& path) {
  CString text = path;
  if (text.Left(8) == "\\\\?\\UNC\\") {
    text = "\\\\" + CString((LPCSTR)path + 8);
  } else if (text.Left(4) == "\\\\?\\") {
    text = (LPCSTR)path + 4;
  }
  // A bare "X:" is taken for the drive's root (see FullFolderPath).
  if (text.GetLength() == 2 && text[1] == ':') text += "\\";
  WCHAR buffer[MAX_PATH];
  DWORD length = GetFullPathNameW(CWidePath::FromUtf8(text).Text(), MAX_PATH, buffer, NULL);
  return length > 0 && length < MAX_PATH ? CWidePath(buffer).Utf8() : text;
}

// A placed path in long names where it exists, in one spelling.
CanonicalFolder LongNamed(const CString& placed) {
  WCHAR buffer[MAX_PATH];
  DWORD length = LongPathName(CWidePath::FromUtf8(placed).Text(), buffer, MAX_PATH);
  return Canonical(length > 0 && length < MAX_PATH ? CWidePath(buffer).Utf8() : placed);
}

// A canonical folder as a name that opens it: a drive's root needs its "\".
CString Openable(const CanonicalFolder& folder) {
  return folder.isRoot ? folder.spelt + "\\" : folder.spelt;
}

// A folder as the judgement sees it: its name, and when it is there, which
// folder it is and where it lies through every link.
struct ExaminedFolder {
  CanonicalFolder named;
  IdentityLookup lookup;
  FolderIdentity identity;
  CanonicalFolder real;  // its final path; "" where Windows cannot tell it
  bool askedFinal = false;

  bool HasReal() const { return !real.path.IsEmpty(); }
  // No link and no other name on its way: each folder above it is the one
  // its text names, so comparing texts tells what opening them would.
  bool Direct() const { return HasReal() && real.path == named.path; }
};

// `folder` (canonical) is `top` or below it.
bool IsAtOrBelow(const CString& folder, const CString& top) {
  if (folder.IsEmpty() || top.IsEmpty()) return false;
  CString below = top + "\\";
  return folder == top || folder.Left(below.GetLength()) == below;
}

// By their texts: the name or the final path of `inner` is at or below the
// name or the final path of `outer`.
bool PlacedAtOrBelow(const ExaminedFolder& inner, const ExaminedFolder& outer) {
  return IsAtOrBelow(inner.named.path, outer.named.path) ||
         IsAtOrBelow(inner.named.path, outer.real.path) ||
         IsAtOrBelow(inner.real.path, outer.named.path) ||
         IsAtOrBelow(inner.real.path, outer.real.path);
}

// The folders a judgement compares, each by its canonical spelling, its final
// path and its identity. Opening a folder can fail without telling whether it
// is there; the judgement is then left open.
class FolderJudge {
 public:
  explicit FolderJudge(const CString& candidate) : m_seenCount(0) {
    m_candidate = Examine(candidate, true);
    m_unknown = m_candidate.lookup == kIdentityUnknown;
  }

  bool IsRoot() const {
    return m_candidate.named.isRoot || (m_candidate.HasReal() && m_candidate.real.isRoot);
  }
  bool Unknown() const { return m_unknown; }

  // The candidate is `needed`, or a folder above it.
  bool IsSameOrAbove(const CString& needed) {
    // Nothing there: only its name can be compared.
    if (m_candidate.lookup != kIdentityKnown) {
      return IsAtOrBelow(LongNamed(Placed(needed)).path, m_candidate.named.path);
    }
    // Its final path is not asked for: comparing the candidate with every
    // folder above it tells as much, and each open costs less.
    ExaminedFolder folder = Examine(needed, false);
    if (PlacedAtOrBelow(folder, m_candidate)) return true;
    // The needed folders share most of the folders above them: each is
    // opened once.
    for (ExaminedFolder at = folder; !WasCompared(at.named.path);
         at = Seen(ParentOf(at.named), false)) {
      m_compared.Add(at.named.path);
      m_unknown = m_unknown || at.lookup == kIdentityUnknown;
      if (at.lookup == kIdentityKnown && at.identity == m_candidate.identity) return true;
      if ((at.Direct() && m_candidate.HasReal()) || at.named.isRoot) return false;
    }
    return false;
  }

  // The candidate is `outer` or lies inside it.
  bool IsSameOrInside(const CString& outer) {
    ExaminedFolder folder = Examine(outer, true);
    if (PlacedAtOrBelow(m_candidate, folder)) return true;
    m_unknown = m_unknown || folder.lookup == kIdentityUnknown;
    if (folder.lookup != kIdentityKnown) return false;
    for (ExaminedFolder at = m_candidate;; at = Seen(ParentOf(at.named), false)) {
      m_unknown = m_unknown || at.lookup == kIdentityUnknown;
      if (at.lookup == kIdentityKnown && at.identity == folder.identity) return true;
      if ((at.Direct() && folder.HasReal()) || at.named.isRoot) return false;
    }
  }

  // The candidate lies in the same folder as `sibling`, unless that is a
  // drive's root.
  bool IsBeside(const CString& sibling) {
    CanonicalFolder folder = ParentOf(LongNamed(Placed(sibling)));
    if (folder.isRoot) return false;
    CanonicalFolder above = ParentOf(m_candidate.named);
    if (above.path == folder.path) return true;
    ExaminedFolder shared = Seen(folder, false);
    m_unknown = m_unknown || shared.lookup == kIdentityUnknown;
    // A link to another profile lies where it leads.
    if (m_candidate.HasReal() && Parent(m_candidate.real.path) == folder.path) return true;
    ExaminedFolder here = Seen(above, false);
    m_unknown = m_unknown || here.lookup == kIdentityUnknown;
    return shared.lookup == kIdentityKnown && here.lookup == kIdentityKnown &&
           here.identity == shared.identity;
  }

 private:
  // `folder` opened, once in a judgement (the needed folders share most of
  // the folders above them), its final path asked for when `final`.
  const ExaminedFolder& Seen(const CanonicalFolder& folder, bool final) {
    int at = 0;
    while (at < m_seenCount && m_seen[at].named.path != folder.path) ++at;
    if (at < m_seenCount && (m_seen[at].askedFinal || !final)) return m_seen[at];
    // When all places are taken, the last one is opened afresh each time.
    if (at == m_seenCount) at = m_seenCount < kSeenFolders ? m_seenCount++ : kSeenFolders;
    ExaminedFolder& examined = m_seen[at];
    examined.named = folder;
    examined.askedFinal = final;
    examined.lookup =
        IdentifyFolder(CWidePath::FromUtf8(Openable(folder)), examined.identity, final);
    bool toldFinal = examined.lookup == kIdentityKnown && !examined.identity.finalPath.IsEmpty();
    examined.real = toldFinal ? Canonical(examined.identity.finalPath) : CanonicalFolder();
    return examined;
  }

  // `path` (full) placed and opened. With its final path, short names are
  // spelt long unless that path shows there are none.
  ExaminedFolder Examine(const CString& path, bool final) {
    CString placed = Placed(path);
    ExaminedFolder examined = Seen(Canonical(placed), final);
    if (final && !examined.Direct()) examined.named = LongNamed(placed);
    return examined;
  }

  bool WasCompared(const CString& path) const {
    for (int i = 0; i < m_compared.GetSize(); ++i) {
      if (m_compared[i] == path) return true;
    }
    return false;
  }

  static const int kSeenFolders = 64;
  ExaminedFolder m_seen[kSeenFolders + 1];
  int m_seenCount;
  ExaminedFolder m_candidate;
  bool m_unknown;
  CStringArray m_compared;  // canonical folders already compared with the candidate
};

// Compares the candidate with each needed folder as the system names it, and
// has had enough once one is the candidate or lies below it.
class NeededFolderCheck : public CNeededFolderSink {
 public:
  explicit NeededFolderCheck(FolderJudge& judge) : needed(false), m_judge(judge) {}

  bool Take(const CString& ansiFolder, bool profile) override {
    const CString folder = Utf8OfAnsi(ansiFolder);
    // Every folder beside the user's profile is another user's profile (or
    // the shared ones), unless the profiles sit in a drive's root.
    needed = m_judge.IsSameOrAbove(folder) || (profile && m_judge.IsBeside(folder));
    return needed;
  }

  bool needed;  // one of them is the candidate or lies below it

 private:
  FolderJudge& m_judge;
};

// FullFolderPath on a name in UTF-8.
bool FullFolderText(const CString& folder, CString& full) {
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

}  // namespace

bool FullFolderPath(const CWidePath& folder, CWidePath& full) {
  CString text;
  if (!FullFolderText(folder.Utf8(), text)) return false;
  full = CWidePath::FromUtf8(text);
  return true;
}

FolderVerdict JudgeFolder(const CWidePath& wideFolder) {
  const CString folder = wideFolder.Utf8();
  if (folder.IsEmpty()) return kFolderErasable;
  if (HasWildcard(folder)) return kFolderNameWithWildcards;
  CString full;
  // A relative folder that cannot be placed could be any folder at all.
  if (!FullFolderText(folder, full)) return kFolderUnchecked;
  FolderJudge judge(full);
  if (judge.IsRoot()) return kFolderProtected;

  // The Windows folder first: what lies inside it needs no other lookup.
  CString windows;
  if (!FindWindowsFolder(windows)) return kFolderUnchecked;
  if (judge.IsSameOrInside(Utf8OfAnsi(windows))) return kFolderProtected;
  NeededFolderCheck check(judge);
  // A folder the system will not name could be the very one chosen.
  if (!FindSystemFolders(check)) return kFolderUnchecked;
  if (check.needed) return kFolderProtected;
  return judge.Unknown() ? kFolderUnchecked : kFolderErasable;
}

bool IsProtectedFolder(const CWidePath& folder) { return JudgeFolder(folder) != kFolderErasable; }

bool MayLieInside(const CWidePath& folder, const CWidePath& outer) {
  if (outer.IsEmpty()) return false;
  FolderJudge judge(folder.Utf8());
  return judge.IsSameOrInside(outer.Utf8()) || judge.Unknown();
}
