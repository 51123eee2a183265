#include "app/RemoverDlg.h"
#include "removal/FolderListing.h"

namespace {

// Copies in wide characters, so that every pupil's file keeps its real name,
// whatever the ANSI code page can spell.
bool CopyWideTree(const CWidePath& source, const CWidePath& destination, int& filesCopied) {
  if (!SetCurrentDirectoryW(source.Text())) return false;
  CFolderListing listing;
  if (!listing.Open(source)) return false;

  // Everything is tried; any entry that could not be copied makes the copy
  // a failed one, since the caller then erases the original.
  bool copiedAll = true;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    // A junction or symbolic link leads out of the tree: its target is not
    // the product's data, so nothing is copied through it.
    if (IsLink(entry)) continue;
    CWidePath from, to;
    if (!from.Join(source, entry.cFileName) || !to.Join(destination, entry.cFileName)) {
      copiedAll = false;
    } else if (IsFolder(entry)) {
      // A folder that exists already is simply used.
      if (!CreateDirectoryW(to.Text(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS) {
        copiedAll = false;
      } else if (!CopyWideTree(from, to, filesCopied)) {
        copiedAll = false;
      }
    } else if (CopyFileW(from.Text(), to.Text(), TRUE)) {
      ++filesCopied;
    } else if (GetLastError() != ERROR_FILE_EXISTS) {
      // A file that exists already keeps its contents; any other failure
      // loses the file.
      copiedAll = false;
    }
  }
  return copiedAll && listing.Complete();
}

}  // namespace

bool CRemoverDlg::CopyTree(CString source, CString destination) {
  CWidePath from, to;
  return from.Set(source) && to.Set(destination) && CopyWideTree(from, to, m_filesCopied);
}
