#include "app/RemoverDlg.h"

namespace {

const char kTypedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location and that there "
    "are no other Non-Kelmora files in this location before continuing, as ALL its contents "
    "will be COMPLETELY ERASED.";

}  // namespace

bool CRemoverDlg::RecheckLocation() {
  CString typed = m_log ? m_givenLocation : m_location.GetWindowTextA();
  // Without a known install folder the box holds at most a notice or a guess:
  // the removal then runs without one.
  if (typed == m_installPath || m_installPath == "") return true;
  CString folder = typed;
  if (!ConfirmLocation(folder)) return false;
  m_status.SetWindowTextA(kTypedStatus);
  m_installPath = folder;
  return true;
}
