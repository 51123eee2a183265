#include "app/RemoverDlg.h"
#include "removal/tree/FolderListing.h"

namespace {

// The copy makes each folder current as it enters it, as it always has; a
// folder too deep to be the current one (past MAX_PATH) is copied without.
bool EnterFolder(const CWidePath& folder) {
  const CWidePath path = folder.Unextended();
  return path.GetLength() > MAX_PATH - 2 || SetCurrentDirectoryW(path.Text());
}

// Copies in wide characters, so that every pupil's file keeps its real name,
// whatever the ANSI code page can spell, and by "\\?\" paths, so that work
// nested past MAX_PATH is saved too.
bool CopyWideTree(const CWidePath& source, const CWidePath& destination, CRemoverDlg& remover) {
  CFolderListing listing;
  if (!EnterFolder(source) || !listing.Open(source)) return remover.CopyFailed(source);

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
        copiedAll = remover.CopyFailed(to);
      } else if (!CopyWideTree(from, to, remover)) {
        copiedAll = false;
      }
    } else if (CopyFileW(from.Text(), to.Text(), TRUE)) {
      ++remover.m_filesCopied;
    } else {
      // The destination is a folder made for this copy, so a file that is
      // there already is another of the same name (a folder that tells no
      // case apart, a share that normalises names): this one is not saved.
      copiedAll = remover.CopyFailed(from);
    }
    // A long copy must not leave the dialog "Not Responding".
    remover.m_progress.KeepAnswering();
  }
  return copiedAll && listing.Complete();
}

}  // namespace

bool CRemoverDlg::CopyTree(const CWidePath& source, const CWidePath& destination) {
  CWidePath from = source, to = destination;
  return from.Extend() && to.Extend() && CopyWideTree(from, to, *this);
}
