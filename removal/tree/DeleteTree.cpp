#include "app/RemoverDlg.h"
#include "removal/tree/FolderListing.h"
#include "removal/tree/LinkAt.h"
#include "removal/tree/PathExists.h"

namespace {

// The attributes that clearing is for. A file with none of them is left
// unopened: clearing would change nothing of it but its archive bit, and
// opening and writing back every file costs more than deleting it.
const DWORD kBlockingAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Clears the file's read-only, hidden and system attributes so that it can be
// deleted. A file that does not open, or whose status cannot be read or
// written back, keeps its attributes; its delete is tried all the same.
void ClearAttributes(const CString& file) {
  CFile handle;
  if (!handle.Open(file, CFile::modeRead | CFile::shareCompat, NULL)) return;
  CFileStatus status;
  if (!handle.GetStatus(status)) return;
  status.m_attribute = 0;
  handle.Close();
  CFile::SetStatus(file, status);
}

}  // namespace

bool CRemoverDlg::DeleteTree(CString& parent, const CString& name) {
  CString path = parent + "\\" + name;
  // A link goes as a link: its target, which lies outside the tree, is never
  // entered. Other reparse points (a cloud-synced desktop's) hold their own.
  const bool isLink = IsLinkAt(CWidePath(path));
  if (!isLink) SetCurrentDirectoryA(path);
  // Matches the folder's own entry in `parent`.
  if (!PathMayExist(path + "*.*")) return false;

  CFolderListing listing;
  if (!isLink && listing.Open(path)) {
    WIN32_FIND_DATAW entry;
    while (listing.Next(entry)) {
      CString name;
      const bool spelled = ToAnsi(entry.cFileName, name);
      if (IsFolder(entry) && spelled) {
        // The inner call appends "\" to `path`: every path built after it
        // holds a doubled separator, which the system accepts.
        if (!DeleteTree(path, name)) return false;
        continue;
      }
      const CString file = path + "\\" + name;
      // A name the code page cannot spell would name another entry, or
      // none: the delete stops here rather than guess.
      if (!spelled) {
        AskUser((IsFolder(entry) ? "Could not delete directory: " : "Could not delete file: ") +
                    CWidePath(file).Utf8(),
                "Error", MB_OK);
        return false;
      }
      if (entry.dwFileAttributes & kBlockingAttributes) ClearAttributes(file);
      m_progress.ShowItemNow(file);
      if (!DeleteFileA(file)) {
        AskUser("Could not delete file: " + CWidePath(file).Utf8(), "Error", MB_OK);
        return false;
      }
    }
    listing.Close();
  }

  if (!parent.IsEmpty() && parent[parent.GetLength() - 1] != '\\') parent += '\\';
  // Out of the folder, which cannot be removed while it is current.
  SetCurrentDirectoryA(parent);
  if (RemoveDirectoryA(path)) return true;
  AskUser("Could not delete directory: " + CWidePath(path).Utf8(), "Error", MB_OK);
  return false;
}
