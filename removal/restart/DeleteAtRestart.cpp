#include "removal/restart/DeleteAtRestart.h"

#include "removal/held/HeldListing.h"
#include "removal/paths/PathExists.h"
#include "removal/restart/AdministratorsOnly.h"
#include "removal/restart/DriveAtBoot.h"
#include "removal/restart/TrustedFolders.h"

namespace {

// What takes part in no sharing check: a file another program holds is
// still opened, to be told from a folder and to lose its read-only
// attribute.
const ACCESS_MASK kEntryAccess = READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
const ACCESS_MASK kFolderAccess = READ_CONTROL | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY;

// Windows carries out the restart's deletes by name only; every folder on
// the way is one no one else may change by then. Nothing says the delete at
// the restart takes a read-only file: its attribute is cleared first.
// What is not scheduled keeps its attribute.
bool Schedule(const CWidePath& path, CHeldEntry& entry) {
  if (!entry.IsFolder() && !entry.ClearReadOnly()) return false;
  // By name: no one untrusted may change a folder on its way any more.
  if (MoveFileExW(path.Text(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  if (!entry.IsFolder()) entry.KeepReadOnly();
  return false;
}

// Opens the entry `name` of `folder` as itself. STATUS_DELETE_PENDING for
// one Windows is deleting already: nothing can be made in it, and it is
// gone once the programs holding it let go, by the restart at the latest;
// STATUS_REPARSE_POINT_NOT_RESOLVED for a link that a system (Wine) follows
// all the same: it is never entered.
NTSTATUS OpenInside(const CHeldEntry& folder, LPCWSTR name, int length, DWORD listed,
                    CHeldEntry& entry) {
  const bool isFolder = (listed & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return entry.OpenIn(folder, name, length, listed, isFolder ? kFolderAccess : kEntryAccess);
}

// Schedules what `folder` (at `path`) holds, each folder after its
// contents; a link as a link, never entered.
bool ScheduleContents(const CHeldEntry& folder, const CWidePath& path) {
  CHeldListing listing(folder);
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CHeldEntry entry;
    const NTSTATUS opened = OpenInside(folder, name, length, listed, entry);
    if (opened == STATUS_DELETE_PENDING) continue;
    CWidePath inside = path;
    inside.Append(L"\\", 1).Append(name, length);
    // A link a system (Wine) follows when asked to open it as itself is
    // scheduled by name, as a link.
    if (opened == STATUS_REPARSE_POINT_NOT_RESOLVED) {
      // By name, in a folder locked to the trusted accounts, as a link.
      if (MoveFileExW(inside.Text(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) continue;
      return false;
    }
    if (!NT_SUCCESS(opened) || (entry.IsFolder() && !ScheduleContents(entry, inside)) ||
        !Schedule(inside, entry))
      return false;
  }
  return listing.Complete();
}

// Whether no one untrusted may change `folder` or a folder inside it, as
// things stood before the lock: a pupil who opened one of them before keeps
// what they were granted, and could rename it by its handle afterwards.
bool TreeOnlyTrusted(const CHeldEntry& folder) {
  if (!OnlyTrustedMayHeld(folder.Handle(), kChangeRights)) return false;
  CHeldListing listing(folder);
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    if (!(listed & FILE_ATTRIBUTE_DIRECTORY)) continue;
    CHeldEntry inside;
    const NTSTATUS opened = OpenInside(folder, name, length, listed, inside);
    if (opened == STATUS_DELETE_PENDING || opened == STATUS_REPARSE_POINT_NOT_RESOLVED) continue;
    if (!NT_SUCCESS(opened) || (inside.IsFolder() && !TreeOnlyTrusted(inside))) return false;
  }
  return listing.Complete();
}

}  // namespace

RestartDelete DeleteAtRestart(const CWidePath& path) {
  // The whole name, so that a piece nested past MAX_PATH can be scheduled too.
  CWidePath wide = path;
  if (!wide.Extend()) return kNotScheduled;
  // By name, to look only: what is scheduled is judged and opened below.
  const DWORD attributes = GetFileAttributesW(wide.Text());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return IsNotFoundError(GetLastError()) ? kNothingLeft : kNotScheduled;
  }
  if (!OnDriveAtBoot(wide) || !OnlyTrustedAbove(wide, 0)) return kNotScheduled;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
  // No name above it can change any more (OnlyTrustedAbove), nor, once it is
  // judged, inside a folder: it is opened again by name after the lock and
  // listed once more, so that what is scheduled is what will be there at the
  // restart.
  CHeldEntry top;
  if (folder && (!top.Open(wide, kFolderAccess) || !top.IsFolder() || !TreeOnlyTrusted(top) ||
                 !MakeAdministratorsOnly(wide) || !top.Open(wide, kFolderAccess) ||
                 !top.IsFolder() || !ScheduleContents(top, wide)))
    return kNotScheduled;
  if (!folder && !top.Open(wide, kEntryAccess)) return kNotScheduled;
  return Schedule(wide, top) ? kDeletedAtRestart : kNotScheduled;
}
