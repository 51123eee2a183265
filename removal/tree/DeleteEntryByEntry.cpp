#include "removal/tree/DeleteEntryByEntry.h"

#include "removal/held/HeldListing.h"

namespace {

const ACCESS_MASK kDeleteAccess =
    DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// The pauses of a walk's wait for other programs to let go, doubling: about
// three seconds in all, for the whole walk.
const DWORD kFirstPause = 50;
const DWORD kLastPause = 1600;

// What a walk carries from entry to entry.
struct Walk {
  CDeleteWatch* watch;
  bool posix;    // POSIX deletes may be had (see CHeldEntry::Delete)
  DWORD pause;   // the next pause of the wait; past kLastPause, none is left
  DWORD waited;  // milliseconds
};

bool DeleteHeld(CHeldEntry& entry, const CWidePath& path, Walk& walk);

// Deletes what `folder` (at `path`) holds, each folder inside after its
// contents, a link as a link.
bool DeleteInside(const CHeldEntry& folder, const CWidePath& path, Walk& walk) {
  CHeldListing listing(folder);
  bool deletedAll = true;
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CWidePath inside = path;
    inside.Append(L"\\", 1).Append(name, length);
    CHeldEntry entry;
    const NTSTATUS opened = entry.OpenIn(folder, name, length, listed, kDeleteAccess);
    // Deleted already, by this walk or another program, and held by a
    // program that shares deleting: it goes when that one lets go.
    if (opened == STATUS_DELETE_PENDING) continue;
    if (NT_SUCCESS(opened) && DeleteHeld(entry, inside, walk)) continue;
    // A watched delete stops at the first entry that stays.
    if (walk.watch) {
      if (!NT_SUCCESS(opened)) walk.watch->Stays(inside, (listed & FILE_ATTRIBUTE_DIRECTORY) != 0);
      return false;
    }
    deletedAll = false;
  }
  return deletedAll && listing.Complete();
}

// A folder whose every entry has gone or is going still holds the names
// Windows deletes only when the programs holding them (a virus scanner, the
// search indexer, an Explorer window) let go, mostly a moment later: the
// folder's delete is tried again after growing pauses while the walk has
// time left.
bool DeleteWhenLetGo(CHeldEntry& folder, Walk& walk) {
  for (; walk.pause <= kLastPause; walk.pause *= 2) {
    if (GetLastError() != ERROR_DIR_NOT_EMPTY) return false;
    Sleep(walk.pause);
    walk.waited += walk.pause;
    if (folder.Delete(walk.posix)) return true;
  }
  return false;
}

// Deletes `entry` with what it holds; what stays is told only where it
// stayed, not again for each folder above.
bool DeleteHeld(CHeldEntry& entry, const CWidePath& path, Walk& walk) {
  const bool folder = entry.IsFolder();
  if (folder && !DeleteInside(entry, path, walk)) return false;
  if (!folder && walk.watch) walk.watch->Deleting(path);
  if (entry.Delete(walk.posix) || (folder && DeleteWhenLetGo(entry, walk))) return true;
  if (walk.watch) walk.watch->Stays(path, folder);
  return false;
}

}  // namespace

bool DeleteEntryByEntry(const CWidePath& folder, CDeleteWatch* watch, DWORD* waited) {
  // A link is never entered, not even the one named.
  CWidePath path = folder;
  CHeldEntry top;
  Walk walk = {watch, true, kFirstPause, 0};
  bool deleted = path.Extend() && top.Open(path, kDeleteAccess) && top.IsFolder() &&
                 DeleteHeld(top, path, walk);
  top.Close();
  // Believed once the folder is gone, or going (an open of it is refused):
  // Wine answers a folder's delete with success, and leaves the folder where
  // what it held is still open elsewhere.
  if (deleted && GetFileAttributesW(path.Text()) != INVALID_FILE_ATTRIBUTES) {
    SetLastError(ERROR_DIR_NOT_EMPTY);
    deleted = false;
  }
  if (waited) *waited = walk.waited;
  return deleted;
}

bool DeleteHeldTree(CHeldEntry& folder, const CWidePath& path, CDeleteWatch* watch) {
  Walk walk = {watch, true, kFirstPause, 0};
  return folder.IsFolder() && DeleteHeld(folder, path, walk);
}
