#include "removal/held/HeldFolderPath.h"

#include "location/NewerWindowsCalls.h"
#include "removal/paths/LinkAt.h"
#include "removal/restart/TrustedFolders.h"

namespace {

// What a folder on the way is held for: telling what it is.
const ACCESS_MASK kPassAccess = FILE_READ_ATTRIBUTES;
// Links followed in one walk at most, so that links leading round in a
// circle end it.
const int kMostLinks = 8;
const int kDriveRoot = 7;  // "\\?\C:\"
const int kUncPrefix = 8;  // "\\?\UNC\"

// Where the volume's root ends: after "\\?\C:\", or after the share of
// "\\?\UNC\server\share\".
int RootLength(const CWidePath& path) {
  if (CWidePath().Append(path.Text(), kUncPrefix) != CWidePath(L"\\\\?\\UNC\\")) return kDriveRoot;
  int at = kUncPrefix, separators = 0;
  while (at < path.GetLength() && (path[at] != L'\\' || ++separators < 2)) ++at;
  return at < path.GetLength() ? at + 1 : at;
}

}  // namespace

HeldPathVerdict HoldFolderPath(const CWidePath& given, ACCESS_MASK wanted, bool make,
                               CHeldEntry& folder, CWidePath& stopped) {
  // Every entry held tells what it is.
  const ACCESS_MASK access = wanted | kPassAccess;
  CWidePath path = given;
  for (int links = 0; links <= kMostLinks; ++links) {
    int start = RootLength(path);
    // The volume's root is no link, and only trusted accounts may replace it.
    stopped = CWidePath().Append(path.Text(), start);
    if (!folder.Open(stopped, start >= path.GetLength() ? access : kPassAccess) ||
        !folder.IsFolder())
      return kPathNotReached;
    bool followed = false;
    while (!followed && start < path.GetLength()) {
      int end = start;
      while (end < path.GetLength() && path[end] != L'\\') ++end;
      const LPCWSTR name = path.Text() + start;
      const int length = end - start;
      const bool last = end + 1 >= path.GetLength();
      start = end + 1;
      if (length == 0) continue;
      stopped = CWidePath().Append(path.Text(), end);
      CHeldEntry below;
      const NTSTATUS opened = below.OpenIn(folder, name, length, 0, last ? access : kPassAccess);
      if (opened == STATUS_OBJECT_NAME_NOT_FOUND && make) {
        if (!below.CreateIn(folder, name, length, true,
                            FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | access))
          return kPathNotReached;
      } else if (!NT_SUCCESS(opened)) {
        SetLastErrorOf(opened);
        return kPathNotReached;
      } else if (below.IsLink()) {
        // Judged by name: the folders down to it are plain ones, and the
        // judgement needs them the trusted accounts' alone.
        CWidePath target;
        if (!LinkMadeByTrusted(stopped)) return kPathThroughDistrustedLink;
        if (!FolderBehind(stopped, target) || !target.Extend()) return kPathNotReached;
        path = target.Append(path.Text() + end, path.GetLength() - end);
        followed = true;
        continue;
      } else if (!below.IsFolder()) {
        SetLastError(ERROR_DIRECTORY);
        return kPathNotReached;
      }
      folder.Swap(below);
    }
    if (followed) continue;
    // It stands for the folder opened by its path.
    folder.CountLevelsFromHere();
    return kPathHeld;
  }
  SetLastError(ERROR_CANT_RESOLVE_FILENAME);
  return kPathNotReached;
}
