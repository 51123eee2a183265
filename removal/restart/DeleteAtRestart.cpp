#include "removal/restart/DeleteAtRestart.h"

#include "removal/paths/FolderListing.h"
#include "removal/paths/PathExists.h"
#include "removal/restart/AdministratorsOnly.h"
#include "removal/restart/DriveAtBoot.h"
#include "removal/restart/TrustedFolders.h"

namespace {

bool Schedule(const CWidePath& path) {
  return MoveFileExW(path.Text(), NULL, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

// The folders inside first (`folders`), then the rest, so that the deepest
// files come first.
bool ScheduleEntries(const CWidePath& folder, bool folders);

bool ScheduleContents(const CWidePath& folder) {
  return ScheduleEntries(folder, true) && ScheduleEntries(folder, false);
}

bool ScheduleEntries(const CWidePath& folder, bool folders) {
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    const bool isFolder = IsFolder(entry) && !IsLink(entry);
    if (isFolder != folders) continue;
    CWidePath path;
    if (!path.Join(folder, entry.cFileName)) return false;
    if (isFolder && !ScheduleContents(path)) return false;
    if (!Schedule(path)) return false;
  }
  return listing.Complete();
}

// Whether no one untrusted may change `folder` or a folder inside it, as
// things stood before the lock: a pupil who opened one of them before keeps
// what they were granted, and could rename it by its handle afterwards.
bool TreeOnlyTrusted(const CWidePath& folder) {
  if (!OnlyTrustedMay(folder, kChangeRights, false)) return false;
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    if (!IsFolder(entry) || IsLink(entry)) continue;
    CWidePath inside;
    if (!inside.Join(folder, entry.cFileName) || !TreeOnlyTrusted(inside)) return false;
  }
  return listing.Complete();
}

}  // namespace

RestartDelete DeleteAtRestart(const CWidePath& path) {
  // The whole name, so that a piece nested past MAX_PATH can be scheduled too.
  CWidePath wide = path;
  if (!wide.Extend()) return kNotScheduled;
  const DWORD attributes = GetFileAttributesW(wide.Text());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return IsNotFoundError(GetLastError()) ? kNothingLeft : kNotScheduled;
  }
  if (!OnDriveAtBoot(wide) || !OnlyTrustedAbove(wide, 0)) return kNotScheduled;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
  if (folder && !TreeOnlyTrusted(wide)) return kNotScheduled;
  // Listed again once no one else can change it: what is scheduled is what
  // will be there at the restart.
  if (folder && (!MakeAdministratorsOnly(wide) || !ScheduleContents(wide))) return kNotScheduled;
  return Schedule(wide) ? kDeletedAtRestart : kNotScheduled;
}
