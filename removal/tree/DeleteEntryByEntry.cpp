#include "removal/tree/DeleteEntryByEntry.h"

#include "removal/held/HeldListing.h"

namespace {

const ACCESS_MASK kDeleteAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

bool DeleteHeld(CHeldEntry& entry, const CWidePath& path, CDeleteWatch* watch);

// Deletes what `folder` (at `path`) holds, each folder inside after its
// contents, a link as a link.
bool DeleteInside(const CHeldEntry& folder, const CWidePath& path, CDeleteWatch* watch) {
  CHeldListing listing(folder);
  bool deletedAll = true;
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CWidePath inside = path;
    inside.Append(L"\\", 1).Append(name, length);
    CHeldEntry entry;
    const bool opened = NT_SUCCESS(entry.OpenIn(folder, name, length, listed, kDeleteAccess));
    if (opened && DeleteHeld(entry, inside, watch)) continue;
    // A watched delete stops at the first entry that stays.
    if (watch) {
      if (!opened) watch->Stays(inside, (listed & FILE_ATTRIBUTE_DIRECTORY) != 0);
      return false;
    }
    deletedAll = false;
  }
  return deletedAll && listing.Complete();
}

// Deletes `entry` with what it holds; what stays is told only where it
// stayed, not again for each folder above.
bool DeleteHeld(CHeldEntry& entry, const CWidePath& path, CDeleteWatch* watch) {
  const bool folder = entry.IsFolder();
  if (folder && !DeleteInside(entry, path, watch)) return false;
  if (!folder && watch) watch->Deleting(path);
  if (entry.Delete()) return true;
  if (watch) watch->Stays(path, folder);
  return false;
}

}  // namespace

bool DeleteEntryByEntry(const CWidePath& folder, CDeleteWatch* watch) {
  // A link is never entered, not even the one named.
  CWidePath path = folder;
  CHeldEntry top;
  return path.Extend() && top.Open(path, kDeleteAccess) && top.IsFolder() &&
         DeleteHeld(top, path, watch);
}
