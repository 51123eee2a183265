#include "app/RemoverDlg.h"
#include "removal/FolderListing.h"

bool CRemoverDlg::CopyTree(CString source, CString destination) {
  if (!SetCurrentDirectoryA(source)) return false;
  CFolderListing listing;
  if (!listing.Open(source)) return false;

  // Everything is tried; any entry that could not be copied makes the copy
  // a failed one, since the caller then erases the original.
  bool copiedAll = true;
  WIN32_FIND_DATAA entry;
  while (listing.Next(entry)) {
    const CString from = source + "\\" + entry.cFileName;
    const CString to = destination + "\\" + entry.cFileName;
    if (IsFolder(entry)) {
      // A junction or symbolic link leads out of the tree: its target is not
      // the product's data, so nothing is copied through it.
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      // A folder that exists already is simply used.
      if (!CreateDirectoryA(to, NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        copiedAll = false;
      } else if (!CopyTree(from, to)) {
        copiedAll = false;
      }
    } else if (CopyFileA(from, to, TRUE)) {
      ++m_filesCopied;
    } else if (GetLastError() != ERROR_FILE_EXISTS) {
      // A file that exists already keeps its contents; any other failure
      // loses the file.
      copiedAll = false;
    }
  }
  return copiedAll && listing.Complete();
}
