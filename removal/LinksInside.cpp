#include "removal/LinksInside.h"

#include "removal/FolderListing.h"

namespace {

bool RemoveLinksIn(const CWidePath& folder) {
  // A path beyond the system's limit is beyond the shell's reach too.
  CWidePath pattern;
  if (!pattern.Join(folder, L"*")) return true;
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (!path.Join(folder, entry.cFileName)) continue;
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

bool RemoveLinksInside(const CString& folder) {
  CWidePath path;
  return path.Set(folder) && RemoveLinksIn(path);
}
