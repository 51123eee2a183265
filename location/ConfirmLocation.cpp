#include "app/RemoverDlg.h"
#include "location/ProtectedFolders.h"

namespace {

const char kMarkerSuffix[] = "\\km2.jar";
const char kProtectedMessage[] =
    "This folder cannot be removed, because Windows or other programs need it:\n\n";
const char kUncheckedMessage[] =
    "This folder cannot be removed, because RemoveKM could not check that Windows or other "
    "programs do not need it:\n\n";
const char kWildcardMessage[] =
    "This cannot be removed, because * and ? cannot be part of a folder's name:\n\n";
const char kQuestion[] =
    "The \"km2.jar\" file was not found in this location.  Are you sure that this is your "
    "Kelmora folder?";
const char kQuestionCaption[] = "Confirm Location.";

LPCSTR RefusalText(FolderVerdict verdict) {
  switch (verdict) {
    case kFolderProtected:
      return kProtectedMessage;
    case kFolderNameWithWildcards:
      return kWildcardMessage;
    default:
      return kUncheckedMessage;
  }
}

}  // namespace

bool CRemoverDlg::ConfirmLocation(CWidePath& folder) {
  // Placed once, now: the removal changes the current directory before it
  // erases, and a relative folder would then name another one.
  CWidePath full;
  FolderVerdict verdict = JudgeFolder(folder);
  if (verdict == kFolderErasable && !FullFolderPath(folder, full)) verdict = kFolderUnchecked;
  // Refused before the question, so that the user is never asked to confirm
  // erasing a folder such as C:\ that must not be erased at all.
  if (verdict != kFolderErasable) {
    AskUser(RefusalText(verdict) + folder.Utf8(), NULL, MB_OK | MB_ICONSTOP);
    return false;
  }
  // The folder is tested as given: a trailing backslash of its own is not
  // trimmed before the suffix's.
  if (GetFileAttributesW((full + kMarkerSuffix).Text()) == INVALID_FILE_ATTRIBUTES &&
      AskUser(kQuestion, kQuestionCaption, MB_YESNO) != IDYES) {
    return false;
  }
  folder = full;
  return true;
}
