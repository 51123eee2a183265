#include <cstring>

#include "app/RemoverDlg.h"
#include "location/NewerWindowsCalls.h"
#include "removal/held/HeldListing.h"

namespace {

// Folders are listed and files read through the same access.
const ACCESS_MASK kReadAccess = FILE_READ_DATA | FILE_READ_ATTRIBUTES;
// Enough to keep a disk busy; small enough for any stack the copy runs on.
const DWORD kChunk = 32768;

// The data of `from`, then its times and attributes as `listing` gave them
// (`listed`), into the new file `to`: the saved work looks as the pupil left it.
bool CopyData(const CHeldEntry& from, const CHeldEntry& to, const CHeldListing& listing,
              DWORD listed) {
  BYTE data[kChunk];
  DWORD read, written;
  do {
    // The read that finds the end has nothing to write.
    if (!ReadFile(from.Handle(), data, kChunk, &read, NULL) ||
        (read != 0 && (!WriteFile(to.Handle(), data, read, &written, NULL) || written != read)))
      return false;
  } while (read != 0);
  FILE_BASIC_INFORMATION basic;
  memset(&basic, 0, sizeof basic);
  listing.Times(basic);
  basic.FileAttributes = listed & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  IO_STATUS_BLOCK status;
  return NT_SUCCESS(
      SetInformationNative(to.Handle(), &status, &basic, sizeof basic, FileBasicInformation));
}

// Copies what `source` holds into `destination`, which this copy made; the
// paths are for the log. Each entry is opened relative to the folder held
// and made anew in the one the copy holds, so that a pupil who swaps a
// folder for a link meanwhile leads the copy nowhere. Copies in wide
// characters, so that every pupil's file keeps its real name, and at any
// depth.
bool CopyInside(const CHeldEntry& source, const CWidePath& sourcePath,
                const CHeldEntry& destination, const CWidePath& destinationPath,
                CRemoverDlg& remover) {
  CHeldListing listing(source);
  // Everything is tried; any entry that could not be copied makes the copy
  // a failed one, since the caller then erases the original.
  bool copiedAll = true;
  LPCWSTR name;
  int length;
  DWORD listed;
  while (listing.Next(name, length, listed)) {
    CWidePath from = sourcePath, to = destinationPath;
    from.Append(L"\\", 1).Append(name, length);
    to.Append(L"\\", 1).Append(name, length);
    CHeldEntry original, copy;
    NTSTATUS opened = original.OpenIn(source, name, length, listed, kReadAccess);
    const bool link =
        opened == STATUS_REPARSE_POINT_NOT_RESOLVED || (NT_SUCCESS(opened) && original.IsLink());
    // A junction or symbolic link leads out of the tree: its target is not
    // the product's data, so nothing is copied through it.
    if (link && (listed & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
    // One listed as no link is one a pupil swapped meanwhile: what it was is
    // not copied, so the copy fails and nothing is deleted.
    if (link) opened = STATUS_REPARSE_POINT_NOT_RESOLVED;
    // The data of a deduplicated or cloud file, never its stub.
    if (NT_SUCCESS(opened)) opened = original.ReadThroughFilter(source, name, length, kReadAccess);
    if (!NT_SUCCESS(opened)) {
      SetLastErrorOf(opened);
      copiedAll = remover.CopyFailed(from);
    } else if (!copy.CreateIn(destination, name, length, original.IsFolder())) {
      // The destination is a folder made for this copy, so an entry that is
      // there already is another of the same name (a folder that tells
      // case apart): this one is not saved.
      copiedAll = remover.CopyFailed(to);
    } else if (original.IsFolder()) {
      if (!CopyInside(original, from, copy, to, remover)) copiedAll = false;
    } else if (CopyData(original, copy, listing, listed)) {
      ++remover.m_filesCopied;
    } else {
      copiedAll = remover.CopyFailed(from);
    }
    // A long copy must not leave the dialog "Not Responding".
    remover.m_progress.KeepAnswering();
  }
  return copiedAll && listing.Complete();
}

}  // namespace

bool CRemoverDlg::CopyTree(const CWidePath& source, const CHeldEntry& destination,
                           const CWidePath& destinationPath) {
  CWidePath from = source;
  CHeldEntry original;
  // What a link leads to is not the pupils' data, and the copy goes only
  // into a folder held as one.
  if (!from.Extend() || !original.Open(from, kReadAccess) || !original.IsFolder())
    return CopyFailed(source);
  if (!destination.IsFolder()) {
    SetLastError(ERROR_DIRECTORY);
    return CopyFailed(destinationPath);
  }
  return CopyInside(original, source, destination, destinationPath, *this);
}
