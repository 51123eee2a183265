#include "removal/paths/LinkAt.h"

#include "location/NewerWindowsCalls.h"
#include "removal/held/HeldEntry.h"
#include "removal/paths/FolderListing.h"
#include "removal/paths/PathExists.h"

namespace {

enum LinkKind { kNotALink, kALink, kUntold };

LinkKind LinkKindAt(const CWidePath& path) {
  // Only the listing of its folder tells what kind of reparse point it is.
  // By name, to look only: a link found is never entered.
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(path.Text(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    return IsLink(entry) ? kALink : kNotALink;
  }
  // A second opinion, by name to look only, before anything is taken as no link.
  const DWORD attributes = GetFileAttributesW(path.Text());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return IsNotFoundError(GetLastError()) ? kNotALink : kUntold;
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? kALink : kNotALink;
}

}  // namespace

bool IsLinkAt(const CWidePath& path) {
  // What cannot be told at all is taken for a link.
  return LinkKindAt(path) != kNotALink;
}

bool FolderBehind(const CWidePath& link, CWidePath& target) {
  // By name, to read where it leads only: that folder is judged before use.
  HANDLE opened =
      CreateFileW(link.Text(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (opened == INVALID_HANDLE_VALUE) return false;
  WCHAR final[MAX_PATH + 8];
  const DWORD length = FinalPathName(opened, final, MAX_PATH + 8);
  CloseHandle(opened);
  if (length == 0 || length >= MAX_PATH + 8) return false;
  target = CWidePath(final).Unextended();
  return true;
}

bool RemoveLink(const CWidePath& path) {
  // Held as itself and deleted through its handle: what a pupil puts at the
  // name after it was found a link (a folder of hers, a teacher's file by a
  // second name) is not what goes.
  CHeldEntry link;
  if (!link.Open(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES)) return false;
  if (!link.IsLink()) {
    SetLastError(ERROR_NOT_A_REPARSE_POINT);
    return false;
  }
  bool posix = true;
  return link.Delete(posix);
}
