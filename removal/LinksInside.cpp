#include "removal/LinksInside.h"

#include "removal/FolderListing.h"

namespace {

bool RemoveLinksIn(const CWidePath& folder) {
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (!path.Join(folder, entry.cFileName)) return false;
    if (IsLink(entry)) {
      const BOOL removed =
          IsFolder(entry) ? RemoveDirectoryW(path.Text()) : DeleteFileW(path.Text());
      if (!removed) return false;
    } else if (IsFolder(entry) && !RemoveLinksIn(path)) {
      return false;
    }
  }
  return listing.Complete();
}

}  // namespace

bool RemoveLinksInside(const CWidePath& folder) {
  // Links lie at any depth, past MAX_PATH too.
  CWidePath path = folder;
  return path.Extend() && RemoveLinksIn(path);
}
