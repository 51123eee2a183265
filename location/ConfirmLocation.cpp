#include "app/RemoverDlg.h"
#include "location/ProtectedFolders.h"

namespace {

const char kMarkerSuffix[] = "\\km2.jar";
const char kProtectedMessage[] =
    "This folder cannot be removed, because Windows or other programs need it:\n\n";
const char kQuestion[] =
    "The \"km2.jar\" file was not found in this location.  Are you sure that this is your "
    "Kelmora folder?";
const char kQuestionCaption[] = "Confirm Location.";

}  // namespace

bool CRemoverDlg::ConfirmLocation(CString& folder) {
  // Placed once, now: the removal changes the current directory before it
  // erases, and a relative folder would then name another one.
  CString full;
  // Refused before the question, so that the user is never asked to confirm
  // erasing a folder such as C:\ that must not be erased at all.
  if (!FullFolderPath(folder, full) || IsProtectedFolder(full)) {
    AskUser(kProtectedMessage + folder, NULL, MB_OK | MB_ICONSTOP);
    return false;
  }
  // The folder is tested as given: a trailing backslash of its own is not
  // trimmed before the suffix's.
  CFileFind finder;
  if (!finder.FindFile(full + kMarkerSuffix) &&
      AskUser(kQuestion, kQuestionCaption, MB_YESNO) != IDYES) {
    return false;
  }
  folder = full;
  return true;
}
