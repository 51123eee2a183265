#include "removal/tree/DeleteEntryByEntry.h"

#include "removal/tree/FolderListing.h"
#include "removal/tree/LinkAt.h"

namespace {

// A read-only file or folder is refused a delete until it is not.
void ClearReadOnly(const CWidePath& path, const WIN32_FIND_DATAW& entry) {
  if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
    SetFileAttributesW(path.Text(), entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
}

// A folder open without FILE_SHARE_DELETE cannot be renamed or replaced: a
// pupil who may change it cannot swap it for a link while its contents are
// being deleted. It is opened as itself, a link too, and only then told a
// link or not, so what is entered is what was told.
class CPinnedFolder {
 public:
  explicit CPinnedFolder(const CWidePath& folder)
      : m_handle(CreateFileW(folder.Text(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             NULL, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL)) {}
  ~CPinnedFolder() { Unpin(); }
  CPinnedFolder(const CPinnedFolder&) = delete;
  CPinnedFolder& operator=(const CPinnedFolder&) = delete;
  bool Pinned() const { return m_handle != INVALID_HANDLE_VALUE; }
  // The folder cannot be removed while this program holds it open.
  void Unpin() {
    if (Pinned()) CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE m_handle;
};

bool DeleteIn(const CWidePath& folder);

// Deletes `folder` after its contents; false, with nothing entered, when it
// is a link.
bool DeletePlainFolder(const CWidePath& folder) {
  CPinnedFolder pin(folder);
  if (!pin.Pinned() || IsLinkAt(folder)) return false;
  const bool contentsGone = DeleteIn(folder);
  pin.Unpin();
  return contentsGone && RemoveDirectoryW(folder.Text());
}

// Everything is tried, so that only what is really held stays.
bool DeleteIn(const CWidePath& folder) {
  CFolderListing listing;
  if (!listing.Open(folder)) return false;
  bool deletedAll = true;
  WIN32_FIND_DATAW entry;
  while (listing.Next(entry)) {
    CWidePath path;
    if (!path.Join(folder, entry.cFileName)) {
      deletedAll = false;
      continue;
    }
    ClearReadOnly(path, entry);
    bool deleted;
    if (!IsFolder(entry))
      deleted = DeleteFileW(path.Text()) != FALSE;
    else if (IsLink(entry))  // RemoveDirectoryW takes the link only
      deleted = RemoveDirectoryW(path.Text()) != FALSE;
    else  // it may have become a link since it was listed
      deleted = DeletePlainFolder(path) || (IsLinkAt(path) && RemoveLink(path));
    if (!deleted) deletedAll = false;
  }
  return deletedAll && listing.Complete();
}

}  // namespace

bool DeleteEntryByEntry(const CWidePath& folder) {
  // A link is never entered, not even the one named.
  CWidePath path = folder;
  return path.Extend() && DeletePlainFolder(path);
}
