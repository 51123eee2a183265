#include "removal/tree/ReadyForShell.h"

#include "removal/tree/FolderListing.h"

namespace {

// `prefix`: how many characters the "\\?\" form adds to the usual one.
bool ReadyIn(const CWidePath& folder, int prefix) {
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (!path.Join(folder, entry.cFileName) || path.GetLength() - prefix >= MAX_PATH) return false;
    if (IsLink(entry)) {
      const BOOL removed =
          IsFolder(entry) ? RemoveDirectoryW(path.Text()) : DeleteFileW(path.Text());
      if (!removed) return false;
    } else if (IsFolder(entry) && !ReadyIn(path, prefix)) {
      return false;
    }
  }
  return listing.Complete();
}

}  // namespace

bool ReadyForShell(const CWidePath& folder) {
  // Listed by "\\?\" paths, which reach every depth.
  CWidePath path = folder;
  return path.Extend() && ReadyIn(path, path.GetLength() - path.Unextended().GetLength());
}
