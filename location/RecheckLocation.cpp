#include "app/RemoverDlg.h"
#include "location/NotFoundNotice.h"

namespace {

const char kTypedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location and that there "
    "are no other Non-Kelmora files in this location before continuing, as ALL its contents "
    "will be COMPLETELY ERASED.";

}  // namespace

bool CRemoverDlg::RecheckLocation() {
  CString typed = m_log ? m_givenLocation : m_location.GetWindowTextA();
  if (typed == m_installPath || (!m_typedLocation.IsEmpty() && typed == m_typedLocation)) {
    return true;
  }
  // With nothing found and nothing typed in the notice's place, the removal
  // runs without an install folder. Anything typed there is a folder the
  // user named, and is tested as one.
  if (m_installPath == "" && (typed == kNotFoundLocation || typed == "")) return true;
  CString folder = typed;
  if (!ConfirmLocation(folder)) return false;
  m_status.SetWindowTextA(kTypedStatus);
  m_installPath = folder;
  m_typedLocation = typed;
  return true;
}
