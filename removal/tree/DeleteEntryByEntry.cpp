#include "removal/tree/DeleteEntryByEntry.h"

#include "removal/tree/HeldListing.h"

namespace {

const ACCESS_MASK kDeleteAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;

// Deletes what `folder` holds, each folder inside after its contents, a link
// as a link. Everything is tried, so that only what is really held stays.
bool DeleteInside(const CHeldEntry& folder) {
  CHeldListing listing(folder);
  bool deletedAll = true;
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CHeldEntry entry;
    if (!NT_SUCCESS(entry.OpenIn(folder, name, length, listed, kDeleteAccess)) ||
        (entry.IsFolder() && !DeleteInside(entry)) || !entry.Delete())
      deletedAll = false;
  }
  return deletedAll && listing.Complete();
}

}  // namespace

bool DeleteEntryByEntry(const CWidePath& folder) {
  // A link is never entered, not even the one named.
  CWidePath path = folder;
  CHeldEntry top;
  return path.Extend() && top.Open(path, kDeleteAccess) && top.IsFolder() && DeleteInside(top) &&
         top.Delete();
}
