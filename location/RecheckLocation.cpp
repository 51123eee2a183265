#include "app/RemoverDlg.h"
#include "location/NotFoundNotice.h"

namespace {

const char kTypedStatus[] =
    "Kelmora folder selected.  Please BE SURE that this is the correct location and that there "
    "are no other Non-Kelmora files in this location before continuing, as ALL its contents "
    "will be COMPLETELY ERASED.";

// The location box's text whole.
CWidePath LocationText(const CEdit& location) {
  const int length = location.GetWindowTextLengthW();
  WCHAR* text = new WCHAR[length + 1];
  location.GetWindowTextW(text, length + 1);
  CWidePath typed(text);
  delete[] text;
  return typed;
}

}  // namespace

bool CRemoverDlg::RecheckLocation() {
  CWidePath typed = m_quiet ? m_givenLocation : LocationText(m_location);
  if (typed == m_installPath || (!m_typedLocation.IsEmpty() && typed == m_typedLocation)) {
    return true;
  }
  // With nothing found and nothing typed in the notice's place, the removal
  // runs without an install folder. Anything typed there is a folder the
  // user named, and is tested as one.
  if (m_installPath.IsEmpty() && (typed == CWidePath(kNotFoundLocation) || typed.IsEmpty()))
    return true;
  CWidePath folder = typed;
  if (!ConfirmLocation(folder)) return false;
  m_status.SetWindowTextA(kTypedStatus);
  m_installPath = folder;
  m_typedLocation = typed;
  return true;
}
