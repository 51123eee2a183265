#include "removal/LinkAt.h"

#include "removal/FolderListing.h"
#include "removal/PathExists.h"

bool IsLinkAt(const CWidePath& path) {
  // Only the listing of its folder tells what kind of reparse point it is.
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(path.Text(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    FindClose(find);
    return IsLink(entry);
  }
  // A second opinion before anything is taken as no link; what cannot be
  // told at all is taken for a link.
  const DWORD attributes = GetFileAttributesW(path.Text());
  if (attributes == INVALID_FILE_ATTRIBUTES) return !IsNotFoundError(GetLastError());
  return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool RemoveLink(const CWidePath& path) {
  const DWORD attributes = GetFileAttributesW(path.Text());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return RemoveDirectoryW(path.Text()) != FALSE;
  return DeleteFileW(path.Text()) != FALSE;
}

bool LinkOnTheWay(const CWidePath& base, const CString& below) {
  CWidePath path = base;
  if (below.IsEmpty() || below[0] != '\\') path.Append(L"\\", 1);
  path.Append(CWidePath(below));
  // Each separator after the first part of `below` ends a folder on the way.
  for (int i = base.GetLength() + 1; i < path.GetLength(); ++i) {
    if (path[i] == L'\\' && IsLinkAt(CWidePath().Append(path.Text(), i))) return true;
  }
  return false;
}
