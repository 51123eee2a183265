#include "removal/DeleteEntryByEntry.h"

#include "removal/FolderListing.h"
#include "removal/LinkAt.h"

namespace {

// A read-only file or folder is refused a delete until it is not.
void ClearReadOnly(const CWidePath& path, const WIN32_FIND_DATAW& entry) {
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.Text(), entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
}

// Everything is tried, so that only what is really held stays.
bool DeleteIn(const CWidePath& folder) {
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  bool deletedAll = true;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (!path.Join(folder, entry.cFileName)) {
      deletedAll = false;
      continue;
    }
    ClearReadOnly(path, entry);
    // A link to a folder goes with RemoveDirectoryW, which takes the link only.
    const bool contentsGone = !IsFolder(entry) || IsLink(entry) || DeleteIn(path);
    const BOOL deleted = !contentsGone     ? FALSE
                         : IsFolder(entry) ? RemoveDirectoryW(path.Text())
                                           : DeleteFileW(path.Text());
    if (!deleted) deletedAll = false;
  }
  return deletedAll && listing.Complete();
}

}  // namespace

bool DeleteEntryByEntry(const CWidePath& folder) {
  // A link is never entered, not even the one named.
  if (IsLinkAt(folder)) return false;
  CWidePath path = folder;
  return path.Extend() && DeleteIn(path) && RemoveDirectoryW(path.Text());
}
