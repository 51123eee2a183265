#include "removal/paths/LinkAt.h"

#include "removal/paths/FolderListing.h"
#include "removal/paths/PathExists.h"

namespace {

enum LinkKind { kNotALink, kALink, kUntold };

LinkKind LinkKindAt(const CWidePath& path) {
  // Only the listing of its folder tells what kind of reparse point it is.
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(path.Text(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    return IsLink(entry) ? kALink : kNotALink;
  }
  // A second opinion before anything is taken as no link.
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

bool RemoveLink(const CWidePath& path) {
  const DWORD attributes = GetFileAttributesW(path.Text());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return RemoveDirectoryW(path.Text()) != FALSE;
  return DeleteFileW(path.Text()) != FALSE;
}
