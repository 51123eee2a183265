#include "removal/tree/ReadyForShell.h"

#include "removal/held/HeldListing.h"
#include "removal/restart/TrustedFolders.h"

namespace {

const ACCESS_MASK kAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | READ_CONTROL;

// `length`: how long the usual form of the folder's path is. Each entry is
// told from its own handle and a link removed through it, so a folder that a
// pupil turns into a mount point meanwhile leads nowhere.
bool ReadyIn(const CHeldEntry& folder, int length) {
  // The shell walks by name: a folder that anyone else may add to or change
  // may be made a mount point as it goes, and lead it out.
  if (!OnlyTrustedMayHeld(folder.Handle(), kChangeRights | kMakeRights)) return false;
  CHeldListing listing(folder);
  LPCWSTR name;
  int nameLength;
  DWORD listed;
  while (listing.Next(name, nameLength, listed)) {
    const int pathLength = length + 1 + nameLength;
    CHeldEntry entry;
    if (pathLength >= MAX_PATH ||
        !NT_SUCCESS(entry.OpenIn(folder, name, nameLength, listed, kAccess)))
      return false;
    // One listed as no link that opens as one was swapped meanwhile, and
    // what it was now lies elsewhere in the tree, unlisted: someone is at
    // work in it, and the shell must not walk it.
    if (entry.IsLink() && !(listed & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    bool posix = true;
    if (entry.IsLink() ? !entry.Delete(posix) : entry.IsFolder() && !ReadyIn(entry, pathLength))
      return false;
  }
  return listing.Complete();
}

}  // namespace

bool ReadyForShell(const CWidePath& folder) {
  // Opened by its "\\?\" path, which reaches every depth.
  CWidePath path = folder;
  CHeldEntry top;
  // Nor may anyone else rename it, and put a link in its place.
  return path.Extend() && OnlyTrustedAbove(path, 0) && top.Open(path, kAccess) && top.IsFolder() &&
         ReadyIn(top, path.Unextended().GetLength());
}
