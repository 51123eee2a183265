#include "app/RemoverDlg.h"
#include "location/ProtectedFolders.h"
#include "removal/paths/LinkAt.h"
#include "removal/restart/TrustedFolders.h"

namespace {

const WCHAR kMarker[] = L"km2.jar";

// Whether `folder` would be taken as the install folder had it been typed:
// no protected folder, and the product's marker in it. Nothing is asked.
bool TakenAsInstallFolder(const CWidePath& folder) {
  CWidePath marker;
  return JudgeFolder(folder) == kFolderErasable && marker.Join(folder, kMarker) &&
         GetFileAttributesW(marker.Text()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void CRemoverDlg::DeleteInstallFolder(const CWidePath& folder) {
  if (!IsLinkAt(folder)) {
    if (!DeleteFolderIfPresent(folder)) ReportLeft("Folder: ", folder);
    return;
  }
  // The product was moved and a link left in its place: the link goes as a
  // link, then the folder it leads to is judged as a typed folder would be.
  // Where that folder cannot be told (or is told as a link still), the link
  // stays to show the way to it.
  CWidePath target;
  if (!FolderBehind(folder, target) || IsLinkAt(target)) {
    m_failures.Add("Folder: " + folder.Utf8());
    return;
  }
  // Judged while the link is still there to be judged. A user who named the
  // link saw a name, not who put the link there: their naming vouches for
  // nothing behind it, and the report names the folder for them to name.
  const bool chosen = LinkMadeByTrusted(folder);
  if (!RemoveLink(folder)) ReportLeft("Folder: ", folder);
  if (!chosen) {
    m_failures.Add("Install folder was a link to " + target.Utf8() + "; " + target.Utf8() +
                   " was not removed");
  } else if (!TakenAsInstallFolder(target)) {
    m_failures.Add("Folder: " + target.Utf8());
  } else if (!DeleteFolderIfPresent(target)) {
    ReportLeft("Folder: ", target);
  }
}
